#pragma once
// The event table opened for one walk in record order, with the fields the event functions
// read resolved once.
#include "loaders/loader_table.h"
#include "shell/logged_run_function.h"

namespace hk {

struct EventWalk {
    explicit EventWalk(db::CTMGDB& db) {
        table.Open(db, "G");
        table.Tbl().SetCacheLimit(kWalkCacheBytes);
        type = table.Field("EType");
        per1 = table.Field("Per1");
        per2 = table.Field("Per2");
        date = table.Field("EDate");
        sortDate = table.Field("SrtDate");
    }

    LoaderTable table;
    int type, per1, per2, date, sortDate;
};

} // namespace hk
