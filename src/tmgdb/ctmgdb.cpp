// CTMGDB: opening a project, its version and settings, datasets, languages.
#include "tmgdb/ctmgdb.h"

#include <algorithm>
#include <filesystem>

#include "support/ini_file.h"
#include "support/paths.h"
#include "support/settings_store.h"
#include "support/text.h"
#include "tmgdb/project_version.h"
#include "tmgdb/tmg_schema.h"
#include "xbase/memory_variables.h"
#include "xbase/table_error.h"

namespace hk::db {

namespace {

constexpr const char* kClass = "CTMGDB";
constexpr std::string_view kIndexedTables = "$aefgiklmprstuw";

} // namespace

CTMGDB::CTMGDB(FileSystem* fs)
    : baseFs_(fs ? *fs : FileSystem::Default()),
      journal_(std::make_unique<JournalingFileSystem>(baseFs_)), fs_(journal_.get()),
      placeTemplate_(kDefaultPlaceTemplate) {
    for (const std::string& kind : PrivateIndexKinds())
        indexes_[kind] = std::make_unique<CTMGTableIndex>(fs_);
    journal_->SetScratchFiles(IsPrivateIndexFile);
}

CTMGDB::~CTMGDB() {
    try {
        // A run still armed here did not finish: its changes are taken back.
        if (journal_->Armed())
            RollBackRun();
        CloseAllTables();
    } catch (...) {
    }
}

void CTMGDB::Raise(std::string_view proc, std::string description) const {
    throw hk::Error(-1, ErrorSource(kClass, std::string(proc)), std::move(description));
}

void CTMGDB::SplitProjectPath(const std::string& pjcPath, std::string& folder,
                              std::string& prefix) {
    std::filesystem::path p(std::string(Trim(pjcPath)));
    folder = AddTrailingSlash(p.parent_path().string());
    if (folder.empty())
        folder = "./";
    std::string stem(Trim(p.stem().string()));
    prefix = stem.empty() ? stem : stem.substr(0, stem.size() - 1);
}

std::string CTMGDB::DisplayNameOf(std::string_view prefix) {
    size_t end = prefix.find_last_not_of('_');
    return end == std::string_view::npos ? std::string() : std::string(prefix.substr(0, end + 1));
}

void CTMGDB::SetProjectPath(const std::string& pjcPath) {
    SplitProjectPath(pjcPath, folder_, prefix_);
}

std::string CTMGDB::ProjectConfigPath() const {
    std::string path = folder_ + prefix_ + "_.pjc";
    auto found = FindFileNoCase(Fs(), path);
    return found ? *found : path;
}

std::string CTMGDB::TablePath(std::string_view suffix) const {
    std::string path = folder_ + prefix_ + AsciiLower(Trim(suffix)) + ".dbf";
    auto found = FindFileNoCase(Fs(), path);
    return found ? *found : path;
}

std::string CTMGDB::VersionString() const {
    return FormatVersionString(versionMajor_, versionMinor_, versionPatch_);
}

void CTMGDB::VerifyIndexFiles() const {
    std::string missing;
    for (char c : kIndexedTables) {
        std::string name = prefix_ + c + ".cdx";
        if (!FindFileNoCase(Fs(), folder_ + name))
            missing += "\r\n" + name;
    }
    if (!missing.empty())
        Raise("VerifyIndexFiles",
              "Index files are missing (see below); open the dataset in TMG to build the index "
              "files, then close TMG and try again.\r\n\r\nIndex file(s) missing:" +
                  missing);
}

void CTMGDB::CheckTableHeaders() {
    // Reading each header against its file's size is cheap, and names a damaged table now,
    // by its file, instead of in the middle of a run under whatever alias a loader gave it.
    std::vector<std::string> names = Fs().List(folder_);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (name.size() < prefix_.size() + 5 ||
            !EqualsNoCase(name.substr(0, prefix_.size()), prefix_) ||
            !EqualsNoCase(name.substr(name.size() - 4), ".dbf"))
            continue;
        std::string suffix = name.substr(prefix_.size(), name.size() - prefix_.size() - 4);
        if (!FindTmgTable(TmgLayout::Current, suffix) && !FindTmgTable(TmgLayout::Old, suffix))
            continue;
        std::string path = folder_ + name;
        try {
            OpenOptions options;
            options.writable = false;
            options.productionIndex = false;
            options.fs = fs_;
            options.budget = budget_.get();
            Table::Open(path, options);
        } catch (const DbError& e) {
            pendingError_ = e.Number();
            std::string fault = e.Description();
            if (fault.starts_with(e.File() + ": "))
                fault.erase(0, e.File().size() + 2);
            std::string description = TableDescription(suffix);
            throw TableLibraryError(
                ErrorSource(kClass, "CheckTableHeaders"),
                "The table " + path + (description.empty() ? "" : " (" + description + ")") +
                    " is damaged: " + fault +
                    ".\r\n\r\nRestore the project from a backup, or let TMG check and repair "
                    "it (File > Maintenance > Validate File Integrity), then try again.",
                e.Number(), e.Description());
        }
    }
}

