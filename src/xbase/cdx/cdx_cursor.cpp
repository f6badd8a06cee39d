#include "xbase/cdx/cdx_cursor.h"

#include "xbase/cdx/cdx_tag.h"

namespace hk::db {

using namespace cdx;

CdxCursor::CdxCursor(CdxTag& tag) : tag_(tag) {
    target_.reserve(kMaxKeyLength);
}

bool CdxCursor::LowerBound(std::string_view key, uint32_t recno) {
    const auto* k = reinterpret_cast<const uint8_t*>(key.data());
    // Seeks near the last one (walks of related tables in key order) usually land in the leaf
    // already decoded: when the target lies within it, no descent is needed.
    if (leafRead_ && seen_ == tag_.ModCount() && leaf_.count > 0) {
        const uint16_t kl = leaf_.keyLength;
        bool afterFirst =
            leaf_.left == kNoPage || CompareEntry(leaf_.Key(0), leaf_.recnos[0], k, recno, kl) <= 0;
        uint32_t last = leaf_.count - 1;
        bool beforeLast = CompareEntry(leaf_.Key(last), leaf_.recnos[last], k, recno, kl) >= 0;
        if (afterFirst && beforeLast) {
            pos_ = leaf_.LowerBound(k, recno);
            return valid_ = true;
        }
    }
    tag_.Descend(k, recno, nullptr, leaf_);
    leafRead_ = true;
    seen_ = tag_.ModCount();
    pos_ = leaf_.LowerBound(k, recno);
    if (pos_ < leaf_.count)
        return valid_ = true;
    // Past the end of this leaf (a parent key above its child's last): the next leaf holds it.
    pos_ = 0;
    return valid_ = tag_.StepLeaf(true, leaf_);
}

bool CdxCursor::First() {
    tag_.DescendEdge(false, leaf_);
    leafRead_ = true;
    seen_ = tag_.ModCount();
    pos_ = 0;
    if (leaf_.count > 0)
        return valid_ = true;
    return valid_ = tag_.StepLeaf(true, leaf_);
}

bool CdxCursor::Last() {
    tag_.DescendEdge(true, leaf_);
    leafRead_ = true;
    seen_ = tag_.ModCount();
    if (leaf_.count == 0 && !tag_.StepLeaf(false, leaf_))
        return valid_ = false;
    pos_ = leaf_.count - 1;
    return valid_ = true;
}

bool CdxCursor::StepForward() {
    if (++pos_ < leaf_.count)
        return true;
    pos_ = 0;
    return valid_ = tag_.StepLeaf(true, leaf_);
}

bool CdxCursor::StepBack() {
    if (pos_ > 0) {
        --pos_;
        return true;
    }
    if (!tag_.StepLeaf(false, leaf_))
        return valid_ = false;
    pos_ = leaf_.count - 1;
    return true;
}

bool CdxCursor::Next() {
    if (!valid_)
        return false;
    if (seen_ != tag_.ModCount()) {
        target_.assign(Key());
        uint32_t recno = RecNo();
        if (!LowerBound(target_, recno))
            return false;
        if (RecNo() != recno || Key() != target_)
            return true; // ours is gone: on its successor
    }
    return StepForward();
}

bool CdxCursor::Prev() {
    if (!valid_)
        return false;
    if (seen_ != tag_.ModCount()) {
        target_.assign(Key());
        uint32_t recno = RecNo();
        // Every entry is before ours: the last one is the previous.
        if (!LowerBound(target_, recno))
            return Last();
    }
    return StepBack();
}

void CdxCursor::FillTarget(std::string_view prefix, char fill) {
    const size_t kl = tag_.KeyLength();
    target_.assign(prefix.substr(0, kl));
    target_.resize(kl, fill);
}

bool CdxCursor::SeekFirst(std::string_view prefix) {
    FillTarget(prefix, '\0');
    return LowerBound(target_, 0);
}

bool CdxCursor::SeekLast(std::string_view prefix) {
    FillTarget(prefix, '\xFF');
    if (!LowerBound(target_, 0xFFFFFFFFu))
        return Last();
    if (RecNo() == 0xFFFFFFFFu && Key() == target_)
        return true;
    return StepBack();
}

bool CdxCursor::Seek(std::string_view key, uint32_t recno) {
    FillTarget(key, '\0');
    return LowerBound(target_, recno);
}

} // namespace hk::db
