#pragma once
// What a table's fields look like: the layout read from a DBF header (FieldInfo) and the
// request to create one (FieldSpec), and how a new table file is written (CreateOptions).
#include <cstdint>
#include <string>

namespace hk::db {

// Fox2: FoxPro 2.x tables (0x03, 0xF5; dBase 0x83 / 0x8B read only). Vfp: 0x30, 0x31, 0x32.
enum class DbfFlavor { Fox2, Vfp };

// VFP field flag bits (descriptor byte 18).
inline constexpr uint8_t kFieldSystem = 0x01;
inline constexpr uint8_t kFieldNullable = 0x02;
inline constexpr uint8_t kFieldBinary = 0x04;
inline constexpr uint8_t kFieldAutoInc = 0x08;

struct FieldInfo {
    std::string name;    // as stored (upper case, except VFP's hidden "_NullFlags")
    char type = 'C';     // C N F L D T I B Y M G P W V Q, '0' for _NullFlags
    uint32_t offset = 0; // displacement inside the record buffer; the deletion byte is at 0
    uint8_t length = 0;
    uint8_t decimals = 0;
    uint8_t flags = 0;       // VFP field flags (kField...)
    int nullBit = -1;        // bit in _NullFlags that marks NULL, -1 when the field is not nullable
    int varLengthBit = -1;   // V/Q only: bit set when the value is shorter than the width
    int32_t autoIncNext = 0; // VFP autoincrement: next value and step (flag kFieldAutoInc)
    uint8_t autoIncStep = 0;

    bool IsMemo() const { return type == 'M' || type == 'G' || type == 'P' || type == 'W'; }
    bool IsNullable() const { return nullBit >= 0; }
    bool IsSystem() const { return (flags & kFieldSystem) != 0; }
};

// One field of a table to create. length 0 means the natural width of a fixed-size type
// (D 8, L 1, I 4, B 8, Y 8, T 8, M/G/P 4 in VFP or 10 in FoxPro 2.x).
struct FieldSpec {
    std::string name;
    char type = 'C';
    int length = 0;
    int decimals = 0;
    bool nullable = false;
};

// How a new table file is written.
struct CreateOptions {
    DbfFlavor flavor = DbfFlavor::Vfp;
    uint8_t codePage = 0x03; // Windows-1252
    uint16_t memoBlockSize = 64;
    bool productionIndex = false; // sets the "has structural .cdx" table flag
};

} // namespace hk::db
