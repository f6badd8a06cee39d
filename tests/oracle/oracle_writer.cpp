// Writes a Visual FoxPro and a FoxPro 2.x table with every type we write, memos allocated
// every way FoxPro allocates them, Windows-1252 text and deleted records, plus a JSON file of
// the values, so that independent DBF readers can check what our engine wrote.
//   hk_oracle_writer OUTDIR
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "support/text.h"
#include "xbase/db_error.h"
#include "xbase/dbf/dbf_file.h"
#include "xbase/dbf/field_codec.h"
#include "xbase/dbf/julian_date.h"

using namespace hk::db;

namespace {

std::string JsonString(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string IsoDate(int32_t jdn) {
    std::string d = DateFromJulian(jdn);
    return d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2);
}

// Field values of one record, kept as JSON text in field order.
struct Row {
    bool deleted = false;
    std::vector<std::pair<std::string, std::string>> values;
};

class Writer {
public:
    Writer(DbfFile& t) : t_(t), rec_(t.RecordLength()) {}

    const FieldInfo& F(const std::string& name) { return t_.Fields()[t_.FieldIndex(name)]; }

    void Begin() {
        t_.BlankRecord(rec_.data());
        row_ = Row{};
    }
    // The JSON holds the values meant, not the bytes stored, so that a wrong encoding shows.
    void Char(const std::string& name, const std::string& utf8) {
        PutChar(F(name), rec_.data(), hk::Utf8ToCp1252(utf8));
        Add(name, JsonString(utf8));
    }
    // N, F, B and Y: the value meant; readers must agree to within the field's decimals.
    void Number(const std::string& name, double v) {
        PutNumber(F(name), rec_.data(), v);
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", v);
        Add(name, buf);
    }
    void Integer(const std::string& name, int64_t v) {
        PutInteger(F(name), rec_.data(), v);
        Add(name, std::to_string(v));
    }
    void Logical(const std::string& name, bool v) {
        PutLogical(F(name), rec_.data(), v);
        Add(name, v ? "true" : "false");
    }
    void Date(const std::string& name, int y, int m, int d) {
        int32_t jdn = y ? JulianFromYmd(y, m, d) : 0;
        PutDate(F(name), rec_.data(), jdn ? DateFromJulian(jdn) : "");
        Add(name, jdn ? JsonString(IsoDate(jdn)) : "null");
    }
    void DateTime(const std::string& name, int y, int mo, int d, int h, int mi, int s, int ms) {
        int32_t jdn = JulianFromYmd(y, mo, d);
        PutDateTime(F(name), rec_.data(), {jdn, ((h * 60 + mi) * 60 + s) * 1000 + ms});
        char buf[40];
        std::snprintf(buf, sizeof buf, "T%02d:%02d:%02d.%03d", h, mi, s, ms);
        Add(name, JsonString(IsoDate(jdn) + buf));
    }
    // Memo: returns the block so a later record can rewrite the entry.
    uint32_t Memo(const std::string& name, const std::string& utf8, uint32_t oldBlock = 0) {
        uint32_t block = t_.Memo()->Write(oldBlock, hk::Utf8ToCp1252(utf8));
        PutMemoBlock(F(name), rec_.data(), t_.Flavor(), block);
        Add(name, JsonString(utf8));
        return block;
    }
    void Delete() {
        rec_[0] = '*';
        row_.deleted = true;
    }
    void End() {
        t_.AppendRecord(rec_.data());
        rows_.push_back(row_);
    }
    // Changes one memo of an already written record (as a later edit would).
    void RewriteMemo(uint32_t recno, const std::string& name, const std::string& utf8) {
        std::vector<uint8_t> rec(t_.RecordLength());
        t_.ReadRecord(recno, rec.data());
        uint32_t old = GetMemoBlock(F(name), rec.data(), t_.Flavor());
        PutMemoBlock(F(name), rec.data(), t_.Flavor(),
                     t_.Memo()->Write(old, hk::Utf8ToCp1252(utf8)));
        t_.WriteRecord(recno, rec.data());
        for (auto& [field, value] : rows_[recno - 1].values)
            if (field == F(name).name)
                value = JsonString(utf8);
    }
    std::string Json() const {
        std::ostringstream out;
        out << "\"records\": [\n";
        for (size_t i = 0; i < rows_.size(); ++i) {
            out << "    {\"deleted\": " << (rows_[i].deleted ? "true" : "false")
                << ", \"values\": {";
            for (size_t k = 0; k < rows_[i].values.size(); ++k)
                out << (k ? ", " : "") << JsonString(rows_[i].values[k].first) << ": "
                    << rows_[i].values[k].second;
            out << "}}" << (i + 1 < rows_.size() ? "," : "") << "\n";
        }
        out << "  ]";
        return out.str();
    }

private:
    void Add(const std::string& name, const std::string& json) {
        row_.values.emplace_back(F(name).name, json);
    }

