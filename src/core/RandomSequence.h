#pragma once
// The program's random sequence (the document holds the one instance): a 24-bit linear congruential
// generator,
//   x' = (a*x + c) mod 2^24, value = x' / 2^24,
// uniform in [0, 1), never seeded, so every start draws the same numbers.
// skip(n) jumps n draws ahead in O(log n), so pixel code can hand each thread the exact
// stretch of the sequence the single-threaded order would give it.

#include <cstdint>

namespace tesmaro {

class RandomSequence {
public:
    static constexpr std::uint32_t kStart = 0x50000u;
    static constexpr std::uint32_t kMultiplier = 0xFD43FDu;
    static constexpr std::uint32_t kIncrement = 0xC39EC3u;
    static constexpr std::uint32_t kMask = 0xFFFFFFu;

    constexpr RandomSequence() = default;
    constexpr explicit RandomSequence(std::uint32_t state) : m_state(state & kMask) {}

    // Exactly representable as a float: 24 bits over 2^24.
    float next() {
        m_state = (m_state * kMultiplier + kIncrement) & kMask;
        return static_cast<float>(m_state) * (1.0f / 16777216.0f);
    }
    void skip(std::uint64_t n);
    std::uint32_t state() const { return m_state; }

private:
    std::uint32_t m_state = kStart;
};

} // namespace tesmaro
