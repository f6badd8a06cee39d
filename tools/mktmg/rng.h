#pragma once
// A small deterministic random number generator (splitmix64). The standard library's
// distributions differ between implementations; generated projects must not.
#include <cstdint>
#include <span>

namespace hk::mktmg {

class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    // A generator for one part of the output, independent of how much the others drew.
    static Rng For(uint64_t seed, uint64_t a, uint64_t b = 0, uint64_t c = 0) {
        Rng r(seed ^ 0x6a09e667f3bcc909ULL);
        r.state_ ^= Rng(a * 0x9e3779b97f4a7c15ULL + b).Next();
        r.state_ ^= Rng(c + 0xbb67ae8584caa73bULL).Next();
        return r;
    }

    uint64_t Next() {
        uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    // [0, n); 0 when n <= 0.
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    // [lo, hi]
    int Range(int lo, int hi) { return lo + Below(hi - lo + 1); }
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    bool Chance(double p) { return Unit() < p; }
    template <typename T> const T& Pick(std::span<const T> items) {
        return items[Below(static_cast<int>(items.size()))];
    }

private:
    uint64_t state_;
};

} // namespace hk::mktmg
