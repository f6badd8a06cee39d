#pragma once
// CHasEventBefore: whether a person must have lived before a year, judged by the dated birth,
// death, marriage and burial events of the person, of the descendants (a later year allowed
// per generation) or of the ancestors (an earlier year per generation). What it finds is
// traced in the run log, from the event found back to the person.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/tag_types.h"
#include "loaders/cross_index.h"
#include "loaders/loader_table.h"
#include "run/log_file.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

struct HasEventBeforeOptions {
    bool useChildren = false;
    bool fiveGenerations = false;
    bool useParents = false;
    long descendantYears = 10; // added to the year per generation of descendants
    long ancestorYears = 60;   // subtracted from the year per generation of ancestors
};

class CHasEventBefore {
public:
    // Results of Test.
    static constexpr int kNotFound = 0;
    static constexpr int kOwnEvent = 1;
    static constexpr int kDescendantEvent = -1;
    static constexpr int kFiveGenerations = -2;
    static constexpr int kAncestorEvent = -3;

    // Children read per person; further rows are not read.
    static constexpr int kMaxChildren = 32;
    // The generation at which the five-generations rule holds, and the ancestor generation
    // that is no longer searched (great-great-grandparents are generation 4).
    static constexpr int kRuleGeneration = 5;
    static constexpr int kAncestorLimit = 5;
    // Descendant searches go no deeper, whatever the data: it keeps the stack bounded when
    // parent-child links run in a chain no family has.
    static constexpr int kMaxDescendantDepth = 1000;

    void SetOptions(const HasEventBeforeOptions& options) { options_ = options; }
    const HasEventBeforeOptions& Options() const { return options_; }

    // `log` receives the trace (none when null); `ids` turns person numbers into the IDs the
    // trace shows. Both, and the tag types, must outlive the tables.
    void OpenTables(db::CTMGDB& db, CLogFile* log, const CTMGCrossIndex& ids,
                    const CTMGTagTypes& tagTypes);
    void CloseTables() noexcept;

    // kOwnEvent, kDescendantEvent, kFiveGenerations, kAncestorEvent or kNotFound.
    int Test(long person, long year);

private:
    bool OwnEvent(long person, long threshold, int depth);
    int Descendants(long person, long threshold, int depth);
    int Ancestors(long person, long threshold, int depth);
    void CollectChildren(long person);
    void Trace(int depth, const std::string& text);
    std::string Id(long person) const;

    bool InRange(long person) const {
        return person >= 0 && static_cast<std::size_t>(person) < pathMark_.size();
    }
    bool OnPath(long person) const;
    bool KnownEmpty(long person, int depth) const;
    void RememberEmpty(long person, int depth);

    HasEventBeforeOptions options_;
    CLogFile* log_ = nullptr;
    const CTMGCrossIndex* ids_ = nullptr;
    const CTMGTagTypes* tagTypes_ = nullptr;

    LoaderTable people_, participants_, events_, families_;
    int father_ = -1, mother_ = -1;
    int eGNum_ = -1, ePrimary_ = -1;
    int gEType_ = -1, gPer1_ = -1, gPer2_ = -1, gEDate_ = -1;
    int fChild_ = -1;

    // Children of every level of the current descendant search, one run after the other.
    std::vector<long> childStack_;
    // People on the current line of descent (a cycle guard for parent-child loops), and the
    // deepest generation at which a person's descendants were searched in vain. Both are
    // valid only for the current Test (its stamp); numbers outside the range use path_.
    std::vector<uint32_t> pathMark_;
    std::vector<uint32_t> emptyStamp_;
    std::vector<int32_t> emptyDepth_;
    std::vector<long> path_;
    uint32_t stamp_ = 0;
};

} // namespace hk
