// hkdbf: a look inside a FoxPro table and its indexes, and small edits that keep every index
// consistent, for people who need to inspect a project's tables and for our own checks.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/text.h"
#include "tmgdb/ctmgdb.h"
#include "tmgdb/run_recovery.h"
#include "xbase/cdx/index_key.h"
#include "xbase/dbf/dbf_file.h"
#include "xbase/dbf/julian_date.h"
#include "xbase/table.h"

using namespace hk;
using namespace hk::db;

namespace {

const char* kUsage =
    "usage:\n"
    "  hkdbf info T.dbf\n"
    "  hkdbf dump T.dbf [--fields A,B] [--deleted]\n"
    "  hkdbf keys T.dbf TAG\n"
    "  hkdbf check T.dbf\n"
    "  hkdbf set T.dbf RECNO FIELD=VALUE...\n"
    "  hkdbf append T.dbf FIELD=VALUE...\n"
    "  hkdbf delete T.dbf RECNO\n"
    "  hkdbf recall T.dbf RECNO\n"
    "  hkdbf seek T.dbf TAG KEY\n"
    "  hkdbf create T.dbf NAME:TYPE[:LEN[:DEC]]... [--tag NAME=EXPR]... [--for NAME=FOREXPR]...\n"
    "               [--descending NAME]... [--unique NAME]...\n"
    "\n"
    "dump prints the records that are not deleted, one per line, fields separated by tabs\n"
    "(tab, CR and LF inside values written as \\t \\r \\n). With --deleted every record is\n"
    "printed and the first column is its deletion mark (* or blank).\n"
    "Exit status: 0 done, 1 check found a fault or seek found nothing, 2 error.\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Escape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

uint32_t ParseRecNo(const std::string& s) {
    uint32_t v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size() || v == 0)
        throw UsageError("not a record number: " + s);
    return v;
}

