// The calculate command, and after it the stability check, on arbitrary box texts, through
// a store that fails one chosen operation: the writes are a prefix of the documented order
// (all of it without a fault), the fault's message names its kind and its box, no input is
// ever written, and the recording check writes what the plain one writes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/calculate.h"
#include "engine/check.h"
#include "engine/fields.h"
#include "fuzz/check.h"

namespace {

using namespace tavorin;

class FailingStore final : public FieldStore {
  public:
    explicit FailingStore(unsigned failAt) : m_failAt(failAt) {}

    bool readText(std::string_view name, std::string& text) override {
        if (fails(name)) return false;
        return m_store.readText(name, text);
    }
    bool replaceText(std::string_view name, std::string_view text) override {
        if (fails(name)) return false;
        checkWritable(name);
        if (!m_store.replaceText(name, text)) return false;
        m_written.emplace_back(name);
        return true;
    }
    bool setCaption(std::string_view name, std::string_view caption) override {
        if (fails(name)) return false;
        if (!m_store.setCaption(name, caption)) return false;
        m_written.emplace_back(name);
        return true;
    }

    MemoryStore& inner() { return m_store; }
    std::size_t operations() const { return m_operations; }
    const std::vector<std::string>& written() const { return m_written; }
    const std::string& failedAt() const { return m_failed; }

  private:
    bool fails(std::string_view name) {
        if (++m_operations != m_failAt) return false;
        m_failed = name;
        return true;
    }
    static void checkWritable(std::string_view name) {
        const FieldSpec* f = findAnyField(name);
        FUZZ_CHECK(f != nullptr && f->role == FieldRole::Output, "wrote the box %.*s",
                   static_cast<int>(name.size()), name.data());
    }

    MemoryStore m_store;
    unsigned m_operations = 0;
    unsigned m_failAt;  // 0: nothing fails
    std::string m_failed;
    std::vector<std::string> m_written;
};

std::vector<std::string> documentedOrder(bool supportPier) {
    std::vector<std::string> order =
        supportPier ? std::vector<std::string>{"x1", "x2", "y1", "y2", "w1", "w2"}
                    : std::vector<std::string>{"x1", "y1", "w1", "x2", "y2", "w2"};
    for (const char* box :
         {"Label25", "a12text", "a13text", "a14text", "a15text", "a16text", "a17text",
          "a18text", "a19text", "a22text", "a23text", "a24text", "a25text", "a26text",
          "a27text", "a28text", "a29text", "aa1text", "aa2text", "aa3text", "aa4text",
          "a11text", "a21text", "v1",      "v2"}) {
        order.emplace_back(box);
    }
    return order;
}

// The fault's kind starts its message, and its box's caption is in it.
void checkFault(const Fault& fault, const std::string& failedAt) {
    const std::string kind(faultKindName(fault.kind));
    FUZZ_CHECK(fault.message.starts_with(kind + "："), "message \"%s\"", fault.message.c_str());
    if (!failedAt.empty()) {
        FUZZ_CHECK(fault.kind == FaultKind::FieldAccess && fault.box == failedAt,
                   "failed at %s, fault on \"%s\"", failedAt.c_str(), fault.box.c_str());
    } else {
        FUZZ_CHECK(fault.kind != FaultKind::FieldAccess, "a field-access fault unasked");
    }
    if (!fault.box.empty()) {
        const FieldSpec* f = findAnyField(fault.box);
        FUZZ_CHECK(f != nullptr && fault.message.find(f->caption) != std::string::npos,
                   "message \"%s\" does not name %s", fault.message.c_str(), fault.box.c_str());
    }
}

// After a calculation without a fault: the check writes its results in table order, and the
// recording check, on a copy of the store as it was, ends with the same texts.
void runCheck(FailingStore& store) {
    const MemoryStore before = store.inner();
    const std::size_t calculated = store.written().size();
    const std::optional<Fault> fault = checkStability(store);
    std::vector<std::string_view> order;
    for (const FieldSpec& f : checkFieldTable()) {
        if (f.role == FieldRole::Output) order.push_back(f.name);
    }
    const auto& written = store.written();
    FUZZ_CHECK(written.size() - calculated <= order.size(), "%zu check writes",
               written.size() - calculated);
    for (std::size_t i = calculated; i < written.size(); ++i) {
        FUZZ_CHECK(written[i] == order[i - calculated], "check write %zu went to %s",
                   i - calculated, written[i].c_str());
    }
    if (fault) {
        checkFault(*fault, store.failedAt());
    } else {
        FUZZ_CHECK(written.size() - calculated == order.size(), "no check fault after %zu writes",
                   written.size() - calculated);
    }
    if (!store.failedAt().empty()) return;
    MemoryStore recorded = before;
    CalcRecord record;
    const std::optional<Fault> recordedFault = checkStability(recorded, record);
    FUZZ_CHECK(recordedFault.has_value() == fault.has_value() &&
                   (!fault || recordedFault->message == fault->message),
               "the recording check stopped otherwise");
    for (const FieldSpec& f : checkFieldTable()) {
        FUZZ_CHECK(recorded.text(f.name) == store.inner().text(f.name), "%s differs recorded",
                   std::string(f.name).c_str());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // An odd first byte fails one operation: of the calculation, or with 3 mod 4 most likely
    // one of the check.
    const unsigned failAt = data[1] % 90 + 1 + (data[0] % 4 == 3 ? 60 : 0);
    FailingStore store(data[0] % 2 == 0 ? 0 : failAt);
    // The rest: texts separated by 0x1F for the boxes after Text1, in table order (the
    // numeric inputs, then kj and k, then the check's inputs).
    std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    std::vector<const FieldSpec*> boxes;
    for (const FieldSpec& f : fieldTable()) {
        if (f.role == FieldRole::Input && f.name != "Text1") boxes.push_back(&f);
    }
    for (const FieldSpec& f : fieldTable()) {
        if (f.role == FieldRole::Choice) boxes.push_back(&f);
    }
    for (const FieldSpec& f : checkFieldTable()) {
        if (f.role == FieldRole::Input) boxes.push_back(&f);
    }
    for (const FieldSpec* f : boxes) {
        if (rest.empty()) break;
        const std::size_t end = rest.find('\x1f');
        store.inner().replaceText(f->name, rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    std::vector<const FieldSpec*> inputBoxes;
    for (const auto table : {fieldTable(), checkFieldTable()}) {
        for (const FieldSpec& f : table) {
            if (f.role != FieldRole::Output && f.role != FieldRole::Caption)
                inputBoxes.push_back(&f);
        }
    }
    std::vector<std::string> inputs;
    for (const FieldSpec* f : inputBoxes) inputs.push_back(store.inner().text(f->name));

    const std::optional<Fault> fault = calculate(store);

    const std::vector<std::string> order =
        documentedOrder(store.inner().text("kj") == kSupportPier);
    const auto& written = store.written();
    FUZZ_CHECK(written.size() <= order.size(), "%zu writes", written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        FUZZ_CHECK(written[i] == order[i], "write %zu went to %s, not %s", i, written[i].c_str(),
                   order[i].c_str());
    }
    if (!fault) {
        FUZZ_CHECK(written.size() == order.size() && store.failedAt().empty(),
                   "no fault after %zu of %zu writes", written.size(), order.size());
        runCheck(store);
    } else {
        checkFault(*fault, store.failedAt());
    }
    for (std::size_t i = 0; i < inputBoxes.size(); ++i) {
        FUZZ_CHECK(store.inner().text(inputBoxes[i]->name) == inputs[i], "input %s changed",
                   std::string(inputBoxes[i]->name).c_str());
    }
    return 0;
}
