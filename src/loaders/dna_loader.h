#pragma once
// CTMGDNALoader: the DNA records ("DNA") of the current dataset, their marker results and the
// "test-result" elements of the DNA export.
#include <string>
#include <string_view>
#include <vector>

#include "loaders/loader_table.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

struct DnaValues {
    long idDna = 0, idPerson = 0, nameRec = 0;
    std::string dnaName, kitNumber, type, result, url, logo, descript, comments;
};

// One "name=value" item of a result; hidden when it stands inside a hidden-text block.
struct DnaMarker {
    std::string name, value;
    bool hidden = false;
};

class CTMGDNALoader {
public:
    void OpenTables(db::CTMGDB& db);
    void CloseTables() noexcept { t_.Close(); }
    bool MoveFirst();
    bool MoveNext();
    const DnaValues& Record() const { return dna_; }

    // The markers of a result text: items separated by ",", hidden-text markers (" hid: ",
    // "[hid:]" open, " :hid ", "[:hid]" close, without regard to case) switching hiding.
    static std::vector<DnaMarker> ParseResult(std::string_view result);
    // The loaded record as a "test-result" element: attributes id, ref and (when linked)
    // person; one child per marker with its name and "mv" value; "kit" and "showname".
    std::string TestResultXml(bool showName) const;

private:
    void Load();

    LoaderTable t_;
    int idDna_ = -1, idPerson_ = -1, dnaName_ = -1, kit_ = -1, nameRec_ = -1, type_ = -1,
        result_ = -1, url_ = -1, logo_ = -1, descript_ = -1, comments_ = -1;
    DnaValues dna_;
};

} // namespace hk
