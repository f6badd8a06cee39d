#include "functions/sort_dates_year_only.h"

#include "formats/format_settings.h"
#include "formats/tmg_date.h"
#include "functions/control_values.h"
#include "functions/walk_tables.h"
#include "support/text.h"

namespace hk {
namespace {

constexpr int kOtherGroupBox = 13;

struct YearOnlyRun final : LoggedRun {
    bool chosen[kOtherGroupBox + 1] = {};
    long inGroups = 0, modified = 0;

    void Walk(RunScope& run) override {
        CTMGCrossIndex living;
        living.BuildLiving(run.Db());
        // Someone not found in the dataset may be living too.
        auto mayLive = [&](long perNo) { return perNo != 0 && living.Lookup(perNo) != 'N'; };
        FormatSettings formats;
        CTMGDate dates(formats);
        EventWalk g(run.Db());
        db::Table& t = g.table.Tbl();
        run.WalkRecords(g.table, [&] {
            long group = run.TagTypes().GroupOf(t.GetLong(g.type));
            if (group == kGroupOther)
                group = kOtherGroupBox;
            if (group < 0 || group > kOtherGroupBox || !chosen[group])
                return;
            ++inGroups;
            std::string_view oldDate = Trim(t.Raw(g.date));
            if (int precision = CTMGDate::Precision(oldDate); precision != 2 && precision != 3)
                return;
            const long p1 = t.GetLong(g.per1), p2 = t.GetLong(g.per2);
            if (!mayLive(p1) && !mayLive(p2))
                return;
            std::string newDate(oldDate);
            newDate.replace(5, 4, "0000");
            run.Log().LogLine(run.EventLine(t.GetLong(g.type), p1, p2) + ", " +
                              dates.DisplayText(std::string(oldDate)) + ", " +
                              dates.DisplayText(newDate));
            t.AssignString(g.date, newDate);
            ++modified;
        });
    }
    void WriteTotals(RunScope& run) override {
        run.Log().LogCount("Events read", run.RecordsCounted());
        run.Log().LogCount("Events in selected groups", inGroups);
        run.Log().LogCount("Event Dates modified", modified);
    }
    bool ChangesData() const override { return true; }
};

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
        if (CheckedIn(options, ControlName(box.index)))
            return true;
    return false;
}

std::unique_ptr<LoggedRun> SetYearOnlyDates::Prepare(RunContext&,
                                                     const ControlStates& options) const {
    auto run = std::make_unique<YearOnlyRun>();
    run->confirmText = "Remove day and month from tag dates for living people?";
    for (const GroupBox& box : GroupBoxes()) {
        run->chosen[box.index] = CheckedIn(options, ControlName(box.index));
        if (run->chosen[box.index])
            run->optionLines.push_back(box.caption);
    }
    run->columnHeading = "Event, P1, P2, Old Date, New Date";
    return run;
}

} // namespace hk
