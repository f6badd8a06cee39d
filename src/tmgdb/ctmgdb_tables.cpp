// CTMGDB: the table slots, aliases, field references, tags, private indexes and relations.
#include <algorithm>

#include "support/text.h"
#include "tmgdb/ctmgdb.h"
#include "xbase/table_error.h"

namespace hk::db {

namespace {

constexpr const char* kClass = "CTMGDB";

std::string NormalizeAlias(std::string_view alias) {
    std::string out;
    for (char c : alias)
        if (c != '.')
            out.push_back(c);
    return out;
}

// Upper case, 3 characters, blank padded, as slots keep suffixes.
std::string SlotSuffixOf(std::string_view suffix) {
    std::string s = AsciiUpper(Trim(suffix));
    if (s.size() < 3)
        s.resize(3, ' ');
    return s;
}

bool TagInIndex(const Tag* tag, const IndexSet* index) {
    return tag && index && tag->Index() == index;
}

} // namespace

template <typename Fn>
decltype(auto) CTMGDB::Guard(std::string_view proc, const std::string& context, Fn&& action) {
    try {
        return action();
    } catch (const DbError& e) {
        pendingError_ = e.Number();
        RaiseTableError(e, kClass, proc, context);
    }
}

int CTMGDB::FindSuffix(std::string_view suffix, bool raise) const {
    std::string s = SlotSuffixOf(suffix);
    for (size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].suffix == s)
            return static_cast<int>(i);
    if (raise)
        Raise("FindSuffix", "Suffix not found: " + std::string(suffix));
    return -2;
}

int CTMGDB::FindAlias(std::string_view alias, bool raise) const {
    std::string a = NormalizeAlias(alias);
    for (size_t i = 0; i < slots_.size(); ++i)
        if (EqualsNoCase(slots_[i].alias, a))
            return static_cast<int>(i);
    if (raise)
        Raise("FindAlias", "Alias not found: " + a);
    return -1;
}

int CTMGDB::OpenTable(std::string_view suffix, std::string_view alias) {
    return OpenTableSlot(suffix, alias);
}

int CTMGDB::OpenTableSlot(std::string_view suffixIn, std::string_view aliasIn) {
    std::string alias = NormalizeAlias(aliasIn);
    std::string suffix = AsciiUpper(Trim(suffixIn));
    if (FindAlias(alias) >= 0)
        Raise("OpenTable", "Duplicate Alias: " + alias);
    if (TableCount() >= kMaxTables)
        Raise("OpenTable", "Table limit exceeded");

    Slot slot;
    slot.privateIndex = UsesPrivateIndex(suffix, versionMajor_);
    slot.suffix = SlotSuffixOf(suffix);
    slot.alias = alias;
    std::string file = folder_ + prefix_ + suffix;
    int existing = FindSuffix(suffix);
    if (existing >= 0) {
        Table& original = *slots_[existing].table;
        slot.table = Guard("OpenTable", "opening clone of " + file + ".dbf as " + alias,
                           [&] { return original.Clone(); });
    } else {
        OpenOptions options;
        options.writable = !readOnly_;
        options.productionIndex = !slot.privateIndex;
        options.fs = fs_;
        options.budget = budget_.get();
        std::string path = TablePath(suffix);
        slot.table = Guard("OpenTable", "opening " + file + ".dbf as " + alias,
                           [&] { return Table::Open(path, options); });
    }
    slot.table->SetAlias(alias);
    slot.table->SetLogOnly(logOnly_);
    slot.table->SetSpotCheckOnSelect(checkTags_);
    slots_.push_back(std::move(slot));
    int index = TableCount() - 1;
    if (slots_[index].privateIndex) {
        try {
            BuildPrivateIndex(index);
        } catch (...) {
            DropSlot(index);
            throw;
        }
    }
    return index;
}

void CTMGDB::SetLogOnly(bool on) {
    logOnly_ = on;
    for (Slot& slot : slots_)
        slot.table->SetLogOnly(on);
}

void CTMGDB::SetCheckTags(bool on) {
    checkTags_ = on;
    for (Slot& slot : slots_)
        slot.table->SetSpotCheckOnSelect(on);
}

void CTMGDB::RetireCounters(size_t index) {
    const Table& table = *slots_[index].table;
    for (size_t i = 0; i < slots_.size(); ++i)
        if (i != index && slots_[i].table->SharesFilesWith(table))
            return; // another cursor keeps the files (and their counters) open
    retired_.dropped += table.DroppedWrites();
    retired_.bytes += table.BytesWritten();
}

CTMGDB::Counters CTMGDB::CountersNow() const {
    Counters c = retired_;
    for (size_t i = 0; i < slots_.size(); ++i) {
        bool first = true; // clones share their files' counters: count them once
        for (size_t j = 0; j < i && first; ++j)
            first = !slots_[j].table->SharesFilesWith(*slots_[i].table);
        if (first) {
            c.dropped += slots_[i].table->DroppedWrites();
            c.bytes += slots_[i].table->BytesWritten();
        }
    }
    return c;
}

