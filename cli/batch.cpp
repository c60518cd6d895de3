#include "cli/batch.h"

#include <exception>
#include <new>
#include <optional>
#include <string>

#include "cli/batch_line.h"
#include "cli/flat_line.h"
#include "cli/json_string.h"
#include "cli/result_line.h"
#include "engine/calculate.h"
#include "engine/check.h"
#include "sheet/case_reader.h"

namespace tavorin {
namespace {

// Moves the members of a line into the store.
class Loader final : public CaseSink {
  public:
    explicit Loader(MemoryStore& store) : m_store(store) {}
    void member(const FieldSpec& field, std::string& text) override {
        if (field.part == FieldPart::Check) m_check = true;
        const auto row = static_cast<std::size_t>(&field - fieldTable().data());
        m_store.give(FieldId::atRow(row), std::move(text));
    }
    // Whether the line named a box of the stability check.
    bool namedCheck() const { return m_check; }

  private:
    MemoryStore& m_store;
    bool m_check = false;
};

LineOutcome reject(std::uint64_t number, std::string_view reason) {
    return {errorLine(number, reason), true};
}

// The calculate command and, on a line that names a check box, the stability check after
// it (not after a calculate fault, so its results stay as the line gave them).
std::optional<Fault> runCommand(MemoryStore& store, bool check) {
    std::optional<Fault> fault = calculate(store);
    if (check && !fault) fault = checkStability(store);
    return fault;
}

// Through the case reader, on `store` or, without one, on a store of its own. `owned`,
// when given, holds `line` and is freed once the line is read.
LineOutcome handle(std::string_view line, std::uint64_t number, std::string* owned,
                   MemoryStore* store) {
    try {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::optional<MemoryStore> own;
        if (store == nullptr) {
            store = &own.emplace();
        } else {
            store->reset();
        }
        Loader loader(*store);
        const std::string error =
            readCase(line, CaseScope::InputsAndOutputs,
                     number == 1 ? CasePlace::FirstLine : CasePlace::Line, loader);
        if (!error.empty()) return reject(number, error);
        if (owned != nullptr) std::string().swap(*owned);
        const bool check = loader.namedCheck();
        const std::optional<Fault> fault = runCommand(*store, check);
        LineOutcome outcome;
        appendResultLine(outcome.text, *store, fault, check);
        outcome.text.pop_back();  // the LF
        return outcome;
    } catch (const std::bad_alloc&) {
        return reject(number, "内存不足，无法处理这一行。");
    } catch (const std::exception& e) {
        return reject(number, "内部错误：" + excerpt(e.what(), 200) + "。");
    } catch (...) {
        return reject(number, "内部错误。");
    }
}

}  // namespace

LineOutcome handleLine(std::string_view line, std::uint64_t number) {
    return handle(line, number, nullptr, nullptr);
}

LineOutcome handleLine(std::string&& line, std::uint64_t number) {
    return handle(line, number, &line, nullptr);
}

std::string errorLine(std::uint64_t number, std::string_view reason) {
    std::string out = "{\"error\":";
    appendJsonString(out, "第 " + std::to_string(number) + " 行：" + std::string(reason));
    out.push_back('}');
    return out;
}

// The flat object of the usual line goes straight into the store and its result straight
// into the output; every other line takes the case reader, which words the errors.
void handleLineInto(ByteBuffer& out, bool& rejected, LineWorker& w, std::string_view line,
                    std::uint64_t number, std::string* owned) {
    std::string_view text = line;
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    try {
        w.store.reset();
        if (text.size() <= kLargeLine && loadFlatLine(text, w.store, w.scratch)) {
            const std::optional<Fault> fault = calculate(w.store);
            out.commit(writeResultLine(out.room(resultLineBound(w.store, fault)), w.store, fault));
            // Only now: without room for the answer, the line is read again below.
            if (owned != nullptr) std::string().swap(*owned);
            return;
        }
    } catch (const std::bad_alloc&) {
        // The case reader answers it, out of memory included.
    }
    const LineOutcome outcome =
        handle(line, number, owned, text.size() <= kLargeLine ? &w.store : nullptr);
    rejected = rejected || outcome.rejected;
    out.append(outcome.text);
    out.append("\n");
}

}  // namespace tavorin
