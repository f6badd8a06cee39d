#include "app/tmg_project_session.h"

#include "app/open_project.h"
#include "app/project_lists.h"
#include "app/startup.h"
#include "support/memory_settings_store.h"

namespace hk {

TmgProjectSession::TmgProjectSession(Settings& settings, std::string programFolder)
    : settings_(settings), programFolder_(std::move(programFolder)),
      db_(std::make_shared<db::CTMGDB>()) {
    db_->SetMemoryBudget(size_t(ReadProgramSettings(programFolder_).memoryBudgetMb) << 20);
    AfterRun();
}

OpenResult TmgProjectSession::Open(const std::string& pjcPath, UserInterface& ui,
                                   const OpenHooks& hooks) {
    // The open step names a cancelled dataset choice by putting the path on a recent list;
    // one kept in memory tells it apart from a failure.
    MemorySettingsStore scratch;
    CRecentFiles cancelled(scratch);
    cancelled.SetRegKey({});

    OpenProjectSteps steps;
    steps.programFolder = programFolder_;
    steps.setCaption = hooks.setCaption;
    steps.recentFiles = &cancelled;
    steps.settings = &settings_;
    if (OpenProjectFile(*db_, pjcPath, ui, steps))
        return OpenResult::Opened;
    return cancelled.Count() > 0 ? OpenResult::Cancelled : OpenResult::Failed;
}

void TmgProjectSession::Close() {
    AfterRun();
    db_->CloseProject();
}

ProjectInfo TmgProjectSession::Info() const {
    return ProjectInfoOf(*db_);
}

std::string TmgProjectSession::Caption() const {
    return ProjectCaption(*db_, true);
}

ProjectLists TmgProjectSession::Lists(const std::string& languageChoices) {
    return ReadProjectLists(*db_, settings_, languageChoices);
}

void TmgProjectSession::AfterRun() {
    // The old loaders close their tables through the project object: they go first.
    factory_.reset();
    db_->CloseAllTables();
    factory_ = std::make_unique<CFactory>();
    factory_->SetTMGDB(db_);
}

} // namespace hk
