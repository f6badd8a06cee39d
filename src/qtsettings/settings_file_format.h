#pragma once
// The settings file format of the Linux build: like a registry export, every value keeps its
// type (dword, string, binary), which an INI file would lose. Keys are sections named by their
// "/"-separated path; values are written "name"=dword:0000002a, "name"="text" or "name"=hex:0a,ff.
#include <QIODevice>
#include <QSettings>

namespace hk {

// The map QSettings hands a custom format: values are uint (dword), QString or QByteArray.
bool ReadTypedSettings(QIODevice& device, QSettings::SettingsMap& map);
bool WriteTypedSettings(QIODevice& device, const QSettings::SettingsMap& map);

// The QSettings format registered with the two functions above (extension "conf").
QSettings::Format TypedSettingsFormat();

} // namespace hk
