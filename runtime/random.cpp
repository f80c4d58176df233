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

namespace {

// Spreads every bit of the input over the whole word.
std::uint64_t mix(std::uint64_t v)
{
    v += 0x9e3779b97f4a7c15ULL;
    v = (v ^ (v >> 30)) * 0xbf58476d1ce4e5b9ULL;
    v = (v ^ (v >> 27)) * 0x94d049bb133111ebULL;
    return v ^ (v >> 31);
}

} // namespace

void MersenneRandom::reseed(double seed)
{
    // Two words of the current state go into the new seed with the number,
    // so an unchanged clock reading still leads somewhere new. One 64-bit
    // seed is enough here and far cheaper than a seed sequence, which
    // matters at some forty reseeds a second.
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(seed);
    const std::uint64_t a = engine_();
    const std::uint64_t b = engine_();
    engine_.seed(mix(a ^ mix(b ^ mix(bits))));
}

} // namespace rt
