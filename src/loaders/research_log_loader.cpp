#include "loaders/research_log_loader.h"

namespace hk {

void CTMGResearchLogLoader::OpenTable(db::CTMGDB& db) {
    CloseTable();
    l_.Open(db, "L");
    l_.SelectTag("BYRLNUM");
    rlType_ = l_.Field("RlType");
    rlNum_ = l_.Field("RlNum");
    rlPer1_ = l_.Field("RlPer1");
    rlPer2_ = l_.Field("RlPer2");
    rlGType_ = l_.Field("RlGType");
    task_ = l_.Field("Task");
    edited_ = l_.Field("RlEdited");
    designed_ = l_.Field("Designed");
    begun_ = l_.Field("Begun");
    progress_ = l_.Field("Progress");
    completed_ = l_.Field("Completed");
    planned_ = l_.Field("Planned");
    expenses_ = l_.Field("Expenses");
    comments_ = l_.Field("Comments");
    note_ = l_.Field("RlNote");
    keywords_ = l_.Field("Keywords");
    started_ = false;
}

bool CTMGResearchLogLoader::HasResearchLogEntries() {
    bool any = l_.First();
    started_ = false;
    return any;
}

void CTMGResearchLogLoader::GoToTop() {
    started_ = false;
}

bool CTMGResearchLogLoader::GetNextResearchLogEntry() {
    bool found = started_ ? l_.Next() : l_.First();
    started_ = true;
    if (!found)
        return false;
    ResearchLogValues& e = entry_;
    e.rlType = l_.Char(rlType_);
    e.rlNum = l_.Long(rlNum_);
    e.rlPer1 = l_.Long(rlPer1_);
    e.rlPer2 = l_.Long(rlPer2_);
    e.rlGType = l_.Long(rlGType_);
    e.task = l_.Text(task_);
    e.edited = l_.Text(edited_);
    e.designed = l_.Text(designed_);
    e.begun = l_.Text(begun_);
    e.progress = l_.Text(progress_);
    e.completed = l_.Text(completed_);
    e.planned = l_.Text(planned_);
    e.expenses = l_.Tbl().GetDouble(expenses_);
    e.comments = l_.Text(comments_);
    e.note = l_.Text(note_);
    e.keywords = l_.Text(keywords_);
    return true;
}

} // namespace hk
