#include "loaders/repository_loader.h"

namespace hk {

void CTMGRepositoryLoader::OpenTables(db::CTMGDB& db) {
    CloseTables();
    w_.Open(db, "W");
    w_.SelectTag("BYMNUMBER");
    wMNumber_ = w_.Field("MNumber");
    wRNumber_ = w_.Field("RNumber");
    wReference_ = w_.Field("Reference");
    wPrimary_ = w_.Field("Primary");
    r_.Open(db, "R");
    r_.SelectTag("BYRECNO");
    rAbbrev_ = r_.Field("Abbrev");
    rName_ = r_.Field("Name");
    rAddress_ = r_.Field("Address");
    rNote_ = r_.Field("RNote");
    rPerNo_ = r_.Field("RPerNo");
    rRecNo_ = r_.Field("RecNo");
    rRefId_ = r_.OptionalField("Ref_ID");
}

void CTMGRepositoryLoader::CloseTables() noexcept {
    r_.Close();
    w_.Close();
}

bool CTMGRepositoryLoader::SeekRepository(long recNo, RepositoryValues& out) {
    if (!r_.Seek(recNo))
        return false;
    out.recNo = r_.Long(rRecNo_);
    out.refId = rRefId_ >= 0 ? r_.Long(rRefId_) : out.recNo;
    out.abbrev = r_.Text(rAbbrev_);
    out.name = r_.Tbl().GetMemo(rName_);
    out.address = r_.Long(rAddress_);
    out.note = r_.Text(rNote_);
    out.perNo = r_.Long(rPerNo_);
    return true;
}

std::vector<RepositoryValues> CTMGRepositoryLoader::ForSource(long majNum) {
    std::vector<RepositoryValues> out;
    for (bool ok = w_.Seek(majNum); ok; ok = w_.SeekNext(majNum)) {
        RepositoryValues v;
        if (!SeekRepository(w_.Long(wRNumber_), v))
            continue;
        v.reference = w_.Text(wReference_);
        v.primary = w_.Bool(wPrimary_);
        out.push_back(std::move(v));
    }
    return out;
}

} // namespace hk
