#pragma once
// CTMGEventLoader: events ("G") and their participants ("E") of the current dataset: a
// person's participations, an event's participants, primary events by tag-type group, birth
// sort dates, sureties, and deleting an event with its participant rows.
#include <array>
#include <cstdint>
#include <string>

#include "formats/tag_types.h"
#include "loaders/loader_table.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

// An event record as loaded.
struct EventValues {
    uint32_t physRec = 0;
    long dsid = 0;
    long recNo = 0; // RecNo, or the physical record number without that field
    long eType = 0;
    long per1 = 0, per2 = 0;
    bool per1Show = false, per2Show = false;
    std::string eDate, srtDate; // the empty sort date when blank
    long placeNum = 0;
    std::string eFoot;
    std::array<char, 5> sureties{' ', ' ', ' ', ' ', ' '}; // ENSure ESSure EDSure EPSure EFSure
};

// A participant row as loaded.
struct WitnessValues {
    uint32_t physRec = 0;
    long ePer = 0, gNum = 0;
    std::string wSentence;
    bool primary = false;
    std::string role;
    long dsid = 0;
    std::string witMemo;
    long nameRec = 0, sequence = 0;
    bool isWitness = false; // neither principal of the loaded event
};

class CTMGEventLoader {
public:
    void OpenTables(db::CTMGDB& db);
    void CloseTables() noexcept;

    // Reads the current participant row (against the loaded event) or event record. Without
    // memos only the plain fields are read, for walks that need no texts.
    void LoadWitness(bool withMemos = true) { LoadWitnessFrom(*current_, withMemos); }
    void LoadEvent(bool withMemo = true);
    const WitnessValues& Witness() const { return witness_; }
    const EventValues& Event() const { return event_; }

    // Positions on the event of that number and loads it.
    bool SeekEvent(long eventNo, bool withMemo = true);

    // A person's participations: each row with its event loaded. Rows whose event is not in
    // the current dataset are passed over.
    bool FirstParticipation(long person, bool withMemos = true);
    bool NextParticipation();
    // An event's participants, the event loaded first.
    bool FirstParticipant(long eventNo, bool withMemos = true);
    bool NextParticipant();

    long CountParticipants(long eventNo);
    // The person's first primary participation in an event of the group; loads both.
    bool FindPrimaryEventOfGroup(long person, const CTMGTagTypes& tagTypes, long group);
    // The person's first primary participation in a Marriage-group event with the partner as
    // a principal; loads both.
    bool FindSharedEvent(long person, long partner, const CTMGTagTypes& tagTypes);
    // The sort date of the person's first primary Birth-group event; empty when none.
    std::string GetBirthSortDate(long person, const CTMGTagTypes& tagTypes);
    // The Primary flag of the person's row for the event; false without a row.
    bool IsPrimary(long person, long eventNo);
    // Deletes the event's participant rows and its record. Projects before version 5 raise
    // "Wrong dataset version: ".
    void DeleteEvent(long eventNo);

    // Witness lists are joined with "-", or "--" with the double-dash setting on.
    void SetDoubleDash(bool on) { separator_ = on ? "--" : "-"; }
    const std::string& WitnessSeparator() const { return separator_; }
    int SeparatorLength() const { return static_cast<int>(separator_.size()); }

    // The five sureties of an event as a summary text (empty for "....." or no event).
    std::string GetSuretyString(long eventNo);
    void SetSuretyString(long eventNo, std::string_view text);

    // For callers that write: the tables, positioned where the last load left them.
    db::Table& EventTable() const { return g_.Tbl(); }
    db::Table& WitnessTable() const { return e_.Tbl(); }
    int EventField(std::string_view name) const { return g_.Field(name); }
    int WitnessField(std::string_view name) const { return e_.Field(name); }

private:
    void LoadWitnessFrom(const LoaderTable& t, bool withMemos);
    bool SettleParticipation(bool found);
    bool SettleParticipant(bool found);
    // From the current row on: the first primary row whose event passes `take`.
    template <typename Take> bool FindPrimary(long person, Take&& take);

    LoaderTable g_;                  // by BYRECNO
    LoaderTable e_;                  // by EVBYPER
    LoaderTable byEvent_;            // participants again, by BYGNUM
    LoaderTable* current_ = nullptr; // the participant cursor last loaded from
    db::CTMGDB* db_ = nullptr;
    // Event fields
    int gRecNo_ = -1, gEType_ = -1, gPer1_ = -1, gPer2_ = -1, gPer1Show_ = -1, gPer2Show_ = -1,
        gEDate_ = -1, gSrtDate_ = -1, gPlaceNum_ = -1, gEFoot_ = -1;
    std::array<int, 5> gSure_{-1, -1, -1, -1, -1};
    // Participant fields
    int eEPer_ = -1, eGNum_ = -1, eWSentence_ = -1, ePrimary_ = -1, eRole_ = -1, eNameRec_ = -1,
        eWitMemo_ = -1, eSequence_ = -1;

    WitnessValues witness_;
    EventValues event_;
    long walkKey_ = 0;
    bool walkMemos_ = true;
    std::string separator_ = "-";
};

} // namespace hk
