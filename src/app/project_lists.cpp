#include "app/project_lists.h"

#include <map>

#include "loaders/format_tables.h"
#include "support/text.h"

namespace hk {

std::vector<std::string> SplitChoiceList(const std::string& text) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t sep = text.find("||", pos);
        std::string part = text.substr(pos, sep == std::string::npos ? sep : sep - pos);
        if (!Trim(part).empty())
            out.emplace_back(Trim(part));
        if (sep == std::string::npos)
            break;
        pos = sep + 2;
    }
    return out;
}

ProjectLists ReadProjectLists(db::CTMGDB& db, Settings& settings,
                              const std::string& languageChoices) {
    ProjectLists lists;
    const long dsid = db.DSID();

    // Tag types as the functions see them: the current dataset's, with their names.
    CTMGTagTypes tagTypes;
    LoadTagTypes(db, tagTypes);
    for (int slot = 1; slot < tagTypes.Count(); ++slot) {
        long number = tagTypes.NumberAt(slot);
        lists.tagTypes.push_back(
            {number, std::string(Trim(tagTypes.NameOf(number))), tagTypes.GroupOf(number)});
    }

    // Styles of dataset 0 and the current one; the current dataset's wins for an id both have.
    std::map<long, const StyleRow*> styles;
    StyleTables tables = ReadStyleTables(db);
    for (const StyleRow& row : tables.styles) {
        std::string group = AsciiUpper(Trim(row.group));
        if (row.deleted || (row.dsid != 0 && row.dsid != dsid) || (group != "N" && group != "P"))
            continue;
        auto it = styles.find(row.styleId);
        if (it == styles.end() || it->second->dsid == 0)
            styles[row.styleId] = &row;
    }
    for (const auto& [id, row] : styles) {
        std::string name(Trim(row->styleName));
        lists.styles.push_back({id, name.empty() ? "Style " + std::to_string(id) : name,
                                AsciiUpper(Trim(row->group))[0]});
    }

    lists.flags = ProjectFlags(ReadFlagRows(db), dsid);
    lists.languages = SplitChoiceList(db.GetLanguages(languageChoices, settings));
    return lists;
}

} // namespace hk
