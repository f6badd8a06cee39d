#pragma once
// CTMGResearchLogLoader: the research-log tasks ("L") of the current dataset in task-number
// order.
#include <string>

#include "loaders/loader_table.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

struct ResearchLogValues {
    char rlType = ' ';
    long rlNum = 0, rlPer1 = 0, rlPer2 = 0, rlGType = 0;
    std::string task, edited, designed, begun, progress, completed, planned;
    double expenses = 0;
    std::string comments, note, keywords;
};

class CTMGResearchLogLoader {
public:
    void OpenTable(db::CTMGDB& db);
    void CloseTable() noexcept { l_.Close(); }
    bool HasResearchLogEntries();
    void GoToTop();
    // The next task of the dataset, loaded; false at the end.
    bool GetNextResearchLogEntry();
    const ResearchLogValues& Entry() const { return entry_; }

private:
    LoaderTable l_;
    bool started_ = false;
    int rlType_ = -1, rlNum_ = -1, rlPer1_ = -1, rlPer2_ = -1, rlGType_ = -1, task_ = -1,
        edited_ = -1, designed_ = -1, begun_ = -1, progress_ = -1, completed_ = -1, planned_ = -1,
        expenses_ = -1, comments_ = -1, note_ = -1, keywords_ = -1;
    ResearchLogValues entry_;
};

} // namespace hk
