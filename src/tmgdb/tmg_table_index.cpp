#include "tmgdb/tmg_table_index.h"

#include "support/text.h"
#include "xbase/table_error.h"

namespace hk::db {

namespace {

constexpr const char* kClass = "CTMGTableIndex";
constexpr const char* kNotDeleted = ".NOT. DELETED()";

IndexTagSpec TagOf(std::string name, std::string key) {
    IndexTagSpec t;
    t.name = std::move(name);
    t.keyExpr = std::move(key);
    t.forExpr = kNotDeleted;
    return t;
}

} // namespace

void CTMGTableIndex::CreateIndex(const std::string& fileName, Table& table,
                                 const std::vector<IndexTagSpec>& tags) {
    Close();
    // An existing file of that name (left over from an earlier run) is replaced.
    handle_ = WithTableContext(kClass, "CreateIndex", "creating index " + fileName,
                               [&] { return table.CreateIndex(fileName, tags); });
    table_ = &table;
    created_ = true;
    fileName_ = fileName;
}

void CTMGTableIndex::Reopen(Table& table) {
    if (handle_)
        return;
    handle_ = WithTableContext(kClass, "Reopen", "opening index " + fileName_,
                               [&] { return table.OpenIndex(fileName_); });
    table_ = &table;
}

void CTMGTableIndex::Rebind(Table& table) {
    if (handle_)
        table_ = &table;
}

void CTMGTableIndex::Close() {
    if (!handle_)
        return;
    IndexSet* index = handle_;
    Table* table = table_;
    handle_ = nullptr;
    table_ = nullptr;
    table->CloseIndex(index);
}

void CTMGTableIndex::Discard() {
    try {
        Close();
    } catch (...) {
    }
    if (created_) {
        try {
            FileSystem& fs = fs_ ? *fs_ : FileSystem::Default();
            if (fs.Exists(fileName_))
                fs.Remove(fileName_);
        } catch (...) {
        }
    }
    created_ = false;
}

bool UsesPrivateIndex(std::string_view suffix, int versionMajor) {
    std::string probe = "-" + AsciiUpper(Trim(suffix)) + "-";
    std::string_view kinds = versionMajor >= 5 ? "-I-L-M-N-R-ST-" : "-L-N-P-";
    return kinds.find(probe) != std::string_view::npos;
}

std::optional<PrivateIndexLayout> PrivateIndexFor(std::string_view suffix, int versionMajor,
                                                  bool wantNameStyleOrder, bool wantSurnameOrder) {
    std::string s = AsciiUpper(Trim(suffix));
    bool current = versionMajor >= 5;
    PrivateIndexLayout layout;
    if (s == "I") {
        layout.fileName = "exh_idx.cdx";
        layout.tags = {TagOf("BYSUBJ", "RLTYPE+STR(RLNUM)"), TagOf("XNAME", "XNAME"),
                       TagOf("RLPER1", "RLPER1")};
    } else if (s == "L") {
        layout.fileName = "rlog_idx.cdx";
        layout.tags = {TagOf("BYRLNUM", "RLNUM")};
    } else if (s == "M") {
        layout.fileName = "source_idx.cdx";
        layout.tags = {TagOf("MJBYNUM", "MajNum"), TagOf("BYREFID", "Ref_ID"),
                       TagOf("MJBYABBR", "UPPER(ABBREV)"),
                       TagOf("MJBYTITL", "PADR(UPPER(TITLE),40)")};
    } else if (s == "N") {
        layout.fileName = "name_idx.cdx";
        layout.tags = {TagOf("BYNPER", "NPER"), TagOf("BYRECNO", "RECNO")};
        if (wantNameStyleOrder)
            layout.tags.push_back(TagOf("BYSTYLEID", current ? "STYLEID" : "0"));
        if (wantSurnameOrder)
            layout.tags.push_back(
                TagOf("BYSURNAME", current ? "UPPER(SRNAMESORT)" : "LEFT(NAME,70)"));
    } else if (s == "P") {
        layout.fileName = "place_idx.cdx";
        layout.tags = {TagOf("BYRECNO", "RECNO")};
    } else if (s == "R") {
        layout.fileName = "repo_idx.cdx";
        layout.tags = {TagOf("BYRECNO", "RecNo")};
    } else if (s == "ST") {
        layout.fileName = "style_idx.cdx";
        layout.tags = {TagOf("StyleID", "StyleID")};
    } else {
        return std::nullopt;
    }
    return layout;
}

const std::vector<std::string>& PrivateIndexKinds() {
    static const std::vector<std::string> kinds = {"I", "L", "M", "N", "P", "R", "ST"};
    return kinds;
}

bool IsPrivateIndexFile(const std::string& path) {
    size_t slash = path.find_last_of('/');
    std::string name = AsciiLower(slash == std::string::npos ? path : path.substr(slash + 1));
    for (const std::string& kind : PrivateIndexKinds())
        for (int version : {4, 5})
            if (auto layout = PrivateIndexFor(kind, version, false, false))
                if (layout->fileName == name)
                    return true;
    return false;
}

} // namespace hk::db
