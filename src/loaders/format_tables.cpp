#include "loaders/format_tables.h"

#include "loaders/loader_table.h"
#include "xbase/file.h"

namespace hk {
namespace {

// Calls `row` for every record of the table in record order, deleted ones included.
template <typename Fn> void EveryRecord(LoaderTable& t, Fn&& row) {
    t.Tbl().SelectTag(nullptr);
    for (int pos = t.Tbl().Top(); pos == db::kPosOk; pos = t.Tbl().Skip(1))
        row();
}

} // namespace

bool ProjectHasTable(const db::CTMGDB& db, std::string_view suffix) {
    return db::FindFileNoCase(db.TablePath(suffix)).has_value();
}

std::vector<TagTypeRow> ReadTagTypeRows(db::CTMGDB& db) {
    std::vector<TagTypeRow> rows;
    if (!ProjectHasTable(db, "T"))
        return rows;
    LoaderTable t;
    t.Open(db, "T");
    const int num = t.Field("ETypeNum"), admin = t.Field("Admin"), name = t.Field("ETypeName");
    const int properties = t.OptionalField("Properties");
    const int sentence = t.OptionalField(CTMGTagTypes::SentenceField(db.VersionString()));
    const bool hasDsid = CTMGTagTypes::HasDsidField(db.VersionMajor()) && t.DsidField() >= 0;
    EveryRecord(t, [&] {
        TagTypeRow r;
        r.eTypeNum = t.Long(num);
        r.admin = t.Long(admin);
        r.eTypeName = t.Text(name);
        r.properties = properties < 0 ? std::string() : t.Tbl().GetMemo(properties);
        r.sentence = sentence < 0 ? std::string() : t.Tbl().GetMemo(sentence);
        if (hasDsid)
            r.dsid = t.RecordDsid();
        r.deleted = t.Tbl().Deleted();
        rows.push_back(std::move(r));
    });
    return rows;
}

void LoadTagTypes(db::CTMGDB& db, CTMGTagTypes& tagTypes, const NameMapping* nameMapping,
                  std::string_view language) {
    std::vector<TagTypeRow> rows = ReadTagTypeRows(db);
    tagTypes.LoadTags(rows, db.DSID(), nameMapping, language);
}

std::vector<PartTypeRow> ReadPartTypeRows(db::CTMGDB& db, std::string_view suffix) {
    std::vector<PartTypeRow> rows;
    if (!ProjectHasTable(db, suffix))
        return rows;
    LoaderTable t;
    t.Open(db, suffix);
    const int shortValue = t.Field("ShortValue"), type = t.Field("Type");
    EveryRecord(t, [&] {
        rows.push_back({t.Text(shortValue), t.Long(type), t.RecordDsid(), t.Tbl().Deleted()});
    });
    return rows;
}

StyleTables ReadStyleTables(db::CTMGDB& db) {
    StyleTables tables;
    tables.versionMajor = db.VersionMajor();
    tables.dsid = db.DSID();
    tables.shortPlaceTemplate = db.PlaceTemplate();
    if (db.VersionMajor() < 5 || !ProjectHasTable(db, "ST"))
        return tables;
    {
        LoaderTable t;
        t.Open(db, "ST");
        const int id = t.Field("StyleID"), name = t.OptionalField("StyleName"),
                  group = t.Field("Group"), display = t.Field("ST_Display"),
                  output = t.Field("ST_Output"), srSort = t.Field("SrnameSort"),
                  srDisp = t.Field("SrnameDisp"), gvSort = t.Field("GvnameSort"),
                  gvDisp = t.Field("GvnameDisp");
        EveryRecord(t, [&] {
            StyleRow r;
            r.styleId = t.Long(id);
            r.styleName = t.Text(name);
            r.group = t.Text(group);
            r.dsid = t.RecordDsid();
            r.deleted = t.Tbl().Deleted();
            r.stDisplay = t.Tbl().GetMemo(display);
            r.stOutput = t.Tbl().GetMemo(output);
            r.srnameSort = t.Tbl().GetMemo(srSort);
            r.srnameDisp = t.Tbl().GetMemo(srDisp);
            r.gvnameSort = t.Tbl().GetMemo(gvSort);
            r.gvnameDisp = t.Tbl().GetMemo(gvDisp);
            tables.styles.push_back(std::move(r));
        });
    }
    tables.namePartTypes = ReadPartTypeRows(db, "NPT");
    tables.placePartTypes = ReadPartTypeRows(db, "PPT");
    return tables;
}

void LoadStyles(db::CTMGDB& db, CTMGStyleFormatter& formatter) {
    formatter.Reset();
    formatter.LoadStyles(ReadStyleTables(db));
}

std::vector<FlagRow> ReadFlagRows(db::CTMGDB& db) {
    std::vector<FlagRow> rows;
    if (!ProjectHasTable(db, "C"))
        return rows;
    LoaderTable t;
    t.Open(db, "C");
    const int field = t.Field("FlagField"), label = t.Field("FlagLabel"),
              value = t.Field("FlagValue");
    EveryRecord(t, [&] {
        rows.push_back(
            {t.Text(field), t.Text(label), t.Text(value), t.RecordDsid(), t.Tbl().Deleted()});
    });
    return rows;
}

} // namespace hk
