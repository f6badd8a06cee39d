#include "support/memory_settings_store.h"

#include <algorithm>
#include <utility>

#include "support/text.h"

namespace hk {
namespace {

// Registry names match without regard to case, accented Windows-1252 letters included.
std::string Fold(std::string_view name) {
    if (IsAscii(name))
        return AsciiUpper(name);
    return Cp1252UpperStr(Utf8ToCp1252(name));
}

} // namespace

struct MemorySettingsStore::Node {
    std::string name;
    std::string folded;
    std::vector<std::pair<std::string, SettingValue>> values;
    std::vector<std::unique_ptr<Node>> children; // sorted by folded name

    Node* Child(const std::string& foldedName) const {
        auto it =
            std::lower_bound(children.begin(), children.end(), foldedName,
                             [](const auto& c, const std::string& f) { return c->folded < f; });
        return it != children.end() && (*it)->folded == foldedName ? it->get() : nullptr;
    }
    // Index of the value of that name, or values.size().
    std::size_t ValueIndex(std::string_view valueName) const {
        std::string f = Fold(valueName);
        std::size_t i = 0;
        while (i < values.size() && Fold(values[i].first) != f)
            ++i;
        return i;
    }
};

MemorySettingsStore::MemorySettingsStore() : root_(std::make_unique<Node>()) {}
MemorySettingsStore::~MemorySettingsStore() = default;

const MemorySettingsStore::Node* MemorySettingsStore::Find(std::string_view key) const {
    const Node* node = root_.get();
    for (const auto& part : SplitKeyPath(key)) {
        node = node->Child(Fold(part));
        if (node == nullptr)
            return nullptr;
    }
    return node;
}

MemorySettingsStore::Node* MemorySettingsStore::Create(std::string_view key) {
    Node* node = root_.get();
    for (const auto& part : SplitKeyPath(key)) {
        std::string folded = Fold(part);
        Node* child = node->Child(folded);
        if (child == nullptr) {
            auto fresh = std::make_unique<Node>();
            fresh->name = part;
            fresh->folded = folded;
            child = fresh.get();
            auto it =
                std::lower_bound(node->children.begin(), node->children.end(), folded,
                                 [](const auto& c, const std::string& f) { return c->folded < f; });
            node->children.insert(it, std::move(fresh));
        }
        node = child;
    }
    return node;
}

std::optional<SettingValue> MemorySettingsStore::QueryValue(std::string_view key,
                                                            std::string_view name) const {
    const Node* node = Find(key);
    if (node == nullptr)
        return std::nullopt;
    std::size_t i = node->ValueIndex(name);
    if (i == node->values.size())
        return std::nullopt;
    return node->values[i].second;
}

void MemorySettingsStore::SaveValue(std::string_view key, std::string_view name,
                                    const SettingValue& value) {
    Node* node = Create(key);
    std::size_t i = node->ValueIndex(name);
    if (i < node->values.size())
        node->values[i].second = value;
    else
        node->values.emplace_back(std::string(name), value);
}

bool MemorySettingsStore::DeleteValue(std::string_view key, std::string_view name) {
    if (Find(key) == nullptr)
        return false;
    Node* node = Create(key); // exists: only walks down
    std::size_t i = node->ValueIndex(name);
    if (i == node->values.size())
        return false;
    node->values.erase(node->values.begin() + static_cast<std::ptrdiff_t>(i));
    return true;
}

bool MemorySettingsStore::DeleteKey(std::string_view key) {
    auto parts = SplitKeyPath(key);
    if (parts.empty())
        return false; // the root itself is not a key one can delete
    std::string last = parts.back();
    parts.pop_back();
    Node* parent = root_.get();
    for (const auto& part : parts) {
        parent = parent->Child(Fold(part));
        if (parent == nullptr)
            return false;
    }
    std::string folded = Fold(last);
    auto it = std::find_if(parent->children.begin(), parent->children.end(),
                           [&](const auto& c) { return c->folded == folded; });
    if (it == parent->children.end())
        return false;
    parent->children.erase(it);
    return true;
}

void MemorySettingsStore::CreateKey(std::string_view key) {
    Create(key);
}

bool MemorySettingsStore::KeyExists(std::string_view key) const {
    return Find(key) != nullptr;
}

std::vector<std::string> MemorySettingsStore::ValueNames(std::string_view key) const {
    std::vector<std::string> names;
    if (const Node* node = Find(key))
        for (const auto& v : node->values)
            names.push_back(v.first);
    return names;
}

std::vector<std::string> MemorySettingsStore::SubkeyNames(std::string_view key) const {
    std::vector<std::string> names;
    if (const Node* node = Find(key))
        for (const auto& c : node->children)
            names.push_back(c->name);
    return names;
}

} // namespace hk
