#include "functions/set_birth_order.h"

#include <algorithm>
#include <utility>

#include "loaders/cross_index.h"
#include "loaders/event_loader.h"
#include "loaders/format_tables.h"
#include "loaders/loader_table.h"
#include "loaders/person_loader.h"
#include "shell/run_frame.h"
#include "support/text.h"

namespace hk {
namespace {

// A stored birth order that already says `k`: digits only, blanks around them allowed.
bool SaysNumber(std::string_view stored, long k) {
    std::string_view t = Trim(stored);
    if (t.empty())
        return false;
    long n = 0;
    for (char c : t) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + (c - '0');
        if (n > 1000000)
            return false;
    }
    return n == k;
}

} // namespace

void SetBirthOrderFunction::Run(RunContext& ctx, const ControlStates& options) {
    if (!ctx.ui.Confirm("Click [OK] to number the children of every couple "
                        "in the order of their birth sort dates."))
        return;
    const CTMGFlagFilter* filter =
        ctx.flagFilter != nullptr && ctx.flagFilter->Active() ? ctx.flagFilter : nullptr;

    CLogFile& log = StartLog(ctx, Caption());
    log.LogLine("Options:");
    log.LogLine("  Flag Filter: " + ctx.flagFilterDescription);
    log.LogBlankLine();
    log.LogLine("Parent1, Parent2");

    long people = 0, passed = 0, couples = 0, lacking = 0, numbered = 0, correct = 0, changes = 0;
    RunWalk(ctx, [&] {
        db::CTMGDB& db = *ctx.db;
        CTMGTagTypes tagTypes;
        LoadTagTypes(db, tagTypes);
        CTMGCrossIndex ids;
        ids.BuildPersonIDs(db);
        auto id = [&](long person) { return ids.PersonLabel(person); };

        CTMGPersonLoader persons;
        if (filter)
            persons.SetExtraField(filter->FlagField());
        persons.OpenTables(db);
        CTMGEventLoader events;
        events.OpenTables(db);
        // One cursor walks the people, another finds the children to number.
        LoaderTable walk, update;
        walk.Open(db, "$");
        walk.SelectTag(db.PersonOrder());
        update.Open(db, "$");
        update.SelectTag(db.PersonOrder());
        const int perNo = walk.Field("Per_No");
        const int birthOrder = update.Field("BirthOrder");

        ctx.ui.SetProgressRange(static_cast<long>(walk.Tbl().RecCount()));
        std::vector<std::pair<std::string, long>> dated; // birth sort date, child
        for (bool ok = walk.First(); ok; ok = walk.Next()) {
            const long self = walk.Long(perNo);
            if (!persons.SeekPerson(self))
                continue;
            if (++people % kProgressEvery == 0)
                ctx.ui.SetProgress(people);
            if (filter) {
                if (!filter->Passes(persons.flag(filter->FlagField())))
                    continue;
                ++passed;
            }
            db::CSetLong partners = persons.GetCoParents(events, tagTypes, true, -1);
            for (int p = 0; p < partners.Count(); ++p) {
                const long partner = partners.Item(p);
                // Each couple once, from its lower number; 0 is no other parent.
                if (partner != 0 && partner <= self)
                    continue;
                ++couples;
                db::CSetLong children = persons.GetChildren(partner);
                if (children.Count() > kMaxChildren) {
                    log.LogLine("* " + id(self) + ", too many children");
                    continue;
                }
                dated.clear();
                bool undated = false;
                for (int c = 0; c < children.Count(); ++c) {
                    const long child = children.Item(c);
                    std::string sortDate = events.GetBirthSortDate(child, tagTypes);
                    if (sortDate.empty() || sortDate == kEmptySortDate) {
                        if (!undated) {
                            undated = true;
                            ++lacking;
                            log.LogLine(id(self) + ", " + id(partner));
                        }
                        log.LogLine("* " + id(child) + ", no primary birth sort date");
                        continue;
                    }
                    dated.emplace_back(std::move(sortDate), child);
                }
                if (undated || dated.empty())
                    continue;
                std::stable_sort(dated.begin(), dated.end(),
                                 [](const auto& a, const auto& b) { return a.first < b.first; });
                for (std::size_t k = 1; k <= dated.size(); ++k) {
                    ++numbered;
                    const bool found = update.Seek(dated[k - 1].second);
                    if (found && SaysNumber(update.Tbl().Raw(birthOrder), static_cast<long>(k))) {
                        ++correct;
                        continue;
                    }
                    ++changes;
                    if (found)
                        update.Tbl().AssignString(birthOrder, std::to_string(k));
                }
            }
        }
    });
    EndLog(ctx);
    ctx.ui.ResetProgress();

    log.LogCount("People", people);
    if (filter)
        log.LogCount("People that pass filter", passed);
    log.LogCount("Couples", couples);
    log.LogCount(" where all children have sort dates", couples - lacking);
    log.LogCount(" where some or all children do not have sort dates", lacking);
    log.LogCount("Children where all siblings have sort dates", numbered);
    log.LogCount(" and birth order is correct", correct);
    log.LogCount(" and birth order is incorrect", numbered - correct);
    log.LogCount("Changes", changes);
    FinishRun(ctx, changes >= 1);
}

} // namespace hk
