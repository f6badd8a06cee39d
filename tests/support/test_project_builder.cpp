#include "support/test_project_builder.h"

#include <algorithm>
#include <stdexcept>

#include "mktmg/project_writer.h"
#include "mktmg/record_writer.h"

namespace hk::test {

using namespace hk::mktmg;

TestProjectBuilder::TestProjectBuilder(std::string folder, std::string name, TmgLayout layout)
    : folder_(std::move(folder)), name_(std::move(name)), layout_(layout) {
    pjcPath_ = folder_ + "/" + name_ + "__.pjc";
}

TestProjectBuilder& TestProjectBuilder::Datasets(const std::vector<int>& dsids) {
    datasets_ = dsids;
    dsid_ = dsids.front();
    return *this;
}

TestProjectBuilder& TestProjectBuilder::UseDataset(int dsid) {
    if (std::find(datasets_.begin(), datasets_.end(), dsid) == datasets_.end())
        throw std::invalid_argument("dataset " + std::to_string(dsid) + " is not declared");
    dsid_ = dsid;
    return *this;
}

int TestProjectBuilder::Person(char sex, const std::string& given, const std::string& surname) {
    PersonRec p;
    p.perNo = static_cast<int>(people_.size()) + 1;
    p.dsid = dsid_;
    int& ref = nextRefId_[dsid_];
    p.refId = ++ref;
    p.sex = sex;
    for (const CustomFlag& f : CustomFlags())
        p.flags.push_back(f.values[0]);
    people_.push_back(p);
    NameParts parts;
    parts[kGiven] = given;
    parts[kSurname] = surname;
    Name(p.perNo, parts, kTagNameVar, true);
    return p.perNo;
}

PersonRec& TestProjectBuilder::PersonRecord(int perNo) {
    if (perNo < 1 || perNo > static_cast<int>(people_.size()))
        throw std::out_of_range("no person " + std::to_string(perNo));
    return people_[perNo - 1];
}

int TestProjectBuilder::Name(int perNo, const NameParts& parts, int tagType, bool primary) {
    NameRec n;
    n.recNo = static_cast<int>(names_.size()) + 1;
    n.perNo = perNo;
    n.dsid = PersonRecord(perNo).dsid;
    n.type = tagType;
    n.primary = primary;
    n.styleId = kStyleNameStandard;
    n.parts = parts;
    names_.push_back(n);
    return n.recNo;
}

NameRec& TestProjectBuilder::NameRecord(int recNo) {
    return names_.at(recNo - 1);
}

int TestProjectBuilder::PrimaryName(int perNo) const {
    for (const NameRec& n : names_)
        if (n.perNo == perNo && n.primary && !n.deleted)
            return n.recNo;
    return 0;
}

int TestProjectBuilder::Event(int tagType, int per1, int per2, const std::string& date, int place) {
    EventRec e;
    e.recNo = static_cast<int>(events_.size()) + 1;
    e.dsid = dsid_;
    e.type = tagType;
    e.per1 = per1;
    e.per2 = per2;
    e.date = date;
    e.sortDate = !date.empty() && date[0] == '1' ? date : "";
    e.place = place;
    e.per2Show = per2 != 0;
    events_.push_back(e);
    for (int per : {per1, per2}) {
        if (per == 0)
            continue;
        ParticipantRec p;
        p.perNo = per;
        p.event = e.recNo;
        p.dsid = dsid_;
        p.primary = true;
        p.role = kRolePrincipal;
        p.nameRec = PrimaryName(per);
        participants_.push_back(p);
    }
    return e.recNo;
}

EventRec& TestProjectBuilder::EventRecord(int recNo) {
    return events_.at(recNo - 1);
}

ParticipantRec& TestProjectBuilder::Witness(int event, int perNo, const std::string& role) {
    ParticipantRec p;
    p.perNo = perNo;
    p.event = event;
    p.dsid = EventRecord(event).dsid;
    p.role = role;
    p.nameRec = PrimaryName(perNo);
    participants_.push_back(p);
    return participants_.back();
}

void TestProjectBuilder::Parents(int child, int father, int mother) {
    if (father)
        ParentLink(child, father, kTagFatherBiological, true);
    if (mother)
        ParentLink(child, mother, kTagMotherBiological, true);
}

int TestProjectBuilder::ParentLink(int child, int parent, int tagType, bool primary) {
    ParentLinkRec f;
    f.recNo = static_cast<int>(links_.size()) + 1;
    f.dsid = PersonRecord(child).dsid;
    f.child = child;
    f.parent = parent;
    f.type = tagType;
    f.primary = primary;
    links_.push_back(f);
    return f.recNo;
}

int TestProjectBuilder::Place(const std::string& city, const std::string& county,
                              const std::string& state, const std::string& country) {
    PlaceParts parts;
    parts[kCity] = city;
    parts[kCounty] = county;
    parts[kState] = state;
    parts[kCountry] = country;
    return Place(parts);
}

int TestProjectBuilder::Place(const PlaceParts& parts, int styleId) {
    PlaceRec p;
    p.recNo = static_cast<int>(places_.size()) + 1;
    p.dsid = dsid_;
    p.styleId = styleId;
    p.parts = parts;
    places_.push_back(p);
    return p.recNo;
}

int TestProjectBuilder::Source(const std::string& title) {
    SourceRec s;
    s.majNum = static_cast<int>(sources_.size()) + 1;
    s.dsid = dsid_;
    s.refId = static_cast<int>(std::count_if(sources_.begin(), sources_.end(),
                                             [&](auto& x) { return x.dsid == dsid_; })) +
              1;
    s.title = title;
    s.abbrev = title.substr(0, 50);
    s.type = 1;
    sources_.push_back(s);
    return s.majNum;
}

SourceRec& TestProjectBuilder::SourceRecord(int majNum) {
    return sources_.at(majNum - 1);
}

int TestProjectBuilder::Citation(char type, int refRec, int source, const std::string& detail,
                                 const std::string& sureties) {
    CitationRec c;
    c.recNo = static_cast<int>(citations_.size()) + 1;
    c.dsid = dsid_;
    c.type = type;
    c.refRec = refRec;
    c.source = source;
    c.detail = detail;
    for (size_t i = 0; i < 5; ++i)
        c.sureties[i] = i < sureties.size() ? sureties[i] : ' ';
    citations_.push_back(c);
    return c.recNo;
}

CitationRec& TestProjectBuilder::CitationRecord(int recNo) {
    return citations_.at(recNo - 1);
}

std::string TestProjectBuilder::TablePath(const std::string& suffix) const {
    return folder_ + "/" + TmgTableFileName(name_ + "_", suffix);
}

void TestProjectBuilder::DeriveFields() {
    auto groupOf = [&](int type) {
        for (const TagTypeRec& t : tagTypes_)
            if (t.number == type)
                return t.group;
        return GroupOfTagType(type);
    };
    auto sexOf = [&](int perNo) { return PersonRecord(perNo).sex; };
    for (PersonRec& p : people_) {
        p.father = p.mother = 0;
        p.birth.clear();
        p.death.clear();
    }
    for (const ParentLinkRec& f : links_) {
        if (f.deleted || !f.primary)
            continue;
        int g = groupOf(f.type);
        PersonRec& child = PersonRecord(f.child);
        bool father = g == kGroupFather || (g == kGroupParent && sexOf(f.parent) == 'M');
        bool mother = g == kGroupMother || (g == kGroupParent && sexOf(f.parent) == 'F');
        if (father && !child.father)
            child.father = f.parent;
        if (mother && !child.mother)
            child.mother = f.parent;
    }
    for (const ParticipantRec& e : participants_) {
        if (e.deleted || !e.primary)
            continue;
        const EventRec& ev = EventRecord(e.event);
        if (ev.deleted || (ev.per1 != e.perNo && ev.per2 != e.perNo))
            continue;
        PersonRec& p = PersonRecord(e.perNo);
        int g = groupOf(ev.type);
        if (g == kGroupBirth && p.birth.empty())
            p.birth = ev.sortDate;
        if (g == kGroupDeath && p.death.empty())
            p.death = ev.sortDate;
    }
    for (NameRec& n : names_) {
        const PersonRec& p = PersonRecord(n.perNo);
        n.personRefId = p.refId;
        n.personBirth = p.birth;
        n.personDeath = p.death;
        n.personReference = p.reference;
    }
}

std::string TestProjectBuilder::Write() {
    DeriveFields();
    ProjectWriter project(pjcPath_, layout_, static_cast<int>(CustomFlags().size()));
    RecordWriter w(project);
    ReferenceOptions ref;
    ref.datasets.clear();
    for (int dsid : datasets_)
        ref.datasets.push_back({dsid, "Dataset " + std::to_string(dsid)});
    ref.deletedRecords = false;
    WriteReferenceData(w, ref);
    for (const auto& r : tagTypes_)
        w.Write(r);
    for (const auto& r : styles_)
        w.Write(r);
    for (const auto& r : sourceTypes_)
        w.Write(r);
    for (const auto& r : sourceElements_)
        w.Write(r);
    for (const auto& r : places_)
        w.Write(r);
    for (const auto& r : sources_)
        w.Write(r);
    for (const auto& r : repositories_)
        w.Write(r);
    for (const auto& r : repoLinks_)
        w.Write(r);
    for (const auto& r : people_)
        w.Write(r);
    for (const auto& r : names_)
        w.Write(r);
    for (const auto& r : events_)
        w.Write(r);
    for (const auto& r : participants_)
        w.Write(r);
    for (const auto& r : links_)
        w.Write(r);
    for (const auto& r : citations_)
        w.Write(r);
    for (const auto& r : exhibits_)
        w.Write(r);
    for (const auto& r : logs_)
        w.Write(r);
    for (const auto& r : dna_)
        w.Write(r);
    WriteProjectFiles(project);
    project.Finish();
    return pjcPath_;
}

} // namespace hk::test