std::string FormatNumber(double v) {
    if (v == std::floor(v) && std::fabs(v) < 1e15)
        return std::to_string(static_cast<long long>(v));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

std::string FieldText(const Table& t, int f) {
    const FieldInfo& fi = t.FieldAt(f);
    if (t.IsNull(f))
        return "";
    switch (fi.type) {
    case 'C':
        return std::string(TrimRight(t.GetString(f)));
    case 'M':
        return t.GetMemo(f);
    case 'I':
        return std::to_string(t.GetLong(f));
    case 'B':
    case 'Y':
        return FormatNumber(t.GetDouble(f));
    case 'L': {
        std::string_view raw = Trim(t.Raw(f));
        if (raw.empty() || raw == "?")
            return "";
        return t.GetBool(f) ? "T" : "F";
    }
    case 'G':
    case 'P':
    case 'W':
    case 'T':
    case '0':
    case 'Q':
        return ""; // binary contents are not shown
    default:
        return std::string(Trim(t.GetString(f)));
    }
}

int Info(const std::string& path) {
    auto t = Table::Open(path, {.writable = false});
    const DbfFile& d = t->Dbf();
    std::printf("File: %s\n", t->Path().c_str());
    std::printf("Version: 0x%02X (%s)\n", d.VersionByte(),
                d.Flavor() == DbfFlavor::Vfp ? "Visual FoxPro" : "FoxPro 2.x");
    std::printf("Code page mark: 0x%02X\n", d.CodePage());
    std::printf("Records: %u\n", d.RecordCount());
    std::printf("Header length: %u\nRecord length: %u\n", d.HeaderLength(), d.RecordLength());
    std::printf("Fields:\n");
    for (const FieldInfo& fi : d.Fields())
        std::printf("  %-10s %c %3u %2u\n", fi.name.c_str(), fi.type, fi.length, fi.decimals);
    std::vector<Tag*> tags = t->Tags();
    std::printf("Tags: %zu\n", tags.size());
    for (Tag* tag : tags) {
        const TagInfo& ti = tag->Info();
        std::printf("  %-10s key %s", ti.name.c_str(), Cp1252ToUtf8(ti.keyExpr).c_str());
        if (!ti.forExpr.empty())
            std::printf("  for %s", Cp1252ToUtf8(ti.forExpr).c_str());
        std::printf("  (%s%s%s, key length %u%s)\n", ti.descending ? "descending" : "ascending",
                    ti.unique ? ", unique" : "", ti.candidate ? ", candidate" : "", ti.keyLength,
                    ti.collation.empty() ? "" : (", collation " + ti.collation).c_str());
    }
    return 0;
}

int Dump(const std::string& path, const std::vector<std::string>& args) {
    bool withDeleted = false;
    std::string fieldList;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--deleted")
            withDeleted = true;
        else if (args[i] == "--fields" && i + 1 < args.size())
            fieldList = args[++i];
        else
            throw UsageError("unknown dump option: " + args[i]);
    }
    auto t = Table::Open(path, {.writable = false});
    std::vector<int> fields;
    if (fieldList.empty()) {
        for (int f = 0; f < t->FieldCount(); ++f)
            if (t->FieldAt(f).type != '0')
                fields.push_back(f);
    } else {
        size_t start = 0;
        while (start <= fieldList.size()) {
            size_t comma = fieldList.find(',', start);
            std::string name = fieldList.substr(
                start, comma == std::string::npos ? std::string::npos : comma - start);
            int f = t->FieldIndex(name);
            if (f < 0)
                throw UsageError("no field " + name + " in " + path);
            fields.push_back(f);
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
    }
    std::string line;
    for (int r = t->Top(); r == kPosOk; r = t->Skip(1)) {
        if (t->Deleted() && !withDeleted)
            continue;
        line.clear();
        if (withDeleted)
            line += t->Deleted() ? "*\t" : " \t";
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i)
                line += '\t';
            line += Escape(FieldText(*t, fields[i]));
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return 0;
}

Tag* NeedTag(Table& t, const std::string& name) {
    Tag* tag = t.FindTag(name);
    if (!tag)
        throw UsageError("no tag " + name + " in the production index of " + t.Path());
    return tag;
}

std::string KeyText(const Tag& tag, std::string_view key) {
    switch (tag.Kind()) {
    case KeyKind::Char:
        return Escape(Cp1252ToUtf8(TrimRight(key)));
    case KeyKind::Int4:
        return std::to_string(DecodeIntKey(key));
    case KeyKind::Currency:
        return FormatNumber(static_cast<double>(DecodeCurrencyKey(key)) / 10000.0);
    case KeyKind::Logical:
        return std::string(key);
    case KeyKind::Double: {
        double v = DecodeDoubleKey(key);
        if (tag.DateKeys())
            return v == 0 ? "" : DateFromJulian(static_cast<int32_t>(v));
        return FormatNumber(v);
    }
    }
    return {};
}

int Keys(const std::string& path, const std::string& tagName) {
    auto t = Table::Open(path, {.writable = false});
    Tag* tag = NeedTag(*t, tagName);
    t->SelectTag(tag); // refuses keys in a form the engine cannot read
    std::vector<KeyEntry> entries = tag->Entries();
    if (tag->Info().descending)
        std::reverse(entries.begin(), entries.end());
    for (const KeyEntry& e : entries)
        std::printf("%s\t%u\n", KeyText(*tag, e.key).c_str(), e.recno);
    return 0;
}

int Check(const std::string& path) {
    auto t = Table::Open(path, {.writable = false});
    long faults = 0;
    t->CheckFiles([&](const TableFault& f) {
        ++faults;
        if (f.kind == TableFault::Kind::Memo)
            std::printf("record %u, field %s: %s\n", f.recno, f.where.c_str(), f.what.c_str());
        else
            std::printf("%s\n", f.what.c_str());
    });
    if (faults > 0)
        return 1;
    std::printf("ok: %u records, %zu tags\n", t->RecCount(), t->Tags().size());
    return 0;
}

void Assign(Table& t, const std::vector<std::string>& pairs) {
    for (const std::string& p : pairs) {
        size_t eq = p.find('=');
        if (eq == std::string::npos)
            throw UsageError("expected FIELD=VALUE, got " + p);
        int f = t.FieldIndex(p.substr(0, eq));
        if (f < 0)
            throw UsageError("no field " + p.substr(0, eq) + " in " + t.Path());
        t.AssignString(f, p.substr(eq + 1));
    }
}

int Create(const std::string& path, const std::vector<std::string>& args) {
    std::vector<FieldSpec> fields;
    std::vector<IndexTagSpec> tags;
    std::map<std::string, std::string> fors;
    std::set<std::string> descending, unique;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* what) {
            if (i + 1 >= args.size())
                throw UsageError(std::string(what) + " needs a value");
            return args[++i];
        };
        auto split = [](const std::string& s) {
            size_t eq = s.find('=');
            if (eq == std::string::npos)
                throw UsageError("expected NAME=EXPR, got " + s);
            return std::pair(AsciiUpper(s.substr(0, eq)), s.substr(eq + 1));
        };
        if (a == "--tag") {
            auto [n, e] = split(value("--tag"));
            tags.push_back({n, e, "", false, false});
        } else if (a == "--for") {
            auto [n, e] = split(value("--for"));
            fors[n] = e;
        } else if (a == "--descending") {
            descending.insert(AsciiUpper(value("--descending")));
        } else if (a == "--unique") {
            unique.insert(AsciiUpper(value("--unique")));
        } else if (a.rfind("--", 0) == 0) {
            throw UsageError("unknown create option: " + a);
        } else {
            std::vector<std::string> parts;
            size_t start = 0;
            for (;;) {
                size_t c = a.find(':', start);
                parts.push_back(
                    a.substr(start, c == std::string::npos ? std::string::npos : c - start));
                if (c == std::string::npos)
                    break;
                start = c + 1;
            }
            if (parts.size() < 2 || parts.size() > 4 || parts[1].size() != 1)
                throw UsageError("expected NAME:TYPE[:LEN[:DEC]], got " + a);
            FieldSpec fs{AsciiUpper(parts[0]), static_cast<char>(std::toupper(parts[1][0]))};
            if (parts.size() > 2)
                fs.length = std::stoi(parts[2]);
            if (parts.size() > 3)
                fs.decimals = std::stoi(parts[3]);
            fields.push_back(fs);
        }
    }
    for (auto& tag : tags) {
        if (fors.count(tag.name))
            tag.forExpr = fors[tag.name];
        tag.descending = descending.count(tag.name) > 0;
        tag.unique = unique.count(tag.name) > 0;
    }
    for (auto& [n, e] : fors)
        if (std::none_of(tags.begin(), tags.end(), [&](auto& t) { return t.name == n; }))
            throw UsageError("--for names a tag that has no --tag: " + n);
    auto t = Table::Create(path, fields, CreateOptions{}, tags);
    t->Flush();
    return 0;
}

