#pragma once
// CTMGDB: the open TMG project. It checks and opens a project from its ".PJC" file, knows its
// version, settings and current dataset, and holds the (at most 48) tables the program has
// open, each under an alias, with field references "g.EDate", tags, private indexes and
// relations. Every other part of the program reaches the tables through it.
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tmgdb/tmg_table_index.h"
#include "xbase/journal.h"
#include "xbase/relation.h"
#include "xbase/table.h"

namespace hk {
class IniFile;
class Settings;
} // namespace hk

namespace hk::db {

// A field of an open table: the table and the field's index in it. Empty when not found.
struct FieldRef {
    Table* table = nullptr;
    int index = -1;

    explicit operator bool() const { return table != nullptr; }
    const FieldInfo& Info() const { return table->FieldAt(index); }
};

// One record of the project's dataset table.
struct DatasetRecord {
    long dsid = 0;
    std::string name;
    std::string location;
    bool locked = false;
    std::string comment;
};

// Relation types and error actions a slave is opened with. Only the exact-match lookup that
// gives a blank slave record when nothing matches is used, and supported.
inline constexpr int kRelateExact = 108;
inline constexpr int kRelateBlank = 105;

// The role names TMG projects use by default.
inline constexpr std::string_view kChildRoles[] = {"Child", "Dau", "Son"};
inline constexpr std::string_view kParentRoles[] = {"Parent", "Mother", "Father"};
inline constexpr std::string_view kWitnessRoleName = "Witness";
inline constexpr std::string_view kPrincipalRoleName = "Principal";

class CTMGDB {
public:
    static constexpr int kMaxTables = 48;

    explicit CTMGDB(FileSystem* fs = nullptr);
    ~CTMGDB();
    CTMGDB(const CTMGDB&) = delete;
    CTMGDB& operator=(const CTMGDB&) = delete;

    // --- The project -------------------------------------------------------------------------
    // Checks the index files and every table's header against its file, reads the version and
    // settings and test-opens the person table.
    // On failure nothing stays open, IsOpen is false and the error (hk::Error, with advice
    // added for tables held by another program and for index errors) is thrown.
    void OpenProject(const std::string& pjcPath);
    // Closes every table and lets go of the project lock.
    void CloseProject();
    bool IsOpen() const { return isOpen_; }

    // While open, the project holds a shared lock on its project file, so that no other copy
    // can write it (opening fails with the in-use error -61 while another copy writes). A run
    // that changes the project takes the exclusive lock for its duration: LockForWriting
    // raises -61 with the in-use advice when another copy has the project open, and keeps the
    // shared lock. UnlockWriting goes back to shared.
    void LockForWriting();
    void UnlockWriting();
    bool WriteLocked() const { return writeLocked_; }
    // --- Runs are all-or-nothing --------------------------------------------------------------
    // A writing run is journaled: BeginRun arms the journal (the file appears at the first
    // write), CommitRun ends it with the project's files synced and returns the journal's info
    // (complete when something was written; the journal file stays at JournalPath for the
    // caller to keep as the run's undo record; every table is closed first, so the caller lets
    // its loaders go before), RollBackRun closes every table without writing
    // and puts every file back as it was at BeginRun.
    void BeginRun(JournalInfo info);
    // The function, start time and log file name, known once the run's log is open.
    void SetRunInfo(JournalInfo info);
    bool RunArmed() const { return journal_->Armed(); }
    uint64_t RunJournalBytes() const { return journal_->JournalBytes(); }
    // Everything the open tables and the journal hold back written (the files are synced at
    // the commit), so that a failing disk shows while the run can still say so.
    void FlushRun();
    JournalInfo CommitRun();
    void RollBackRun();
    // Removes the private index files in the project folder, which runs make and throw away
    // and the journal leaves out (a run cut short may leave some). The caller holds the
    // project alone and has no table open.
    void RemoveScratchFiles();
    // Prefix + "_.hkj" in the project folder.
    std::string JournalPath() const;
    // The run a crash interrupted, rolled back when this project was opened; cleared by the
    // caller once it has been told.
    const std::optional<JournalInfo>& RecoveredRun() const { return recoveredRun_; }
    void ClearRecoveredRun() { recoveredRun_.reset(); }
    // "The interrupted run of Fix Sort Dates started ... was rolled back; ..."
    static std::string RecoveredRunMessage(const JournalInfo& info);
    // The file system under the journal: what undo and recovery restore through.
    FileSystem& BaseFs() const { return baseFs_; }
    // The journaling file system every table of the project is opened through.
    JournalingFileSystem& Journal() const { return *journal_; }

