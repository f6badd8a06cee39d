#pragma once
// The memory one open project lets its tables cache: the page caches of all its files and the
// node caches of all its indexes draw on one budget and evict across files to stay within it.
// Tables opened without one keep a cache of their own per file.
#include <cstddef>
#include <memory>

namespace hk::db {

class PagePool;

class MemoryBudget {
public:
    static constexpr size_t kDefaultBytes = size_t(128) << 20;

    explicit MemoryBudget(size_t bytes = kDefaultBytes);
    ~MemoryBudget();
    MemoryBudget(const MemoryBudget&) = delete;
    MemoryBudget& operator=(const MemoryBudget&) = delete;

    size_t Limit() const;
    // A lower limit writes and drops cached pages until the caches fit.
    void SetLimit(size_t bytes);
    // What the caches drawing on the budget hold now, and the most they held at once.
    size_t HeldBytes() const;
    size_t PeakBytes() const;

    // For the engine's files; a file keeps the pool alive while it is open.
    const std::shared_ptr<PagePool>& Pool() const { return pool_; }

private:
    std::shared_ptr<PagePool> pool_;
};

} // namespace hk::db
