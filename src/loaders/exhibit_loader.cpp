#include "loaders/exhibit_loader.h"

namespace hk {

std::string ExhibitSubjectKey(char ownerKind, long number) {
    std::string digits = std::to_string(number);
    return std::string(1, ownerKind) +
           std::string(digits.size() < 10 ? 10 - digits.size() : 0, ' ') + digits;
}

std::string JoinExhibitPath(std::string_view folder, std::string_view file) {
    std::string out(folder);
    if (!out.empty() && out.back() != '\\')
        out += '\\';
    out += file;
    return out;
}

void CTMGExhibitLoader::OpenTables(db::CTMGDB& db) {
    CloseTables();
    i_.Open(db, "I");
    i_.SelectTag("BYSUBJ");
    xName_ = i_.Field("XName");
    iFile_ = i_.Field("IFileName");
    aFile_ = i_.Field("AFileName");
    tFile_ = i_.Field("TFileName");
    vFile_ = i_.OptionalField("VFilename");
    text_ = i_.Field("Text");
    descript_ = i_.Field("Descript");
    caption_ = i_.OptionalField("Caption");
    primary_ = i_.Field("Primary");
    exhType_ = i_.OptionalField("ExhType");
    sortExh_ = i_.OptionalField("SortExh");
    rlType_ = i_.Field("RlType");
    rlNum_ = i_.Field("RlNum");
    rlPer1_ = i_.Field("RlPer1");
    rlPer2_ = i_.Field("RlPer2");
    rlGType_ = i_.Field("RlGType");
    idExhibit_ = i_.OptionalField("IDExhibit");
    image_ = i_.OptionalField("Image");
    audio_ = i_.OptionalField("Audio");
    video_ = i_.OptionalField("Video");
}

void CTMGExhibitLoader::Load() {
    ExhibitValues& x = exhibit_;
    x.idExhibit = idExhibit_ >= 0 ? i_.Long(idExhibit_) : static_cast<long>(i_.RecNo());
    x.xName = i_.Text(xName_);
    x.imageFile = i_.Text(iFile_);
    x.audioFile = i_.Text(aFile_);
    x.textFile = i_.Text(tFile_);
    x.text = i_.Text(text_);
    x.descript = i_.Text(descript_);
    x.primary = i_.Bool(primary_);
    x.rlType = i_.Char(rlType_);
    x.rlNum = i_.Long(rlNum_);
    x.rlPer1 = i_.Long(rlPer1_);
    x.rlPer2 = i_.Long(rlPer2_);
    x.rlGType = i_.Long(rlGType_);
}

bool CTMGExhibitLoader::FirstOfSubject(char ownerKind, long number) {
    walkKey_ = ExhibitSubjectKey(ownerKind, number);
    if (!i_.Seek(std::string_view(walkKey_)))
        return false;
    Load();
    return true;
}

bool CTMGExhibitLoader::NextOfSubject() {
    if (!i_.SeekNext(std::string_view(walkKey_)))
        return false;
    Load();
    return true;
}

} // namespace hk
