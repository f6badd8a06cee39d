#include "xbase/cdx/key_sorter.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "xbase/db_error.h"

namespace hk::db {

// One sorted run on disk, read back in order through a buffer.
struct KeySorter::Run {
    std::unique_ptr<File> file;
    std::vector<uint8_t> buffer;
    size_t pos = 0, end = 0;
    uint64_t readAt = 0, size = 0;
    size_t entrySize = 0;
    std::string path;

    // The current entry, or null at the end of the run. Called by every comparison of the
    // merge: the refill stays out of line.
    const uint8_t* Current() {
        if (pos == end && !Refill())
            return nullptr;
        return buffer.data() + pos;
    }
    [[gnu::noinline]] bool Refill() {
        if (readAt >= size)
            return false;
        size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), size - readAt));
        end = file->ReadAt(readAt, buffer.data(), want);
        end -= end % entrySize;
        // A run is read to the size it was written: anything less is a fault, not its end.
        if (end == 0)
            throw DbError(kErrRead, path, "a sort run file ended early");
        readAt += end;
        pos = 0;
        return true;
    }
    void Advance() { pos += entrySize; }
};

namespace {

uint32_t RecnoAt(const uint8_t* entry, uint16_t keyLength) {
    const uint8_t* p = entry + keyLength;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool Less(const uint8_t* a, const uint8_t* b, uint16_t keyLength) {
    int c = std::memcmp(a, b, keyLength);
    return c != 0 ? c < 0 : RecnoAt(a, keyLength) < RecnoAt(b, keyLength);
}

} // namespace

KeySorter::KeySorter(FileSystem& fs, uint16_t keyLength, size_t memoryBudget,
                     std::string tempFolder)
    : fs_(fs), keyLength_(keyLength), tempFolder_(std::move(tempFolder)) {
    budgetEntries_ = std::max<size_t>(1024, memoryBudget / (EntrySize() + sizeof(uint32_t)));
    if (tempFolder_.empty())
        tempFolder_ = std::filesystem::temp_directory_path().string();
}

KeySorter::~KeySorter() {
    for (auto& r : runs_) {
        r->file.reset();
        try {
            fs_.Remove(r->path);
        } catch (const DbError&) {
        }
    }
}

void KeySorter::Add(std::string_view key, uint32_t recno) {
    if (batchCount_ == budgetEntries_)
        Spill();
    size_t at = batch_.size();
    // The whole batch is reserved at once: growing it by copies would hold one and a half
    // batches at the peak. Pages not yet written cost no memory.
    if (at == 0)
        batch_.reserve(budgetEntries_ * EntrySize());
    batch_.resize(at + EntrySize());
    std::memcpy(batch_.data() + at, key.data(), std::min<size_t>(key.size(), keyLength_));
    uint8_t* r = batch_.data() + at + keyLength_;
    for (int i = 0; i < 4; ++i)
        r[i] = static_cast<uint8_t>(recno >> (8 * i));
    ++batchCount_;
    ++count_;
}

void KeySorter::SortBatch() {
    order_.resize(batchCount_);
    for (size_t i = 0; i < batchCount_; ++i)
        order_[i] = static_cast<uint32_t>(i);
    const uint8_t* base = batch_.data();
    size_t es = EntrySize();
    uint16_t kl = keyLength_;
    std::sort(order_.begin(), order_.end(),
              [&](uint32_t a, uint32_t b) { return Less(base + a * es, base + b * es, kl); });
}

void KeySorter::Spill() {
    if (batchCount_ == 0)
        return;
    SortBatch();
    auto run = std::make_unique<Run>();
    run->entrySize = EntrySize();
    run->path = (std::filesystem::path(tempFolder_) /
                 ("hk_keys_" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "_" +
                  std::to_string(runs_.size()) + ".tmp"))
                    .string();
    // Kept in the list first, so that the destructor removes a file whose writing failed.
    Run& r = *run;
    runs_.push_back(std::move(run));
    r.file = fs_.Open(r.path, OpenMode::CreateTruncate, false);
    // Written in blocks of whole entries of about 256 KB.
    const size_t block = std::max<size_t>(1, (256u << 10) / EntrySize());
    std::vector<uint8_t> out(std::min(batchCount_, block) * EntrySize());
    size_t filled = 0;
    uint64_t at = 0;
    for (size_t i = 0; i < batchCount_; ++i) {
        std::memcpy(out.data() + filled, batch_.data() + size_t(order_[i]) * EntrySize(),
                    EntrySize());
        filled += EntrySize();
        if (filled == out.size() || i + 1 == batchCount_) {
            r.file->WriteAt(at, out.data(), filled);
            at += filled;
            filled = 0;
        }
    }
    r.size = at;
    r.buffer.resize(256 * EntrySize());
    batch_.clear();
    batchCount_ = 0;
}

void KeySorter::Finish() {
    if (finished_)
        return;
    finished_ = true;
    if (runs_.empty()) {
        SortBatch(); // everything fits in memory: no files at all
        return;
    }
    Spill();
    batch_.shrink_to_fit();
    order_.clear();
    order_.shrink_to_fit();
    // A min-heap of run indexes by their current entry.
    auto greater = [&](size_t a, size_t b) {
        return Less(runs_[b]->Current(), runs_[a]->Current(), keyLength_);
    };
    for (size_t i = 0; i < runs_.size(); ++i)
        if (runs_[i]->Current())
            heap_.push_back(i);
    std::make_heap(heap_.begin(), heap_.end(), greater);
}

bool KeySorter::Next(KeyEntry& out) {
    if (!finished_)
        Finish();
    const uint8_t* e;
    if (runs_.empty()) {
        if (memoryPos_ == order_.size())
            return false;
        e = batch_.data() + size_t(order_[memoryPos_++]) * EntrySize();
        out.key.assign(reinterpret_cast<const char*>(e), keyLength_);
        out.recno = RecnoAt(e, keyLength_);
        return true;
    }
    if (heap_.empty())
        return false;
    auto greater = [&](size_t a, size_t b) {
        return Less(runs_[b]->Current(), runs_[a]->Current(), keyLength_);
    };
    std::pop_heap(heap_.begin(), heap_.end(), greater);
    size_t r = heap_.back();
    e = runs_[r]->Current();
    out.key.assign(reinterpret_cast<const char*>(e), keyLength_);
    out.recno = RecnoAt(e, keyLength_);
    runs_[r]->Advance();
    if (runs_[r]->Current())
        std::push_heap(heap_.begin(), heap_.end(), greater);
    else
        heap_.pop_back();
    return true;
}

} // namespace hk::db
