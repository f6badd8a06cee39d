#include "functions/sort_dates_fix.h"

#include "formats/format_settings.h"
#include "formats/tmg_date.h"
#include "functions/walk_tables.h"
#include "support/text.h"

namespace hk {
namespace {

struct FixSortDatesRun final : LoggedRun {
    long fixed = 0;

    void Walk(RunScope& run) override {
        FormatSettings formats;
        CTMGDate dates(formats);
        EventWalk g(run.Db());
        db::Table& t = g.table.Tbl();
        run.WalkRecords(g.table, [&] {
            std::string_view eDate = Trim(t.Raw(g.date));
            if (!CTMGDate::IsRegular(eDate) || CTMGDate::IsEmptyDate(eDate) ||
                !CTMGDate::IsEmptyDate(t.Raw(g.sortDate)))
                return;
            std::string value(eDate);
            run.Log().LogLine(
                run.EventLine(t.GetLong(g.type), t.GetLong(g.per1), t.GetLong(g.per2)) + ", " +
                dates.DisplayText(value));
            t.AssignString(g.sortDate, value);
            ++fixed;
        });
    }
    void WriteTotals(RunScope& run) override {
        run.Log().LogCount("Events read", run.RecordsCounted());
        run.Log().LogCount("Event Sort Dates fixed", fixed);
    }
    bool ChangesData() const override { return true; }
};

} // namespace

std::unique_ptr<LoggedRun> FixSortDates::Prepare(RunContext&, const ControlStates&) const {
    auto run = std::make_unique<FixSortDatesRun>();
    run->confirmText = "Click [OK] to copy event dates into empty sort dates.";
    run->columnHeading = "Event, P1, P2, Date";
    return run;
}

} // namespace hk
