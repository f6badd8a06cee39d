#include "functions/set_living.h"

#include <map>

#include "app/startup.h"
#include "functions/control_values.h"
#include "functions/has_event_before.h"
#include "functions/walk_tables.h"
#include "support/ini_file.h"
#include "support/text.h"

namespace hk {
namespace {

constexpr const char* kFunctionKey = "SetLiving";
const std::string kYearBox = "txtSLFYear";
const std::string kUseParents = "chkUseParents";
const std::string kUseChildren = "chkUseChildren";
const std::string kFiveGenerations = "chkFiveGenerations";

struct SetLivingRun final : LoggedRun {
    long year = 0;
    HasEventBeforeOptions o;
    long unknown = 0, setN = 0;
    std::map<int, long> changed; // by the test's result

    void Walk(RunScope& run) override {
        CHasEventBefore test;
        test.SetOptions(o);
        test.OpenTables(run.Db(), &run.Log(), run.PersonIds(), run.TagTypes());
        PersonWalk people(run.Db());
        LoaderTable& walk = people.table;
        const int living = walk.Field("Living");
        run.WalkRecords(walk, [&] {
            if (walk.Char(living) != '?')
                return;
            ++unknown;
            const int result = test.Test(walk.Long(people.perNo), year);
            if (result == CHasEventBefore::kNotFound)
                return;
            ++changed[result];
            ++setN;
            walk.Tbl().AssignString(living, "N");
        });
    }

    void WriteTotals(RunScope& run) override {
        CLogFile& log = run.Log();
        log.LogCount("People", run.RecordsCounted());
        log.LogCount("People with Living '?'", unknown);
        log.LogCount("Changed flag; event before " + std::to_string(year),
                     changed[CHasEventBefore::kOwnEvent]);
        if (o.useParents)
            log.LogCount("Changed flag; ancestor event", changed[CHasEventBefore::kAncestorEvent]);
        if (o.useChildren) {
            log.LogCount("Changed flag; descendant event",
                         changed[CHasEventBefore::kDescendantEvent]);
            if (o.fiveGenerations)
                log.LogCount("Changed flag; 5 generations of descendants",
                             changed[CHasEventBefore::kFiveGenerations]);
        }
        log.LogCount("Set Living 'N'", setN);
    }
    bool ChangesData() const override { return setN >= 1; }
};

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
    long year = 0;
    if (t.empty() || t.size() > 4 || t.find_first_not_of("0123456789") != t.npos ||
        !ParseLong(t, year) || year < 1)
        return std::nullopt;
    return year;
}

bool SetLivingFunction::CanRun(const ControlStates& options) const {
    return ParseYear(TextIn(options, kYearBox)).has_value();
}

std::unique_ptr<LoggedRun> SetLivingFunction::Prepare(RunContext& ctx,
                                                      const ControlStates& options) const {
    std::optional<long> year = ParseYear(TextIn(options, kYearBox));
    if (!year) {
        ctx.ui.Message("Please enter the year as a number (YYYY).", {}, MsgIcon::Exclamation);
        return nullptr;
    }
    auto run = std::make_unique<SetLivingRun>();
    run->year = *year;
    HasEventBeforeOptions& o = run->o;
    o.useParents = CheckedIn(options, kUseParents);
    o.useChildren = CheckedIn(options, kUseChildren);
    o.fiveGenerations = CheckedIn(options, kFiveGenerations);
    const std::string ini = ProgramIniPath(ctx.programFolder);
    o.descendantYears = GetIniLong(ini, "Advanced", "Set Living.Descendant Years", 10);
    o.ancestorYears = GetIniLong(ini, "Advanced", "Set Living.Ancestor Years", 60);
    std::string& text = run->confirmText;
    text = "Click [OK] to set Living=N for all people with LIVING=? and BMDB events before " +
           std::to_string(*year);
    if (o.useParents)
        text += ",\r\nor with parents who have BMDB events before " +
                std::to_string(*year - o.ancestorYears);
    if (o.useChildren)
        text += ",\r\nor with children who have BMDB events before " +
                std::to_string(*year + o.descendantYears);
    if (o.fiveGenerations)
        text += ",\r\nor with five generations of relationships";
    text += ".";
    run->optionLines = {"Before Year: " + std::to_string(*year),
                        "Use Ancestor's Events: " + TrueFalse(o.useParents),
                        "Use Descendant's Events: " + TrueFalse(o.useChildren)};
    if (o.useChildren)
        run->optionLines.push_back("Use Five Generations Rule: " + TrueFalse(o.fiveGenerations));
    run->columnHeading = "ID, Event and Year";
    return run;
}

} // namespace hk
