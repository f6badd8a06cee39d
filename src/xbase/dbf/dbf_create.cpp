// DbfFile::Create: checks a table definition and lays it out as FoxPro / VFP would.
#include <set>

#include "support/text.h"
#include "xbase/db_error.h"
#include "xbase/dbf/dbf_file.h"
#include "xbase/io/byte_order.h"

namespace hk::db {

namespace {

constexpr int kMaxFields = 255;
constexpr uint32_t kBacklinkSize = 263;

bool ValidName(const std::string& name) {
    if (name.empty() || name.size() > 10)
        return false;
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || c == '_'; };
    if (!letter(name[0]))
        return false;
    for (char c : name)
        if (!letter(c) && !(c >= '0' && c <= '9'))
            return false;
    return true;
}

// Checks one field and gives its stored width, decimals and VFP flags.
FieldInfo LayOut(const FieldSpec& fieldDef, DbfFlavor flavor, const std::string& path) {
    FieldInfo f;
    f.name = AsciiUpper(fieldDef.name);
    f.type = static_cast<char>(AsciiUpper(std::string(1, fieldDef.type))[0]);
    const std::string label =
        "field " + (fieldDef.name.empty() ? std::string("\"\"") : fieldDef.name);
    if (!ValidName(f.name) || f.name == "_NULLFLAGS")
        throw DbError(kErrFieldName, path,
                      label + ": a name is 1 to 10 letters, digits or '_', starting with a "
                              "letter or '_'");
    const bool vfp = flavor == DbfFlavor::Vfp;
    const std::string_view types = vfp ? "CNFLDTIBYMGP" : "CNFLDMGP";
    if (types.find(f.type) == std::string_view::npos)
        throw DbError(kErrFieldType, path,
                      label + ": type '" + std::string(1, fieldDef.type) +
                          "' is not supported in a " + (vfp ? "Visual FoxPro" : "FoxPro 2.x") +
                          " table");
    auto bad = [&](const std::string& what) {
        return DbError(kErrParam, path, label + ": " + what);
    };
    if (fieldDef.nullable && !vfp)
        throw bad("FoxPro 2.x tables have no NULL values");
    int natural = 0;
    switch (f.type) {
    case 'D':
    case 'T':
    case 'B':
    case 'Y':
        natural = 8;
        break;
    case 'L':
        natural = 1;
        break;
    case 'I':
        natural = 4;
        break;
    case 'M':
    case 'G':
    case 'P':
        natural = vfp ? 4 : 10;
        break;
    default:
        break;
    }
    int length = fieldDef.length, dec = fieldDef.decimals;
    if (natural) {
        if (length != 0 && length != natural)
            throw bad("type " + std::string(1, f.type) + " is " + std::to_string(natural) +
                      " bytes wide");
        length = natural;
    }
    if (f.type == 'C' && (length < 1 || length > 254))
        throw bad("width must be 1..254");
    if ((f.type == 'N' || f.type == 'F') && (length < 1 || length > 20))
        throw bad("width must be 1..20");
    if (f.type == 'N' || f.type == 'F') {
        if (dec < 0 || (dec > 0 && dec > length - 2))
            throw bad("decimals must leave room for the point and a digit");
    } else if (f.type == 'B') {
        if (dec < 0 || dec > 18)
            throw bad("decimals must be 0..18");
    } else if (f.type == 'Y') {
        if (dec != 0 && dec != 4)
            throw bad("currency has 4 decimals");
        dec = 4;
    } else if (dec != 0) {
        throw bad("type " + std::string(1, f.type) + " has no decimals");
    }
    f.length = static_cast<uint8_t>(length);
    f.decimals = static_cast<uint8_t>(dec);
    if (vfp) {
        if (f.type == 'I' || f.type == 'T' || f.type == 'Y')
            f.flags |= kFieldBinary;
        if (fieldDef.nullable)
            f.flags |= kFieldNullable;
    }
    return f;
}

} // namespace

