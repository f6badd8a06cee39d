#include "xbase/memory_budget.h"

#include "xbase/io/page_pool.h"

namespace hk::db {

MemoryBudget::MemoryBudget(size_t bytes) : pool_(std::make_shared<PagePool>(bytes)) {}

MemoryBudget::~MemoryBudget() = default;

size_t MemoryBudget::Limit() const {
    return pool_->Limit();
}

void MemoryBudget::SetLimit(size_t bytes) {
    pool_->SetLimit(bytes);
}

size_t MemoryBudget::HeldBytes() const {
    return pool_->HeldBytes();
}

size_t MemoryBudget::PeakBytes() const {
    return pool_->PeakBytes();
}

} // namespace hk::db
