#include "functions/sort_dates.h"

#include "db/ctmgdb.h"
#include "formats/format_settings.h"
#include "functions/event_list.h"
#include "loaders/format_tables.h"
#include "shell/run_frame.h"
#include "shell/tag_order.h"

namespace hk {

namespace {

constexpr long kProgressEvery = 250;
// The walks read each page once; a small cache keeps memory flat.
constexpr size_t kCacheBytes = 8u << 20;

std::string PadLeft(std::string s, size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

// The list as the panel shows it, completed from the project the way it is filled on open.
std::vector<ListItem> TagOrderOf(db::CTMGDB& db, const CTMGTagTypes& tagTypes,
                                 const std::vector<StoredTag>& first) {
    return BuildTagOrder(first, tagTypes, TagTypesByName(db));
}

} // namespace

std::vector<OptionDecl> SetSortDates::Options() const {
    OptionDecl tags;
    tags.control = kTagOrderControl;
    tags.kind = OptionKind::ListBox;
    tags.caption = "Tag Order";
    // Kept in the project's own "Tags" key, not under a function sub-key.
    tags.dataField = std::string("r:<file>\\") + kTagOrderSetting;
    return {tags};
}

void SetSortDates::FillOptionLists(db::CTMGDB& db, Settings& settings, std::string_view regRoot,
                                   std::string_view fileKey, ControlStates& states) const {
    if (fileKey.empty())
        return;
    CTMGTagTypes tagTypes;
    LoadTagTypes(db, tagTypes);
    auto stored = ReadStoredTagOrder(settings.Store(), JoinKeyPath(regRoot, fileKey));
    states[kTagOrderControl].items = TagOrderOf(db, tagTypes, stored);
}

void SetSortDates::Run(RunContext& ctx, const ControlStates& options) {
    if (!ctx.ui.Confirm("Click [OK] to give undated tags sort dates in the order of the tag "
                        "list."))
        return;
    CLogFile& log = StartLog(ctx, Caption());
    CEventList list;
    list.SetDetailMode(false);
    list.ResetUnrecognizedTypes();

    RunWalk(ctx, [&] {
        db::CTMGDB& db = *ctx.db;
        CTMGTagTypes tagTypes;
        LoadTagTypes(db, tagTypes);
        std::vector<StoredTag> given;
        if (auto it = options.find(kTagOrderControl); it != options.end())
            given = StoredTagsOf(it->second.items);
        std::vector<ListItem> items = TagOrderOf(db, tagTypes, given);
        std::vector<TagOrderEntry> order;
        for (const ListItem& item : items)
            order.push_back({item.text, item.data, item.selected});
        list.CopyTagData(order);

        LoaderTable people;
        people.Open(db, "$");
        people.Tbl().SetCacheLimit(kCacheBytes);
        const int perNoField = people.Field("Per_No");
        const int fatherField = people.Field("Father");
        const int motherField = people.Field("Mother");
        const int refField = people.OptionalField("Ref_ID");
        PersonBirths births;
        births.Build(db);
        list.OpenTables(db, log);

        log.LogLine("Options:");
        log.LogLine("  Tag Order");
        log.LogLine("  Seq Type R/W Name");
        for (size_t i = 0; i < order.size(); ++i)
            log.LogLine("  " + PadLeft(std::to_string(i), 3) + " " +
                        PadLeft(std::to_string(order[i].number), 4) + " " +
                        (order[i].checked ? " Y " : " N ") + " " + order[i].name);
        log.LogBlankLine();

        FormatSettings formats;
        CTMGDate dates(formats);
        ctx.ui.SetProgressRange(static_cast<long>(people.Tbl().RecCount()));
        long count = 0;
        for (bool ok = people.First(); ok; ok = people.Next()) {
            if (++count % kProgressEvery == 0)
                ctx.ui.SetProgress(static_cast<long>(people.RecNo()));
            const long perNo = people.Long(perNoField);
            if (perNo <= 0)
                continue;
            list.LoadPerson(perNo);
            if (list.EntryCount() < 2 || list.UndatedCount() < 1)
                continue;
            if (list.AssignSortDates(people.Long(fatherField), people.Long(motherField), births) >
                0)
                list.LogPerson(refField < 0 ? perNo : people.Long(refField), dates);
        }
    });
    EndLog(ctx);
    ctx.ui.ResetProgress();
    log.LogCount("Tags changed", list.TagsChanged());
    if (list.UnrecognizedTypes() > 0) {
        log.LogCount("Tags w/unrecognized types", list.UnrecognizedTypes());
        ctx.ui.Message(std::to_string(list.UnrecognizedTypes()) +
                           " tags with unrecognized tag types were found. " +
                           " Review the error messages in the log and then use TMG's Repair" +
                           " function to fix the database.",
                       {}, MsgIcon::Exclamation);
    }
    FinishRun(ctx, list.TagsChanged() > 0);
}

} // namespace hk
