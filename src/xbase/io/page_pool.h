#pragma once
// The memory behind page caches: every cached page of every file drawing on one pool lives in
// a frame here, and one clock over all frames picks the page to drop when the pool is full,
// whichever file it belongs to. Index node caches are charged to the pool beside the frames.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace hk::db {

class PagedFile;

class PagePool {
public:
    explicit PagePool(size_t limitBytes) : limit_(limitBytes) {}
    PagePool(const PagePool&) = delete;
    PagePool& operator=(const PagePool&) = delete;

    struct Frame {
        PagedFile* owner = nullptr; // null: free, holding no memory
        uint64_t pageNo = 0;
        std::unique_ptr<uint8_t[]> data;
        uint32_t size = 0;
        bool dirty = false;
        bool referenced = false;
    };
    Frame& At(uint32_t id) { return frames_[id]; }

    // A frame of `size` bytes for `owner` (contents undefined). When the pool is full, pages
    // not used lately are dropped first, the owner's own included; a dirty page is written by
    // its file before it goes, and a failing write leaves everything as it was.
    uint32_t Take(PagedFile* owner, uint32_t size);
    // The owner lets go of a frame (written already, or not wanted). Its memory stays in the
    // pool for the next page while any file draws on the pool.
    void Release(uint32_t id);
    // Memory held beside the frames (an index's node cache), counted against the limit.
    void Charge(size_t bytes);
    void Uncharge(size_t bytes) { held_ -= bytes; }

    // What a cached page costs beyond its bytes (its frame, its entry in its file's map, the
    // allocator's header), counted so that the limit bounds the memory really used.
    static constexpr size_t kFrameOverhead = 96;

    size_t Limit() const { return limit_; }
    // A lower limit drops pages until the pool fits.
    void SetLimit(size_t bytes);
    size_t HeldBytes() const { return held_; }
    size_t PeakBytes() const { return peak_; }

private:
    // Runs the clock to the next page not used lately and has its file let go of it (written
    // first when dirty); the frame keeps its memory.
    uint32_t Victim();
    void EvictOne();
    // The frame's memory back to the heap.
    void Drop(uint32_t id);
    void DropSpares();
    void Shrink();

    size_t limit_;
    size_t held_ = 0;
    size_t peak_ = 0;
    size_t owned_ = 0; // frames with an owner
    size_t hand_ = 0;
    std::vector<Frame> frames_;
    std::vector<uint32_t> free_;   // frames without memory
    std::vector<uint32_t> spares_; // frames without owner, keeping their memory (counted)
};

} // namespace hk::db
