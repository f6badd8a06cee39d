#include "test_functions.h"

#include <algorithm>
#include <cctype>

#include "db/ctmgdb.h"
#include "db/table.h"
#include "shell/run_frame.h"

namespace hk::test {
namespace {

OptionDecl Check(const char* control, const char* caption, const char* function,
                 const char* setting) {
    OptionDecl d;
    d.control = control;
    d.kind = OptionKind::CheckBox;
    d.caption = caption;
    d.dataField = ProjectDataField(function, setting);
    return d;
}

OptionDecl Text(const char* control, const char* caption, const char* function,
                const char* setting) {
    OptionDecl d = Check(control, caption, function, setting);
    d.kind = OptionKind::TextBox;
    return d;
}

OptionDecl Combo(const char* control, const char* caption, ListSource source,
                 std::vector<std::string> leading, int tagGroup = 0) {
    OptionDecl d;
    d.control = control;
    d.kind = OptionKind::ComboBox;
    d.caption = caption;
    d.source = source;
    d.items = std::move(leading);
    d.tagGroup = tagGroup;
    return d;
}

const char* YesNo(const ControlStates& s, const char* control) {
    auto it = s.find(control);
    return it != s.end() && it->second.value == 1 ? "True" : "False";
}

// The stand-in's run: the frame of every function, over the people of the dataset.
void SetLivingRun(RunContext& ctx, const ControlStates& states) {
    const std::string year = states.at("txtSLFYear").text;
    if (!ctx.ui.Confirm("Set Living=N for people with a BMDB event before " + year + "?"))
        return;
    CLogFile& log = StartLog(ctx, "Set Living=N");
    log.LogLine("Options:");
    log.LogLine("  Before Year: " + year);
    log.LogLine(std::string("  Use Ancestor's Events: ") + YesNo(states, "chkUseParents"));
    log.LogLine(std::string("  Use Descendant's Events: ") + YesNo(states, "chkUseChildren"));
    log.LogLine("  Flag Filter: " + ctx.flagFilterDescription);
    log.LogBlankLine();
    log.LogLine("ID, Event and Year");

    long people = 0, unknown = 0;
    RunWalk(ctx, [&] {
        std::string alias = ctx.db->NewAlias();
        ctx.db->OpenTable("$", alias);
        db::Table* t = ctx.db->TableHandle(alias);
        int fDsid = t->FieldIndex("DSID"), fLiving = t->FieldIndex("LIVING"),
            fRef = t->FieldIndex("REF_ID");
        ctx.ui.SetProgressRange(static_cast<long>(t->RecCount()));
        for (int r = t->Top(); r == db::kPosOk; r = t->Skip(1)) {
            if (t->Deleted() || t->GetLong(fDsid) != ctx.db->DSID())
                continue;
            if (++people % 10 == 0)
                ctx.ui.SetProgress(static_cast<long>(t->RecNo()));
            if (t->GetTrimmed(fLiving) == "?") {
                ++unknown;
                log.LogLine(std::to_string(t->GetLong(fRef)) + ", (test run)");
            }
        }
    });
    EndLog(ctx);
    log.LogCount("People", people);
    log.LogCount("People with Living '?'", unknown);
    FinishRun(ctx, unknown > 0);
}

} // namespace

void RegisterTestFunctions(FunctionRegistry& registry) {
    auto setLiving = std::make_unique<ScriptedFunction>(
        11, "setliving", "Set Living=N",
        std::vector<OptionDecl>{
            Text("txtSLFYear", "Set Living=N for people with BMDB event before: (YYYY)",
                 "SetLiving", "MaxYear"),
            Check("chkUseParents", "Use &Ancestor's Events", "SetLiving", "UseParents"),
            Check("chkUseChildren", "Use &Descendant's Events", "SetLiving", "UseChildren"),
            Check("chkFiveGenerations", "Use &5 Generations Rule", "SetLiving", "FiveGenerations")},
        true);
    setLiving->canRun = [](const ControlStates& s) {
        const std::string& y = s.at("txtSLFYear").text;
        return y.size() == 4 && std::all_of(y.begin(), y.end(),
                                            [](unsigned char c) { return std::isdigit(c) != 0; });
    };
    setLiving->run = SetLivingRun;
    registry.Add(std::move(setLiving));

    auto changeEvents = std::make_unique<ScriptedFunction>(
        2, "changeevents", "Change Event Type",
        std::vector<OptionDecl>{
            Combo("cmbCEEventTags1", "From event type:", ListSource::TagTypes,
                  {"<Choose 'from' Event>"}),
            Combo("cmbCEEventTags2", "To event type:", ListSource::TagTypes,
                  {"<Choose 'to' Event>"}),
        },
        true);
    changeEvents->canRun = [](const ControlStates& s) {
        int from = s.at("cmbCEEventTags1").listIndex, to = s.at("cmbCEEventTags2").listIndex;
        return from > 0 && to > 0 &&
               s.at("cmbCEEventTags1").items[from].data != s.at("cmbCEEventTags2").items[to].data;
    };
    registry.Add(std::move(changeEvents));

    registry.Add(std::make_unique<ScriptedFunction>(12, "sortdates", "Set Sort Dates",
                                                    std::vector<OptionDecl>{}));

    OptionDecl suffixList;
    suffixList.control = "lstAMNParts";
    suffixList.kind = OptionKind::ListBox;
    suffixList.caption = "Parts to copy:";
    suffixList.dataField = ProjectDataField("AddMarriedNames", "Parts");
    suffixList.source = ListSource::Fixed;
    suffixList.items = {"Suffix", "OtherName"};
    OptionDecl style = Combo("cmbAMNStyle", "Style for new name:", ListSource::Styles, {});
    style.styleGroup = 'N';
    registry.Add(std::make_unique<ScriptedFunction>(
        0, "addmarriednames", "Add Married Names",
        std::vector<OptionDecl>{
            Combo("cmbAMNNameTags", "Name tag to add:", ListSource::TagTypes, {"<Choose name tag>"},
                  1),
            style, Text("txtMarriedTitle", "&Prefix:", "AddMarriedNames", "MarriedTitle"),
            suffixList, Combo("cmbFlags", "Flag:", ListSource::Flags, {"<Choose a flag field>"}),
            Combo("cmbLanguage", "Language:", ListSource::Languages,
                  {"<Choose a language>", "<All Languages>"})}));

    registry.Add(std::make_unique<ScriptedFunction>(
        7, "capitalizeplaces", "Capitalize Places",
        std::vector<OptionDecl>{Check("chkPlaceCity", "Capitalize &City", "Capitalize", "City")}));
}

ScriptedFunction& TestFunction(const FunctionRegistry& registry, const std::string& key) {
    return dynamic_cast<ScriptedFunction&>(*registry.FindByKey(key));
}

} // namespace hk::test
