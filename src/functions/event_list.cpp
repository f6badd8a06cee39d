#include "functions/event_list.h"

#include "support/error.h"
#include "support/text.h"

namespace hk {

using namespace std::chrono;

namespace {

const sys_days kFloorStart = sys_days(year{100} / January / 1);

// Trimmed stored text, as UTF-8, into a string that keeps its buffer from person to person.
void AssignTrimmed(std::string& out, std::string_view raw) {
    std::string_view t = Trim(raw);
    if (IsAscii(t))
        out.assign(t);
    else
        out = Cp1252ToUtf8(t);
}

// Twelve years on; 29 February becomes the 28th in a year without it.
sys_days TwelveYearsAfter(sys_days d) {
    year_month_day ymd = year_month_day(d) + years{12};
    if (!ymd.ok())
        ymd = ymd.year() / ymd.month() / last;
    return sys_days(ymd);
}

std::string PadLeft(const std::string& s, size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

std::string PadRight(const std::string& s, size_t width) {
    return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

} // namespace

// ---------------------------------------------------------------------------------------------

void PersonBirths::Build(db::CTMGDB& db) {
    days_.clear();
    LoaderTable t;
    t.Open(db, "$");
    const int perNo = t.Field("Per_No");
    const int birth = t.Field("PBirth");
    const int32_t none = static_cast<int32_t>(kFloorStart.time_since_epoch().count());
    for (bool ok = t.First(); ok; ok = t.Next()) {
        long n = t.Long(perNo);
        if (n < 0)
            continue;
        if (static_cast<size_t>(n) >= days_.size())
            days_.resize(static_cast<size_t>(n) + 1, none);
        sys_days d = sys_days(CTMGDate::ToDate(Trim(t.Tbl().Raw(birth))));
        days_[static_cast<size_t>(n)] = static_cast<int32_t>(d.time_since_epoch().count());
    }
}

sys_days PersonBirths::Of(long perNo) const {
    if (perNo < 0 || static_cast<size_t>(perNo) >= days_.size())
        return kFloorStart;
    return sys_days(days{days_[static_cast<size_t>(perNo)]});
}

// ---------------------------------------------------------------------------------------------

CEventList::CEventList() : entries_(kMaxEntries) {
    position_.fill(-1);
}

void CEventList::CopyTagData(const std::vector<TagOrderEntry>& order) {
    position_.fill(-1);
    order_.clear();
    for (const TagOrderEntry& entry : order) {
        if (entry.number > kMaxTagType)
            throw Error(-1, "CEventList:CopyTagData",
                        "Tag type " + std::to_string(entry.number) + " for '" + entry.name +
                            "' exceeds max (" + std::to_string(kMaxTagType) + ")");
        if (entry.number < 0 || position_[entry.number] >= 0)
            continue;
        position_[entry.number] = static_cast<int>(order_.size());
        order_.push_back(entry);
    }
}

void CEventList::OpenTables(db::CTMGDB& db, CLogFile& log) {
    log_ = &log;
    // One cursor per order, so that no person needs a tag switched.
    for (Source* s : {&names_, &byPer1_, &byPer2_}) {
        const bool names = s == &names_;
        s->table.Open(db, names ? "N" : "G");
        s->table.SelectTag(names ? "BYNPER" : s == &byPer1_ ? "BYPER1" : "BYPER2");
        s->recNo = s->table.Field("RecNo");
        s->type = s->table.Field(names ? "AlType" : "EType");
        s->date = s->table.Field(names ? "NDate" : "EDate");
        s->sortDate = s->table.Field("SrtDate");
        if (names) {
            s->primary = s->table.Field("Primary");
        } else {
            s->per1 = s->table.Field("Per1");
            s->per2 = s->table.Field("Per2");
        }
    }
}

int CEventList::LoadPerson(long perNo) {
    count_ = undated_ = nameCount_ = 0;
    LoadRows(names_, true, perNo);
    nameCount_ = count_;
    // An event with the person as both principals is read by both passes.
    LoadRows(byPer1_, false, perNo);
    LoadRows(byPer2_, false, perNo);
    return count_;
}

void CEventList::LoadRows(Source& s, bool names, long perNo) {
    if (count_ >= kMaxEntries)
        return;
    db::Table& t = s.table.Tbl();
    for (bool ok = s.table.Seek(perNo); ok && count_ < kMaxEntries; ok = s.table.SeekNext(perNo)) {
        if (names && s.table.Bool(s.primary) && CTMGDate::IsEmptyDate(t.Raw(s.date)))
            continue;
        Keep(s, names, perNo, s.table.Long(s.type));
    }
}

void CEventList::Keep(Source& s, bool names, long perNo, long type) {
    db::Table& t = s.table.Tbl();
    const long recNo = s.table.Long(s.recNo);
    if (type < 0 || type > kMaxTagType || position_[type] < 0) {
        log_->LogLine(std::string("Skipping ") + (names ? "name" : "event") +
                      " (RECNO=" + std::to_string(recNo) + ") - Unknown tag type");
        ++unrecognized_;
        return;
    }
    CEvent& e = entries_[count_++];
    e.isName = names;
    e.recNo = recNo;
    e.record = t.RecNo();
    e.tagType = type;
    e.position = position_[type];
    e.otherPrincipal = 0;
    if (!names) {
        long per1 = s.table.Long(s.per1);
        e.otherPrincipal = per1 == perNo ? s.table.Long(s.per2) : per1;
    }
    AssignTrimmed(e.date, t.Raw(s.date));
    if (e.date == CTMGDate::kEmptyDate)
        e.date.clear();
    AssignTrimmed(e.sortDate, t.Raw(s.sortDate));
    if (!unwritten_.empty() && !names) {
        if (auto it = unwritten_.find(e.record); it != unwritten_.end())
            e.sortDate = it->second;
    }
    if (e.sortDate == CTMGDate::kEmptyDate || CTMGDate::IsIrregular(e.sortDate))
        e.sortDate.clear();
    e.assigned = false;
    e.undated = false;
    if (!e.sortDate.empty()) {
        e.working = sys_days(CTMGDate::ToDate(e.sortDate));
    } else if (!e.date.empty() && e.date != "0") {
        e.working = sys_days(CTMGDate::ToDate(e.date));
    } else {
        e.undated = true;
        e.working = kFloorStart;
        ++undated_;
    }
}

int CEventList::AssignSortDates(long father, long mother, const PersonBirths& births) {
    sys_days floor = kFloorStart;
    bool raised = false;
    for (long parent : {father, mother}) {
        if (parent != 0 && births.Of(parent) > floor) {
            floor = births.Of(parent);
            raised = true;
        }
    }
    if (raised)
        floor = TwelveYearsAfter(floor);

    int assigned = 0;
    for (;;) {
        int chosen = -1;
        for (int i = 0; i < count_; ++i) {
            const CEvent& e = entries_[i];
            if (e.sortDate.empty() && order_[e.position].checked &&
                (chosen < 0 || e.position < entries_[chosen].position))
                chosen = i;
        }
        if (chosen < 0)
            break;
        CEvent& c = entries_[chosen];
        for (int i = 0; i < count_; ++i) {
            const CEvent& e = entries_[i];
            if (i != chosen && !e.sortDate.empty() && e.position <= c.position &&
                e.working >= floor)
                floor = e.working + days{1};
        }
        if (c.otherPrincipal != 0 && births.Of(c.otherPrincipal) > floor)
            floor = births.Of(c.otherPrincipal) + days{1};
        const year_month_day f{floor};
        c.sortDate = CTMGDate::TMGValue("3", f, f);
        c.working = floor;
        c.assigned = true;
        Write(c);
        if (c.otherPrincipal != 0)
            unwritten_[c.record] = c.sortDate;
        ++tagsChanged_;
        ++assigned;
    }
    return assigned;
}

void CEventList::Write(const CEvent& e) {
    Source& s = e.isName ? names_ : byPer1_;
    if (!s.table.Go(e.record))
        throw Error(-1, ErrorSource("CEventList", "Write"),
                    "Record " + std::to_string(e.record) + " not found");
    s.table.Tbl().AssignString(s.sortDate, e.sortDate);
}

void CEventList::LogPerson(long personId, const CTMGDate& dates) {
    log_->LogBlankLine();
    log_->LogLine("#" + std::to_string(personId) + ", " + std::to_string(nameCount_) + " n, " +
                  std::to_string(count_ - nameCount_) + " v");
    for (int i = 0; i < count_; ++i) {
        const CEvent& e = entries_[i];
        log_->LogLine(" I:" + PadLeft(std::to_string(e.recNo), 7) + " " +
                      PadRight(order_[e.position].name, 10) + " " + dates.DisplayText(e.date) +
                      "|" + dates.DisplayText(e.sortDate));
    }
}

} // namespace hk
