#pragma once
// A position in one tag, walking its entries in ascending (physical) order. Stays usable
// while the tag changes under it: it then finds its place again by its last (key, recno).
#include <cstdint>
#include <string>
#include <string_view>

#include "xbase/cdx/cdx_node.h"

namespace hk::db {

class CdxTag;

class CdxCursor {
public:
    explicit CdxCursor(CdxTag& tag);

    bool First();
    bool Last();
    // After the current entry was removed, Next() goes to the first entry after it and Prev()
    // to the last entry before it. Both return false (and leave the cursor invalid) at the ends.
    bool Next();
    bool Prev();
    // First entry whose first prefix.size() bytes are >= prefix.
    bool SeekFirst(std::string_view prefix);
    // Last entry whose first prefix.size() bytes are <= prefix.
    bool SeekLast(std::string_view prefix);
    // First entry >= (key, recno); a short key counts as padded with 0 bytes.
    bool Seek(std::string_view key, uint32_t recno);

    bool Valid() const { return valid_; }
    // Valid until the cursor moves.
    std::string_view Key() const { return valid_ ? leaf_.KeyView(pos_) : std::string_view(); }
    uint32_t RecNo() const { return valid_ ? leaf_.recnos[pos_] : 0; }

private:
    bool LowerBound(std::string_view key, uint32_t recno);
    bool StepBack();
    bool StepForward();
    void FillTarget(std::string_view prefix, char fill);

    CdxTag& tag_;
    cdx::LeafNode leaf_;
    uint32_t pos_ = 0;
    bool valid_ = false;
    uint64_t seen_ = 0;     // the tag's change count when leaf_ was read
    bool leafRead_ = false; // leaf_ holds a leaf of the tag as it was at seen_
    std::string target_;
};

} // namespace hk::db
