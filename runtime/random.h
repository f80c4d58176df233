#pragma once
// The program's one random number generator.

#include <cstdint>
#include <random>

namespace rt {

class Random {
public:
    virtual ~Random() = default;
    // r uniform on [0, 1), never 1.
    virtual float next() = 0;
    // Mixes the number into the state: reseeding twice with the same number
    // does not restart the sequence.
    virtual void reseed(double seed) = 0;
};

class MersenneRandom final : public Random {
public:
    MersenneRandom();                              // seeded from the system
    explicit MersenneRandom(std::uint64_t seed);   // reproducible, for tests

    float next() override;
    void reseed(double seed) override;

private:
    std::mt19937_64 engine_;
};

} // namespace rt
