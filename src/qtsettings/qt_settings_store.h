#pragma once
// The settings store of both front ends: QSettings of organisation "Ravelstone", application
// "Hearthkit". On Windows that is the registry itself; elsewhere a typed settings file
// (~/.config/Ravelstone/Hearthkit.conf) in which the settings root's keys sit at the top and
// any other key under "HKEY_CURRENT_USER".
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

#include "support/settings_store.h"

class QSettings;

namespace hk {

class QtSettingsStore : public SettingsStore {
public:
    // The user's settings.
    QtSettingsStore();
    // A settings file of its own, in the same format (tests, portable use).
    explicit QtSettingsStore(const QString& filePath);
    ~QtSettingsStore() override;

    std::optional<SettingValue> QueryValue(std::string_view key,
                                           std::string_view name) const override;
    void SaveValue(std::string_view key, std::string_view name, const SettingValue& value) override;
    bool DeleteValue(std::string_view key, std::string_view name) override;
    bool DeleteKey(std::string_view key) override;
    // QSettings keeps no empty groups: a key exists while it holds a value or a sub-key.
    void CreateKey(std::string_view key) override;
    bool KeyExists(std::string_view key) const override;
    std::vector<std::string> ValueNames(std::string_view key) const override;
    std::vector<std::string> SubkeyNames(std::string_view key) const override;
    // Writes pending changes to the file (or registry); problems are reported by Ok().
    void Flush() override;

    // False when the last Flush could not write the settings.
    bool Ok() const { return ok_; }
    QString FileName() const;

private:
    // The QSettings segments of a key path.
    QStringList Segments(std::string_view key) const;
    // The stored group matching the segments without regard to case.
    std::optional<QString> FindGroup(const QStringList& segments) const;
    // The group as stored as far as it exists, then as given.
    QString GroupForWrite(const QStringList& segments) const;
    std::optional<QString> FindChild(const QString& group, const QString& name, bool groups) const;
    QStringList Children(const QString& group, bool groups) const;
    // Removes `path` (a value or a group) and restores what QSettings takes with it: the
    // group of the same name, or the value of the same name.
    void RemoveOnly(const QString& path, bool group);

    std::unique_ptr<QSettings> settings_;
    bool stripRoot_ = true; // the file keeps the settings root's keys at its top
    bool ok_ = true;
};

} // namespace hk
