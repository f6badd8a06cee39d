#include "formats/witness_role.h"

#include "support/find_and_replace.h"
#include "support/text.h"

namespace hk {

RoleIds RoleIds::ForVersion(int versionMajor) {
    if (versionMajor >= 10)
        return {"00001", "00002"};
    return {"Principal", "Witness"};
}

void RoleMap::Add(std::string_view oldId, std::string_view newId) {
    std::string id(Trim(oldId));
    RegExp pattern("(\\[R.{0,1}:)" + FindAndReplace::EscapeLiteral(id) + "\\]", true);
    items_.Add("R" + id, Item{std::string(Trim(newId)), std::move(pattern)});
}

const std::string* RoleMap::NewIdFor(std::string_view oldId) const {
    const Item* item = items_.Find("R" + std::string(Trim(oldId)));
    return item ? &item->newId : nullptr;
}

std::string RoleMap::RemapReferences(std::string_view text) const {
    if (text.find("[R") == std::string_view::npos)
        return std::string(text);
    // First pass: each old reference becomes a temporary one ending in ":R]", which no
    // later item's pattern matches.
    std::string out(text);
    for (const auto& [key, item] : items_)
        out = item.pattern.Replace(out, "$1" + item.newId + ":R]");
    static const RegExp kTemporary("(\\[R.{0,1}:[^\\]]*):R\\]", true);
    return kTemporary.Replace(out, "$1]");
}

std::vector<WitnessChange> CWitnessRole::RemapRoles(std::span<WitnessRow> rows, long eventNumber,
                                                    long dsid, const RoleMap& roleMap,
                                                    long principal1, long principal2) const {
    std::vector<WitnessChange> changes;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        WitnessRow& row = rows[i];
        if (row.deleted || row.gNum != eventNumber || row.dsid != dsid)
            continue;
        bool witness = row.ePer != principal1 && row.ePer != principal2;
        const std::string* mapped = roleMap.NewIdFor(row.role);
        std::string newRole = mapped ? *mapped : witness ? ids_.witness : ids_.principal;
        WitnessChange change{i};
        if (Trim(row.role) != newRole) {
            row.role = newRole;
            change.role = true;
        }
        auto remap = [&roleMap](std::string& text) {
            std::string remapped = roleMap.RemapReferences(text);
            if (remapped == text)
                return false;
            text = std::move(remapped);
            return true;
        };
        change.wSentence = remap(row.wSentence);
        change.witMemo = remap(row.witMemo);
        if (change.role || change.wSentence || change.witMemo)
            changes.push_back(change);
    }
    return changes;
}

} // namespace hk