void CTMGDB::ReadVersion() {
    ProjectVersion v = ReadProjectVersion(Fs(), folder_, prefix_);
    versionText_ = v.text;
    versionMajor_ = v.major;
    versionMinor_ = v.minor;
    versionPatch_ = v.patch;
    personOrder_ = versionMajor_ >= 5 ? "Per_No" : "PerByNo";
    principalRoleId_ = versionMajor_ >= 10 ? "00001" : "Principal";
    witnessRoleId_ = versionMajor_ >= 10 ? "00002" : "Witness";
    sourceRule_ = GetProjectSettingLong("Advanced", "SourceRule", 0);
    if (versionMajor_ >= 5) {
        placeTemplate_ = GetProjectSetting("Advanced", "SPTemplate", kDefaultPlaceTemplate);
    } else {
        placeTemplate_ = std::string(kDefaultPlaceTemplate);
        if (auto mem = FindFileNoCase(Fs(), folder_ + prefix_ + "_.mem"))
            if (auto value = ReadMemoryVariable(Fs(), *mem, "M_FVALSPLA"))
                placeTemplate_ = *value;
    }
}

void CTMGDB::OpenProject(const std::string& pjcPath) {
    if (isOpen_ || !slots_.empty())
        CloseProject();
    isOpen_ = false;
    retired_ = {};
    SetProjectPath(pjcPath);
    try {
        pendingError_ = 0;
        TakeProjectLock(pjcPath);
        RecoverInterruptedRun();
        VerifyIndexFiles();
        if (refuseDamagedTables_)
            CheckTableHeaders();
        ReadVersion();
        OpenTable("$", "$");
        CloseTable("$");
        isOpen_ = true;
    } catch (const hk::Error& e) {
        long code = pendingError_;
        try {
            CloseAllTables();
        } catch (...) {
        }
        ReleaseProjectLock();
        pendingError_ = code;
        std::string description = e.Description();
        if (code == kErrFileInUse)
            description += "\r\n\r\n" + InUseAdvice();
        else if (code == kErrIndex)
            description += "\r\n\r\nThis application can not access TMG projects unless the "
                           "collate sequence is set to 'General', 'Machine', or 'ASCII'. See "
                           "the Help pages.";
        if (auto* t = dynamic_cast<const TableLibraryError*>(&e))
            throw TableLibraryError(t->Source(), description, t->Code(), t->Detail());
        throw hk::Error(e.Number(), e.Source(), description);
    }
}

void CTMGDB::CloseProject() {
    isOpen_ = false;
    try {
        CloseAllTables();
    } catch (...) {
        ReleaseProjectLock();
        throw;
    }
    ReleaseProjectLock();
}

int CTMGDB::CheckCompatibility(const std::string& compatibilityIni, int programMajor,
                               int programMinor, int programRevision) const {
    return CheckVersionCompatibility(VersionString(), compatibilityIni, programMajor, programMinor,
                                     programRevision);
}

std::vector<DatasetRecord> CTMGDB::Datasets() {
    std::vector<DatasetRecord> out;
    if (!FindFileNoCase(Fs(), folder_ + prefix_ + "d.dbf"))
        return out;
    std::string alias = NewAlias();
    OpenTable("d", alias);
    try {
        Table* t = TableHandle(alias);
        SelectTag(t, {});
        int fDsid = t->FieldIndex("DSID"), fName = t->FieldIndex("DSNAME");
        int fLocation = t->FieldIndex("DSLOCATION"), fLocked = t->FieldIndex("DSLOCKED");
        int fComment = t->FieldIndex("DCOMMENT");
        for (int r = t->Top(); r == kPosOk; r = t->Skip(1)) {
            if (t->Deleted())
                continue;
            DatasetRecord d;
            if (fDsid >= 0)
                d.dsid = t->GetLong(fDsid);
            if (fName >= 0)
                d.name = t->GetTrimmed(fName);
            if (fLocation >= 0)
                d.location = t->GetTrimmed(fLocation);
            if (fLocked >= 0)
                d.locked = t->GetBool(fLocked);
            if (fComment >= 0)
                d.comment = t->GetMemo(fComment);
            out.push_back(std::move(d));
        }
    } catch (...) {
        CloseTable(alias);
        throw;
    }
    CloseTable(alias);
    return out;
}

