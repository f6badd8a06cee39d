#pragma once
// CTMGStyleFormatter: the project's name and place styles, compiled once per project, and
// the formatting of name and place parts through a style's templates.
#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "formats/name_parts.h"
#include "formats/place_parts.h"
#include "formats/style_template.h"
#include "support/error.h"

namespace hk {

// The templates of a style. The first six are the style table's memos (ST_Display,
// ST_Output, SrnameSort, SrnameDisp, GvnameSort, GvnameDisp); name styles use all six,
// place styles the first two. ShortPlace is the project's short place template, compiled
// for every place style.
enum class StyleTemplate : int {
    Display = 0,
    Output,
    SurnameSort,
    SurnameDisplay,
    GivenSort,
    GivenDisplay,
    ShortPlace,
};
inline constexpr int kStyleTemplateCount = 7;

// One record of the style table ("ST") as the loader reads it; `group` is "N" or "P".
struct StyleRow {
    long styleId = 0;
    std::string styleName;
    std::string group;
    long dsid = 0;
    bool deleted = false;
    std::string stDisplay;
    std::string stOutput;
    std::string srnameSort;
    std::string srnameDisp;
    std::string gvnameSort;
    std::string gvnameDisp;
};

// Everything LoadStyles reads from a project.
struct StyleTables {
    int versionMajor = 0;
    long dsid = 0; // the current dataset
    std::vector<StyleRow> styles;
    std::vector<PartTypeRow> namePartTypes;  // "NPT"
    std::vector<PartTypeRow> placePartTypes; // "PPT"
    std::string shortPlaceTemplate;          // the project's PlaceTemplate
};

class CTMGStyleFormatter {
public:
    static constexpr int kMaxTokens = 4095;

    CTMGStyleFormatter() { Reset(); }

    // Forgets every style and installs the two built-in ones: 1 (place) and 2 (name).
    void Reset();
    // Projects before version 5 get the built-in styles. Otherwise every style row that is
    // not deleted and belongs to dataset 0 or the current one (which wins for a number both
    // have) replaces them; rows whose group is neither "N" nor "P" are left out. Invalid
    // variables are collected in LoadMessages; too many tokens raises "Token limit exceeded
    // loading styles" (source "Tokens_Add"), leaving the styles loaded so far.
    void LoadStyles(const StyleTables& tables);
    // One line per invalid template variable of the last load.
    const std::string& LoadMessages() const { return messages_; }

    bool HasStyle(long styleId, StyleGroup group) const;

    // The name through a template. With a marked copy of the parts (the surname between
    // "|" marks), the marks decide where the surname stands: blanks doubled around it are
    // reduced and, for the Display and SurnameSort templates, `leadingPart` receives the
    // text before the surname (empty without a mark). Commas the template writes are left
    // out where an empty part leaves them leading, trailing or doubled. The result is trimmed.
    std::string FormatName(const NameParts& parts, const NameParts* markedParts, long styleId,
                           StyleTemplate which = StyleTemplate::Display,
                           std::string* leadingPart = nullptr) const;
    std::string FormatNameSort(const NameParts& parts, long styleId) const {
        return FormatName(parts, nullptr, styleId, StyleTemplate::SurnameSort);
    }
    // The place through a template; one trailing "," or ", " is removed.
    std::string FormatPlace(const PlaceParts::Texts& parts, long styleId,
                            StyleTemplate which = StyleTemplate::Display) const;
    std::string FormatPlace(const PlaceParts& parts, long styleId,
                            StyleTemplate which = StyleTemplate::Display) const {
        return FormatPlace(parts.DisplayTexts(), styleId, which);
    }

    // Index of a template's first token. An unknown style, or one of the other group, raises
    // "Invalid StyleID <id> formatting name|place" (source
    // "CTMGStyleFormatter.GetFirstTokenForStyle").
    int GetFirstTokenForStyle(long styleId, StyleGroup group, StyleTemplate which) const;

    const std::vector<StyleToken>& Tokens() const { return tokens_; }

private:
    struct Style {
        StyleGroup group = StyleGroup::Name;
        long dsid = 0;
        std::array<int, kStyleTemplateCount> first{}; // first token per template
    };
    using Templates = std::array<std::string_view, kStyleTemplateCount>;

    void AddStyle(long styleId, StyleGroup group, long dsid, std::string_view description,
                  const Templates& templates, const StyleVariables& variables);
    int AddTokens(const CompiledTemplate& compiled);
    // A part's text by part id (empty for ids it does not know).
    using PartValueFn = const std::string& (*)(const void* parts, int part);
    std::string Walk(int first, PartValueFn value, const void* parts) const;

    std::vector<StyleToken> tokens_;
    std::unordered_map<long, Style> styles_;
    std::string messages_;
};

} // namespace hk
