#include "functions/adjust_birth_death.h"

#include "formats/format_context.h"
#include "functions/control_values.h"
#include "functions/walk_tables.h"
#include "loaders/joint_event.h"
#include "support/text.h"

namespace hk {
namespace {

const std::string kChoosePrimary = "chkAuditChoosePrimary";
constexpr const char* kChoosePrimaryCaption = "Choose primary if no existing primary";

// One of the two dates kept with the person, with its counters.
struct Lifespan {
    long group;
    const char* field;
    const char* letter; // in the change lines: "B=" or "D="
    const char* name;   // in the totals: "births" or "deaths"
    int fieldIndex = -1;
    long onInput = 0, set = 0, changed = 0;
};

struct AdjustBirthDeathRun final : LoggedRun {
    bool choosePrimary = false;
    Lifespan spans[2] = {{kGroupBirth, "PBirth", "B=", "births"},
                         {kGroupDeath, "PDeath", "D=", "deaths"}};
    long total = 0;

    void Walk(RunScope& run) override {
        db::CTMGDB& db = run.Db();
        FormatContext formats;
        CJointEvent joint;
        joint.OpenTables(db, run.TagTypes());
        PersonWalk people(db);
        LoaderTable& walk = people.table;
        const int refId = walk.OptionalField("Ref_ID");
        for (Lifespan& span : spans)
            span.fieldIndex = walk.Field(span.field);

        run.WalkRecords(walk, [&] {
            const long self = walk.Long(people.perNo);
            for (Lifespan& span : spans) {
                std::string old(Trim(walk.Tbl().GetString(span.fieldIndex)));
                if (CTMGDate::IsEmptyDate(old))
                    old.clear();
                bool taken = false;
                std::string marker;
                if (joint.FindPrimaryOfGroup(span.group, self)) {
                    ++span.onInput;
                    taken = true;
                } else if (choosePrimary && joint.TakenEvent() > 0 &&
                           joint.MakePrimary(span.group, self)) {
                    ++span.set;
                    marker = "*";
                    taken = true;
                }
                std::string now = taken ? joint.EventDate() : std::string();
                if (CTMGDate::IsEmptyDate(now))
                    now.clear();
                if (now == old)
                    continue;
                walk.Tbl().AssignString(span.fieldIndex, now);
                const long shownId = refId >= 0 ? walk.Long(refId) : self;
                run.Log().LogLine("#" + std::to_string(shownId) + ", " + marker + span.letter +
                                  formats.date.DisplayText(now));
                ++span.changed;
                ++total;
            }
        });
    }

    void WriteTotals(RunScope& run) override {
        CLogFile& log = run.Log();
        log.LogCount("People", run.RecordsCounted());
        for (const Lifespan& span : spans) {
            const std::string name = span.name;
            log.LogCount("Primary " + name + " on input", span.onInput);
            log.LogCount("Primary " + name + " set", span.set);
            log.LogCount("Lifespan " + name + " changed", span.changed);
        }
        log.LogCount("Total changes", total);
    }
    bool ChangesData() const override { return total + spans[0].set + spans[1].set >= 1; }
};

} // namespace

std::vector<OptionDecl> AdjustBirthDeathFunction::Options() const {
    return {{kChoosePrimary, OptionKind::CheckBox, kChoosePrimaryCaption,
             ProjectDataField("AuditBirthAndDeath", "Choose primary")}};
}

std::unique_ptr<LoggedRun> AdjustBirthDeathFunction::Prepare(RunContext&,
                                                             const ControlStates& options) const {
    auto run = std::make_unique<AdjustBirthDeathRun>();
    run->choosePrimary = CheckedIn(options, kChoosePrimary);
    run->confirmText = "Click [OK] to copy the dates of each person's primary birth and death "
                       "events into the person's birth and death dates.";
    run->optionLines = {std::string(kChoosePrimaryCaption) + ": " + TrueFalse(run->choosePrimary)};
    run->columnHeading = "ID, Change";
    return run;
}

} // namespace hk
