"""tavorin-calc --sheet on N generated blocks: the output is one well-formed document
(checked by a strict XML parser) with one section per line, and every
sizing result of a line equals what the plain batch writes for that line."""
import json
import random
import subprocess
import sys
import time
import xml.etree.ElementTree as ET

tool, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(9)
lines = []
for i in range(count):
    case = {
        "Text1": f"{i + 1}号<镇墩>&",
        "HSt": str(rng.randint(50, 400)),
        "DA1t": f"{rng.randint(0, 70)}.{rng.randint(0, 59):02d}",
        "DA2t": str(rng.randint(0, 70)),
        "spjText": rng.choice(["0", "15", "30", "45", ""]),
        "kj": rng.choice(["镇墩", "支墩"]),
        "k": rng.choice(["上侧", "下侧"]),
        "fjt": rng.choice(["0.6", "0.5", "0"]),
    }
    lines.append(json.dumps(case, ensure_ascii=False))
data = ("\n".join(lines) + "\n").encode()

started = time.perf_counter()
plain = subprocess.run([tool], input=data, capture_output=True, check=True)
middle = time.perf_counter()
sheet = subprocess.run([tool, "--sheet"], input=data, capture_output=True, check=True)
ended = time.perf_counter()
print(f"{count} cases: batch {middle - started:.3f} s, --sheet {ended - middle:.3f} s, "
      f"{len(sheet.stdout) / 1e6:.1f} MB")

root = ET.fromstring(sheet.stdout)
ns = {"h": "http://www.w3.org/1999/xhtml"}
blocks = root.findall(".//h:body/h:div", ns)
assert len(blocks) == count, f"{len(blocks)} sections for {count} lines"

results = [json.loads(line) for line in plain.stdout.decode().splitlines()]
for block, result in list(zip(blocks, results))[:200]:
    for cell in block.iter("{http://www.w3.org/1999/xhtml}td"):
        box = cell.get("data-box")
        if box is None:
            continue
        shown = "".join(cell.find("h:span", ns).itertext())
        assert shown == result["fields"][box], (box, shown, result["fields"][box])
print("well-formed; every result of the first 200 equals its box")
