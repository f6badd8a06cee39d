#include "test_functions.h"

#include "run/option_persistence.h"

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

} // namespace

void RegisterPanelStandIns(FunctionRegistry& registry) {
    auto changeEvents = std::make_unique<PanelStandIn>(
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

    OptionDecl suffixList;
    suffixList.control = "lstAMNParts";
    suffixList.kind = OptionKind::ListBox;
    suffixList.caption = "Parts to copy:";
    suffixList.dataField = ProjectDataField("AddMarriedNames", "Parts");
    suffixList.source = ListSource::Fixed;
    suffixList.items = {"Suffix", "OtherName"};
    OptionDecl style = Combo("cmbAMNStyle", "Style for new name:", ListSource::Styles, {});
    style.styleGroup = 'N';
    registry.Add(std::make_unique<PanelStandIn>(
        0, "addmarriednames", "Add Married Names",
        std::vector<OptionDecl>{
            Combo("cmbAMNNameTags", "Name tag to add:", ListSource::TagTypes, {"<Choose name tag>"},
                  1),
            style, Text("txtMarriedTitle", "&Prefix:", "AddMarriedNames", "MarriedTitle"),
            suffixList, Combo("cmbFlags", "Flag:", ListSource::Flags, {"<Choose a flag field>"}),
            Combo("cmbLanguage", "Language:", ListSource::Languages,
                  {"<Choose a language>", "<All Languages>"})}));

    OptionDecl hookList;
    hookList.control = "lstCNTHook";
    hookList.kind = OptionKind::ListBox;
    hookList.caption = "Filled by the function:";
    hookList.dataField = ProjectDataField("ChangeNameType", "Hook");
    auto changeNameType = std::make_unique<PanelStandIn>(
        15, "changenametype", "Change Name Type",
        std::vector<OptionDecl>{
            Combo("cmbCNTHook", "Filled by the function:", ListSource::None, {"<Choose>"}),
            hookList});
    changeNameType->fillLists = [](db::CTMGDB& db, ControlStates& states) {
        std::string dataset = "Dataset " + std::to_string(db.DSID());
        states["cmbCNTHook"].items = {{"<Choose>", false, 0}, {dataset, false, db.DSID()}};
        states["lstCNTHook"].items = {{db.ProjectPrefix(), false, 0}, {dataset, false, 0}};
    };
    registry.Add(std::move(changeNameType));

    registry.Add(std::make_unique<PanelStandIn>(
        7, "capitalizeplaces", "Capitalize Places",
        std::vector<OptionDecl>{Check("chkPlaceCity", "Capitalize &City", "Capitalize", "City")}));
}

} // namespace hk::test
