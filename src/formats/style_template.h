#pragma once
// The style template language: which names a template may use, and the compiler that turns
// a template such as "<[City], >[Surname] ([Title])" into the token list the formatter walks.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace hk {

enum class StyleGroup { Name, Place };

enum StyleTokenKind : int {
    kTokenLiteral = 1,
    kTokenEnd = 2,
    kTokenGroupStart = 3,
    kTokenGroupEnd = 4,
    kTokenVariable = 5,
    kTokenGroupVariable = 6,
    kTokenGroupLiteral = 7,
    kTokenVariableBlank = 8,        // name part and a blank, both only when the part is set
    kTokenVariableParens = 9,       // "(" part ")" only when the part is set
    kTokenVariableParensBlank = 10, // "(" part ") " only when the part is set
    kTokenVariableComma = 11,       // place part and ", " only when the part is set
};

struct StyleToken {
    int kind = kTokenLiteral;
    std::string text; // literal text, or the variable name as written
    int part = -1;    // part id of a variable; -1 for literals and unknown variables
    int link = -1;    // token to continue at when a group is skipped, or -1
    bool operator==(const StyleToken&) const = default;
};

// In compiled name templates a comma of the template's own text is this character, so that
// the formatter can drop commas left dangling by empty parts without touching commas that
// are part of a name.
inline constexpr char kStyleCommaMark = '\x02';

// One row of a name or place part-type table: the short name templates use for the part
// and its part-value type (part id + 1).
struct PartTypeRow {
    std::string shortValue;
    long type = 0;
    long dsid = 0;
    bool deleted = false;
};

// The variable names valid in the templates of one style group, without regard to case.
class StyleVariables {
public:
    // Names: title, givenname, surname, suffix, sortsurname, sortgiven. Places: addressee
    // ... temple and l1 ... l10. Then the part-type rows of dataset 0 or `dsid`, which win.
    static StyleVariables For(StyleGroup group, std::span<const PartTypeRow> partTypes = {},
                              long dsid = 0);

    std::optional<int> Find(std::string_view name) const;

private:
    void Set(std::string_view name, int part);

    std::unordered_map<std::string, int> parts_; // upper-cased name -> part id
};

struct CompiledTemplate {
    std::vector<StyleToken> tokens; // links index into this list
    int rawTokenCount = 0;          // tokens before folding, which the token table limit counts
    std::vector<std::string> invalidVariables;
};

// Compiles one template. Unknown variables stay in the list with part -1 (they print
// nothing) and are listed in invalidVariables.
CompiledTemplate CompileStyleTemplate(std::string_view text, StyleGroup group,
                                      const StyleVariables& variables);

} // namespace hk
