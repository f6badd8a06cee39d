#pragma once
// CTMGNameLoader: the name records ("N") of the current dataset with their nine parts, read
// from and written to the part-value and dictionary tables (the packed Name field before TMG
// 5); the derived sort and display fields are recomputed through the name styles on request.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/format_settings.h"
#include "formats/name_parts.h"
#include "formats/style_formatter.h"
#include "formats/tmg_name.h"
#include "loaders/loader_table.h"
#include "loaders/part_value_tables.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

// A name record as loaded.
struct NameValues {
    uint32_t physRec = 0;
    long nPer = 0, alType = 0, recNo = 0, dsid = 0, styleId = 0, surId = 0, givId = 0;
    bool primary = false, isPicked = false;
    char nSure = ' ', fSure = ' ', dSure = ' ';
    std::string nDate, srtDate; // the empty sort date when blank
    std::string srNameSort, gvNameSort, srNameDisp;
};

class CTMGNameLoader {
public:
    static int PartCount() { return NameParts::PartCount(); }
    static std::string_view PartName(int id) { return NameParts::PartName(id); }

    void OpenTables(db::CTMGDB& db, const FormatSettings& settings);
    void CloseTables() noexcept;

    // Walks: every name; a person's names; one name by record number.
    bool MoveFirst();
    bool MoveNext();
    bool SeekPersonNames(long perNo);
    bool NextPersonName();
    bool SeekName(long recNo);
    // The person's primary name.
    bool SeekPrimaryName(long perNo);
    // Every name of the person into `names`, the primary one first.
    void LoadPerson(long perNo, CTMGNames& names);

    const NameValues& Name() const { return name_; }
    // Fills the nine parts of the loaded name (done by every walk and seek).
    void LoadParts();

    NameParts& Parts() { return parts_; }
    const NameParts& Parts() const { return parts_; }
    const std::string& PartValue(int id) const { return parts_.PartValue(id); }
    void SetPartValue(int id, std::string text) { parts_.SetPartValue(id, std::move(text)); }
    void CopyNameParts(const CTMGNameLoader& other) { parts_.CopyNameParts(other.parts_); }
    std::string PackedParts() const { return parts_.PackedParts(); }
    std::string PartsKey() const { return parts_.PartsKey(); }

    // Writes the parts that changed since the load to the loaded name. A part that holds the
    // unknown-name placeholder counts as empty.
    void SaveParts();
    // Recomputes SrNameSort, GvNameSort, SrNameDisp, the dictionary ids of surname and given
    // name and their sound codes from the parts, through the name's style.
    void UpdateDerivedFields(const CTMGStyleFormatter& formatter);
    // Appends a name record for the person with the current parts (and its derived fields when
    // a formatter is given); the new name is loaded. Returns its record number.
    long AddName(long perNo, long nameType, bool primary, long styleId,
                 const CTMGStyleFormatter* formatter = nullptr);

    db::Table& Table() const { return names_.Tbl(); }
    int Field(std::string_view name) const { return names_.Field(name); }
    long EntriesAdded() { return modern_ ? partTables_.Dictionary().EntriesAdded() : 0; }

private:
    void Load();
    bool Settle(bool found);
    // A part as it is stored: the placeholder stands for nothing.
    std::string StoredPart(int id) const;

    LoaderTable names_;
    db::Tag* byNPer_ = nullptr;
    db::Tag* byRecNo_ = nullptr;
    PartValueTables partTables_;
    const FormatSettings* settings_ = nullptr;
    bool modern_ = true;
    long walkKey_ = 0;
    int nPer_ = -1, alType_ = -1, isPicked_ = -1, primary_ = -1, nSure_ = -1, fSure_ = -1,
        dSure_ = -1, recNo_ = -1, nDate_ = -1, srtDate_ = -1, styleId_ = -1, surId_ = -1,
        givId_ = -1, srNameSort_ = -1, gvNameSort_ = -1, srNameDisp_ = -1, sndxSurn_ = -1,
        sndxGvn_ = -1, packed_ = -1;
    NameValues name_;
    NameParts parts_;
    std::array<std::string, NameParts::kPartCount> loaded_; // stored texts at load
};

} // namespace hk
