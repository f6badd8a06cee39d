#pragma once
// CustomDateFormat: a user-chosen date layout such as "Aaa d Mmm yyy" (keyword, day, month,
// year tokens with literal, [bracketed] and {braced} text), compiled once and then printed.
#include <array>
#include <string>
#include <string_view>

#include "formats/date_vocabulary.h"

namespace hk {

class CustomDateFormat {
public:
    // Reads the format. False for an invalid one; what was read before the fault stays in
    // force (the component order only changes when the whole format is valid).
    bool Parse(std::string_view format, const DateVocabulary& vocabulary);
    // A regular date value in this format.
    std::string Print(std::string_view value) const;

    int Order() const { return order_; } // 0 admy, 1 amdy, 2 aymd, 3 aym, 4 amy, 5 ay

private:
    bool ApplyToken(std::string_view token, const DateVocabulary& vocabulary);
    std::string PrintDate(std::string_view value, bool second) const;

    // Literal text by component position; bracketed text can belong to the position after
    // the last component, so one slot more than components.
    static constexpr int kSlots = 6;

    int order_ = 0;
    std::array<std::string, 8> keywords_;
    std::array<std::string, 8> connectors_;
    std::array<std::string, 13> monthNames_;
    int dayWidth_ = 1;
    std::string dayPlaceholder_;
    bool numericMonth_ = false;
    int monthWidth_ = 1;
    std::string monthPlaceholder_;
    int yearWidth_ = 3;
    std::string yearPlaceholder_;
    std::array<std::string, kSlots> plain_;
    std::array<std::string, kSlots> bracketed_;
    std::array<std::string, kSlots> braced_;
};

} // namespace hk
