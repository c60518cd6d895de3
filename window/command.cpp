#include "window/command.h"

#include <exception>
#include <new>
#include <vector>

#include "engine/calculate.h"
#include "sheet/case_reader.h"
#include "window/version.h"

namespace tavorin {
namespace {

// Hands every operation on to the window's store, keeping the first text of each control
// it changes.
class UndoStore final : public FieldStore {
  public:
    UndoStore(WindowStore& store, const StoreTrap& trap) : m_store(store), m_trap(trap) {}

    bool readText(std::string_view name, std::string& text) override {
        if (m_trap) m_trap(name);
        return m_store.readText(name, text);
    }
    bool replaceText(std::string_view name, std::string_view text) override {
        if (m_trap) m_trap(name);
        remember(name, false);
        return m_store.replaceText(name, text);
    }
    bool setCaption(std::string_view name, std::string_view caption) override {
        if (m_trap) m_trap(name);
        remember(name, true);
        return m_store.setCaption(name, caption);
    }

    // Gives every control changed its first text back, the last changed first.
    void undo() noexcept {
        for (auto it = m_kept.rbegin(); it != m_kept.rend(); ++it) {
            try {
                if (it->caption) {
                    m_store.setCaption(it->name, it->text);
                } else {
                    m_store.replaceText(it->name, it->text);
                }
            } catch (...) {
                // The other controls still get theirs.
            }
        }
    }

  private:
    struct Kept {
        std::string name;
        bool caption;
        std::string text;
    };
    void remember(std::string_view name, bool caption) {
        for (const Kept& k : m_kept) {
            if (k.name == name && k.caption == caption) return;
        }
        std::string text;
        const bool read = caption ? m_store.readCaption(name, text) : m_store.readText(name, text);
        if (read) m_kept.push_back({std::string(name), caption, std::move(text)});
    }

    WindowStore& m_store;
    const StoreTrap& m_trap;
    std::vector<Kept> m_kept;
};

constexpr std::string_view kNotDone = "这次操作没有完成；窗口中的内容保持原样。";

}  // namespace

std::string runGuarded(WindowStore& store, const std::function<void(FieldStore&)>& handler,
                       const StoreTrap& trap) {
    try {
        UndoStore undo(store, trap);
        try {
            handler(undo);
            return {};
        } catch (const std::bad_alloc&) {
            undo.undo();
            return "内存不足，" + std::string(kNotDone);
        } catch (const std::exception& e) {
            undo.undo();
            return "程序内部出错（" + excerpt(e.what(), 120) + "），" + std::string(kNotDone);
        } catch (...) {
            undo.undo();
            return "程序内部出错，" + std::string(kNotDone);
        }
    } catch (...) {
        // No memory even for the message.
        return "程序内部出错。";
    }
}

std::optional<Fault> runCommand(FieldStore& store, Command command) {
    switch (command) {
        case Command::Calculate:
            // The windows write "." as the decimal separator, as the batch tool does.
            return calculate(store, ".");
        case Command::Version:
            return showVersion(store);
        case Command::None:
            break;
    }
    return std::nullopt;
}

}  // namespace tavorin
