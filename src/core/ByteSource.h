#pragma once
// Random access to the bytes of a file (or of a part of one) for the header probes and the BMP
// reader, without Qt. Readers never assume a whole file in memory: they ask for what they need
// at the offset they need it.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tesmaro {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The number of bytes the source holds.
    virtual std::int64_t size() = 0;
    // Copies up to `count` bytes from `offset` on into `buffer`; returns how many it copied,
    // fewer than asked only at the end of the source, negative on a read error.
    virtual std::int64_t readAt(std::int64_t offset, std::uint8_t* buffer, std::int64_t count) = 0;
};

// Bytes held by the caller, who keeps them alive while the source is used.
class MemoryBytes final : public ByteSource {
public:
    MemoryBytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::int64_t size() override { return static_cast<std::int64_t>(m_size); }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* buffer, std::int64_t count) override;

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

// Reads exactly `count` bytes at `offset`; false when the source ends before them or fails.
// A source that claims more bytes than were asked for counts as failed.
bool readFully(ByteSource& source, std::int64_t offset, std::uint8_t* buffer, std::int64_t count);

// Forward reading of [begin, end) of a source through a window of a few tens of KiB, for
// formats that are walked byte by byte (run lengths, GIF blocks, JPEG markers).
class ByteCursor {
public:
    ByteCursor(ByteSource& source, std::int64_t begin, std::int64_t end);
    // The next byte, or -1 at the end of the range or on a read error (failed() tells which).
    int next() {
        if (m_at < m_filled)
            return m_window[m_at++];
        return refill();
    }
    // The next `count` bytes into `out`; false when the range ends (or a read fails) first.
    bool read(std::uint8_t* out, int count) {
        for (int i = 0; i < count; ++i) {
            const int v = next();
            if (v < 0)
                return false;
            out[i] = static_cast<std::uint8_t>(v);
        }
        return true;
    }
    // Moves forward by `count` bytes without reading them; false when that passes the end.
    bool skip(std::int64_t count);
    std::int64_t position() const { return m_windowStart + static_cast<std::int64_t>(m_at); }
    std::int64_t end() const { return m_end; }
    bool failed() const { return m_failed; }

private:
    int refill();

    ByteSource& m_source;
    std::int64_t m_end;
    std::int64_t m_windowStart;
    std::size_t m_at = 0;
    std::size_t m_filled = 0;
    bool m_failed = false;
    std::vector<std::uint8_t> m_window;
};

inline std::uint32_t le16(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8;
}
inline std::uint32_t le32(const std::uint8_t* p) {
    return le16(p) | le16(p + 2) << 16;
}
inline std::uint32_t be16(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 8 | p[1];
}
inline std::uint32_t be32(const std::uint8_t* p) {
    return be16(p) << 16 | be16(p + 2);
}

} // namespace tesmaro
