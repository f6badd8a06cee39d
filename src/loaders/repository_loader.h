#pragma once
// CTMGRepositoryLoader: the repositories of a source, through the source-to-repository links
// ("W") and the repositories ("R") of the current dataset.
#include <string>
#include <vector>

#include "loaders/loader_table.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

struct RepositoryValues {
    long recNo = 0, refId = 0;
    std::string abbrev;
    std::string name; // a packed name
    long address = 0; // a place number
    std::string note;
    long perNo = 0;
    // Of the link
    std::string reference;
    bool primary = false;
};

class CTMGRepositoryLoader {
public:
    void OpenTables(db::CTMGDB& db);
    void CloseTables() noexcept;
    // The repositories linked to a source, in link order; links to a missing repository are
    // left out.
    std::vector<RepositoryValues> ForSource(long majNum);
    bool SeekRepository(long recNo, RepositoryValues& out);

private:
    LoaderTable w_, r_;
    int wMNumber_ = -1, wRNumber_ = -1, wReference_ = -1, wPrimary_ = -1;
    int rAbbrev_ = -1, rName_ = -1, rAddress_ = -1, rNote_ = -1, rPerNo_ = -1, rRecNo_ = -1,
        rRefId_ = -1;
};

} // namespace hk
