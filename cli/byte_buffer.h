// Output bytes of the batch run, grown without first clearing the room that is about to
// be written.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace tavorin {

class ByteBuffer {
  public:
    // Room for `size` more bytes at the end; commit() then says how far it was used.
    char* room(std::size_t size) {
        if (m_size + size > m_capacity) grow(m_size + size);
        return m_data.get() + m_size;
    }
    void commit(const char* end) { m_size = static_cast<std::size_t>(end - m_data.get()); }
    void append(std::string_view bytes) {
        char* at = room(bytes.size());
        std::memcpy(at, bytes.data(), bytes.size());
        commit(at + bytes.size());
    }
    std::string_view view() const { return {m_data.get(), m_size}; }

  private:
    void grow(std::size_t needed) {
        const std::size_t capacity = std::max({needed, 2 * m_capacity, std::size_t{1} << 16});
        std::unique_ptr<char[]> data(new char[capacity]);
        if (m_size != 0) std::memcpy(data.get(), m_data.get(), m_size);
        m_data = std::move(data);
        m_capacity = capacity;
    }

    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

}  // namespace tavorin
