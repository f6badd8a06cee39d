#include "functions/sort_dates_year_only.h"

#include "db/ctmgdb.h"
#include "formats/format_settings.h"
#include "formats/tmg_date.h"
#include "loaders/cross_index.h"
#include "loaders/format_tables.h"
#include "loaders/loader_table.h"
#include "shell/run_frame.h"
#include "support/text.h"

namespace hk {

namespace {

constexpr long kProgressEvery = 250;
// One walk in record order reads each page once; a small cache keeps memory flat.
constexpr size_t kCacheBytes = 8u << 20;
constexpr int kOtherGroupBox = 13;

bool Checked(const ControlStates& options, int index) {
    auto it = options.find(SetYearOnlyDates::ControlName(index));
    return it != options.end() && it->second.value == 1;
}

} // namespace

const std::vector<SetYearOnlyDates::GroupBox>& SetYearOnlyDates::GroupBoxes() {
    static const std::vector<GroupBox> boxes = {
        {kGroupBirth, "Birth Group", "BirthGroup"},
        {kGroupDeath, "Death Group", "DeathGroup"},
        {kGroupMarriage, "Marriage Group", "MarriageGroup"},
        {kGroupDivorce, "Divorce Group", "DivorceGroup"},
        {kGroupBurial, "Burial Group", "BurialGroup"},
        {kGroupAddress, "Address Group", "LocationGroup"},
        {kOtherGroupBox, "Other Group", "CustomGroup"},
    };
    return boxes;
}

std::string SetYearOnlyDates::ControlName(int index) {
    return "chkYearOnlyGroup(" + std::to_string(index) + ")";
}

std::vector<OptionDecl> SetYearOnlyDates::Options() const {
    std::vector<OptionDecl> out;
    for (const GroupBox& box : GroupBoxes()) {
        OptionDecl d;
        d.control = ControlName(box.index);
        d.kind = OptionKind::CheckBox;
        d.caption = box.caption;
        d.dataField = ProjectDataField("SetYearOnly", box.setting);
        out.push_back(std::move(d));
    }
    return out;
}

bool SetYearOnlyDates::CanRun(const ControlStates& options) const {
    for (const GroupBox& box : GroupBoxes())
        if (Checked(options, box.index))
            return true;
    return false;
}

void SetYearOnlyDates::Run(RunContext& ctx, const ControlStates& options) {
    if (!ctx.ui.Confirm("Remove day and month from tag dates for living people?"))
        return;
    bool chosen[kOtherGroupBox + 1] = {};
    CLogFile& log = StartLog(ctx, Caption());
    log.LogLine("Options:");
    for (const GroupBox& box : GroupBoxes()) {
        chosen[box.index] = Checked(options, box.index);
        if (chosen[box.index])
            log.LogLine(std::string("  ") + box.caption);
    }
    log.LogBlankLine();
    log.LogLine("Event, P1, P2, Old Date, New Date");

    long read = 0, inGroups = 0, modified = 0;
    RunWalk(ctx, [&] {
        db::CTMGDB& db = *ctx.db;
        CTMGTagTypes tagTypes;
        LoadTagTypes(db, tagTypes);
        CTMGCrossIndex ids, living;
        ids.BuildPersonIDs(db);
        living.BuildLiving(db);
        // Someone not found in the dataset may be living too.
        auto mayLive = [&](long perNo) { return perNo != 0 && living.Lookup(perNo) != 'N'; };
        FormatSettings formats;
        CTMGDate dates(formats);

        LoaderTable events;
        events.Open(db, "G");
        events.Tbl().SetCacheLimit(kCacheBytes);
        const int type = events.Field("EType"), per1 = events.Field("Per1"),
                  per2 = events.Field("Per2"), date = events.Field("EDate");
        db::Table& g = events.Tbl();
        ctx.ui.SetProgressRange(static_cast<long>(g.RecCount()));
        for (bool ok = events.First(); ok; ok = events.Next()) {
            if (++read % kProgressEvery == 0)
                ctx.ui.SetProgress(static_cast<long>(events.RecNo()));
            long group = tagTypes.GroupOf(events.Long(type));
            if (group == kGroupOther)
                group = kOtherGroupBox;
            if (group < 0 || group > kOtherGroupBox || !chosen[group])
                continue;
            ++inGroups;
            std::string_view oldDate = Trim(g.Raw(date));
            int precision = CTMGDate::Precision(oldDate);
            if (precision != 2 && precision != 3)
                continue;
            const long p1 = events.Long(per1), p2 = events.Long(per2);
            if (!mayLive(p1) && !mayLive(p2))
                continue;
            std::string newDate(oldDate);
            newDate.replace(5, 4, "0000");
            log.LogLine(std::string(Trim(tagTypes.NameOf(events.Long(type)))) + ", " +
                        ids.PersonLabel(p1) + ", " + ids.PersonLabel(p2) + ", " +
                        dates.DisplayText(std::string(oldDate)) + ", " +
                        dates.DisplayText(newDate));
            g.AssignString(date, newDate);
            ++modified;
        }
    });
    EndLog(ctx);
    ctx.ui.ResetProgress();
    log.LogCount("Events read", read);
    log.LogCount("Events in selected groups", inGroups);
    log.LogCount("Event Dates modified", modified);
    FinishRun(ctx, true);
}

} // namespace hk
