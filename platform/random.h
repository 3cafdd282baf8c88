#pragma once

#include <cstdint>

class QTime;

namespace platform {

// The program's one pseudo-random generator: a 32-bit linear congruential
// step, scaled to a bound through the upper half of a 64-bit product.
class Random {
public:
    std::uint32_t state = 0;

    // Uniform integer in 0 .. n-1 (n >= 1).
    std::uint32_t below(std::uint32_t n)
    {
        state = state * 134775813u + 1u;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(state) * n) >> 32);
    }
    int below(int n) { return static_cast<int>(below(static_cast<std::uint32_t>(n))); }

    // Seeds with the milliseconds since midnight, UTC: a new game differs
    // from the last one without any state kept between runs.
    void reseed(const QTime &utcTimeOfDay);
    // Reseeds from the installed clock.
    void reseed();
};

// The shared instance used by the game and the training quiz.
Random &rng();

} // namespace platform
