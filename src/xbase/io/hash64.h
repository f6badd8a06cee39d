#pragma once
// A fast 64-bit hash of a byte stream (the xxHash64 construction), fed in pieces of any size:
// checksums of journal entries and of whole files.
#include <cstddef>
#include <cstdint>

namespace hk::db {

class Hash64 {
public:
    explicit Hash64(uint64_t seed = 0);
    void Add(const void* data, size_t n);
    uint64_t Value() const;

private:
    uint64_t seed_;
    uint64_t v_[4];
    uint64_t total_ = 0;
    unsigned char tail_[32];
    size_t tailLen_ = 0;
};

// The hash of one piece.
uint64_t HashBytes(const void* data, size_t n, uint64_t seed = 0);

} // namespace hk::db