    // "This application can not access TMG data when TMG has the database open. ..."
    static std::string InUseAdvice();

    // Folder (ending in "/") and prefix of a project file: "/x/Family__.PJC" -> "/x/", "Family_".
    static void SplitProjectPath(const std::string& pjcPath, std::string& folder,
                                 std::string& prefix);
    // The prefix without its trailing underscores: "Family_" -> "Family".
    static std::string DisplayNameOf(std::string_view prefix);
    // Sets folder and prefix from a project file path without opening anything.
    void SetProjectPath(const std::string& pjcPath);

    const std::string& ProjectFolder() const { return folder_; }
    const std::string& ProjectPrefix() const { return prefix_; }
    std::string DisplayName() const { return DisplayNameOf(prefix_); }
    // Prefix + "_.pjc" in the project folder (the file's own case when it exists).
    std::string ProjectConfigPath() const;
    // The data file of a table suffix (the file's own case when it exists).
    std::string TablePath(std::string_view suffix) const;

    const std::string& VersionText() const { return versionText_; }
    int VersionMajor() const { return versionMajor_; }
    int VersionMinor() const { return versionMinor_; }
    int VersionPatch() const { return versionPatch_; }
    std::string VersionString() const;
    // The person-number tag: "Per_No" from version 5 on, else "PerByNo".
    const std::string& PersonOrder() const { return personOrder_; }
    // "00001" and "00002" from version 10 on, else "Principal" and "Witness".
    const std::string& PrincipalRoleId() const { return principalRoleId_; }
    const std::string& WitnessRoleId() const { return witnessRoleId_; }
    long SourceRule() const { return sourceRule_; }
    const std::string& PlaceTemplate() const { return placeTemplate_; }

    long DSID() const { return dsid_; }
    void SetDSID(long dsid) { dsid_ = dsid; }
    const std::string& DatasetName() const { return datasetName_; }
    void SetDatasetName(std::string name) { datasetName_ = std::move(name); }

    // 0 project too old, 1 supported, 2 newer than supported, for a program release.
    int CheckCompatibility(const std::string& compatibilityIni, int programMajor, int programMinor,
                           int programRevision) const;

    // The records of the dataset table that are not deleted, in record order (none when the
    // project has no such table).
    std::vector<DatasetRecord> Datasets();
    std::optional<DatasetRecord> FindDataset(long dsid);

    // On by default: a table whose header disagrees with its file refuses the whole project
    // at open. Off (a check that reports such tables itself), only the person table must open.
    void SetRefuseDamagedTables(bool on) { refuseDamagedTables_ = on; }

    // Tables are opened writable and locked against other writers, unless set read-only.
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool ReadOnly() const { return readOnly_; }

