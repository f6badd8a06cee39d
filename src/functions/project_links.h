#pragma once
// The links between a project's tables that the functions rely on, checked in one pass over
// each table in record order: the IDs of the tables others point at are held in memory, so a
// link costs no seek. Only live records of the dataset count, on both ends.
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "functions/check_faults.h"
#include "support/id_set.h"
#include "xbase/table.h"

namespace hk {

class ProjectLinks {
public:
    // `dsid` 0: every record counts, whatever its dataset.
    explicit ProjectLinks(long dsid) : dsid_(dsid) {}

    // The tables with links, in the order their passes must come: tables pointed at first.
    static const std::vector<std::string>& Order();

    // The visitor of one pass over a table of Order() (upper-case suffix) whose file is `name`,
    // to be called with every record in record order: keeps its IDs for the tables after it
    // and reports its links to tables before it. EndWalk after its last record.
    using RecordVisitor = std::function<void(uint32_t recno, const uint8_t* record)>;
    RecordVisitor Walk(std::string_view suffix, const db::Table& table, const std::string& name,
                       const FaultSink& report);
    void EndWalk(std::string_view suffix);
    // A table that could not be read: links into it are not judged.
    void Unreadable(std::string_view suffix);
    // After the passes: every person of the dataset has exactly one primary name.
    void CheckPrimaryNames(const FaultSink& report);

private:
    struct Held {
        IdSet ids;
        bool readable = true;
    };

    long dsid_;
    std::map<std::string, Held, std::less<>> held_;
    std::string personTable_;
    bool namesWalked_ = false;
    std::vector<std::pair<long, uint32_t>> people_;    // person number, record
    std::vector<std::pair<long, uint32_t>> primaries_; // person number, name record
};

} // namespace hk