std::unique_ptr<DbfFile> DbfFile::Create(FileSystem& fs, const std::string& path,
                                         const std::vector<FieldSpec>& specs,
                                         const CreateOptions& options,
                                         std::shared_ptr<PagePool> pool) {
    const bool vfp = options.flavor == DbfFlavor::Vfp;
    if (specs.empty())
        throw DbError(kErrParam, path, "a table needs at least one field");
    if (specs.size() > kMaxFields)
        throw DbError(kErrParam, path, "a table has at most 255 fields");
    std::vector<FieldInfo> fields;
    std::set<std::string> names;
    uint32_t offset = 1;
    int nullable = 0;
    bool hasMemo = false;
    for (const FieldSpec& fieldDef : specs) {
        FieldInfo f = LayOut(fieldDef, options.flavor, path);
        if (!names.insert(f.name).second)
            throw DbError(kErrFieldName, path, "field " + fieldDef.name + " appears twice");
        f.offset = offset;
        offset += f.length;
        if (f.flags & kFieldNullable)
            ++nullable;
        hasMemo |= f.IsMemo();
        fields.push_back(std::move(f));
    }
    if (nullable > 0) {
        if (fields.size() >= kMaxFields)
            throw DbError(kErrParam, path, "a table with NULL fields has at most 254 fields");
        FieldInfo nf;
        nf.name = "_NullFlags";
        nf.type = '0';
        nf.offset = offset;
        nf.length = static_cast<uint8_t>((nullable + 7) / 8);
        nf.flags = kFieldSystem | kFieldBinary;
        offset += nf.length;
        fields.push_back(std::move(nf));
    }
    if (offset > 65535)
        throw DbError(kErrRecordLen, path,
                      "record length " + std::to_string(offset) + " exceeds 65535 bytes");
    if (hasMemo && options.memoBlockSize == 0)
        throw DbError(kErrParam, path, "memo block size must be at least 1 byte");

    const uint32_t headerLength =
        32 + 32 * static_cast<uint32_t>(fields.size()) + 1 + (vfp ? kBacklinkSize : 0);
    std::vector<uint8_t> bytes(headerLength + 1, 0);
    bytes[0] = vfp ? 0x30 : (hasMemo ? 0xF5 : 0x03);
    bytes[1] = 1; // a placeholder date; Flush writes the real one
    bytes[2] = 1;
    bytes[3] = 1;
    StoreLe16(bytes.data() + 8, static_cast<uint16_t>(headerLength));
    StoreLe16(bytes.data() + 10, static_cast<uint16_t>(offset));
    bytes[28] = static_cast<uint8_t>((options.productionIndex ? kTableFlagCdx : 0) |
                                     (vfp && hasMemo ? kTableFlagMemo : 0));
    bytes[29] = options.codePage;
    for (size_t i = 0; i < fields.size(); ++i) {
        uint8_t* d = bytes.data() + 32 + 32 * i;
        const FieldInfo& f = fields[i];
        std::copy(f.name.begin(), f.name.end(), d);
        d[11] = static_cast<uint8_t>(f.type);
        StoreLe32(d + 12, f.offset);
        d[16] = f.length;
        d[17] = f.decimals;
        d[18] = f.flags;
    }
    bytes[32 + 32 * fields.size()] = 0x0D;
    bytes[headerLength] = 0x1A;

    std::string memoPath = hasMemo ? MemoPathFor(fs, path) : std::string();
    auto file = std::make_unique<PagedFile>(fs.Open(path, OpenMode::CreateTruncate, true), 8192,
                                            true, pool);
    std::unique_ptr<DbfFile> dbf(new DbfFile(std::move(file)));
    try {
        dbf->file_->Write(0, bytes.data(), bytes.size());
        dbf->ReadHeader();
        if (hasMemo)
            dbf->memo_ = MemoFile::Create(fs, memoPath, options.memoBlockSize, pool);
        dbf->changed_ = true; // the first Flush writes count and date
    } catch (...) {
        dbf.reset();
        fs.Remove(path);
        throw;
    }
    return dbf;
}

} // namespace hk::db
