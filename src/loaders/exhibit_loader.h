#pragma once
// CTMGExhibitLoader: the exhibits ("I") of the current dataset attached to one owner record
// (person, event, source, ...), found through the owner kind and number.
#include <string>
#include <string_view>

#include "loaders/loader_table.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

struct ExhibitValues {
    long idExhibit = 0;
    std::string xName, imageFile, audioFile, textFile, videoFile;
    std::string text, descript, caption;
    bool primary = false;
    long exhType = 0, sortExh = 0;
    char rlType = ' ';
    long rlNum = 0, rlPer1 = 0, rlPer2 = 0, rlGType = 0;
};

// The key of the owner tag: the owner-kind letter and the number as STR() writes it.
std::string ExhibitSubjectKey(char ownerKind, long number);
// Folder and file joined with "\" unless the folder ends with one already.
std::string JoinExhibitPath(std::string_view folder, std::string_view file);

class CTMGExhibitLoader {
public:
    virtual ~CTMGExhibitLoader() = default;
    void OpenTables(db::CTMGDB& db);
    void CloseTables() noexcept { i_.Close(); }

    // The owner's exhibits one by one.
    bool FirstOfSubject(char ownerKind, long number);
    bool NextOfSubject();
    const ExhibitValues& Exhibit() const { return exhibit_; }

protected:
    // Reads the current record; the extended loader reads the further fields too.
    virtual void Load();

    LoaderTable i_;
    ExhibitValues exhibit_;
    int xName_ = -1, iFile_ = -1, aFile_ = -1, tFile_ = -1, vFile_ = -1, text_ = -1, descript_ = -1,
        caption_ = -1, primary_ = -1, exhType_ = -1, sortExh_ = -1, rlType_ = -1, rlNum_ = -1,
        rlPer1_ = -1, rlPer2_ = -1, rlGType_ = -1, idExhibit_ = -1, image_ = -1, audio_ = -1,
        video_ = -1;
    std::string walkKey_;
};

} // namespace hk
