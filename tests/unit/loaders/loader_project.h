#pragma once
// Test helper: a small project written with the test project builder and opened for the
// loaders, with its tag types loaded, on dataset 1 unless told otherwise.
#include <memory>
#include <string>

#include "formats/tag_types.h"
#include "loaders/format_tables.h"
#include "support/temp_dir.h"
#include "support/test_project_builder.h"
#include "tmgdb/ctmgdb.h"

namespace hk::test {

struct LoaderProject {
    TempDir dir;
    TestProjectBuilder build{dir.Folder() + "proj", "Test"};
    db::CTMGDB db;
    CTMGTagTypes tagTypes;

    // Writes the project (unless written already) and opens it.
    void Open(long dsid = 1, bool write = true) {
        db.OpenProject(write ? build.Write() : build.PjcPath());
        db.SetDSID(dsid);
        LoadTagTypes(db, tagTypes);
    }
};

} // namespace hk::test
