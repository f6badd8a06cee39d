#include "project_writer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/error.h"
#include "support/text.h"
#include "xbase/dbf/dbf_file.h"
#include "xbase/file.h"

namespace fs = std::filesystem;

namespace hk::mktmg {

namespace {

// Memory is bounded per file, not per project: these hold at any number of people.
constexpr size_t kAppendCacheBytes = 64u << 10; // per table or memo file while records stream in
constexpr size_t kIndexCacheBytes = 1u << 20;   // per file while an index is built
constexpr size_t kBuildMemory = 4u << 20;       // one tag's build: more keys are sorted in runs

} // namespace

void SplitProjectPath(const std::string& pjcPath, std::string& folder, std::string& prefix) {
    fs::path p(pjcPath);
    std::string stem = p.stem().string();
    if (!EqualsNoCase(p.extension().string(), ".pjc") || stem.size() < 3 ||
        stem.compare(stem.size() - 2, 2, "__") != 0)
        throw Error(-1, ErrorSource("ProjectWriter", "SplitProjectPath"),
                    "the project file must be named NAME__.pjc, not " + pjcPath);
    fs::path dir = p.parent_path();
    folder = dir.empty() ? std::string("./") : dir.string() + "/";
    prefix = stem.substr(0, stem.size() - 1);
}

// ---------------------------------------------------------------------------------------------

TableSink::TableSink(std::string path, TmgTableLayout layout, const db::CreateOptions& options)
    : path_(std::move(path)), layout_(std::move(layout)) {
    // The production index is built after the data (ProjectWriter::Finish), in one sorted pass.
    table_ = db::Table::Create(path_, layout_.fields, options);
    dsidField_ = Field("DSID");
    // Written pages go to disk as they fill: records are only appended, so a few pages per
    // file are enough, whatever the size of the project.
    table_->SetCacheLimit(kAppendCacheBytes);
}

TableSink::~TableSink() = default;

void TableSink::Begin(int dsid) {
    dsid_ = dsidField_ >= 0 ? dsid : 0;
    table_->AppendStart();
    if (dsidField_ >= 0)
        table_->AssignLong(dsidField_, dsid);
}

void TableSink::Int(int field, long value) {
    if (field >= 0)
        table_->AssignLong(field, value);
}

void TableSink::Number(int field, double value) {
    if (field >= 0)
        table_->AssignDouble(field, value);
}

void TableSink::Text(int field, std::string_view utf8) {
    if (field >= 0 && !utf8.empty())
        table_->AssignString(field, utf8);
}

void TableSink::Char(int field, char c) {
    if (field >= 0 && c != ' ' && c != 0)
        table_->AssignString(field, std::string_view(&c, 1));
}

void TableSink::Memo(int field, std::string_view utf8) {
    if (field >= 0 && !utf8.empty())
        table_->AssignMemo(field, utf8);
}

void TableSink::Bool(int field, bool value) {
    if (field >= 0)
        table_->AssignBool(field, value);
}

void TableSink::Date(int field, std::string_view yyyymmdd) {
    if (field >= 0 && !yyyymmdd.empty())
        table_->AssignDate(field, yyyymmdd);
}

uint32_t TableSink::End(bool deleted) {
    uint32_t recno = table_->Append();
    if (deleted) {
        table_->Delete();
        ++counts_.deleted;
    } else {
        ++counts_.live[dsid_];
    }
    return recno;
}

void TableSink::Close() {
    if (!table_)
        return;
    table_->Flush();
    table_.reset();
}

// ---------------------------------------------------------------------------------------------

ProjectWriter::ProjectWriter(const std::string& pjcPath, TmgLayout layout, int personFlags,
                             FixedDate date)
    : layout_(layout), personFlags_(personFlags), date_(date), pjcPath_(pjcPath) {
    SplitProjectPath(pjcPath, folder_, prefix_);
    fs::create_directories(folder_);
    // A project written again over an older one must not keep stale files.
    for (const TmgTableLayout& t : TmgTables(layout)) {
        std::string base = folder_ + TmgTableFileName(prefix_, t.suffix);
        base.resize(base.size() - 4);
        for (const char* ext : {".dbf", ".fpt", ".cdx"})
            fs::remove(base + ext);
    }
    for (const char* f : {"_.pjc", "_.tmg", "_.mem"})
        fs::remove(folder_ + prefix_ + f);

    db::CreateOptions options = TmgCreateOptions(layout);
    for (const TmgTableLayout& t : TmgTables(layout)) {
        TmgTableLayout l = t.suffix == "$" ? WithPersonFlags(t, personFlags) : t;
        sinks_.push_back(std::make_unique<TableSink>(folder_ + TmgTableFileName(prefix_, t.suffix),
                                                     std::move(l), options));
    }
}

ProjectWriter::~ProjectWriter() = default;

TableSink* ProjectWriter::Sink(std::string_view suffix) {
    for (auto& s : sinks_)
        if (EqualsNoCase(s->Layout().suffix, suffix))
            return s.get();
    return nullptr;
}

void ProjectWriter::WriteProjectFile(std::string_view suffixAndExtension,
                                     std::string_view utf8Text) {
    std::string text;
    for (char c : utf8Text) {
        if (c == '\n')
            text += '\r';
        text += c;
    }
    WriteRawFile(suffixAndExtension, Utf8ToCp1252(text));
}

void ProjectWriter::WriteRawFile(std::string_view suffixAndExtension, std::string_view bytes) {
    std::string name = prefix_ + std::string(suffixAndExtension);
    std::ofstream out(folder_ + name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw Error(-1, ErrorSource("ProjectWriter", "WriteRawFile"),
                    "cannot write " + folder_ + name);
    if (std::find(extraFiles_.begin(), extraFiles_.end(), name) == extraFiles_.end())
        extraFiles_.push_back(name);
}

void ProjectWriter::BuildIndex(const TableSink& sink) {
    const TmgTableLayout& layout = sink.Layout();
    {
        db::OpenOptions o;
        o.writable = true;
        auto table = db::Table::Open(sink.Path(), o);
        // The index being built is bounded too, and so are its keys while they are sorted.
        table->SetCacheLimit(kIndexCacheBytes);
        table->SetIndexBuildMemory(kBuildMemory);
        table->CreateProductionIndex(layout.tags);
        table->SetUpdateDate(date_.year, date_.month, date_.day);
        table->Flush();
    }
}

void ProjectWriter::Finish() {
    if (finished_)
        return;
    for (auto& s : sinks_)
        s->Close();
    for (auto& s : sinks_)
        BuildIndex(*s);
    finished_ = true;
}

ProjectCounts ProjectWriter::Counts() const {
    ProjectCounts out;
    for (const auto& s : sinks_)
        out[s->Layout().suffix] = s->Counts();
    return out;
}

std::vector<std::string> ProjectWriter::Files() const {
    std::vector<std::string> files = extraFiles_;
    for (const auto& s : sinks_) {
        std::string name = fs::path(s->Path()).filename().string();
        files.push_back(name);
        std::string base = name.substr(0, name.size() - 4);
        if (s->Layout().HasMemo())
            files.push_back(base + ".fpt");
        if (finished_)
            files.push_back(base + ".cdx");
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace hk::mktmg
