#pragma once
// CJointEvent: reads and writes whole events for the functions that add or adjust them: an
// event record with its principals and witnesses and at most one citation, the next free
// event and citation numbers, and a person's primary event of a tag-type group.
#include <array>
#include <string>
#include <vector>

#include "formats/tag_types.h"
#include "loaders/loader_table.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

struct JointWitness {
    long perNo = 0;
    std::string role; // the project's witness role when empty
};

// The event Write appends.
struct JointEventRecord {
    long eType = 0;
    long per1 = 0, per2 = 0;
    bool per1Show = true, per2Show = true;
    std::string role1, role2; // principal roles
    bool primary1 = false, primary2 = false;
    std::string eDate, srtDate;
    long placeNum = 0;
    std::string eFoot;
    std::array<char, 5> sureties{' ', ' ', ' ', ' ', ' '};
    std::vector<JointWitness> witnesses;
    // The citation of the event, written when sourceNo is above 0.
    long sourceNo = 0;
    std::string citationDetail;
    std::array<char, 5> citationSureties{' ', ' ', ' ', ' ', ' '};
};

class CJointEvent {
public:
    void OpenTables(db::CTMGDB& db, const CTMGTagTypes& tagTypes);
    void CloseTables() noexcept;

    // Clears the event being built: principal roles, empty dates, blank sureties.
    void Reset();
    JointEventRecord& Record() { return record_; }

    // Whether the first person takes part in an event of the group whose principals are the
    // two people (either order).
    bool HasSharedEvent(long person1, long person2, long group);
    long NextEventNumber();
    long NextCitationNumber();
    // Appends the event, its participant rows and its citation; returns the event number.
    long Write();
    long ParticipantRowsWritten() const { return participantRows_; }
    long CitationRowsWritten() const { return citationRows_; }

    // True when one of the person's events of the group (as a principal) is primary for the
    // person. Otherwise remembers the one with the earliest sort date and returns false.
    bool FindPrimaryOfGroup(long group, long person);
    // Makes the remembered event the person's primary one; true when the
    // person's row for it was found.
    bool MakePrimary(long group, long person);
    long TakenEvent() const { return taken_; }
    // The taken event's date; empty for an empty date.
    std::string EventDate() const;

private:
    bool SeekEvent(long eventNo) { return g_.Seek(eventNo); }

    const CTMGTagTypes* tagTypes_ = nullptr;
    db::CTMGDB* db_ = nullptr;
    LoaderTable e_, g_, s_;
    int eDsid_ = -1, eEPer_ = -1, eGNum_ = -1, ePrimary_ = -1, eRole_ = -1;
    int gRecNo_ = -1, gRefId_ = -1, gEType_ = -1, gPer1Show_ = -1, gPer2Show_ = -1, gPer1_ = -1,
        gPer2_ = -1, gEDate_ = -1, gSrtDate_ = -1, gPlaceNum_ = -1, gEFoot_ = -1;
    std::array<int, 5> gSure_{-1, -1, -1, -1, -1};
    int sType_ = -1, sRefRec_ = -1, sMajSource_ = -1, sSubSource_ = -1, sRecNo_ = -1;
    std::array<int, 5> sSure_{-1, -1, -1, -1, -1};

    JointEventRecord record_;
    long participantRows_ = 0, citationRows_ = 0;
    long taken_ = 0;
    std::string takenDate_;
};

} // namespace hk
