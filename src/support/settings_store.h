#pragma once
// Where per-user settings live between runs: a tree of keys holding typed values, with the
// registry's rules. The front ends back it with QSettings; tests use MemorySettingsStore.
// Settings adds the program's readers and writers (GetSetting*/SaveSetting*) on top.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hk {

// The per-user settings root every setting of the program lives under.
inline constexpr std::string_view kSettingsRoot = "Software\\Ravelstone\\Hearthkit";

enum class SettingType { Dword, String, Binary };

// One stored value: a 32-bit DWORD, a string (UTF-8) or binary bytes.
struct SettingValue {
    SettingType type = SettingType::String;
    uint32_t dword = 0;
    std::string data; // the string, or the binary bytes

    static SettingValue Dword(uint32_t v) { return {SettingType::Dword, v, {}}; }
    static SettingValue String(std::string s) { return {SettingType::String, 0, std::move(s)}; }
    static SettingValue Binary(std::string bytes) {
        return {SettingType::Binary, 0, std::move(bytes)};
    }
    bool operator==(const SettingValue&) const = default;
};

// Key paths are "\"-separated ("File Preferences\smith\SetLiving"); empty segments are
// ignored. Key and value names are compared without regard to case and keep the case they
// were created with.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Nothing when the key or the value does not exist.
    virtual std::optional<SettingValue> QueryValue(std::string_view key,
                                                   std::string_view name) const = 0;
    // Creates the key and its parents when needed.
    virtual void SaveValue(std::string_view key, std::string_view name,
                           const SettingValue& value) = 0;
    // False when there was nothing to delete.
    virtual bool DeleteValue(std::string_view key, std::string_view name) = 0;
    // Deletes the key with all its values and sub-keys; false when it did not exist.
    virtual bool DeleteKey(std::string_view key) = 0;
    virtual void CreateKey(std::string_view key) = 0;
    virtual bool KeyExists(std::string_view key) const = 0;
    // Names of the key's values, and of its direct sub-keys (empty for a missing key).
    virtual std::vector<std::string> ValueNames(std::string_view key) const = 0;
    virtual std::vector<std::string> SubkeyNames(std::string_view key) const = 0;
    // Makes what was written durable (a file-backed store writes it out).
    virtual void Flush() {}
};

// The segments of a key path.
std::vector<std::string> SplitKeyPath(std::string_view path);
// a & "\" & b, without doubled or dangling separators.
std::string JoinKeyPath(std::string_view a, std::string_view b);

// The program's setting readers and writers. A value name holding "\" is split at its last
// "\": the part before goes onto the key path. Reads never throw: a missing value (or, for the
// Long form, one that is not a number) gives the default and sets SettingMissing().
class Settings {
public:
    // `machine` stands for the machine-wide hive that GetSettingStringAnyRoot falls back to.
    explicit Settings(SettingsStore& user, const SettingsStore* machine = nullptr)
        : user_(user), machine_(machine) {}

    std::string GetSettingString(std::string_view regRoot, std::string_view subKey,
                                 std::string_view valueName, std::string_view def);
    long GetSettingLong(std::string_view regRoot, std::string_view subKey,
                        std::string_view valueName, long def);
    std::string GetSettingStringAnyRoot(std::string_view regRoot, std::string_view subKey,
                                        std::string_view valueName, std::string_view def);
    void SaveSettingString(std::string_view regRoot, std::string_view subKey,
                           std::string_view valueName, std::string_view value);
    // Stored as a DWORD; negative numbers keep their 32-bit two's-complement pattern.
    void SaveSettingLong(std::string_view regRoot, std::string_view subKey,
                         std::string_view valueName, long value);

    // True when the last Get... found nothing usable.
    bool SettingMissing() const { return settingMissing_; }
    SettingsStore& Store() { return user_; }

private:
    std::optional<std::string> ReadString(const SettingsStore& store, std::string_view regRoot,
                                          std::string_view subKey, std::string_view valueName);

    SettingsStore& user_;
    const SettingsStore* machine_;
    bool settingMissing_ = false;
};

// Splits a value name at its last "\" and appends the front part to the key path.
void SplitValueName(std::string_view keyPath, std::string_view valueName, std::string& outKey,
                    std::string& outName);

} // namespace hk
