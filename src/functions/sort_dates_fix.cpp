#include "functions/sort_dates_fix.h"

#include "formats/format_settings.h"
#include "formats/tmg_date.h"
#include "support/text.h"

namespace hk {
namespace {

struct FixSortDatesRun final : LoggedRun {
    long fixed = 0;

    void Walk(RunScope& run) override {
        FormatSettings formats;
        CTMGDate dates(formats);
        LoaderTable events;
        events.Open(run.Db(), "G");
        events.Tbl().SetCacheLimit(kWalkCacheBytes);
        const int type = events.Field("EType"), per1 = events.Field("Per1"),
                  per2 = events.Field("Per2"), date = events.Field("EDate"),
                  sortDate = events.Field("SrtDate");
        db::Table& g = events.Tbl();
        run.StartProgress(events);
        for (bool ok = events.First(); ok; ok = events.Next()) {
            run.CountRecord();
            std::string_view eDate = Trim(g.Raw(date));
            if (!CTMGDate::IsRegular(eDate) || CTMGDate::IsEmptyDate(eDate) ||
                !CTMGDate::IsEmptyDate(g.Raw(sortDate)))
                continue;
            std::string value(eDate);
            run.Log().LogLine(
                run.EventLine(events.Long(type), events.Long(per1), events.Long(per2)) + ", " +
                dates.DisplayText(value));
            if (!run.LogOnly())
                g.AssignString(sortDate, value);
            ++fixed;
        }
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
