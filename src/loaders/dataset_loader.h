#pragma once
// CTMGDataSetLoader: the datasets of a project ("D") for the dataset chooser.
#include <vector>

#include "tmgdb/ctmgdb.h"

namespace hk {

class CTMGDataSetLoader {
public:
    // Every dataset record that is not deleted, in record order.
    static std::vector<db::DatasetRecord> List(db::CTMGDB& db) { return db.Datasets(); }
};

} // namespace hk