std::optional<DatasetRecord> CTMGDB::FindDataset(long dsid) {
    for (DatasetRecord& d : Datasets())
        if (d.dsid == dsid)
            return std::move(d);
    return std::nullopt;
}

std::string CTMGDB::GetProjectSetting(std::string_view section, std::string_view key,
                                      std::string_view def) const {
    if (versionMajor_ < 5)
        return std::string(def);
    return GetIniString(ProjectConfig(), section, key, def);
}

long CTMGDB::GetProjectSettingLong(std::string_view section, std::string_view key, long def) const {
    if (versionMajor_ < 5)
        return def;
    return GetIniLong(ProjectConfig(), section, key, def);
}

std::string CTMGDB::GetProjectSettingPath(std::string_view section, std::string_view key,
                                          std::string_view def, std::string_view basePath) const {
    if (versionMajor_ < 5)
        return std::string(def);
    std::string value = GetIniString(ProjectConfig(), section, key, def);
    if (!IsAbsolutePathText(value) && !basePath.empty())
        value = AddTrailingSlash(basePath) + value;
    return AddTrailingSlash(value);
}

IniFile CTMGDB::ProjectConfig() const {
    return IniFile::Parse(ReadWholeFile(Fs(), ProjectConfigPath()).value_or(std::string()));
}

std::string CTMGDB::TableDescription(std::string_view suffix) {
    return TmgTableDescription(Trim(suffix));
}

std::string CTMGDB::DataTypeToString(std::string_view type) {
    std::string t = AsciiUpper(Trim(type));
    if (t == "C")
        return "Character";
    if (t == "D")
        return "Date";
    if (t == "L")
        return "Logical";
    if (t == "N")
        return "Numeric";
    if (t == "M")
        return "Memo";
    return std::string();
}

std::string CTMGDB::GetLanguages(std::string_view extraList, Settings& settings) const {
    std::vector<std::string> languages = SplitChoices(extraList);
    std::string strings;
    for (const char* version : {"v8", "v7"}) {
        std::string key =
            std::string("Software\\Wholly Genes Software\\The Master Genealogist ") + version;
        for (const char* value : {"SharedProgramData", "InstallPath"}) {
            std::string folder = settings.GetSettingStringAnyRoot(key, "", value, "");
            if (Trim(folder).empty())
                continue;
            std::string candidate = AddTrailingSlash(folder) + "strings.dbf";
            if (auto found = FindFileNoCase(Fs(), candidate)) {
                strings = *found;
                break;
            }
        }
        if (!strings.empty())
            break;
    }
    if (!strings.empty()) {
        // Shared and without its indexes: TMG may be using the file.
        OpenOptions options;
        options.writable = false;
        options.productionIndex = false;
        options.fs = fs_;
        options.budget = budget_.get();
        auto table = WithTableContext(kClass, "GetLanguages", "opening " + strings,
                                      [&] { return Table::Open(strings, options); });
        for (int i = 0; i < table->FieldCount(); ++i) {
            const std::string& name = table->FieldAt(i).name;
            if (name.size() < 2 || (name[0] != 'C' && name[0] != 'c'))
                continue;
            std::string language = AsciiUpper(name.substr(1));
            if (language == "ORIGINAL" || language == "ONTEXT" || language == "WHERE")
                continue;
            bool known = false;
            for (const std::string& l : languages)
                known = known || EqualsNoCase(l, language);
            if (!known)
                languages.push_back(language);
        }
    }
    std::string out;
    for (const std::string& l : languages)
        out += (out.empty() ? "" : "||") + l;
    return out;
}

long CTMGDB::FirstPersonNumber() {
    std::string alias = NewAlias();
    OpenTable("$", alias);
    long found = 0;
    try {
        Table* t = TableHandle(alias);
        SelectTag(t, personOrder_);
        int fNumber = t->FieldIndex("PER_NO");
        int fDsid = t->FieldIndex("DSID");
        if (fNumber >= 0) {
            for (int r = t->Top(); r == kPosOk; r = t->Skip(1)) {
                if (t->Deleted())
                    continue;
                if (fDsid >= 0 && t->GetLong(fDsid) != dsid_)
                    continue;
                long n = t->GetLong(fNumber);
                if (n >= 1 && (found == 0 || n < found))
                    found = n;
                // In person-number order the first match is the lowest.
                if (found != 0 && t->SelectedTag())
                    break;
            }
        }
    } catch (...) {
        CloseTable(alias);
        throw;
    }
    CloseTable(alias);
    return found;
}

} // namespace hk::db
