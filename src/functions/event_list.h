#pragma once
// CEventList: the sort-date engine of Set Sort Dates. It holds the tag order, loads one
// person's names and events, gives the undated ones sort dates that keep the person's tags in
// that order (after the tags before them, not before the parents' births), and writes them.
#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "formats/tmg_date.h"
#include "loaders/loader_table.h"
#include "run/log_file.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

// One tag type of the tag order.
struct TagOrderEntry {
    std::string name;
    long number = 0;
    bool checked = false; // its sort dates may be rewritten
};

// The birth date (PBirth as a calendar date) of every person of the current dataset, by person
// number; 1 January 100 for anyone else. One scan of the person table.
class PersonBirths {
public:
    void Build(db::CTMGDB& db);
    std::chrono::sys_days Of(long perNo) const;

private:
    std::vector<int32_t> days_; // days since 1970 by person number
};

// One name or event of the person being processed.
struct CEvent {
    bool isName = false;
    long recNo = 0;      // RecNo
    uint32_t record = 0; // the physical record it was loaded from
    long tagType = 0;
    int position = 0; // in the tag order
    long otherPrincipal = 0;
    std::string date;     // trimmed; empty for the empty date
    std::string sortDate; // trimmed; empty for the empty date and for an irregular one
    std::chrono::sys_days working{};
    bool undated = false;  // neither a sort date nor a date
    bool assigned = false; // given its sort date by this run
};

class CEventList {
public:
    static constexpr long kMaxTagType = 8191;
    static constexpr int kMaxEntries = 256;

    CEventList();

    // The tag order; a type number above kMaxTagType raises an error.
    void CopyTagData(const std::vector<TagOrderEntry>& order);
    void SetDetailMode(bool on) { detailMode_ = on; }
    bool DetailMode() const { return detailMode_; }

    // Opens the name and event tables; unknown-type lines go to `log`.
    void OpenTables(db::CTMGDB& db, CLogFile& log);
    // Loads the person's names and events (at most kMaxEntries); returns how many were kept.
    int LoadPerson(long perNo);

    // Gives sort dates to the checked entries without one, starting from the parents' births
    // (father and mother may be 0) and looking up other principals in `births`. Unless Log
    // Only is on, each is written at once. Returns the number assigned.
    int AssignSortDates(long father, long mother, const PersonBirths& births);
    // An empty line, "#" ID + ", " names + " n, " events + " v", then one line per entry.
    void LogPerson(long personId, const CTMGDate& dates);

    int EntryCount() const { return count_; }
    int UndatedCount() const { return undated_; }
    const CEvent& Entry(int i) const { return entries_[i]; }

    long TagsChanged() const { return tagsChanged_; }
    long UnrecognizedTypes() const { return unrecognized_; }
    void ResetUnrecognizedTypes() { unrecognized_ = 0; }

private:
    struct Source {
        LoaderTable table;
        int recNo = -1, type = -1, date = -1, sortDate = -1;
        int per1 = -1, per2 = -1, primary = -1;
    };

    void LoadRows(Source& s, bool names, long perNo);
    void Keep(Source& s, bool names, long perNo, long type);
    void Write(const CEvent& e);

    std::array<int, kMaxTagType + 1> position_; // -1: not in the tag order
    std::vector<TagOrderEntry> order_;
    bool detailMode_ = false;
    long tagsChanged_ = 0;
    long unrecognized_ = 0;

    CLogFile* log_ = nullptr;
    Source names_, byPer1_, byPer2_;
    std::vector<CEvent> entries_; // kMaxEntries slots, reused person after person
    int count_ = 0;
    int undated_ = 0;
    int nameCount_ = 0;
    // The sort dates given to shared events, by record, so that the other principal sees them
    // even where the table layer dropped the write (Log Only).
    std::unordered_map<uint32_t, std::string> unwritten_;
};

} // namespace hk
