#include "functions/set_birth_order.h"

#include <algorithm>
#include <utility>

#include "loaders/event_loader.h"
#include "loaders/person_loader.h"
#include "support/text.h"

namespace hk {
namespace {

// A stored birth order that already says `k`: digits only, blanks around them allowed.
bool SaysNumber(std::string_view stored, long k) {
    std::string_view t = Trim(stored);
    return !t.empty() && t.size() < 8 && t.find_first_not_of("0123456789") == t.npos &&
           std::stol(std::string(t)) == k;
}

struct SetBirthOrderRun final : LoggedRun {
    const CTMGFlagFilter* filter = nullptr; // null: every person passes
    long passed = 0, couples = 0, lacking = 0, numbered = 0, correct = 0, changes = 0;

    void Walk(RunScope& run) override {
        db::CTMGDB& db = run.Db();
        CLogFile& log = run.Log();
        const CTMGTagTypes& tagTypes = run.TagTypes();
        const CTMGCrossIndex& ids = run.PersonIds();
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

        run.StartProgress(walk);
        std::vector<std::pair<std::string, long>> dated; // birth sort date, child
        for (bool ok = walk.First(); ok; ok = walk.Next()) {
            const long self = walk.Long(perNo);
            if (!persons.SeekPerson(self))
                continue;
            run.CountRecord();
            if (filter) {
                if (!filter->Passes(persons.Person().extra)) // the filter's field
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
                if (children.Count() > SetBirthOrderFunction::kMaxChildren) {
                    log.LogLine("* " + ids.PersonLabel(self) + ", too many children");
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
                            log.LogLine(ids.PersonLabel(self) + ", " + ids.PersonLabel(partner));
                        }
                        log.LogLine("* " + ids.PersonLabel(child) + ", no primary birth sort date");
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
    }

    void WriteTotals(RunScope& run) override {
        CLogFile& log = run.Log();
        log.LogCount("People", run.RecordsCounted());
        if (filter)
            log.LogCount("People that pass filter", passed);
        log.LogCount("Couples", couples);
        log.LogCount(" where all children have sort dates", couples - lacking);
        log.LogCount(" where some or all children do not have sort dates", lacking);
        log.LogCount("Children where all siblings have sort dates", numbered);
        log.LogCount(" and birth order is correct", correct);
        log.LogCount(" and birth order is incorrect", numbered - correct);
        log.LogCount("Changes", changes);
    }
    bool ChangesData() const override { return changes >= 1; }
};

} // namespace

std::unique_ptr<LoggedRun> SetBirthOrderFunction::Prepare(RunContext& ctx,
                                                          const ControlStates&) const {
    auto run = std::make_unique<SetBirthOrderRun>();
    run->confirmText = "Click [OK] to number the children of every couple in the order of their "
                       "birth sort dates.";
    run->optionLines = {"Flag Filter: " + ctx.flagFilterDescription};
    run->columnHeading = "Parent1, Parent2";
    if (ctx.flagFilter != nullptr && ctx.flagFilter->Active())
        run->filter = ctx.flagFilter;
    return run;
}

} // namespace hk
