#pragma once
// Sorts index entries of any number in bounded memory: entries gather in memory up to a
// budget, then each full batch is sorted and spilled to a temporary run file; reading merges
// the runs. Feeds a tag's bulk build as a KeySource.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "xbase/cdx/cdx_file.h"

namespace hk::db {

class KeySorter final : public KeySource {
public:
    // Keys are exactly keyLength bytes. Runs go to `tempFolder` (the system's when empty),
    // through `fs`.
    KeySorter(FileSystem& fs, uint16_t keyLength, size_t memoryBudget = 32u << 20,
              std::string tempFolder = {});
    ~KeySorter() override;
    KeySorter(const KeySorter&) = delete;
    KeySorter& operator=(const KeySorter&) = delete;

    void Add(std::string_view key, uint32_t recno);
    // Ends the adding; Next then gives every entry in (key, recno) order.
    void Finish();
    bool Next(KeyEntry& out) override;
    size_t Count() const { return count_; }
    size_t RunCount() const { return runs_.size(); }

private:
    struct Run;
    void SortBatch();
    void Spill();
    size_t EntrySize() const { return keyLength_ + 4u; }

    FileSystem& fs_;
    uint16_t keyLength_;
    size_t budgetEntries_;
    std::string tempFolder_;
    std::vector<uint8_t> batch_; // entries: key bytes then recno (LE)
    std::vector<uint32_t> order_;
    size_t batchCount_ = 0;
    size_t count_ = 0;
    std::vector<std::unique_ptr<Run>> runs_;
    bool finished_ = false;
    size_t memoryPos_ = 0; // next entry of the in-memory batch when nothing was spilled
    std::vector<size_t> heap_;
};

} // namespace hk::db
