#pragma once
// The records of a TMG project as the generator and the test builder describe them, without
// the field layout: the record writer maps them onto the tables of either layout. Texts are
// UTF-8; dates are TMG date values (tmg_values.h); numbers are the tables' own keys.
#include <array>
#include <string>
#include <vector>

namespace hk::mktmg {

// Name part ids (the part-value TYPE is id + 1).
enum NamePart : int {
    kTitle = 0,
    kPrefix = 1,
    kGiven = 2,
    kPreSurname = 3,
    kSurname = 4,
    kSuffix = 5,
    kOtherName = 6,
    kSortSurname = 7,
    kSortGiven = 8,
};
inline constexpr int kNamePartCount = 9;
using NameParts = std::array<std::string, kNamePartCount>;

// Place part ids (the part-value TYPE is id + 1).
enum PlacePart : int {
    kAddressee = 0,
    kDetail = 1,
    kCity = 2,
    kCounty = 3,
    kState = 4,
    kCountry = 5,
    kPostal = 6,
    kPhone = 7,
    kLatLong = 8,
    kTemple = 9,
};
inline constexpr int kPlacePartCount = 10;
using PlaceParts = std::array<std::string, kPlacePartCount>;

// Surety characters of an event or citation: P1, P2, date, place, memo.
using Sureties = std::array<char, 5>;
inline constexpr Sureties kNoSureties = {' ', ' ', ' ', ' ', ' '};

struct PersonRec {
    int perNo = 0;
    int dsid = 1;
    int refId = 0;
    int father = 0, mother = 0; // primary parents
    char sex = '?';
    char living = '?';
    std::string birth, death; // sort dates of the primary birth and death events, or blank
    std::string reference;
    std::string birthOrder;
    char multiBirth = '?', adopted = '?', anceInt = '0', descInt = '0';
    int spouseLast = 0;
    std::vector<char> flags; // FLAG1 ...
    std::string lastEdit;    // YYYYMMDD or empty
    bool deleted = false;
};

struct NameRec {
    int recNo = 0;
    int perNo = 0;
    int dsid = 1;
    int type = 0; // name tag type
    bool primary = false;
    int styleId = 0;
    NameParts parts;
    std::string date, sortDate;
    std::string sentence, note;
    char nameSure = ' ', fatherSure = ' ', dateSure = ' ';
    bool inferSurname = false, inferGiven = false;
    // Copies of the person's values kept with the name.
    int personRefId = 0;
    std::string personBirth, personDeath, personReference, lastEdit;
    bool deleted = false;
};

struct PlaceRec {
    int recNo = 0;
    int dsid = 1;
    int styleId = 0;
    PlaceParts parts;
    std::string shortPlace, comment, startYear, endYear;
    bool deleted = false;
};

struct EventRec {
    int recNo = 0;
    int dsid = 1;
    int type = 0;
    int per1 = 0, per2 = 0;
    bool per1Show = true, per2Show = true;
    std::string date, sortDate;
    int place = 0;
    std::string memo, sentence;
    Sureties sureties = kNoSureties;
    int refId = 0;
    bool deleted = false;
};

struct ParticipantRec {
    int perNo = 0;
    int event = 0;
    int dsid = 1;
    bool primary = false;
    std::string role; // "00001" principal, "00002" witness, ...
    std::string sentence, memo;
    int nameRec = 0;
    int sequence = 0;
    bool deleted = false;
};

struct ParentLinkRec {
    int recNo = 0;
    int dsid = 1;
    int child = 0, parent = 0;
    int type = 0; // a Father-, Mother- or Parent- tag type
    bool primary = false;
    std::string note;
    char parentSure = ' ', memoSure = ' ';
    bool deleted = false;
};

struct CitationRec {
    int recNo = 0;
    int dsid = 1;
    char type = 'E'; // E event, N name, F relationship, M source, P place, C citation
    int refRec = 0;
    int source = 0;
    std::string detail, memo, reference;
    Sureties sureties = kNoSureties;
    bool picked = false, exclude = false;
    int sequence = 0;
    bool deleted = false;
};

struct SourceRec {
    int majNum = 0;
    int refId = 0;
    int dsid = 1;
    bool active = true;
    std::string abbrev, title, text, info;
    int type = 0, custType = 0;
    int recorder = 1, media = 1, fidelity = 1, indexed = 1;
    std::string footTemplate, shortTemplate, bibTemplate, firstDetail, uncited, reminders;
    char defaultSurety = ' ';
    int author = 0, subject = 0, compiler = 0, editor = 0, secondPerson = 0;
    bool cited = false;
    int ibidType = 0;
    bool deleted = false;
};

struct RepositoryRec {
    int recNo = 0;
    int refId = 0;
    int dsid = 1;
    std::string abbrev, name, note;
    int address = 0; // place
    int perNo = 0;
    bool deleted = false;
};

struct RepositoryLinkRec {
    int source = 0, repository = 0;
    int dsid = 1;
    std::string reference;
    bool primary = false;
    bool deleted = false;
};

struct ExhibitRec {
    int id = 0;
    int dsid = 1;
    char ownerType = '_'; // "_" person, G event, S citation, M source, R repository, P place
    int ownerNum = 0;
    int per1 = 0, per2 = 0, eventType = 0;
    std::string name, imageFile, textFile, audioFile, videoFile, thumb;
    std::string text, description, caption, reference;
    bool primary = false;
    int sortOrder = 0;
    int person = 0, event = 0, source = 0, repository = 0, citation = 0, place = 0;
    bool deleted = false;
};

struct ResearchLogRec {
    int dsid = 1;
    char ownerType = '_'; // "_" person, M source, E event, R repository
    int ownerNum = 0;
    int per1 = 0, per2 = 0, eventType = 0;
    std::string task, edited, designed, begun, progress, completed, planned;
    double expenses = 0;
    std::string comments, note, keywords, reference;
    int person = 0, event = 0, source = 0, repository = 0;
    bool deleted = false;
};

struct DnaRec {
    int id = 0;
    int dsid = 1;
    int person = 0;
    std::string name, comments, description, result, url, logo, kit;
    char type = 'A';
    int nameRec = 0;
    bool deleted = false;
};

struct TagTypeRec {
    int number = 0;
    int dsid = 0;
    int original = 0; // the standard type it came from, 0 for a custom one
    int group = 99;
    std::string name, gedcom, abbrev, pastTense;
    std::string sentence;   // labels block and sentence definition
    std::string properties; // translations: "l_LANGUAGE=label" lines
    bool active = true, ldsOnly = false, report = true, picked = false;
    bool witnessDisplay = true, principalRole = true, witnessRole = true;
    int minYear = 0, maxYear = 0;
    bool deleted = false;
};

struct StyleRec {
    int id = 0;
    int dsid = 0;
    char group = 'N'; // N name, P place
    std::string name;
    std::string display, output, surnameSort, surnameDisplay, givenSort, givenDisplay, other;
    bool deleted = false;
};

struct FlagRec {
    int id = 0;
    int dsid = 0;
    std::string field, label, values, description, property;
    int sequence = 0;
    bool active = true;
    bool deleted = false;
};

struct DatasetRec {
    int dsid = 0;
    std::string name, location, comment, property;
    int importType = 0;
    bool locked = false, enabled = true;
    int nameStyle = 0, placeStyle = 0;
    bool deleted = false;
};

struct PartTypeRec {
    int id = 0;
    int type = 0; // data-entry field number (part id + 1)
    int dsid = 0;
    std::string value, shortValue, templateText;
    bool system = true;
    bool deleted = false;
};

struct SourceElementRec {
    int recNo = 0;
    int dsid = 0;
    std::string element; // "[AUTHOR]"
    int group = 0;
    bool deleted = false;
};

struct SourceTypeRec {
    int ruleSet = 1; // 1 Mills, 2 Lackey, 3 custom
    int dsid = 0;
    int type = 0;
    int translateTo = 0;
    std::string name, foot, shortForm, bib, custFoot, custShort, custBib;
    int sameAs = 0;
    std::string sameAsMessage;
    bool primary = false;
    bool deleted = false;
};

struct FocusGroupRec {
    int number = 0;
    std::string name;
    bool recent = false;
    bool deleted = false;
};

struct GroupMemberRec {
    int group = 0, perNo = 0;
    int dsid = 1;
    bool deleted = false;
};

struct TimelineLockRec {
    int perNo = 0;
    int dsid = 1;
    std::string timeline;
    bool deleted = false;
};

struct ExcludedPairRec {
    int dsid = 1;
    int per1 = 0, per2 = 0;
    bool deleted = false;
};

} // namespace hk::mktmg
