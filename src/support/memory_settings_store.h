#pragma once
// A SettingsStore held in memory: for tests, and for runs that must not touch the user's
// settings. Sub-keys enumerate in name order, values in the order they were first written.
#include <memory>

#include "support/settings_store.h"

namespace hk {

class MemorySettingsStore : public SettingsStore {
public:
    MemorySettingsStore();
    ~MemorySettingsStore() override;

    std::optional<SettingValue> QueryValue(std::string_view key,
                                           std::string_view name) const override;
    void SaveValue(std::string_view key, std::string_view name, const SettingValue& value) override;
    bool DeleteValue(std::string_view key, std::string_view name) override;
    bool DeleteKey(std::string_view key) override;
    void CreateKey(std::string_view key) override;
    bool KeyExists(std::string_view key) const override;
    std::vector<std::string> ValueNames(std::string_view key) const override;
    std::vector<std::string> SubkeyNames(std::string_view key) const override;

private:
    struct Node;
    const Node* Find(std::string_view key) const;
    Node* Create(std::string_view key);
    std::unique_ptr<Node> root_;
};

} // namespace hk
