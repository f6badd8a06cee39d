#include "formats/packed_field.h"

#include <span>

namespace hk {

std::vector<std::string> SplitPacked(std::string_view text, std::size_t maxParts) {
    std::vector<std::string> parts;
    std::size_t pos = 0;
    while (parts.size() < maxParts) {
        std::size_t sep = text.find(kPackedSeparator, pos);
        if (sep == std::string_view::npos) {
            if (pos < text.size())
                parts.emplace_back(text.substr(pos));
            break;
        }
        parts.emplace_back(text.substr(pos, sep - pos));
        pos = sep + kPackedSeparator.size();
    }
    return parts;
}

std::string CTMGPackedField::FieldValue() const {
    return JoinPacked(std::span(parts_.data(), static_cast<std::size_t>(count_)),
                      omitLastSeparator_);
}

void CTMGPackedField::SetFieldValue(std::string_view text) {
    std::vector<std::string> parts = SplitPacked(text, kMaxParts);
    for (auto& p : parts_)
        p.clear();
    count_ = static_cast<int>(parts.size());
    for (int i = 0; i < count_; ++i)
        parts_[i] = std::move(parts[i]);
}

const std::string& CTMGPackedField::Part(int i) const {
    static const std::string kEmpty;
    return i >= 0 && i < count_ ? parts_[i] : kEmpty;
}

void CTMGPackedField::SetPart(int i, std::string text) {
    if (i >= 0 && i < kMaxParts)
        parts_[i] = std::move(text);
}

} // namespace hk
