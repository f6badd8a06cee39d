#pragma once
// The tables of a TMG project as data: for each table suffix its description, TMG's published
// field layout and the production index tags our projects carry, for the current layout (TMG 5
// and later) and for the old layout of earlier versions.
#include <string>
#include <string_view>
#include <vector>

#include "xbase/field.h"
#include "xbase/table.h"

namespace hk {

enum class TmgLayout {
    Current, // TMG 5 to 9: Visual FoxPro tables, integer keys, datasets, part-value tables
    Old,     // before TMG 5: FoxPro 2.x tables, numeric keys, packed Name and Place fields
};

struct TmgTableLayout {
    std::string suffix;      // upper case, as in the file name after the prefix: "$", "NPV", "DNA"
    std::string description; // the text shown for the table; empty for DNA
    std::vector<db::FieldSpec> fields;
    std::vector<db::IndexTagSpec> tags; // the tags of the table's production .cdx

    bool HasMemo() const;
    int FieldIndex(std::string_view name) const; // case-blind; -1 when missing
    const db::FieldSpec* Field(std::string_view name) const;
};

// Every table of a layout, in a fixed order. The person table carries no flag fields here;
// see WithPersonFlags.
const std::vector<TmgTableLayout>& TmgTables(TmgLayout layout);
// The table of a suffix (case-blind), or null when the layout has no such table.
const TmgTableLayout* FindTmgTable(TmgLayout layout, std::string_view suffix);

// The person table with `count` custom flag fields FLAG1 ... appended, as TMG adds them.
TmgTableLayout WithPersonFlags(const TmgTableLayout& person, int count);
std::string TmgFlagFieldName(int number); // "FLAG1" for 1

// The description of a table suffix (case-blind); empty when unknown.
std::string TmgTableDescription(std::string_view suffix);
// Table file name: prefix, the suffix in lower case, ".dbf" ("Family_" + "$" -> "Family_$.dbf").
std::string TmgTableFileName(std::string_view prefix, std::string_view suffix);
// How TMG creates the tables of a layout: flavor, code page 1252, memo block size.
db::CreateOptions TmgCreateOptions(TmgLayout layout);

// The FOR filter every tag of a generated project carries.
inline constexpr std::string_view kTmgTagFilter = ".NOT. DELETED()";

} // namespace hk