    // Log Only, for every table open now or opened later (clones and loaders' tables too):
    // each write is checked as usual, then dropped and counted, and the project's files stay
    // as they are. Private indexes still work; they are deleted when the tables close.
    void SetLogOnly(bool on);
    bool LogOnly() const { return logOnly_; }
    // For a run, on every table open now or opened later: a tag is spot-checked against the
    // data the first time it is selected, and a tag that disagrees is refused (-310) before
    // anything relies on its seeks.
    void SetCheckTags(bool on);
    // Since the project was opened: write calls dropped under Log Only, and bytes written to
    // the files of the project's tables (data, memo, production index).
    uint64_t DroppedWrites() const { return CountersNow().dropped; }
    uint64_t BytesWritten() const { return CountersNow().bytes; }
    // The memory every table of the project (clones, loaders' tables and private indexes
    // included) caches in, shared across its files (default 128 MiB). A lower limit takes
    // effect at once.
    MemoryBudget& Budget() const { return *budget_; }
    void SetMemoryBudget(size_t bytes) { budget_->SetLimit(bytes); }

    // --- Tables ------------------------------------------------------------------------------
    // Opens the table of `suffix` under `alias` ("." removed; compared without regard to case)
    // and returns its slot. A suffix already open is opened as a clone sharing its files.
    int OpenTable(std::string_view suffix, std::string_view alias);
    void CloseTable(std::string_view alias);
    // Discards the private indexes, then closes every table, the last first.
    void CloseAllTables();
    int TableCount() const { return static_cast<int>(slots_.size()); }

    // Slot of an open suffix, or -2; of an alias, or -1. `raise`: throw when missing instead.
    int FindSuffix(std::string_view suffix, bool raise = false) const;
    int FindAlias(std::string_view alias, bool raise = false) const;
    const std::string& SlotAlias(int slot) const { return slots_.at(slot).alias; }
    const std::string& SlotSuffix(int slot) const { return slots_.at(slot).suffix; }
    bool SlotHasPrivateIndex(int slot) const { return slots_.at(slot).privateIndex; }

    Table* TableHandle(std::string_view alias) const;
    // "g.EDate" or "g->EDate", for callers that hold such a text (rules, expressions); code
    // that reads records resolves handles once on the table instead. Field throws when the
    // field is missing; FieldIfExists gives an empty reference. Both throw for an alias that is
    // not open.
    FieldRef Field(std::string_view reference) const;
    FieldRef FieldIfExists(std::string_view reference) const;
    bool HasField(std::string_view reference) const;
    // A field of an open table by name, without regard to case; throws the same error as
    // Field("alias.name") when it is missing.
    FieldRef Field(Table& table, std::string_view name) const;

    // "n.BYNPER" or a table and a tag name (without regard to case); a missing tag selects
    // record order.
    void SelectTag(std::string_view reference);
    void SelectTag(Table* table, std::string_view tagName);
    // The tag of "alias.tag", or null.
    Tag* TagHandle(std::string_view reference) const;
    long RecordCount(std::string_view alias) const;

    // "ta0", "ta1", ...: a fresh alias for a table a loader opens for itself.
    std::string NewAlias();

    // --- Project settings --------------------------------------------------------------------
    // The configuration file's values from version 5 on; older projects get the default.
    std::string GetProjectSetting(std::string_view section, std::string_view key,
                                  std::string_view def) const;
    long GetProjectSettingLong(std::string_view section, std::string_view key, long def) const;
    std::string GetProjectSettingPath(std::string_view section, std::string_view key,
                                      std::string_view def, std::string_view basePath) const;

    static std::string TableDescription(std::string_view suffix);
    static std::string DataTypeToString(std::string_view type);

    // The languages of TMG's strings.dbf (found through TMG's settings) not already in
    // `extraList`, appended to it, all joined with "||".
    std::string GetLanguages(std::string_view extraList, Settings& settings) const;
    // The lowest person number of at least 1 among the live people of the current dataset.
    long FirstPersonNumber();

    // --- Private indexes ---------------------------------------------------------------------
    // Extra name orders; set before the name table is opened.
    bool WantNameStyleOrder = false;
    bool WantSurnameOrder = false;

    void BuildPrivateIndex(int slot);
    void ReleasePrivateIndex(std::string_view suffix);
    const CTMGTableIndex* PrivateIndex(std::string_view suffix) const;

