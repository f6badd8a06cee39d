#pragma once
// A small TMG project for a test, described in a few lines: the people, names, events,
// witnesses, parent links, places, sources and citations the test needs. Write() puts it in a
// folder through the same table layouts, reference data and writer as mktmg, with production
// indexes. Derived fields follow the records: a person's FATHER and MOTHER from the primary
// parent links, PBIRTH and PDEATH from the primary birth and death events.
#include <map>
#include <string>
#include <vector>

#include "mktmg/reference_data.h"
#include "mktmg/tmg_records.h"
#include "mktmg/tmg_values.h"

namespace hk::test {

class TestProjectBuilder {
public:
    // The project file will be `folder`/`name`__.pjc.
    explicit TestProjectBuilder(std::string folder, std::string name = "Test",
                                TmgLayout layout = TmgLayout::Current);

    // The datasets of the project (default: DSID 1 alone). New records go to the current one.
    TestProjectBuilder& Datasets(const std::vector<int>& dsids);
    TestProjectBuilder& UseDataset(int dsid);

    // A person with a primary name (Name-Var, standard style); returns the person number.
    int Person(char sex, const std::string& given, const std::string& surname);
    mktmg::PersonRec& PersonRecord(int perNo);
    // A further name of a person; returns the name's record number.
    int Name(int perNo, const mktmg::NameParts& parts, int tagType = mktmg::kTagNameVar,
             bool primary = false);
    mktmg::NameRec& NameRecord(int recNo);
    int PrimaryName(int perNo) const;

    // An event with its principals (participant rows, primary); the sort date is the date
    // itself for a regular date and blank otherwise. Returns the event number.
    int Event(int tagType, int per1, int per2 = 0, const std::string& date = {}, int place = 0);
    mktmg::EventRec& EventRecord(int recNo);
    mktmg::ParticipantRec& Witness(int event, int perNo,
                                   const std::string& role = mktmg::kRoleWitness);
    // Every participant row, principals included, in the order added.
    std::vector<mktmg::ParticipantRec>& Participants() { return participants_; }

    // Primary biological links to a father and a mother (either may be 0).
    void Parents(int child, int father, int mother);
    int ParentLink(int child, int parent, int tagType, bool primary);

    // A place from its city, county, state and country; returns the place number.
    int Place(const std::string& city, const std::string& county = {},
              const std::string& state = {}, const std::string& country = {});
    int Place(const mktmg::PlaceParts& parts, int styleId = mktmg::kStylePlaceStandard);

    // A source of Mills type 1 (its INFO, templates and types are set through SourceRecord).
    int Source(const std::string& title);
    mktmg::SourceRec& SourceRecord(int majNum);
    int Citation(char type, int refRec, int source, const std::string& detail = {},
                 const std::string& sureties = "     ");
    mktmg::CitationRec& CitationRecord(int recNo);

    // Anything else, written as given.
    void Add(const mktmg::RepositoryRec& r) { repositories_.push_back(r); }
    void Add(const mktmg::RepositoryLinkRec& r) { repoLinks_.push_back(r); }
    void Add(const mktmg::ExhibitRec& r) { exhibits_.push_back(r); }
    void Add(const mktmg::ResearchLogRec& r) { logs_.push_back(r); }
    void Add(const mktmg::DnaRec& r) { dna_.push_back(r); }
    void Add(const mktmg::TagTypeRec& r) { tagTypes_.push_back(r); }
    void Add(const mktmg::StyleRec& r) { styles_.push_back(r); }
    // Source types and elements beside the reference ones every project has.
    void Add(const mktmg::SourceTypeRec& r) { sourceTypes_.push_back(r); }
    void Add(const mktmg::SourceElementRec& r) { sourceElements_.push_back(r); }

    // Writes the project; returns the path of its .pjc file.
    std::string Write();
    const std::string& PjcPath() const { return pjcPath_; }
    std::string TablePath(const std::string& suffix) const;

private:
    void DeriveFields();

    std::string folder_, name_, pjcPath_;
    TmgLayout layout_;
    std::vector<int> datasets_{1};
    int dsid_ = 1;
    std::map<int, int> nextRefId_;
    std::vector<mktmg::PersonRec> people_;
    std::vector<mktmg::NameRec> names_;
    std::vector<mktmg::EventRec> events_;
    std::vector<mktmg::ParticipantRec> participants_;
    std::vector<mktmg::ParentLinkRec> links_;
    std::vector<mktmg::PlaceRec> places_;
    std::vector<mktmg::SourceRec> sources_;
    std::vector<mktmg::CitationRec> citations_;
    std::vector<mktmg::RepositoryRec> repositories_;
    std::vector<mktmg::RepositoryLinkRec> repoLinks_;
    std::vector<mktmg::ExhibitRec> exhibits_;
    std::vector<mktmg::ResearchLogRec> logs_;
    std::vector<mktmg::DnaRec> dna_;
    std::vector<mktmg::TagTypeRec> tagTypes_;
    std::vector<mktmg::StyleRec> styles_;
    std::vector<mktmg::SourceTypeRec> sourceTypes_;
    std::vector<mktmg::SourceElementRec> sourceElements_;
};

} // namespace hk::test
