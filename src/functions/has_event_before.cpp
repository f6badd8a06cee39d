#include "functions/has_event_before.h"

#include <algorithm>

#include "support/text.h"

namespace hk {
namespace {

bool IsBmdbGroup(long group) {
    return group == kGroupBirth || group == kGroupDeath || group == kGroupMarriage ||
           group == kGroupBurial;
}

// The year of a regular date's first date (characters 2 to 5); 0 for anything else.
long RegularYear(std::string_view stored) {
    std::string_view date = Trim(stored);
    if (date.size() < 5 || date[0] != '1')
        return 0;
    long year = 0;
    for (char c : date.substr(1, 4)) {
        if (c < '0' || c > '9')
            return 0;
        year = year * 10 + (c - '0');
    }
    return year;
}

} // namespace

void CHasEventBefore::OpenTables(db::CTMGDB& db, CLogFile* log, const CTMGCrossIndex& ids,
                                 const CTMGTagTypes& tagTypes) {
    CloseTables();
    log_ = log;
    ids_ = &ids;
    tagTypes_ = &tagTypes;

    people_.Open(db, "$");
    people_.SelectTag(db.PersonOrder());
    father_ = people_.Field("Father");
    mother_ = people_.Field("Mother");

    participants_.Open(db, "E");
    participants_.SelectTag("EVBYPER");
    eGNum_ = participants_.Field("GNum");
    ePrimary_ = participants_.Field("Primary");

    events_.Open(db, "G");
    events_.SelectTag("ByRecNo");
    gEType_ = events_.Field("EType");
    gPer1_ = events_.Field("Per1");
    gPer2_ = events_.Field("Per2");
    gEDate_ = events_.Field("EDate");

    families_.Open(db, "F");
    families_.SelectTag("BYPARENT");
    fChild_ = families_.Field("Child");

    // Person numbers of the dataset run up to the cross index's size.
    std::size_t size = static_cast<std::size_t>(std::max(ids.Size(), 1L));
    pathMark_.assign(size, 0);
    emptyStamp_.assign(size, 0);
    emptyDepth_.assign(size, 0);
    stamp_ = 0;
}

void CHasEventBefore::CloseTables() noexcept {
    families_.Close();
    events_.Close();
    participants_.Close();
    people_.Close();
}

int CHasEventBefore::Test(long person, long year) {
    if (OwnEvent(person, year, 0))
        return kOwnEvent;
    if (++stamp_ == 0) {
        // The stamps wrapped around: forget every old mark.
        std::fill(pathMark_.begin(), pathMark_.end(), 0);
        std::fill(emptyStamp_.begin(), emptyStamp_.end(), 0);
        stamp_ = 1;
    }
    path_.clear();
    childStack_.clear();
    int result = kNotFound;
    if (options_.useChildren)
        result = Descendants(person, year, 0);
    if (result == kNotFound && options_.useParents)
        result = Ancestors(person, year, 0);
    return result;
}

bool CHasEventBefore::OwnEvent(long person, long threshold, int depth) {
    for (bool ok = participants_.Seek(person); ok; ok = participants_.SeekNext(person)) {
        if (!participants_.Bool(ePrimary_) || !events_.Seek(participants_.Long(eGNum_)))
            continue;
        if (events_.Long(gPer1_) != person && events_.Long(gPer2_) != person)
            continue;
        long type = events_.Long(gEType_);
        if (!IsBmdbGroup(tagTypes_->GroupOf(type)))
            continue;
        long year = RegularYear(events_.Tbl().Raw(gEDate_));
        if (year <= 0 || year >= threshold)
            continue;
        Trace(depth, Id(person) + ", " + tagTypes_->NameOf(type) + " " + std::to_string(year));
        return true;
    }
    return false;
}

void CHasEventBefore::CollectChildren(long person) {
    int count = 0;
    for (bool ok = families_.Seek(person); ok && count < kMaxChildren;
         ok = families_.SeekNext(person)) {
        long child = families_.Long(fChild_);
        if (child == 0)
            continue;
        childStack_.push_back(child);
        ++count;
    }
}

int CHasEventBefore::Descendants(long person, long threshold, int depth) {
    if (depth == kRuleGeneration && options_.fiveGenerations) {
        Trace(depth, Id(person) + ", Gen=" + std::to_string(depth));
        return kFiveGenerations;
    }
    if (depth > 0 && OwnEvent(person, threshold, depth))
        return kOwnEvent;
    if (depth >= kMaxDescendantDepth || KnownEmpty(person, depth))
        return kNotFound;

    if (InRange(person))
        pathMark_[static_cast<std::size_t>(person)] = stamp_;
    else
        path_.push_back(person);
    const std::size_t base = childStack_.size();
    CollectChildren(person);
    const std::size_t end = childStack_.size();
    int result = kNotFound;
    long found = 0;
    // By position: the deeper levels push their children behind ours.
    for (std::size_t i = base; i < end && result == kNotFound; ++i) {
        long child = childStack_[i];
        if (OnPath(child))
            continue;
        result = Descendants(child, threshold + options_.descendantYears, depth + 1);
        found = child;
    }
    childStack_.resize(base);
    if (InRange(person))
        pathMark_[static_cast<std::size_t>(person)] = 0;
    else
        path_.pop_back();

    if (result == kNotFound) {
        RememberEmpty(person, depth);
        return kNotFound;
    }
    Trace(depth + 1, Id(found) + " is child of " + Id(person));
    if (depth == 0)
        Trace(0, Id(person) + ", *");
    return result == kOwnEvent ? kDescendantEvent : result;
}

int CHasEventBefore::Ancestors(long person, long threshold, int depth) {
    if (depth == kAncestorLimit)
        return kNotFound;
    if (depth > 0 && OwnEvent(person, threshold, depth))
        return kOwnEvent;
    long parents[2] = {0, 0};
    if (people_.Seek(person)) {
        parents[0] = people_.Long(father_);
        parents[1] = people_.Long(mother_);
    }
    int result = kNotFound;
    long found = 0;
    for (long parent : parents) {
        if (parent == 0)
            continue;
        result = Ancestors(parent, threshold - options_.ancestorYears, depth + 1);
        if (result != kNotFound) {
            found = parent;
            break;
        }
    }
    if (result == kNotFound)
        return kNotFound;
    Trace(depth + 1, Id(found) + " is parent of " + Id(person));
    if (depth == 0)
        Trace(0, Id(person) + ", *");
    return result == kOwnEvent ? kAncestorEvent : result;
}

bool CHasEventBefore::OnPath(long person) const {
    if (InRange(person))
        return pathMark_[static_cast<std::size_t>(person)] == stamp_;
    return std::find(path_.begin(), path_.end(), person) != path_.end();
}

// Searching a person's descendants from a deeper generation allows later years and is nearer
// the five-generations rule, so a search in vain at one generation is in vain at every
// shallower one: people reached again by another line of descent are not searched again.
bool CHasEventBefore::KnownEmpty(long person, int depth) const {
    if (!InRange(person))
        return false;
    auto i = static_cast<std::size_t>(person);
    return emptyStamp_[i] == stamp_ && depth <= emptyDepth_[i];
}

void CHasEventBefore::RememberEmpty(long person, int depth) {
    if (!InRange(person))
        return;
    auto i = static_cast<std::size_t>(person);
    if (emptyStamp_[i] != stamp_ || depth > emptyDepth_[i]) {
        emptyStamp_[i] = stamp_;
        emptyDepth_[i] = depth;
    }
}

void CHasEventBefore::Trace(int depth, const std::string& text) {
    if (log_)
        log_->LogLine(std::string(static_cast<std::size_t>(depth) * 4, ' ') + text);
}

std::string CHasEventBefore::Id(long person) const {
    return std::to_string(ids_->Lookup(person));
}

} // namespace hk
