#include "shell/project_lists.h"

#include <map>

#include "db/table.h"
#include "support/text.h"

namespace hk {
namespace {

// Walks the live records of a table, when the project has it, under a fresh alias.
template <typename Visit> void EachRecord(db::CTMGDB& db, std::string_view suffix, Visit visit) {
    if (!db::FindFileNoCase(db.TablePath(suffix)))
        return;
    std::string alias = db.NewAlias();
    db.OpenTable(suffix, alias);
    try {
        db::Table* t = db.TableHandle(alias);
        for (int r = t->Top(); r == db::kPosOk; r = t->Skip(1))
            if (!t->Deleted())
                visit(*t);
    } catch (...) {
        db.CloseTable(alias);
        throw;
    }
    db.CloseTable(alias);
}

// Rows of dataset 0 and of the current dataset count; tables without DSID have one dataset.
bool InDataset(const db::Table& t, int fDsid, long dsid) {
    if (fDsid < 0)
        return true;
    long rowDsid = t.GetLong(fDsid);
    return rowDsid == 0 || rowDsid == dsid;
}

} // namespace

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

    EachRecord(db, "t", [&](db::Table& t) {
        int fNum = t.FieldIndex("ETYPENUM"), fName = t.FieldIndex("ETYPENAME"),
            fAdmin = t.FieldIndex("ADMIN"), fDsid = t.FieldIndex("DSID");
        if (fNum < 0 || fName < 0 || !InDataset(t, fDsid, dsid))
            return;
        lists.tagTypes.push_back({t.GetLong(fNum), std::string(Trim(t.GetTrimmed(fName))),
                                  fAdmin >= 0 ? t.GetLong(fAdmin) : 0});
    });

    // A style of the current dataset replaces one of dataset 0 with the same id.
    std::map<long, std::pair<StyleChoice, long>> styles;
    EachRecord(db, "st", [&](db::Table& t) {
        int fId = t.FieldIndex("STYLEID"), fName = t.FieldIndex("STYLENAME"),
            fGroup = t.FieldIndex("GROUP"), fDsid = t.FieldIndex("DSID");
        if (fId < 0 || fGroup < 0 || !InDataset(t, fDsid, dsid))
            return;
        std::string group = AsciiUpper(Trim(t.GetTrimmed(fGroup)));
        if (group != "N" && group != "P")
            return;
        long rowDsid = fDsid >= 0 ? t.GetLong(fDsid) : 0;
        long id = t.GetLong(fId);
        auto it = styles.find(id);
        if (it != styles.end() && it->second.second != 0)
            return;
        std::string name = fName >= 0 ? std::string(Trim(t.GetTrimmed(fName))) : std::string();
        styles[id] = {{id, name.empty() ? "Style " + std::to_string(id) : name, group[0]}, rowDsid};
    });
    for (auto& [id, style] : styles)
        lists.styles.push_back(style.first);

    std::vector<FlagRow> flagRows;
    EachRecord(db, "c", [&](db::Table& t) {
        int fField = t.FieldIndex("FLAGFIELD"), fLabel = t.FieldIndex("FLAGLABEL"),
            fValue = t.FieldIndex("FLAGVALUE"), fDsid = t.FieldIndex("DSID");
        if (fField < 0)
            return;
        FlagRow row;
        row.flagField = t.GetTrimmed(fField);
        row.flagLabel = fLabel >= 0 ? t.GetTrimmed(fLabel) : row.flagField;
        row.flagValue = fValue >= 0 ? t.GetTrimmed(fValue) : std::string();
        row.dsid = fDsid >= 0 ? t.GetLong(fDsid) : 0;
        flagRows.push_back(std::move(row));
    });
    lists.flags = ProjectFlags(flagRows, dsid);

    lists.languages = SplitChoiceList(db.GetLanguages(languageChoices, settings));
    return lists;
}

} // namespace hk
