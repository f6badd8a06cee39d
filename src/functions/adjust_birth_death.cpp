#include "functions/adjust_birth_death.h"

#include "formats/format_context.h"
#include "functions/control_values.h"
#include "loaders/format_tables.h"
#include "loaders/joint_event.h"
#include "loaders/loader_table.h"
#include "shell/run_frame.h"
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
    const char* onInputLabel;
    const char* setLabel;
    const char* changedLabel;
    int fieldIndex = -1;
    long onInput = 0, set = 0, changed = 0;
};

} // namespace

std::vector<OptionDecl> AdjustBirthDeathFunction::Options() const {
    return {{kChoosePrimary, OptionKind::CheckBox, kChoosePrimaryCaption,
             ProjectDataField("AuditBirthAndDeath", "Choose primary")}};
}

void AdjustBirthDeathFunction::Run(RunContext& ctx, const ControlStates& options) {
    const bool choosePrimary = CheckedIn(options, kChoosePrimary);
    if (!ctx.ui.Confirm("Click [OK] to copy the dates of each person's primary birth and "
                        "death events into the person's birth and death dates."))
        return;

    CLogFile& log = StartLog(ctx, kLogTitle);
    log.LogLine("Options:");
    log.LogLine(std::string("  ") + kChoosePrimaryCaption + ": " + TrueFalse(choosePrimary));
    log.LogBlankLine();
    log.LogLine("ID, Change");

    Lifespan spans[2] = {
        {kGroupBirth, "PBirth", "B=", "Primary births on input", "Primary births set",
         "Lifespan births changed"},
        {kGroupDeath, "PDeath", "D=", "Primary deaths on input", "Primary deaths set",
         "Lifespan deaths changed"},
    };
    long people = 0, total = 0;
    RunWalk(ctx, [&] {
        db::CTMGDB& db = *ctx.db;
        CTMGTagTypes tagTypes;
        LoadTagTypes(db, tagTypes);
        FormatContext formats;
        CJointEvent joint;
        joint.OpenTables(db, tagTypes);

        LoaderTable walk;
        walk.Open(db, "$");
        const bool hasRefId = walk.HasTag("REF_ID");
        walk.SelectTag(hasRefId ? std::string("REF_ID") : db.PersonOrder());
        const int perNo = walk.Field("Per_No");
        const int refId = walk.OptionalField("Ref_ID");
        for (Lifespan& span : spans)
            span.fieldIndex = walk.Field(span.field);

        ctx.ui.SetProgressRange(static_cast<long>(walk.Tbl().RecCount()));
        for (bool ok = walk.First(); ok; ok = walk.Next()) {
            if (++people % kProgressEvery == 0)
                ctx.ui.SetProgress(people);
            const long self = walk.Long(perNo);
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
                log.LogLine("#" + std::to_string(shownId) + ", " + marker + span.letter +
                            formats.date.DisplayText(now));
                ++span.changed;
                ++total;
            }
        }
    });
    EndLog(ctx);
    ctx.ui.ResetProgress();

    const Lifespan& birth = spans[0];
    const Lifespan& death = spans[1];
    log.LogCount("People", people);
    log.LogCount(birth.onInputLabel, birth.onInput);
    log.LogCount(birth.setLabel, birth.set);
    log.LogCount(birth.changedLabel, birth.changed);
    log.LogCount(death.onInputLabel, death.onInput);
    log.LogCount(death.setLabel, death.set);
    log.LogCount(death.changedLabel, death.changed);
    log.LogCount("Total changes", total);
    FinishRun(ctx, total + birth.set + death.set >= 1);
}

} // namespace hk
