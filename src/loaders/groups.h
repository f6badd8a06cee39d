#pragma once
// CTMGGroups: labels the connected groups of people (linked by parent-child links or shared
// events) with one character in a person flag field: "1"-"9" and "A"-"Z" without "O" for the
// groups, "O" for the people of groups too small to keep their label.
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "loaders/loader_table.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

class CTMGGroups {
public:
    static constexpr std::string_view kLabels = "123456789ABCDEFGHIJKLMNPQRSTUVWXYZ";
    static constexpr char kOrphanLabel = 'O';
    static constexpr int kStackLimit = 10000;
    static constexpr int kChildrenPerVisit = 32;

    using LogSink = std::function<void(const std::string&)>;

    // The flag value of a person no group has reached yet.
    void SetUnassignedValue(char value) { unassigned_ = value; }

    void OpenTables(db::CTMGDB& db, std::string flagField, LogSink log);
    void CloseTables() noexcept;

    // Sets the flag of every person (Per_No not 0) to the unassigned value; returns the count.
    long ResetGroupFlag();
    // Labels every person reachable from `person` that is still unassigned (the person
    // included) with `label`; returns how many it labelled.
    long FindGroup(long person, char label);
    // Every group, keeping the labels of groups larger than minGroupSize.
    void FindAllGroups(long minGroupSize);

    bool StackOverflowed() const { return overflow_; }
    int DepthMax() const { return depthMax_; }
    int StackMax() const { return stackMax_; }
    // The label a person holds now (the unassigned value when none).
    char LabelOf(long person) const;

private:
    struct Member {
        uint32_t recNo = 0;
        char label = ' ';
    };
    void Label(long person, Member& member, char label);
    // Unassigned relatives of a person: children (at most 32), parents, event partners.
    void Relatives(long person, std::vector<long>& out);
    void Log(const std::string& line) const {
        if (log_)
            log_(line);
    }

    LoaderTable people_, byParent_, byChild_, e_, g_;
    std::string flagField_;
    int flag_ = -1, perNo_ = -1, fChild_ = -1, fParent_ = -1, ePer_ = -1, eGNum_ = -1, gPer1_ = -1,
        gPer2_ = -1;
    LogSink log_;
    char unassigned_ = ' ';

    std::unordered_map<long, Member> members_; // by Per_No
    std::vector<long> order_;                  // Per_No in person order
    std::vector<long> group_;                  // the people of the group being labelled
    bool overflow_ = false;
    int depthMax_ = 0, stackMax_ = 0;
};

} // namespace hk
