// The calculate command on arbitrary box texts, through a store that fails one chosen
// operation: the writes are a prefix of the documented order (all of it without a fault),
// the fault's message names its kind and its box, and no input is ever written.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/calculate.h"
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
    const std::vector<std::string>& written() const { return m_written; }
    const std::string& failedAt() const { return m_failed; }

  private:
    bool fails(std::string_view name) {
        if (++m_operations != m_failAt) return false;
        m_failed = name;
        return true;
    }
    static void checkWritable(std::string_view name) {
        const FieldSpec* f = findField(name);
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    FailingStore store(data[0] % 2 == 0 ? 0 : data[1] % 90 + 1);
    // The rest: texts separated by 0x1F for the boxes after Text1, in table order (the
    // numeric inputs, then kj and k, then output boxes as left by an earlier run).
    std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    std::vector<const FieldSpec*> boxes;
    for (const FieldSpec& f : fieldTable()) {
        if (f.role == FieldRole::Input && f.name != "Text1") boxes.push_back(&f);
    }
    for (const FieldSpec& f : fieldTable()) {
        if (f.role == FieldRole::Choice) boxes.push_back(&f);
    }
    for (const FieldSpec* f : boxes) {
        if (rest.empty()) break;
        const std::size_t end = rest.find('\x1f');
        store.inner().replaceText(f->name, rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    std::vector<std::string> inputs;
    for (const FieldSpec& f : fieldTable()) inputs.push_back(store.inner().text(f.name));

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
    } else {
        const std::string kind(faultKindName(fault->kind));
        FUZZ_CHECK(fault->message.starts_with(kind + "："), "message \"%s\"",
                   fault->message.c_str());
        if (!store.failedAt().empty()) {
            FUZZ_CHECK(fault->kind == FaultKind::FieldAccess && fault->box == store.failedAt(),
                       "failed at %s, fault on \"%s\"", store.failedAt().c_str(),
                       fault->box.c_str());
        } else {
            FUZZ_CHECK(fault->kind != FaultKind::FieldAccess, "a field-access fault unasked");
        }
        if (!fault->box.empty()) {
            const FieldSpec* f = findField(fault->box);
            FUZZ_CHECK(f != nullptr && fault->message.find(f->caption) != std::string::npos,
                       "message \"%s\" does not name %s", fault->message.c_str(),
                       fault->box.c_str());
        }
    }
    const auto table = fieldTable();
    for (std::size_t row = 0; row < table.size(); ++row) {
        if (table[row].role == FieldRole::Output || table[row].role == FieldRole::Caption) continue;
        FUZZ_CHECK(store.inner().text(table[row].name) == inputs[row], "input %s changed",
                   std::string(table[row].name).c_str());
    }
    return 0;
}
