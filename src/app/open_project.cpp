#include "app/open_project.h"

#include "app/project_path.h"
#include "app/startup.h"
#include "run/option_persistence.h"
#include "run/run_frame.h"

namespace hk {

std::string UnsupportedVersionMessage(const std::string& versionText, int result) {
    std::string text = "This program does not support TMG project structure version " +
                       versionText + " databases. ";
    if (result == 0)
        text += "You should upgrade to a newer version of TMG, "
                "or attempt to find a back-level version of " +
                ProgramTitle() + ".";
    else
        text += "You may need a  new version of " + ProgramTitle() +
                " or a new version of the compatibility check file. If you are using a newly "
                "updated version of TMG, then a new version of " +
                ProgramTitle() + " may or may not be available.";
    return text + " See: " + SupportWebAddress();
}

std::string ProjectCaption(const db::CTMGDB& db, bool withDataset) {
    std::string caption = ProgramTitle() + " - " + db.DisplayName();
    if (withDataset)
        caption += ":" + std::to_string(db.DSID()) + " (" + db.DatasetName() + ")";
    return caption;
}

ProjectInfo ProjectInfoOf(const db::CTMGDB& db) {
    return {db.ProjectPrefix(), db.ProjectFolder(), db.DatasetName()};
}

long ChooseDataset(db::CTMGDB& db, UserInterface& ui, long lastDsid) {
    std::vector<db::DatasetRecord> datasets = db.Datasets();
    if (datasets.size() < 2)
        return datasets.empty() ? 0 : datasets.back().dsid;
    std::vector<DatasetChoice> choices;
    for (const db::DatasetRecord& d : datasets)
        choices.push_back({d.dsid, d.name, lastDsid != 0 && d.dsid == lastDsid});
    return ui.ChooseDataset(choices);
}

bool OpenProjectFile(db::CTMGDB& db, const std::string& named, UserInterface& ui,
                     const OpenProjectSteps& steps) {
    std::string path;
    try {
        path = LocateProject(named);
    } catch (const std::exception& e) {
        ShowError(ui, e, 0);
        return false;
    }
    auto caption = [&](bool withDataset) {
        if (steps.setCaption)
            steps.setCaption(ProjectCaption(db, withDataset));
    };
    if (db.IsOpen()) {
        if (steps.beforeClose)
            steps.beforeClose();
        db.CloseProject();
    }
    db.SetProjectPath(path);
    caption(false);
    try {
        db.OpenProject(path);
    } catch (const std::exception& e) {
        ShowError(ui, e, 0);
        return false;
    }
    // The note stays for the next run's log as well.
    if (const auto& recovered = db.RecoveredRun())
        ui.Message(db::CTMGDB::RecoveredRunMessage(*recovered), {}, MsgIcon::Information);

    int result =
        db.CheckCompatibility(CompatibilityIniPath(steps.programFolder), steps.programVersion.major,
                              steps.programVersion.minor, steps.programVersion.revision);
    if (result != 1) {
        db.CloseProject();
        ui.Message(UnsupportedVersionMessage(db.VersionText(), result));
        return false;
    }

    try {
        const std::string fileKey = ProjectFileKey(db.ProjectPrefix());
        long last = steps.settings != nullptr
                        ? steps.settings->GetSettingLong(kSettingsRoot, fileKey, "Last Dataset", 0)
                        : 0;
        long dsid = ChooseDataset(db, ui, last);
        if (dsid == -1) {
            db.CloseProject();
            if (steps.recentFiles)
                steps.recentFiles->SelectFile(path);
            return false;
        }
        db.SetDSID(dsid);
        if (steps.settings != nullptr)
            steps.settings->SaveSettingLong(kSettingsRoot, fileKey, "Last Dataset", dsid);
        auto dataset = db.FindDataset(dsid);
        if (dataset && dataset->locked) {
            MsgAnswer answer =
                ui.ShowMessageBox("The dataset is locked. Click [OK] to continue, "
                                  "or [Cancel] to close the project and dataset.",
                                  "Dataset Locked", MsgButtons::OkCancel, MsgIcon::Exclamation);
            if (answer != MsgAnswer::Ok) {
                db.CloseProject();
                return false;
            }
        }
        db.SetDatasetName(dataset ? dataset->name : std::string());
    } catch (const std::exception& e) {
        db.CloseProject();
        ShowError(ui, e, 0);
        return false;
    }
    caption(true);
    return true;
}

} // namespace hk