void CTMGDB::DropSlot(int index) {
    RetireCounters(static_cast<size_t>(index));
    Slot& slot = slots_[index];
    FreeRelationsOf(slot.table.get());
    if (slot.privateIndex) {
        CTMGTableIndex* pi = IndexObject(slot.suffix);
        if (pi && pi->IsOpenOn(*slot.table)) {
            // A clone of the same kind keeps the shared index; otherwise it is closed.
            int other = -1;
            for (size_t i = 0; i < slots_.size(); ++i)
                if (static_cast<int>(i) != index && slots_[i].suffix == slot.suffix)
                    other = static_cast<int>(i);
            if (other >= 0)
                pi->Rebind(*slots_[other].table);
            else
                pi->Close();
        }
    }
    slots_.erase(slots_.begin() + index);
}

void CTMGDB::CloseTable(std::string_view alias) {
    int index = FindAlias(alias, true);
    Table& table = *slots_[index].table;
    std::optional<DbError> failure;
    try {
        table.Sync();
    } catch (const DbError& e) {
        failure = e;
    }
    std::string context = "closing " + table.Path() + " as " + slots_[index].alias;
    DropSlot(index);
    pendingError_ = 0;
    if (failure) {
        pendingError_ = failure->Number();
        RaiseTableError(*failure, kClass, "CloseTable", context);
    }
}

void CTMGDB::CloseAllTables() {
    for (auto& [kind, index] : indexes_)
        index->Discard();
    std::optional<DbError> failure;
    std::string context;
    while (!slots_.empty()) {
        Slot& slot = slots_.back();
        slot.relation.reset();
        try {
            slot.table->Sync();
        } catch (const DbError& e) {
            if (!failure) {
                failure = e;
                context = "closing " + slot.table->Path() + " as " + slot.alias;
            }
        }
        RetireCounters(slots_.size() - 1);
        slots_.pop_back();
    }
    pendingError_ = 0;
    if (failure) {
        pendingError_ = failure->Number();
        RaiseTableError(*failure, kClass, "CloseAllTables", context);
    }
}

Table* CTMGDB::TableHandle(std::string_view alias) const {
    return slots_[FindAlias(alias, true)].table.get();
}

void CTMGDB::SplitReference(std::string_view reference, std::string& alias,
                            std::string& name) const {
    std::string_view ref = Trim(reference);
    size_t arrow = ref.find("->");
    size_t dot = ref.find('.');
    if (arrow != std::string_view::npos && (dot == std::string_view::npos || arrow < dot)) {
        alias = std::string(Trim(ref.substr(0, arrow)));
        name = std::string(Trim(ref.substr(arrow + 2)));
    } else if (dot != std::string_view::npos) {
        alias = std::string(Trim(ref.substr(0, dot)));
        name = std::string(Trim(ref.substr(dot + 1)));
    } else {
        Raise("Field", "Not a field reference (alias.field): " + std::string(reference));
    }
}

FieldRef CTMGDB::FieldIfExists(std::string_view reference) const {
    std::string alias, name;
    SplitReference(reference, alias, name);
    Table* table = TableHandle(alias);
    int index = table->FieldIndex(name);
    if (index < 0)
        return {};
    return {table, index};
}

void CTMGDB::RaiseMissingField(std::string_view reference) {
    throw TableLibraryError(
        ErrorSource(kClass, "Field"),
        TableErrorDescription(kErrFieldName, "finding field " + std::string(reference)),
        kErrFieldName, std::string(reference));
}

FieldRef CTMGDB::Field(std::string_view reference) const {
    FieldRef f = FieldIfExists(reference);
    if (!f)
        RaiseMissingField(reference);
    return f;
}

FieldRef CTMGDB::Field(Table& table, std::string_view name) const {
    int index = table.FieldIndex(name);
    if (index < 0)
        RaiseMissingField(table.Alias() + "." + std::string(name));
    return {&table, index};
}

bool CTMGDB::HasField(std::string_view reference) const {
    std::string alias, name;
    SplitReference(reference, alias, name);
    Table* table = TableHandle(alias);
    for (int i = 0; i < table->FieldCount(); ++i)
        if (EqualsNoCase(table->FieldAt(i).name, name))
            return true;
    return false;
}

Tag* CTMGDB::TagHandle(std::string_view reference) const {
    std::string alias, name;
    SplitReference(reference, alias, name);
    return TableHandle(alias)->FindTag(name);
}

void CTMGDB::SelectTag(std::string_view reference) {
    std::string alias, name;
    SplitReference(reference, alias, name);
    Table* table = TableHandle(alias);
    table->SelectTag(table->FindTag(name));
}

void CTMGDB::SelectTag(Table* table, std::string_view tagName) {
    table->SelectTag(tagName.empty() ? nullptr : table->FindTag(tagName));
}

long CTMGDB::RecordCount(std::string_view alias) const {
    return static_cast<long>(TableHandle(alias)->RecCount());
}

std::string CTMGDB::NewAlias() {
    return "ta" + std::to_string(aliasCounter_++);
}

// --- Private indexes ---------------------------------------------------------------------------

