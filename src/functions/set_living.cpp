#include "functions/set_living.h"

#include "functions/control_values.h"
#include "functions/has_event_before.h"
#include "loaders/cross_index.h"
#include "loaders/format_tables.h"
#include "loaders/loader_table.h"
#include "shell/run_frame.h"
#include "shell/startup.h"
#include "support/ini_file.h"
#include "support/text.h"

namespace hk {
namespace {

constexpr const char* kFunctionKey = "SetLiving";
const std::string kYearBox = "txtSLFYear";
const std::string kUseParents = "chkUseParents";
const std::string kUseChildren = "chkUseChildren";
const std::string kFiveGenerations = "chkFiveGenerations";

std::string ConfirmText(long year, const HasEventBeforeOptions& o) {
    std::string text = "Click [OK] to set Living=N for all people with "
                       "LIVING=? and BMDB events before " +
                       std::to_string(year);
    if (o.useParents)
        text += ",\r\nor with parents who have BMDB events before " +
                std::to_string(year - o.ancestorYears);
    if (o.useChildren)
        text += ",\r\nor with children who have BMDB events before " +
                std::to_string(year + o.descendantYears);
    if (o.fiveGenerations)
        text += ",\r\nor with five generations of relationships";
    return text + ".";
}

} // namespace

std::vector<OptionDecl> SetLivingFunction::Options() const {
    return {
        {kYearBox, OptionKind::TextBox, "Set Living=N for people with BMDB event before: (YYYY)",
         ProjectDataField(kFunctionKey, "MaxYear")},
        {kUseParents, OptionKind::CheckBox, "Use Ancestor's Events",
         ProjectDataField(kFunctionKey, "UseParents")},
        {kUseChildren, OptionKind::CheckBox, "Use Descendant's Events",
         ProjectDataField(kFunctionKey, "UseChildren")},
        {kFiveGenerations, OptionKind::CheckBox, "Use 5 Generations Rule",
         ProjectDataField(kFunctionKey, "FiveGenerations")},
    };
}

std::optional<long> SetLivingFunction::ParseYear(std::string_view text) {
    std::string_view t = Trim(text);
    if (t.empty() || t.size() > 4)
        return std::nullopt;
    long year = 0;
    for (char c : t) {
        if (c < '0' || c > '9')
            return std::nullopt;
        year = year * 10 + (c - '0');
    }
    if (year < 1)
        return std::nullopt;
    return year;
}

bool SetLivingFunction::CanRun(const ControlStates& options) const {
    return ParseYear(TextIn(options, kYearBox)).has_value();
}

void SetLivingFunction::Run(RunContext& ctx, const ControlStates& options) {
    std::optional<long> parsedYear = ParseYear(TextIn(options, kYearBox));
    if (!parsedYear) {
        ctx.ui.Message("Please enter the year as a number (YYYY).", {}, MsgIcon::Exclamation);
        return;
    }
    const long year = *parsedYear;
    HasEventBeforeOptions o;
    o.useParents = CheckedIn(options, kUseParents);
    o.useChildren = CheckedIn(options, kUseChildren);
    o.fiveGenerations = CheckedIn(options, kFiveGenerations);
    const std::string ini = ProgramIniPath(ctx.programFolder);
    o.descendantYears = GetIniLong(ini, "Advanced", "Set Living.Descendant Years", 10);
    o.ancestorYears = GetIniLong(ini, "Advanced", "Set Living.Ancestor Years", 60);

    if (!ctx.ui.Confirm(ConfirmText(year, o)))
        return;

    CLogFile& log = StartLog(ctx, Caption());
    log.LogLine("Options:");
    log.LogLine("  Before Year: " + std::to_string(year));
    log.LogLine(std::string("  Use Ancestor's Events: ") + TrueFalse(o.useParents));
    log.LogLine(std::string("  Use Descendant's Events: ") + TrueFalse(o.useChildren));
    if (o.useChildren)
        log.LogLine(std::string("  Use Five Generations Rule: ") + TrueFalse(o.fiveGenerations));
    log.LogBlankLine();
    log.LogLine("ID, Event and Year");

    long people = 0, unknown = 0, setN = 0;
    long ownEvent = 0, ancestorEvent = 0, descendantEvent = 0, fiveGenerations = 0;
    RunWalk(ctx, [&] {
        db::CTMGDB& db = *ctx.db;
        CTMGTagTypes tagTypes;
        LoadTagTypes(db, tagTypes);
        CTMGCrossIndex ids;
        ids.BuildPersonIDs(db);
        CHasEventBefore test;
        test.SetOptions(o);
        test.OpenTables(db, &log, ids, tagTypes);

        LoaderTable walk;
        walk.Open(db, "$");
        walk.SelectTag(walk.HasTag("Ref_ID") ? std::string("Ref_ID") : db.PersonOrder());
        const int perNo = walk.Field("Per_No");
        const int living = walk.Field("Living");
        ctx.ui.SetProgressRange(static_cast<long>(walk.Tbl().RecCount()));
        for (bool ok = walk.First(); ok; ok = walk.Next()) {
            if (++people % kProgressEvery == 0)
                ctx.ui.SetProgress(people);
            if (walk.Char(living) != '?')
                continue;
            ++unknown;
            int result = test.Test(walk.Long(perNo), year);
            switch (result) {
            case CHasEventBefore::kOwnEvent:
                ++ownEvent;
                break;
            case CHasEventBefore::kAncestorEvent:
                ++ancestorEvent;
                break;
            case CHasEventBefore::kDescendantEvent:
                ++descendantEvent;
                break;
            case CHasEventBefore::kFiveGenerations:
                ++fiveGenerations;
                break;
            default:
                continue;
            }
            ++setN;
            walk.Tbl().AssignString(living, "N");
        }
    });
    EndLog(ctx);
    ctx.ui.ResetProgress();

    log.LogCount("People", people);
    log.LogCount("People with Living '?'", unknown);
    log.LogCount("Changed flag; event before " + std::to_string(year), ownEvent);
    if (o.useParents)
        log.LogCount("Changed flag; ancestor event", ancestorEvent);
    if (o.useChildren) {
        log.LogCount("Changed flag; descendant event", descendantEvent);
        if (o.fiveGenerations)
            log.LogCount("Changed flag; 5 generations of descendants", fiveGenerations);
    }
    log.LogCount("Set Living 'N'", setN);
    FinishRun(ctx, setN >= 1);
}

} // namespace hk