    // --- Relations ---------------------------------------------------------------------------
    // Opens a table as a slave: `relationText` is a tag name, "=" and a master field reference,
    // such as "BYRECNO=e.GNum"; the master is the table of that alias.
    int OpenSlaveTable(std::string_view suffix, std::string_view alias,
                       std::string_view relationText, int relationType = kRelateExact,
                       int errorAction = kRelateBlank);
    // A relation of the master with every slave hanging under it (slaves of slaves too). It
    // lives until the master (or one of its slaves) is closed.
    Relation* CreateRelation(std::string_view masterAlias);

    // --- Errors ------------------------------------------------------------------------------
    // The engine code of the last failure raised here (0 when none); cleared by closes.
    long PendingErrorCode() const { return pendingError_; }
    void ClearPendingError() { pendingError_ = 0; }

private:
    struct Slot {
        std::unique_ptr<Table> table;
        std::unique_ptr<Relation> relation;
        std::vector<const Table*> relationMembers; // the relation's slaves
        bool privateIndex = false;
        std::string suffix; // 3 characters, upper case, blank padded
        std::string alias;
        std::string relationText;
        int relationType = 0;
        int errorAction = 0;
    };

    [[noreturn]] void Raise(std::string_view proc, std::string description) const;
    [[noreturn]] static void RaiseMissingField(std::string_view reference);
    template <typename Fn>
    decltype(auto) Guard(std::string_view proc, const std::string& context, Fn&& action);
    void VerifyIndexFiles() const;
    void CheckTableHeaders();
    void TakeProjectLock(const std::string& pjcPath);
    void ReleaseProjectLock();
    void RecoverInterruptedRun();
    [[noreturn]] void RaiseInUse(std::string_view proc, const std::string& context, bool advice);
    void ReadVersion();
    int OpenTableSlot(std::string_view suffix, std::string_view alias);
    void FreeRelationsOf(const Table* table);
    void SplitReference(std::string_view reference, std::string& alias, std::string& name) const;
    CTMGTableIndex* IndexObject(std::string_view suffix);
    void DropSlot(int slot);
    FileSystem& Fs() const { return *fs_; }
    IniFile ProjectConfig() const;
    struct Counters {
        uint64_t dropped = 0;
        uint64_t bytes = 0;
    };
    // Keeps the counters of a table's files before its last cursor closes.
    void RetireCounters(size_t slot);
    Counters CountersNow() const;

    FileSystem& baseFs_;
    std::unique_ptr<JournalingFileSystem> journal_;
    FileSystem* fs_; // the journal, over baseFs_
    std::unique_ptr<MemoryBudget> budget_ = std::make_unique<MemoryBudget>();
    std::optional<JournalInfo> recoveredRun_;
    std::unique_ptr<File> projectLock_; // the project file, holding the project lock
    bool writeLocked_ = false;
    bool isOpen_ = false;
    bool readOnly_ = false;
    bool refuseDamagedTables_ = true;
    bool logOnly_ = false;
    bool checkTags_ = false;
    Counters retired_; // of tables closed since the project was opened
    std::string folder_, prefix_;
    std::string versionText_;
    int versionMajor_ = 0, versionMinor_ = 0, versionPatch_ = 0;
    std::string personOrder_ = "PerByNo";
    std::string principalRoleId_ = "Principal", witnessRoleId_ = "Witness";
    long sourceRule_ = 0;
    std::string placeTemplate_;
    long dsid_ = 0;
    std::string datasetName_;

    std::vector<Slot> slots_;
    std::map<std::string, std::unique_ptr<CTMGTableIndex>> indexes_; // by table kind
    int aliasCounter_ = 0;
    long pendingError_ = 0;
};

// "<[CITY], ><[COUNTY], ><[STATE]>": the short place template when a project names none.
inline constexpr std::string_view kDefaultPlaceTemplate = "<[CITY], ><[COUNTY], ><[STATE]>";

} // namespace hk::db
