#include "cli/line_splitter.h"

#include <new>

namespace tavorin {

bool LineSplitter::skipped() {
    const std::string reason = m_skip == Skip::TooLong
                                   ? "长于 " + std::to_string(m_limit) + " 个字节的上限，未读取。"
                                   : std::string("内存不足，无法读取这一行。");
    m_skip = Skip::None;
    return m_sink.unread(reason);
}

bool LineSplitter::feed(std::string_view data) {
    while (!data.empty()) {
        const std::size_t end = data.find('\n');
        const bool complete = end != std::string_view::npos;
        const std::string_view piece = data.substr(0, end);
        data.remove_prefix(complete ? end + 1 : data.size());
        if (m_skip == Skip::None && m_pending.size() + piece.size() > m_limit) {
            std::string().swap(m_pending);
            m_skip = Skip::TooLong;
        }
        if (m_skip != Skip::None) {
            if (complete && !skipped()) return false;
            continue;
        }
        if (!complete) {
            try {
                m_pending.append(piece);
            } catch (const std::bad_alloc&) {
                std::string().swap(m_pending);
                m_skip = Skip::OutOfMemory;
            }
            continue;
        }
        bool ok = false;
        if (m_pending.empty()) {
            ok = m_sink.line(piece);
        } else {
            try {
                m_pending.append(piece);
                ok = m_sink.longLine(std::move(m_pending));
            } catch (const std::bad_alloc&) {
                ok = m_sink.unread("内存不足，无法读取这一行。");
            }
            std::string().swap(m_pending);
        }
        if (!ok) return false;
    }
    return true;
}

bool LineSplitter::end() {
    if (m_skip != Skip::None) return skipped();
    if (m_pending.empty()) return true;
    return m_sink.longLine(std::move(m_pending));
}

}  // namespace tavorin
