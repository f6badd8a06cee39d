#pragma once
// Maps the records of tmg_records.h onto the tables of a project: names and places into their
// part-value and dictionary rows (or the packed Name and Place memos of the old layout), the
// precomputed sort and display texts TMG keeps with each name, and fields a layout lacks left
// out. Records of tables the layout does not have are dropped.
#include <memory>
#include <string>
#include <unordered_map>

#include "project_writer.h"
#include "tmg_records.h"

namespace hk::mktmg {

struct TableFields; // the field numbers of every table, resolved once

class RecordWriter {
public:
    explicit RecordWriter(ProjectWriter& project);
    ~RecordWriter();

    TmgLayout Layout() const { return layout_; }

    void Write(const PersonRec& r);
    // A name and its part rows; the dictionary entries of its parts are added when new.
    void Write(const NameRec& r);
    void Write(const PlaceRec& r);
    void Write(const EventRec& r);
    void Write(const ParticipantRec& r);
    void Write(const ParentLinkRec& r);
    void Write(const CitationRec& r);
    void Write(const SourceRec& r);
    void Write(const RepositoryRec& r);
    void Write(const RepositoryLinkRec& r);
    void Write(const ExhibitRec& r);
    void Write(const ResearchLogRec& r);
    void Write(const DnaRec& r);
    void Write(const TagTypeRec& r);
    void Write(const StyleRec& r);
    void Write(const FlagRec& r);
    void Write(const DatasetRec& r);
    void WriteNamePartType(const PartTypeRec& r);
    void WritePlacePartType(const PartTypeRec& r);
    void Write(const SourceElementRec& r);
    void Write(const SourceTypeRec& r);
    void Write(const FocusGroupRec& r);
    void Write(const GroupMemberRec& r);
    void Write(const TimelineLockRec& r);
    void Write(const ExcludedPairRec& r);

    // Dictionary entries (current layout): the uid of a text, written on first use. A deleted
    // entry gets a uid of its own and is never reused.
    int NameWord(const std::string& text);
    int PlaceWord(const std::string& text);
    void DeletedNameWord(const std::string& text);
    void DeletedPlaceWord(const std::string& text);

    // Texts TMG keeps with a name: "Surname, Given Suffix", "Given Surname", "Surname, Given".
    static std::string SurnameSort(const NameParts& p);
    static std::string GivenSort(const NameParts& p);
    static std::string SurnameDisplay(const NameParts& p);

private:
    struct Dictionary {
        std::string suffix;
        TableSink* sink = nullptr;
        std::unordered_map<std::string, int> uids;
        int next = 1;
    };
    // `remember`: whether a later use of the same text should find this entry.
    int Word(Dictionary& d, const std::string& text, bool deleted, bool remember = true);

    ProjectWriter& project_;
    TmgLayout layout_;
    std::unique_ptr<TableFields> f_;
    Dictionary names_, places_;
};

// Old projects keep role names, not role ids.
std::string OldRoleName(const std::string& roleId);

} // namespace hk::mktmg