// A run of the program that a crash cut short is rolled back before a table of its project is
// written.
void RecoverBeforeWriting(const std::string& tablePath) {
    std::string folder = std::filesystem::path(tablePath).parent_path().string();
    folder = folder.empty() ? std::string("./") : folder + "/";
    for (const JournalInfo& info : RecoverInterruptedRuns(FileSystem::Default(), folder))
        std::fprintf(stderr, "%s\n", CTMGDB::RecoveredRunMessage(info).c_str());
}

int Run(const std::vector<std::string>& a) {
    if (a.empty() || a[0] == "--help" || a[0] == "-h") {
        std::fputs(kUsage, a.empty() ? stderr : stdout);
        return a.empty() ? 2 : 0;
    }
    const std::string& cmd = a[0];
    if (a.size() < 2)
        throw UsageError(cmd + " needs a table file");
    const std::string& path = a[1];
    std::vector<std::string> rest(a.begin() + 2, a.end());
    if (cmd == "info" && rest.empty())
        return Info(path);
    if (cmd == "dump")
        return Dump(path, rest);
    if (cmd == "keys" && rest.size() == 1)
        return Keys(path, rest[0]);
    if (cmd == "check" && rest.empty())
        return Check(path);
    if (cmd == "create")
        return Create(path, rest);
    if (cmd == "seek" && rest.size() == 2) {
        auto t = Table::Open(path, {.writable = false});
        t->SelectTag(NeedTag(*t, rest[0]));
        if (t->Seek(rest[1]) != kPosOk)
            return 1;
        std::printf("%u\n", t->RecNo());
        return 0;
    }
    if ((cmd == "set" && !rest.empty()) ||
        ((cmd == "delete" || cmd == "recall") && rest.size() == 1)) {
        RecoverBeforeWriting(path);
        auto t = Table::Open(path);
        uint32_t recno = ParseRecNo(rest[0]);
        if (t->Go(recno) != kPosOk)
            throw UsageError("record " + rest[0] + " does not exist (the table has " +
                             std::to_string(t->RecCount()) + ")");
        if (cmd == "set")
            Assign(*t, {rest.begin() + 1, rest.end()});
        else if (cmd == "delete")
            t->Delete();
        else
            t->Recall();
        t->Flush();
        return 0;
    }
    if (cmd == "append") {
        RecoverBeforeWriting(path);
        auto t = Table::Open(path);
        t->AppendStart();
        Assign(*t, rest);
        uint32_t recno = t->Append();
        t->Flush();
        std::printf("%u\n", recno);
        return 0;
    }
    throw UsageError("unknown command or wrong arguments: " + cmd);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return Run(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "hkdbf: %s\n%s", e.what(), kUsage);
        return 2;
    } catch (const hk::Error& e) {
        std::fprintf(stderr, "hkdbf: error %ld: %s\n", e.Number(), e.Description().c_str());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "hkdbf: %s\n", e.what());
        return 2;
    }
}
