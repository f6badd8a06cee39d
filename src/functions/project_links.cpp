#include "functions/project_links.h"

#include <algorithm>

namespace hk {
namespace {

// A table whose IDs others point at: its ID field, and whether rows of dataset 0 (shared by
// every dataset) count too.
struct IdSource {
    const char* suffix;
    const char* field;
    bool shared;
};

constexpr IdSource kSources[] = {
    {"T", "ETypeNum", true}, {"ST", "StyleID", true}, {"M", "MajNum", false},
    {"P", "RecNo", false},   {"$", "Per_No", false},  {"G", "RecNo", false},
};

// A field that holds the ID of a record of another table.
struct Link {
    const char* suffix;
    const char* field;
    const char* target;
    const char* noun;
    CheckFault kind;
    bool zeroIsNone; // 0 means "no link" rather than a missing record
};

constexpr Link kLinks[] = {
    {"P", "StyleID", "ST", "style", CheckFault::PlaceStyle, true},
    {"G", "EType", "T", "tag type", CheckFault::EventTagType, false},
    {"G", "PlaceNum", "P", "place", CheckFault::EventPlace, true},
    {"E", "GNum", "G", "event", CheckFault::ParticipantEvent, false},
    {"E", "EPer", "$", "person", CheckFault::ParticipantPerson, false},
    {"N", "NPer", "$", "person", CheckFault::NamePerson, false},
    {"N", "StyleID", "ST", "style", CheckFault::NameStyle, true},
    {"F", "Child", "$", "child", CheckFault::ParentChildPerson, false},
    {"F", "Parent", "$", "parent", CheckFault::ParentChildPerson, false},
    {"S", "MajSource", "M", "source", CheckFault::CitationSource, false},
};

struct BoundLink {
    const Link* link;
    int field;
    const IdSet* ids;
};

} // namespace

const std::vector<std::string>& ProjectLinks::Order() {
    static const std::vector<std::string> order = {"T", "ST", "M", "P", "$",
                                                   "G", "E",  "N", "F", "S"};
    return order;
}

void ProjectLinks::Unreadable(std::string_view suffix) {
    held_[std::string(suffix)].readable = false;
}

void ProjectLinks::Walk(std::string_view suffix, db::Table& table, const std::string& name,
                        const FaultSink& report) {
    const int dsid = table.FieldIndex("DSID");
    const IdSource* source = nullptr;
    for (const IdSource& s : kSources)
        if (suffix == s.suffix)
            source = &s;
    const int idField = source ? table.FieldIndex(source->field) : -1;
    Held* held = idField >= 0 ? &held_[std::string(suffix)] : nullptr;

    std::vector<BoundLink> links;
    for (const Link& l : kLinks) {
        if (suffix != l.suffix)
            continue;
        auto target = held_.find(l.target);
        const int field = table.FieldIndex(l.field);
        // Links into a table that is missing or could not be read are not judged.
        if (field >= 0 && target != held_.end() && target->second.readable)
            links.push_back({&l, field, &target->second.ids});
    }
    const bool person = suffix == "$", names = suffix == "N";
    const int primary = names ? table.FieldIndex("Primary") : -1;
    const int nper = names ? table.FieldIndex("NPer") : -1;
    if (person)
        personTable_ = name;
    namesWalked_ = namesWalked_ || (primary >= 0 && nper >= 0);

    table.SelectTag(nullptr);
    for (int pos = table.Top(); pos == db::kPosOk; pos = table.Skip(1)) {
        if (table.Deleted())
            continue;
        const long rowDsid = dsid >= 0 ? table.GetLong(dsid) : 0;
        const bool inDataset = dsid_ == 0 || dsid < 0 || rowDsid == dsid_;
        if (held && (inDataset || (source->shared && rowDsid == 0))) {
            const long id = table.GetLong(idField);
            held->ids.Add(id);
            if (person && inDataset)
                people_.emplace_back(id, table.RecNo());
        }
        if (!inDataset)
            continue;
        for (const BoundLink& b : links) {
            const long id = table.GetLong(b.field);
            if ((id == 0 && b.link->zeroIsNone) || b.ids->Contains(id))
                continue;
            report(b.link->kind, name, table.RecNo(),
                   std::string(b.link->noun) + " " + std::to_string(id) + " (" + b.link->field +
                       ") is missing");
        }
        if (primary >= 0 && nper >= 0 && table.GetBool(primary))
            primaries_.emplace_back(table.GetLong(nper), table.RecNo());
    }
    if (held)
        held->ids.Finish();
}

void ProjectLinks::CheckPrimaryNames(const FaultSink& report) {
    if (personTable_.empty() || !namesWalked_)
        return;
    std::sort(people_.begin(), people_.end());
    std::sort(primaries_.begin(), primaries_.end());
    auto name = primaries_.begin();
    for (const auto& [perNo, recno] : people_) {
        while (name != primaries_.end() && name->first < perNo)
            ++name;
        auto end = name;
        while (end != primaries_.end() && end->first == perNo)
            ++end;
        const auto count = end - name;
        if (count == 0)
            report(CheckFault::NoPrimaryName, personTable_, recno,
                   "person " + std::to_string(perNo) + " has no primary name");
        if (count > 1) {
            std::string records;
            for (auto n = name; n != end; ++n)
                records += (records.empty() ? "" : " and ") + std::to_string(n->second);
            report(CheckFault::DoubledPrimaryName, personTable_, recno,
                   "person " + std::to_string(perNo) + " has " + std::to_string(count) +
                       " primary names (name records " + records + ")");
        }
        name = end;
    }
}

} // namespace hk
