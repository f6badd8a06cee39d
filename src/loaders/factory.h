#pragma once
// CFactory: one shared object of each loader, of the project database object and of the
// style formatter for a run. A getter creates its object on first use; the application
// replaces the whole factory after each run, so nothing cached survives into the next.
#include <memory>

#include "formats/style_formatter.h"
#include "loaders/citation_loader.h"
#include "loaders/dna_loader.h"
#include "loaders/event_loader.h"
#include "loaders/ext_exhibit_loader.h"
#include "loaders/name_loader.h"
#include "loaders/parent_child_loader.h"
#include "loaders/person_loader.h"
#include "loaders/place_loader.h"
#include "loaders/repository_loader.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

class CFactory {
public:
#define HK_FACTORY_SLOT(Type, Name, ...)                                                           \
public:                                                                                            \
    Type& Name() {                                                                                 \
        if (!Name##_)                                                                              \
            Name##_ = std::make_shared<Type>(__VA_ARGS__);                                         \
        return *Name##_;                                                                           \
    }                                                                                              \
    void Set##Name(std::shared_ptr<Type> object) {                                                 \
        Name##_ = std::move(object);                                                               \
    }                                                                                              \
                                                                                                   \
private:                                                                                           \
    std::shared_ptr<Type> Name##_;

    // Declared first, so that the loaders (which close their tables through it) go first.
    HK_FACTORY_SLOT(db::CTMGDB, TMGDB)
    HK_FACTORY_SLOT(CTMGStyleFormatter, StyleFormatter)
    HK_FACTORY_SLOT(CTMGCitationLoader, CitationLoader)
    HK_FACTORY_SLOT(CTMGDNALoader, DNALoader)
    HK_FACTORY_SLOT(CTMGEventLoader, EventLoader)
    HK_FACTORY_SLOT(CTMGExtExhibitLoader, ExtExhibitLoader)
    HK_FACTORY_SLOT(CTMGNameLoader, NameLoader)
    HK_FACTORY_SLOT(CTMGParentChildLoader, ParentChildLoader)
    HK_FACTORY_SLOT(CTMGPersonLoader, PersonLoader)
    // The shared place loader loads every part, whatever the place's style shows.
    HK_FACTORY_SLOT(CTMGPlaceLoader, PlaceLoader, true)
    HK_FACTORY_SLOT(CTMGRepositoryLoader, RepositoryLoader)

#undef HK_FACTORY_SLOT
};

} // namespace hk
