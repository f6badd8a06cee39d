#pragma once
// CTMGCrossIndex: a number-to-value table built once per run by one scan of the current
// dataset (person number to ID or to living flag, source number to reference number), so
// that repeated lookups are array reads.
#include <cstdint>
#include <string>
#include <vector>

#include "tmgdb/ctmgdb.h"

namespace hk {

class CTMGCrossIndex {
public:
    // Per_No -> Ref_ID (Per_No itself without that field).
    void BuildPersonIDs(db::CTMGDB& db);
    // Per_No -> the Living character.
    void BuildLiving(db::CTMGDB& db);
    // MajNum -> Ref_ID (MajNum itself without that field).
    void BuildSourceIDs(db::CTMGDB& db);

    // The entry of a number; 0 for a number outside the table or not in the dataset.
    long Lookup(long number) const {
        return number >= 0 && number < static_cast<long>(values_.size()) ? values_[number] : 0;
    }
    long Size() const { return static_cast<long>(values_.size()); }
    // A person as log lines show one: "#" and the ID; person number 0 (nobody) is "#0".
    std::string PersonLabel(long perNo) const {
        return "#" + std::to_string(perNo == 0 ? 0 : Lookup(perNo));
    }

private:
    void Build(db::CTMGDB& db, const char* suffix, const char* tag, const char* keyField,
               const char* valueField, bool character);

    std::vector<int32_t> values_;
};

} // namespace hk
