#pragma once
// CTMGPlaceLoader: the place records ("P") of the current dataset with their ten parts, read
// from and written to the part-value and dictionary tables (the packed Place field before
// TMG 5). With load-all off, parts the place's style does not show keep empty display texts.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/format_settings.h"
#include "formats/place_parts.h"
#include "formats/style_formatter.h"
#include "loaders/loader_table.h"
#include "loaders/part_value_tables.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

// A place record as loaded.
struct PlaceValues {
    uint32_t physRec = 0;
    long recNo = 0, styleId = 0, dsid = 0;
    std::string shortPlace, startYear, endYear, comment;
};

class CTMGPlaceLoader {
public:
    static constexpr int kPartCount = PlaceParts::kPartCount;

    explicit CTMGPlaceLoader(bool loadAll = false) : loadAll_(loadAll) {}
    bool LoadAll() const { return loadAll_; }
    void SetLoadAll(bool on) { loadAll_ = on; }

    // The formatter tells which parts a style shows; without one every part is shown.
    void OpenTables(db::CTMGDB& db, const FormatSettings& settings,
                    const CTMGStyleFormatter* formatter = nullptr);
    void CloseTables() noexcept;

    bool MoveFirst();
    bool MoveNext();
    bool SeekPlace(long recNo);
    const PlaceValues& Place() const { return place_; }
    void LoadParts();

    PlaceParts& Parts() { return parts_; }
    const PlaceParts& Parts() const { return parts_; }
    const std::string& PartValue(int id) const { return parts_.PartValue(id); }
    void SetPartValue(int id, std::string text) { parts_.SetPartValue(id, std::move(text)); }
    long StyleID() const { return parts_.StyleID(); }
    void SetStyleID(long id) { parts_.SetStyleID(id); }
    void CopyPlaceParts(const CTMGPlaceLoader& other) { parts_.CopyPlaceParts(other.parts_); }
    std::string PackedParts() const { return parts_.PackedParts(); }

    // Writes the parts set since the load (their texts as given), and the style when changed.
    void SavePlace();

    db::Table& Table() const { return places_.Tbl(); }
    int Field(std::string_view name) const { return places_.Field(name); }

private:
    void Load();
    void ApplyStyle(long styleId);

    LoaderTable places_;
    db::Tag* byRecNo_ = nullptr;
    PartValueTables partTables_;
    const FormatSettings* settings_ = nullptr;
    const CTMGStyleFormatter* formatter_ = nullptr;
    bool loadAll_;
    bool modern_ = true;
    int recNo_ = -1, styleId_ = -1, shortPlace_ = -1, startYear_ = -1, endYear_ = -1, comment_ = -1,
        packed_ = -1;
    PlaceValues place_;
    PlaceParts parts_;
    std::array<std::string, kPartCount> loaded_; // stored texts at load
};

} // namespace hk
