#include "sheet/case_file.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <new>
#include <nlohmann/json.hpp>
#include <random>
#include <span>
#include <system_error>

namespace tavorin {
namespace {

using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

fs::path pathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

bool isCaseBox(const FieldSpec& f) {
    return f.role == FieldRole::Input || f.role == FieldRole::Choice;
}

std::string inQuotes(std::string_view name) { return "“" + std::string(name) + "”"; }

// Whether `store` holds the stability check's boxes; a window without its dialog does not.
bool holdsCheckBoxes(FieldStore& store) {
    std::string text;
    return store.readText(checkFieldTable().front().name, text);
}

}  // namespace

CaseParse parseCase(std::string_view json, CaseScope scope, CasePlace place) {
    class Collect final : public CaseSink {
      public:
        explicit Collect(CaseTexts& texts) : m_texts(texts) {}
        void member(const FieldSpec& field, std::string& text) override {
            m_texts.emplace_back(field.name, std::move(text));
        }

      private:
        CaseTexts& m_texts;
    };
    CaseParse result;
    try {
        Collect collect(result.texts);
        result.error = readCase(json, scope, place, collect);
    } catch (const std::bad_alloc&) {
        result.error = "内存不足，无法读取。";
    }
    if (!result.error.empty()) result.texts.clear();
    return result;
}

CaseWrite caseJson(FieldStore& store) {
    Json object = Json::object();
    std::string text;
    for (const FieldSpec& f : fieldTable()) {
        if (!isCaseBox(f)) continue;
        if (!store.readText(f.name, text)) return {{}, "无法读取" + inQuotes(f.caption) + "。"};
        object[std::string(f.name)] = text;
    }
    if (holdsCheckBoxes(store)) {
        for (const FieldSpec& f : checkFieldTable()) {
            if (!isCaseBox(f)) continue;
            if (!store.readText(f.name, text)) return {{}, "无法读取" + inQuotes(f.caption) + "。"};
            if (text != f.defaultText) object[std::string(f.name)] = text;
        }
    }
    return {object.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n", {}};
}

bool applyCase(FieldStore& store, const CaseTexts& texts) {
    const auto toDefaults = [&store](std::span<const FieldSpec> boxes) {
        for (const FieldSpec& f : boxes) {
            if (isCaseBox(f) && !store.replaceText(f.name, f.defaultText)) return false;
        }
        return true;
    };
    // A case is the whole block: the check's inputs of the case before do not stay.
    if (!toDefaults(fieldTable())) return false;
    if (holdsCheckBoxes(store) && !toDefaults(checkFieldTable())) return false;
    for (const auto& [name, text] : texts) {
        if (!store.replaceText(name, text)) return false;
    }
    return true;
}

FileRead readFile(const std::string& utf8Path, size_t limit, std::string_view tooLarge) {
    const std::string where = "无法读取文件" + inQuotes(utf8Path) + "：";
    std::error_code ec;
    const fs::path path = pathOf(utf8Path);
    if (fs::is_directory(path, ec)) return {{}, where + "这是一个文件夹。"};
    std::ifstream in(path, std::ios::binary);
    if (!in) return {{}, where + (fs::exists(path, ec) ? "没有读取权限。" : "文件不存在。")};
    std::string bytes;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<size_t>(in.gcount()));
        if (bytes.size() > limit) return {{}, where + std::string(tooLarge)};
    }
    if (in.bad()) return {{}, where + "读取出错。"};
    return {std::move(bytes), {}};
}

std::string writeFileReplacing(const std::string& utf8Path, std::string_view bytes) {
    const fs::path path = pathOf(utf8Path);
    const std::string where = "无法保存文件" + inQuotes(utf8Path) + "：";
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    fs::path temporary = path;
    temporary += ".tmp-" + std::to_string(random() % 1000000) + "-" + std::to_string(++counter);
    std::error_code ec;
    if (fs::is_directory(path, ec)) return where + "同名的文件夹已存在。";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return where + "不能在该文件夹中创建文件。";
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temporary, ec);
            return where + "写入出错（磁盘已满？）。";
        }
    }
    fs::rename(temporary, path, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return where + "不能替换原文件（" + ec.message() + "）。";
    }
    return {};
}

CaseParse openCaseFile(const std::string& utf8Path) {
    const FileRead file = readFile(utf8Path);
    if (!file.error.empty()) return {{}, file.error};
    CaseParse parsed = parseCase(file.bytes);
    if (!parsed.error.empty()) {
        parsed.error = "文件" + inQuotes(utf8Path) + "不是算例文件：" + parsed.error;
    }
    return parsed;
}

}  // namespace tavorin
