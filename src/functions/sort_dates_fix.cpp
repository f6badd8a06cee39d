#include "functions/sort_dates_fix.h"

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

} // namespace

void FixSortDates::Run(RunContext& ctx, const ControlStates&) {
    if (!ctx.ui.Confirm("Click [OK] to copy event dates into empty sort dates."))
        return;
    CLogFile& log = StartLog(ctx, Caption());
    log.LogLine("Event, P1, P2, Date");
    long read = 0, fixed = 0;
    RunWalk(ctx, [&] {
        db::CTMGDB& db = *ctx.db;
        CTMGTagTypes tagTypes;
        LoadTagTypes(db, tagTypes);
        CTMGCrossIndex ids;
        ids.BuildPersonIDs(db);
        FormatSettings formats;
        CTMGDate dates(formats);

        LoaderTable events;
        events.Open(db, "G");
        events.Tbl().SetCacheLimit(kCacheBytes);
        const int type = events.Field("EType"), per1 = events.Field("Per1"),
                  per2 = events.Field("Per2"), date = events.Field("EDate"),
                  sortDate = events.Field("SrtDate");
        db::Table& g = events.Tbl();
        ctx.ui.SetProgressRange(static_cast<long>(g.RecCount()));
        for (bool ok = events.First(); ok; ok = events.Next()) {
            if (++read % kProgressEvery == 0)
                ctx.ui.SetProgress(static_cast<long>(events.RecNo()));
            std::string_view eDate = Trim(g.Raw(date));
            if (!CTMGDate::IsRegular(eDate) || CTMGDate::IsEmptyDate(eDate) ||
                !CTMGDate::IsEmptyDate(g.Raw(sortDate)))
                continue;
            std::string value(eDate);
            log.LogLine(std::string(Trim(tagTypes.NameOf(events.Long(type)))) + ", " +
                        ids.PersonLabel(events.Long(per1)) + ", " +
                        ids.PersonLabel(events.Long(per2)) + ", " + dates.DisplayText(value));
            g.AssignString(sortDate, value);
            ++fixed;
        }
    });
    EndLog(ctx);
    ctx.ui.ResetProgress();
    log.LogCount("Events read", read);
    log.LogCount("Event Sort Dates fixed", fixed);
    FinishRun(ctx, true);
}

} // namespace hk
