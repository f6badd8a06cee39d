#include "loaders/place_loader.h"

#include <vector>

#include "formats/packed_field.h"

namespace hk {

void CTMGPlaceLoader::OpenTables(db::CTMGDB& db, const FormatSettings& settings,
                                 const CTMGStyleFormatter* formatter) {
    CloseTables();
    settings_ = &settings;
    formatter_ = formatter;
    places_.Open(db, "P");
    byRecNo_ = places_.FindTag("BYRECNO");
    places_.SelectTag(byRecNo_);
    recNo_ = places_.Field("RecNo");
    styleId_ = places_.OptionalField("StyleID");
    shortPlace_ = places_.OptionalField("ShortPlace");
    startYear_ = places_.OptionalField("StartYear");
    endYear_ = places_.OptionalField("EndYear");
    comment_ = places_.OptionalField("Comment");
    packed_ = places_.OptionalField("Place");
    modern_ = packed_ < 0;
    if (modern_)
        partTables_.Open(db, "PPV", "PD", "PPT");
    place_ = PlaceValues();
}

void CTMGPlaceLoader::CloseTables() noexcept {
    partTables_.Close();
    places_.Close();
}

void CTMGPlaceLoader::ApplyStyle(long styleId) {
    std::array<bool, kPartCount> uses;
    uses.fill(true);
    if (!loadAll_ && formatter_ && formatter_->HasStyle(styleId, StyleGroup::Place)) {
        uses.fill(false);
        const auto& tokens = formatter_->Tokens();
        int first =
            formatter_->GetFirstTokenForStyle(styleId, StyleGroup::Place, StyleTemplate::Display);
        for (std::size_t i = static_cast<std::size_t>(first);
             i < tokens.size() && tokens[i].kind != kTokenEnd; ++i)
            if (tokens[i].part >= 0 && tokens[i].part < kPartCount)
                uses[tokens[i].part] = true;
    }
    for (int id = 0; id < kPartCount; ++id)
        parts_.SetStyleUses(id, uses[id]);
    parts_.SetStyleID(styleId);
}

void CTMGPlaceLoader::Load() {
    PlaceValues& p = place_;
    p.physRec = places_.RecNo();
    p.recNo = places_.Long(recNo_);
    // Places before TMG 5 all use the standard place style.
    p.styleId = styleId_ >= 0 ? places_.Long(styleId_) : 1;
    p.dsid = places_.RecordDsid();
    p.shortPlace = places_.Text(shortPlace_);
    p.startYear = places_.Text(startYear_);
    p.endYear = places_.Text(endYear_);
    p.comment = places_.Text(comment_);
    LoadParts();
}

void CTMGPlaceLoader::LoadParts() {
    ApplyStyle(place_.styleId);
    if (!modern_) {
        parts_.DecodePackedPlace(places_.Tbl().GetMemo(packed_), *settings_);
    } else {
        parts_.Clear();
        partTables_.ForEachPart(place_.recNo, [&](long type, std::string value) {
            parts_.SetPartFromRow(type, value, *settings_);
        });
    }
    for (int id = 0; id < kPartCount; ++id)
        loaded_[id] = parts_.Part(id).stored;
}

bool CTMGPlaceLoader::MoveFirst() {
    places_.SelectTag(byRecNo_);
    bool found = places_.First();
    if (found)
        Load();
    return found;
}

bool CTMGPlaceLoader::MoveNext() {
    bool found = places_.Next();
    if (found)
        Load();
    return found;
}

bool CTMGPlaceLoader::SeekPlace(long recNo) {
    places_.SelectTag(byRecNo_);
    bool found = places_.Seek(recNo);
    if (found)
        Load();
    return found;
}

void CTMGPlaceLoader::SavePlace() {
    db::Table& t = places_.Tbl();
    std::vector<std::string> texts(kPartCount);
    std::vector<bool> changed(kPartCount);
    for (int id = 0; id < kPartCount; ++id) {
        texts[id] = parts_.Part(id).stored;
        changed[id] = texts[id] != loaded_[id];
    }
    if (!modern_) {
        std::size_t n = texts.size();
        while (n > 0 && texts[n - 1].empty())
            --n;
        places_.Go(place_.physRec);
        t.AssignMemo(packed_,
                     JoinPacked(std::vector<std::string>(texts.begin(), texts.begin() + n)));
    } else {
        partTables_.Save(place_.recNo, texts, changed);
    }
    if (styleId_ >= 0 && parts_.StyleID() != place_.styleId) {
        places_.Go(place_.physRec);
        t.AssignLong(styleId_, parts_.StyleID());
        place_.styleId = parts_.StyleID();
    }
    for (int id = 0; id < kPartCount; ++id)
        loaded_[id] = texts[id];
}

} // namespace hk
