#include "loaders/groups.h"

#include <utility>

namespace hk {

void CTMGGroups::OpenTables(db::CTMGDB& db, std::string flagField, LogSink log) {
    CloseTables();
    flagField_ = std::move(flagField);
    log_ = std::move(log);
    people_.Open(db, "$");
    people_.SelectTag(db.PersonOrder());
    perNo_ = people_.Field("Per_No");
    flag_ = people_.Field(flagField_);
    byParent_.Open(db, "F");
    byParent_.SelectTag("BYPARENT");
    byChild_.Open(db, "F");
    byChild_.SelectTag("BYCHILD");
    fChild_ = byParent_.Field("Child");
    fParent_ = byParent_.Field("Parent");
    e_.Open(db, "E");
    e_.SelectTag("EVBYPER");
    ePer_ = e_.Field("EPer");
    eGNum_ = e_.Field("GNum");
    g_.Open(db, "G");
    g_.SelectTag("BYRECNO");
    gPer1_ = g_.Field("Per1");
    gPer2_ = g_.Field("Per2");
}

void CTMGGroups::CloseTables() noexcept {
    g_.Close();
    e_.Close();
    byChild_.Close();
    byParent_.Close();
    people_.Close();
}

long CTMGGroups::ResetGroupFlag() {
    members_.clear();
    order_.clear();
    const std::string value(1, unassigned_);
    for (bool ok = people_.First(); ok; ok = people_.Next()) {
        long perNo = people_.Long(perNo_);
        if (perNo == 0)
            continue;
        if (people_.Char(flag_) != unassigned_)
            people_.Tbl().AssignString(flag_, value);
        members_[perNo] = {people_.RecNo(), unassigned_};
        order_.push_back(perNo);
    }
    Log("Reset " + flagField_ + " Flag (" + std::to_string(order_.size()) + " records)");
    return static_cast<long>(order_.size());
}

char CTMGGroups::LabelOf(long person) const {
    auto it = members_.find(person);
    return it == members_.end() ? unassigned_ : it->second.label;
}

void CTMGGroups::Label(long person, Member& member, char label) {
    member.label = label;
    people_.Go(member.recNo);
    people_.Tbl().AssignString(flag_, std::string(1, label));
    group_.push_back(person);
}

void CTMGGroups::Relatives(long person, std::vector<long>& out) {
    out.clear();
    int children = 0;
    for (bool ok = byParent_.Seek(person); ok && children < kChildrenPerVisit;
         ok = byParent_.SeekNext(person), ++children)
        out.push_back(byParent_.Long(fChild_));
    for (bool ok = byChild_.Seek(person); ok; ok = byChild_.SeekNext(person))
        out.push_back(byChild_.Long(fParent_));
    for (bool ok = e_.Seek(person); ok; ok = e_.SeekNext(person)) {
        if (!g_.Seek(e_.Long(eGNum_)))
            continue;
        for (int field : {gPer1_, gPer2_}) {
            long other = g_.Long(field);
            if (other != 0 && other != person)
                out.push_back(other);
        }
    }
}

long CTMGGroups::FindGroup(long person, char label) {
    auto seed = members_.find(person);
    if (seed == members_.end() || seed->second.label != unassigned_)
        return 0;
    long labelled = 0;
    Label(person, seed->second, label);
    ++labelled;
    // Depth-first over one shared stack of pending people with their depth.
    std::vector<std::pair<long, int>> stack{{person, 0}};
    std::vector<long> relatives;
    while (!stack.empty()) {
        auto [current, depth] = stack.back();
        stack.pop_back();
        Relatives(current, relatives);
        for (long r : relatives) {
            auto it = members_.find(r);
            if (it == members_.end() || it->second.label != unassigned_)
                continue;
            if (static_cast<int>(stack.size()) >= kStackLimit) {
                overflow_ = true;
                break;
            }
            Label(r, it->second, label);
            ++labelled;
            stack.emplace_back(r, depth + 1);
            depthMax_ = std::max(depthMax_, depth + 1);
            stackMax_ = std::max(stackMax_, static_cast<int>(stack.size()));
        }
    }
    return labelled;
}

void CTMGGroups::FindAllGroups(long minGroupSize) {
    overflow_ = false;
    depthMax_ = stackMax_ = 0;
    ResetGroupFlag();
    long orphans = 0;
    std::size_t next = 0; // the seed search goes on from the previous seed
    std::size_t k = 0;
    while (true) {
        if (k >= kLabels.size()) {
            Log("Too many groups (" + std::to_string(kLabels.size() + 1) + ")");
            break;
        }
        while (next < order_.size() && LabelOf(order_[next]) != unassigned_)
            ++next;
        if (next >= order_.size())
            break;
        const char label = kLabels[k];
        group_.clear();
        long size = FindGroup(order_[next], label);
        if (size > minGroupSize) {
            Log("Group '" + std::string(1, label) + "' contains " + std::to_string(size) +
                " people");
            ++k;
            continue;
        }
        for (long person : std::vector<long>(group_)) {
            Member& m = members_[person];
            m.label = kOrphanLabel;
            people_.Go(m.recNo);
            people_.Tbl().AssignString(flag_, std::string(1, kOrphanLabel));
        }
        orphans += size;
    }
    Log("Orphans (Group '" + std::string(1, kOrphanLabel) + "') contains " +
        std::to_string(orphans) + " people");
    if (overflow_) {
        Log(std::string("Internal stack exceeded;") + " results are incomplete.");
        Log("DepthMax=" + std::to_string(depthMax_));
        Log("StackMax=" + std::to_string(stackMax_));
        Log("StackLim=" + std::to_string(kStackLimit));
    }
}

} // namespace hk