    DbfFile& t_;
    std::vector<uint8_t> rec_;
    Row row_;
    std::vector<Row> rows_;
};

std::string FieldsJson(const DbfFile& t) {
    std::ostringstream out;
    out << "\"fields\": [";
    for (size_t i = 0; i < t.Fields().size(); ++i) {
        const FieldInfo& f = t.Fields()[i];
        out << (i ? ", " : "") << "{\"name\": " << JsonString(f.name) << ", \"type\": \"" << f.type
            << "\", \"length\": " << int(f.length) << ", \"decimals\": " << int(f.decimals) << "}";
    }
    return out.str() + "]";
}

const char* kTexts[] = {
    "Gr\xC3\xBC\xC3\x9F"
    "e aus K\xC3\xB6ln",                           // Grüße aus Köln
    "\xE2\x82\xAC 12, \xC5\x93uvre, na\xC3\xAFve", // € 12, œuvre, naïve
    "O'Brien \"quoted\"",
    "",
    "Zo\xC3\xAB & Ren\xC3\xA9"
    "e", // Zoë & Renée
};

std::string LongText(int n) {
    std::string s;
    for (int i = 0; s.size() < static_cast<size_t>(n); ++i)
        s += "Line " + std::to_string(i) + ": caf\xC3\xA9 \xE2\x80\x94 memo text.\r\n";
    return s;
}

std::string WriteTable(const std::string& dir, DbfFlavor flavor) {
    bool vfp = flavor == DbfFlavor::Vfp;
    std::string file = vfp ? "vfp.dbf" : "fox2.dbf";
    std::vector<FieldSpec> specs = {
        {"name", 'C', 24}, {"amount", 'N', 12, 2}, {"ratio", 'F', 10, 4}, {"count", 'N', 6},
        {"alive", 'L'},    {"born", 'D'},          {"notes", 'M'}};
    if (vfp) {
        specs.push_back({"id", 'I'});
        specs.push_back({"weight", 'B', 0, 3});
        specs.push_back({"price", 'Y'});
        specs.push_back({"stamp", 'T'});
    }
    CreateOptions options;
    options.flavor = flavor;
    auto t = DbfFile::Create(FileSystem::Default(), dir + "/" + file, specs, options);
    t->SetUpdateDate(2024, 5, 17);
    Writer w(*t);
    for (int i = 0; i < 24; ++i) {
        w.Begin();
        w.Char("name", kTexts[i % 5] + (i % 5 == 3 ? std::string() : " " + std::to_string(i)));
        w.Number("amount", (i - 12) * 1234.567);
        w.Number("ratio", 1.0 / (i + 1));
        w.Integer("count", i * i * (i % 2 ? -1 : 1));
        w.Logical("alive", i % 3 != 0);
        if (i % 4 == 0)
            w.Date("born", 0, 0, 0);
        else
            w.Date("born", 1800 + i * 9, 1 + i % 12, 1 + i % 28);
        switch (i % 4) {
        case 0:
            w.Memo("notes", "");
            break;
        case 1:
            w.Memo("notes", "Short note " + std::to_string(i) + " \xC3\xA0 la carte");
            break;
        case 2:
            w.Memo("notes", LongText(700 + 37 * i));
            break; // many blocks
        default:
            w.Memo("notes", std::string(56, 'x'));
            break; // exactly one 64-byte block
        }
        if (vfp) {
            w.Integer("id", i == 23 ? -2147483647 - 1 : 1000 * i - 7);
            w.Number("weight", i * 0.1 - 1);
            w.Number("price", i * 3.33335);
            w.DateTime("stamp", 1990 + i, 1 + i % 12, 1 + i % 28, i % 24, (7 * i) % 60,
                       (11 * i) % 60, (37 * i) % 1000);
        }
        if (i % 7 == 5)
            w.Delete();
        w.End();
    }
    // Later edits: shorter text stays in place, longer text moves to the end of the file.
    w.RewriteMemo(3, "notes", LongText(300));      // 700+74 bytes before: in place
    w.RewriteMemo(2, "notes", LongText(2000));     // was short: appended
    w.RewriteMemo(4, "notes", "Now a short note"); // one block: in place
    w.RewriteMemo(10, "notes", "");                // emptied
    std::ostringstream json;
    json << "{\n  \"file\": " << JsonString(file) << ",\n  \"flavor\": \"" << (vfp ? "vfp" : "fox2")
         << "\",\n  \"version\": " << int(t->VersionByte()) << ",\n  " << FieldsJson(*t) << ",\n  "
         << w.Json() << "\n}";
    t->Flush();
    return json.str();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: hk_oracle_writer OUTDIR\n";
        return 2;
    }
    try {
        std::string dir = argv[1];
        std::string vfp = WriteTable(dir, DbfFlavor::Vfp);
        std::string fox2 = WriteTable(dir, DbfFlavor::Fox2);
        std::ofstream out(dir + "/expected.json");
        out << "[\n" << vfp << ",\n" << fox2 << "\n]\n";
        return out.good() ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "hk_oracle_writer: " << e.what() << "\n";
        return 1;
    }
}
