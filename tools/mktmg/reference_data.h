#pragma once
// What every generated project holds before its people: TMG's default tag types with role
// labels and sentences in two languages, name and place styles (with duplicates and unused
// ones), person flags, part types, source elements and source types, datasets, and the
// project's configuration files. Shared by mktmg and the test project builder.
#include "formats/tag_types.h"
#include <string>
#include <vector>

#include "record_writer.h"

namespace hk::mktmg {

// Tag type numbers of TMG's default list used by the generator and tests.
enum TagTypeNumber : int {
    kTagAdoption = 1,
    kTagBirth = 2,
    kTagDeath = 3,
    kTagMarriage = 4,
    kTagDivorce = 5,
    kTagBurial = 6,
    kTagImmigration = 7,
    kTagAddress = 8,
    kTagResidence = 10,
    kTagBaptism = 12,
    kTagMilitaryBegin = 13,
    kTagCensus = 19,
    kTagChristening = 20,
    kTagEngagement = 23,
    kTagMarriageBann = 26,
    kTagProbate = 31,
    kTagNameMarr = 36,
    kTagNameVar = 37,
    kTagNameChg = 38,
    kTagWill = 39,
    kTagEmigration = 49,
    kTagOccupation = 66,
    kTagNameNick = 72,
    kTagNote = 77,
    kTagHistory = 78,
    kTagFatherBiological = 79,
    kTagFatherAdopted = 80,
    kTagFatherStep = 81,
    kTagMotherBiological = 85,
    kTagMotherAdopted = 86,
    kTagMotherStep = 88,
    kTagParentBiological = 91,
    // Custom tag types (no standard origin).
    kTagNameStd = 1001,
    kTagObituary = 1002,
    kTagShipArrival = 1003, // belongs to the second dataset only
    kTagRetired = 1099,     // deleted
};

// Tag type groups: the program's own.
using hk::TagGroup;
using enum hk::TagGroup;

// Role ids of the default tag types.
inline constexpr const char* kRolePrincipal = "00001";
inline constexpr const char* kRoleWitness = "00002";
inline constexpr const char* kRoleMother = "00003";    // Birth
inline constexpr const char* kRoleInformant = "00003"; // Death
inline constexpr const char* kRoleHusband = "00003";   // Marriage
inline constexpr const char* kRoleWife = "00004";      // Marriage
inline constexpr const char* kRoleOfficiant = "00005"; // Marriage
inline constexpr const char* kRoleGodparent = "00003"; // Baptism, Christening
inline constexpr const char* kRoleHead = "00003";      // Census
inline constexpr const char* kRoleMember = "00004";    // Census

// Style ids.
enum StyleId : int {
    kStylePlaceStandard = 1,
    kStyleNameStandard = 2,
    kStyleNameTitleLast = 3,
    kStyleNameStandardCopy = 4, // same templates as 2
    kStyleNameUnused = 5,
    kStylePlaceShort = 6,
    kStylePlaceStandardCopy = 7, // same templates as 1
    kStylePlaceUnused = 8,
    kStyleNameSecondDataset = 9, // belongs to the second dataset only
};

// The second language of every sentence definition.
inline constexpr const char* kSecondLanguage = "GERMAN";

// Custom person flags: FLAG1 ... in this order.
struct CustomFlag {
    const char* label;
    const char* values; // allowed values, the first one is the default
};
const std::vector<CustomFlag>& CustomFlags();

struct DatasetInfo {
    int dsid = 1;
    std::string name;
    bool locked = false;
};

// The default datasets for `count` datasets: DSID 1, 2, then 8 (a gap), 9, 10, ...
std::vector<DatasetInfo> DefaultDatasets(int count);

// Every tag type of a layout: TMG's default list (the old layout keeps the types an older
// version had, with their shorter names) and the custom ones.
std::vector<TagTypeRec> DefaultTagTypes(TmgLayout layout, const std::vector<DatasetInfo>& datasets);
// The group of a tag type number of the default list (kGroupOther when unknown).
int GroupOfTagType(int number);

struct ReferenceOptions {
    std::vector<DatasetInfo> datasets = DefaultDatasets(1);
    bool deletedRecords = true; // one deleted record in each reference table
};

// Writes datasets, tag types, styles, flags, part types, source elements and source types.
void WriteReferenceData(RecordWriter& writer, const ReferenceOptions& options);

// The place template the configuration files carry.
inline constexpr const char* kProjectPlaceTemplate = "<[CITY], ><[STATE], ><[COUNTRY]>";
inline constexpr const char* kProjectImageDirectory = "Exhibits";

// Writes the project's configuration files: NAME__.pjc, and for the old layout also the
// version stamp NAME_.tmg and the memory-variable file NAME_.mem.
void WriteProjectFiles(ProjectWriter& project);

// The bytes of a FoxPro memory-variable file holding character variables.
std::string MemoryVariableFile(const std::vector<std::pair<std::string, std::string>>& vars);

} // namespace hk::mktmg
