#include "core/ByteSource.h"

#include <algorithm>
#include <cstring>

namespace tesmaro {
namespace {
constexpr std::size_t kWindowBytes = 64 * 1024;
}

std::int64_t MemoryBytes::readAt(std::int64_t offset, std::uint8_t* buffer, std::int64_t count) {
    if (offset < 0 || count < 0)
        return -1;
    const auto total = static_cast<std::int64_t>(m_size);
    if (offset >= total || count == 0)
        return 0;
    const std::int64_t n = std::min(count, total - offset);
    std::memcpy(buffer, m_data + offset, static_cast<std::size_t>(n));
    return n;
}

bool readFully(ByteSource& source, std::int64_t offset, std::uint8_t* buffer, std::int64_t count) {
    if (offset < 0 || count < 0)
        return false;
    std::int64_t got = 0;
    while (got < count) {
        const std::int64_t n = source.readAt(offset + got, buffer + got, count - got);
        if (n <= 0 || n > count - got)
            return false;
        got += n;
    }
    return true;
}

ByteCursor::ByteCursor(ByteSource& source, std::int64_t begin, std::int64_t end)
    : m_source(source), m_end(std::max(begin, end)), m_windowStart(begin) {}

int ByteCursor::refill() {
    m_windowStart += static_cast<std::int64_t>(m_filled);
    m_at = m_filled = 0;
    if (m_failed || m_windowStart >= m_end)
        return -1;
    if (m_window.empty())
        m_window.resize(kWindowBytes);
    const std::int64_t want = std::min<std::int64_t>(kWindowBytes, m_end - m_windowStart);
    const std::int64_t n = m_source.readAt(m_windowStart, m_window.data(), want);
    if (n <= 0 || n > want) {
        // A source shorter than it said ends the range here; an error is remembered.
        m_failed = n < 0 || n > want;
        m_end = m_windowStart;
        return -1;
    }
    m_filled = static_cast<std::size_t>(n);
    return m_window[m_at++];
}

bool ByteCursor::skip(std::int64_t count) {
    if (count < 0)
        return false;
    const std::int64_t inWindow = static_cast<std::int64_t>(m_filled - m_at);
    if (count <= inWindow) {
        m_at += static_cast<std::size_t>(count);
        return true;
    }
    const std::int64_t target = position() + count;
    m_windowStart = std::min(target, m_end);
    m_at = m_filled = 0;
    return target <= m_end;
}

} // namespace tesmaro
