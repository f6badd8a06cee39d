#pragma once
// The tables the functions walk, opened for one walk with the fields every walk of them reads
// resolved once.
#include "loaders/loader_table.h"
#include "run/logged_run_function.h"

namespace hk {

// The event table in record order.
struct EventWalk {
    explicit EventWalk(db::CTMGDB& db) {
        table.Open(db, "G");
        type = table.Field("EType");
        per1 = table.Field("Per1");
        per2 = table.Field("Per2");
        date = table.Field("EDate");
        sortDate = table.Field("SrtDate");
    }

    LoaderTable table;
    int type, per1, per2, date, sortDate;
};

// The person table in ID order (person-number order when it has no ID tag).
struct PersonWalk {
    explicit PersonWalk(db::CTMGDB& db) {
        table.Open(db, "$");
        table.SelectTag(table.HasTag("Ref_ID") ? std::string("Ref_ID") : db.PersonOrder());
        perNo = table.Field("Per_No");
    }

    LoaderTable table;
    int perNo;
};

} // namespace hk
