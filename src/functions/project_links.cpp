#include "functions/project_links.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

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
    db::FieldInfo field;
    const IdSet* ids;
};

// A whole number as a record stores it: a 4-byte integer, or digits (numeric fields of older
// tables).
long LongAt(const db::FieldInfo& f, const uint8_t* rec) {
    const uint8_t* p = rec + f.offset;
    if (f.type == 'I' && f.length == 4)
        return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                    uint32_t(p[3]) << 24);
    return std::strtol(std::string(reinterpret_cast<const char*>(p), f.length).c_str(), nullptr,
                       10);
}

bool BoolAt(const db::FieldInfo& f, const uint8_t* rec) {
    const uint8_t c = rec[f.offset];
    return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

} // namespace

const std::vector<std::string>& ProjectLinks::Order() {
    static const std::vector<std::string> order = {"T", "ST", "M", "P", "$",
                                                   "G", "E",  "N", "F", "S"};
    return order;
}

void ProjectLinks::Unreadable(std::string_view suffix) {
    held_[std::string(suffix)].readable = false;
    // Primary names are judged only when both tables were read whole.
    if (suffix == "$")
        personTable_.clear();
    if (suffix == "N")
        namesWalked_ = false;
}

ProjectLinks::RecordVisitor ProjectLinks::Walk(std::string_view suffix, const db::Table& table,
                                               const std::string& name, const FaultSink& report) {
    auto field = [&](const char* fieldName) -> std::optional<db::FieldInfo> {
        const int i = table.FieldIndex(fieldName);
        return i < 0 ? std::nullopt : std::optional<db::FieldInfo>(table.FieldAt(i));
    };
    const IdSource* source = nullptr;
    for (const IdSource& s : kSources)
        if (suffix == s.suffix)
            source = &s;
    const auto idField = source ? field(source->field) : std::nullopt;
    Held* held = idField ? &held_[std::string(suffix)] : nullptr;

    std::vector<BoundLink> links;
    for (const Link& l : kLinks) {
        if (suffix != l.suffix)
            continue;
        auto target = held_.find(l.target);
        // Links into a table that is missing or could not be read are not judged.
        if (auto f = field(l.field); f && target != held_.end() && target->second.readable)
            links.push_back({&l, *f, &target->second.ids});
    }
    const bool person = suffix == "$";
    const auto primary = suffix == "N" ? field("Primary") : std::nullopt;
    const auto nper = suffix == "N" ? field("NPer") : std::nullopt;
    if (person)
        personTable_ = name;
    namesWalked_ = namesWalked_ || (primary && nper);

    return [this, dsid = field("DSID"), source, idField, held, links, person, primary, nper, name,
            report](uint32_t recno, const uint8_t* rec) {
        if (rec[0] == '*')
            return; // deleted
        const long rowDsid = dsid ? LongAt(*dsid, rec) : 0;
        const bool inDataset = dsid_ == 0 || !dsid || rowDsid == dsid_;
        if (held && (inDataset || (source->shared && rowDsid == 0))) {
            const long id = LongAt(*idField, rec);
            held->ids.Add(id);
            if (person && inDataset)
                people_.emplace_back(id, recno);
        }
        if (!inDataset)
            return;
        for (const BoundLink& b : links) {
            const long id = LongAt(b.field, rec);
            if ((id == 0 && b.link->zeroIsNone) || b.ids->Contains(id))
                continue;
            report(b.link->kind, name, recno,
                   std::string(b.link->noun) + " " + std::to_string(id) + " (" + b.link->field +
                       ") is missing");
        }
        if (primary && nper && BoolAt(*primary, rec))
            primaries_.emplace_back(LongAt(*nper, rec), recno);
    };
}

void ProjectLinks::EndWalk(std::string_view suffix) {
    if (auto held = held_.find(suffix); held != held_.end())
        held->second.ids.Finish();
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
