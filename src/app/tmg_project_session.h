#pragma once
// The ProjectSession of both front ends over the project database object CTMGDB: the project
// open of the window (version check, dataset choice, locked dataset) and the lists its panels
// offer.
#include <memory>
#include <string>

#include "loaders/factory.h"
#include "run/project_session.h"
#include "support/settings_store.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

class TmgProjectSession : public ProjectSession {
public:
    // `programFolder` holds compatibility.ini.
    TmgProjectSession(Settings& settings, std::string programFolder);

    OpenResult Open(const std::string& pjcPath, UserInterface& ui, const OpenHooks& hooks) override;
    void Close() override;
    bool IsOpen() const override { return db_->IsOpen(); }
    ProjectInfo Info() const override;
    std::string Caption() const override;
    ProjectLists Lists(const std::string& languageChoices) override;
    db::CTMGDB* Database() override { return db_.get(); }
    CFactory* Factory() override { return factory_.get(); }
    // A new factory over the project and every table a run left open closed, so nothing it
    // read survives into the next run.
    void AfterRun() override;

private:
    Settings& settings_;
    std::string programFolder_;
    std::shared_ptr<db::CTMGDB> db_;
    std::unique_ptr<CFactory> factory_;
};

} // namespace hk
