#pragma once
// The part storage of names and places from TMG 5 on: part-value rows ("NPV"/"PPV": RecNo,
// Type, UID, ID) pointing into a dictionary ("ND"/"PD": UID, Value, Sdx). Reads a record's
// parts, and writes them back sharing dictionary entries, adding one (with its sound code)
// only for a text the dictionary does not hold yet.
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "loaders/loader_table.h"
#include "tmgdb/ctmgdb.h"

namespace hk {

class PartDictionary {
public:
    void Open(db::CTMGDB& db, std::string_view suffix);
    void Close() noexcept { table_.Close(); }

    // The text of an entry; empty when there is none.
    std::string Value(long uid);
    // The entry holding exactly this text, added when there is none.
    long FindOrAdd(std::string_view text);
    long EntriesAdded() const { return added_; }

private:
    void LoadTexts();

    LoaderTable table_;
    db::Tag* byUid_ = nullptr;
    int uid_ = -1, value_ = -1, sdx_ = -1;
    bool textsLoaded_ = false;
    std::unordered_map<std::string, long> byText_;
    long nextUid_ = 1;
    long added_ = 0;
};

class PartValueTables {
public:
    // e.g. "NPV", "ND", "NPT". Part type ids come from the part-type table when it has them.
    void Open(db::CTMGDB& db, std::string_view values, std::string_view dictionary,
              std::string_view partTypes);
    void Close() noexcept;

    // Every part row of the record: its type and dictionary text (by UID, else by ID).
    void ForEachPart(long recNo, const std::function<void(long type, std::string value)>& part);
    // Writes the parts whose `changed` is set: texts[i] is the part of type i + 1; an empty
    // text removes the part's row.
    void Save(long recNo, const std::vector<std::string>& texts, const std::vector<bool>& changed);
    // The dictionary entry of a text (added when new); 0 for an empty text.
    long UidOf(std::string_view text) { return text.empty() ? 0 : dictionary_.FindOrAdd(text); }
    PartDictionary& Dictionary() { return dictionary_; }

private:
    long PartTypeId(long type) const;

    LoaderTable values_;
    PartDictionary dictionary_;
    int recNo_ = -1, type_ = -1, uid_ = -1, id_ = -1;
    std::unordered_map<long, long> partTypeIds_; // type -> part-type id
};

} // namespace hk
