#include "runtime/random.h"

#include <bit>

namespace rt {

MersenneRandom::MersenneRandom() : engine_(std::random_device{}()) {}

MersenneRandom::MersenneRandom(std::uint64_t seed) : engine_(seed) {}

float MersenneRandom::next()
{
    // The top 24 bits fill a float's mantissa exactly, so the result is a
    // multiple of 2^-24 below 1; std::generate_canonical may round up to 1.
    return static_cast<float>(engine_() >> 40) * 0x1p-24f;
}

void MersenneRandom::reseed(double seed)
{
    // Two words of the current state go into the new seed with the number,
    // so an unchanged clock reading still leads somewhere new.
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(seed);
    const std::uint64_t a = engine_();
    const std::uint64_t b = engine_();
    std::seed_seq seq{static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(a >> 32),
                      static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(b >> 32),
                      static_cast<std::uint32_t>(bits), static_cast<std::uint32_t>(bits >> 32)};
    engine_.seed(seq);
}

} // namespace rt
