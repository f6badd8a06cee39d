#pragma once
// CTMGPackedField: the "$!&"-separated multi-part text TMG keeps in one field (names of
// older projects, places, research-log comments). At most 64 parts are kept.
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace hk {

inline constexpr std::string_view kPackedSeparator = "$!&";

// The parts of a packed value, at most maxParts (the rest is dropped). The last part may or
// may not be followed by a separator; both read alike. An empty text has no parts.
std::vector<std::string> SplitPacked(std::string_view text, std::size_t maxParts = 64);
// Each part followed by "$!&"; with omitLastSeparator the final one is left off.
template <typename Range>
std::string JoinPacked(const Range& parts, bool omitLastSeparator = false) {
    std::string out;
    for (const auto& p : parts) {
        out.append(p);
        out.append(kPackedSeparator);
    }
    if (omitLastSeparator && !out.empty())
        out.resize(out.size() - kPackedSeparator.size());
    return out;
}

class CTMGPackedField {
public:
    static constexpr int kMaxParts = 64;

    bool OmitLastSeparator() const { return omitLastSeparator_; }
    void SetOmitLastSeparator(bool on) { omitLastSeparator_ = on; }

    std::string FieldValue() const;
    void SetFieldValue(std::string_view text);

    int Parts() const { return count_; }
    // Part i when i is below the count, else empty.
    const std::string& Part(int i) const;
    // Sets part i (0-63); the count does not change, so a part at or past it is not encoded.
    void SetPart(int i, std::string text);

private:
    bool omitLastSeparator_ = false;
    std::array<std::string, kMaxParts> parts_;
    int count_ = 0;
};

} // namespace hk
