#include "xbase/io/hash64.h"

#include <cstring>

namespace hk::db {
namespace {

constexpr uint64_t kP1 = 11400714785074694791ULL;
constexpr uint64_t kP2 = 14029467366897019727ULL;
constexpr uint64_t kP3 = 1609587929392839161ULL;
constexpr uint64_t kP4 = 9650029242287828579ULL;
constexpr uint64_t kP5 = 2870177450012600261ULL;

inline uint64_t Rotl(uint64_t x, int r) {
    return (x << r) | (x >> (64 - r));
}
inline uint64_t Load64(const unsigned char* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v; // the machine's order: checksums are compared on the machine that made them
}
inline uint32_t Load32(const unsigned char* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline uint64_t Round(uint64_t acc, uint64_t input) {
    acc += input * kP2;
    acc = Rotl(acc, 31);
    return acc * kP1;
}
inline uint64_t Merge(uint64_t acc, uint64_t v) {
    acc ^= Round(0, v);
    return acc * kP1 + kP4;
}

// The 32-byte stripes of `p`; returns how many bytes were taken.
size_t Stripes(uint64_t v[4], const unsigned char* p, size_t n) {
    size_t done = 0;
    uint64_t a = v[0], b = v[1], c = v[2], d = v[3];
    for (; done + 32 <= n; done += 32) {
        a = Round(a, Load64(p + done));
        b = Round(b, Load64(p + done + 8));
        c = Round(c, Load64(p + done + 16));
        d = Round(d, Load64(p + done + 24));
    }
    v[0] = a, v[1] = b, v[2] = c, v[3] = d;
    return done;
}

} // namespace

Hash64::Hash64(uint64_t seed) : seed_(seed) {
    v_[0] = seed + kP1 + kP2;
    v_[1] = seed + kP2;
    v_[2] = seed;
    v_[3] = seed - kP1;
}

void Hash64::Add(const void* data, size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    total_ += n;
    if (tailLen_ > 0) {
        size_t take = n < 32 - tailLen_ ? n : 32 - tailLen_;
        std::memcpy(tail_ + tailLen_, p, take);
        tailLen_ += take;
        p += take;
        n -= take;
        if (tailLen_ < 32)
            return;
        Stripes(v_, tail_, 32);
        tailLen_ = 0;
    }
    size_t done = Stripes(v_, p, n);
    std::memcpy(tail_, p + done, n - done);
    tailLen_ = n - done;
}

uint64_t Hash64::Value() const {
    uint64_t h;
    if (total_ >= 32) {
        h = Rotl(v_[0], 1) + Rotl(v_[1], 7) + Rotl(v_[2], 12) + Rotl(v_[3], 18);
        for (uint64_t v : v_)
            h = Merge(h, v);
    } else {
        h = seed_ + kP5;
    }
    h += total_;
    const unsigned char* p = tail_;
    size_t n = tailLen_;
    for (; n >= 8; p += 8, n -= 8) {
        h ^= Round(0, Load64(p));
        h = Rotl(h, 27) * kP1 + kP4;
    }
    if (n >= 4) {
        h ^= uint64_t(Load32(p)) * kP1;
        h = Rotl(h, 23) * kP2 + kP3;
        p += 4;
        n -= 4;
    }
    for (; n > 0; ++p, --n) {
        h ^= *p * kP5;
        h = Rotl(h, 11) * kP1;
    }
    h ^= h >> 33;
    h *= kP2;
    h ^= h >> 29;
    h *= kP3;
    h ^= h >> 32;
    return h;
}

uint64_t HashBytes(const void* data, size_t n, uint64_t seed) {
    Hash64 h(seed);
    h.Add(data, n);
    return h.Value();
}

} // namespace hk::db