CTMGTableIndex* CTMGDB::IndexObject(std::string_view suffix) {
    auto it = indexes_.find(AsciiUpper(Trim(suffix)));
    return it == indexes_.end() ? nullptr : it->second.get();
}

const CTMGTableIndex* CTMGDB::PrivateIndex(std::string_view suffix) const {
    auto it = indexes_.find(AsciiUpper(Trim(suffix)));
    return it == indexes_.end() ? nullptr : it->second.get();
}

void CTMGDB::BuildPrivateIndex(int slotIndex) {
    Slot& slot = slots_.at(slotIndex);
    auto layout = PrivateIndexFor(slot.suffix, versionMajor_, WantNameStyleOrder, WantSurnameOrder);
    CTMGTableIndex* index = IndexObject(slot.suffix);
    if (!layout || !index)
        return;
    try {
        if (index->Created())
            index->Reopen(*slot.table);
        else
            index->CreateIndex(folder_ + layout->fileName, *slot.table, layout->tags);
    } catch (const TableLibraryError& e) {
        pendingError_ = e.Code();
        throw;
    }
}

void CTMGDB::ReleasePrivateIndex(std::string_view suffix) {
    CTMGTableIndex* index = IndexObject(suffix);
    if (!index || !index->IndexHandle())
        return;
    // No cursor of that kind may keep a tag of the index selected.
    std::string s = SlotSuffixOf(suffix);
    for (Slot& slot : slots_)
        if (slot.suffix == s && TagInIndex(slot.table->SelectedTag(), index->IndexHandle()))
            slot.table->SelectTag(nullptr);
    index->Close();
}

// --- Relations ---------------------------------------------------------------------------------

int CTMGDB::OpenSlaveTable(std::string_view suffix, std::string_view alias,
                           std::string_view relationText, int relationType, int errorAction) {
    int index = OpenTable(suffix, alias);
    Slot& slot = slots_[index];
    slot.relationText = std::string(Trim(relationText));
    slot.relationType = relationType;
    slot.errorAction = errorAction;
    return index;
}

void CTMGDB::FreeRelationsOf(const Table* table) {
    for (Slot& slot : slots_) {
        if (!slot.relation)
            continue;
        bool member = slot.table.get() == table ||
                      std::find(slot.relationMembers.begin(), slot.relationMembers.end(), table) !=
                          slot.relationMembers.end();
        if (member) {
            slot.relation.reset();
            slot.relationMembers.clear();
        }
    }
}

Relation* CTMGDB::CreateRelation(std::string_view masterAlias) {
    int masterIndex = FindAlias(masterAlias, true);
    Slot& master = slots_[masterIndex];
    master.relation.reset();
    master.relationMembers.clear();
    auto relation = std::make_unique<Relation>(*master.table);
    std::vector<const Table*> members;

    // Breadth first from the master: each table in the tree takes the slaves whose
    // relation names its alias, in slot order.
    std::vector<int> parents{masterIndex};
    for (size_t p = 0; p < parents.size(); ++p) {
        Slot& parent = slots_[parents[p]];
        for (size_t i = 0; i < slots_.size(); ++i) {
            Slot& slave = slots_[i];
            if (slave.relationText.empty() || static_cast<int>(i) == masterIndex)
                continue;
            size_t eq = slave.relationText.find('=');
            if (eq == std::string::npos)
                continue;
            std::string tagName(Trim(std::string_view(slave.relationText).substr(0, eq)));
            std::string alias, fieldName;
            SplitReference(std::string_view(slave.relationText).substr(eq + 1), alias, fieldName);
            if (!EqualsNoCase(NormalizeAlias(alias), parent.alias))
                continue;
            if (std::find(members.begin(), members.end(), slave.table.get()) != members.end())
                continue;
            Guard("CreateRelation", "making relationship " + slave.alias, [&] {
                int field = parent.table->FieldIndex(fieldName);
                if (field < 0)
                    throw DbError(kErrFieldName, parent.table->Path(),
                                  "no field " + fieldName + " for the relation of " + slave.alias);
                Tag* tag = slave.table->FindTag(tagName);
                if (!tag)
                    throw DbError(kErrTagName, slave.table->Path(), "no tag " + tagName);
                relation->AddSlave(*parent.table, field, *slave.table, tag);
            });
            Guard("CreateRelation", "setting relation type on " + slave.alias, [&] {
                if (slave.relationType != kRelateExact)
                    throw DbError(kErrParam, slave.table->Path(),
                                  "relation type " + std::to_string(slave.relationType) +
                                      " is not supported");
            });
            Guard("CreateRelation", "setting error action on " + slave.alias, [&] {
                if (slave.errorAction != kRelateBlank)
                    throw DbError(kErrParam, slave.table->Path(),
                                  "error action " + std::to_string(slave.errorAction) +
                                      " is not supported");
            });
            members.push_back(slave.table.get());
            parents.push_back(static_cast<int>(i));
        }
    }
    master.relation = std::move(relation);
    master.relationMembers = std::move(members);
    return master.relation.get();
}

} // namespace hk::db
