#include "qtsettings/qt_settings_store.h"

#include <QSettings>
#include <QtGlobal>

#include <algorithm>

#include "qtsettings/settings_file_format.h"

namespace hk {
namespace {

constexpr QLatin1String kOutsideRoot("HKEY_CURRENT_USER");

// QSettings separates groups with "/": a "/" inside a registry name is kept as "%2F".
QString Encode(std::string_view segment) {
    QString s = QString::fromUtf8(segment.data(), static_cast<qsizetype>(segment.size()));
    s.replace(QLatin1Char('%'), QLatin1String("%25"));
    s.replace(QLatin1Char('/'), QLatin1String("%2F"));
    return s;
}

std::string Decode(QString s) {
    s.replace(QLatin1String("%2F"), QLatin1String("/"), Qt::CaseInsensitive);
    s.replace(QLatin1String("%25"), QLatin1String("%"));
    return s.toStdString();
}

QString Join(const QString& group, const QString& name) {
    return group.isEmpty() ? name : group + QLatin1Char('/') + name;
}

QVariant ToVariant(const SettingValue& value) {
    switch (value.type) {
    case SettingType::Dword:
        return QVariant(static_cast<uint>(value.dword));
    case SettingType::Binary:
        return QVariant(QByteArray(value.data.data(), static_cast<qsizetype>(value.data.size())));
    case SettingType::String:
        break;
    }
    return QVariant(QString::fromStdString(value.data));
}

SettingValue FromVariant(const QVariant& v) {
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return SettingValue::Dword(static_cast<uint32_t>(v.toLongLong() & 0xffffffffLL));
    case QMetaType::QByteArray: {
        QByteArray b = v.toByteArray();
        return SettingValue::Binary(std::string(b.constData(), static_cast<size_t>(b.size())));
    }
    default:
        return SettingValue::String(v.toString().toStdString());
    }
}

} // namespace

QtSettingsStore::QtSettingsStore() {
#ifdef Q_OS_WIN
    // The registry itself: key paths are full paths under HKEY_CURRENT_USER.
    settings_ =
        std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER"), QSettings::NativeFormat);
    stripRoot_ = false;
#else
    settings_ =
        std::make_unique<QSettings>(TypedSettingsFormat(), QSettings::UserScope,
                                    QStringLiteral("Ravelstone"), QStringLiteral("Hearthkit"));
#endif
}

QtSettingsStore::QtSettingsStore(const QString& filePath)
    : settings_(std::make_unique<QSettings>(filePath, TypedSettingsFormat())) {}

QtSettingsStore::~QtSettingsStore() {
    settings_->sync();
}

QString QtSettingsStore::FileName() const {
    return settings_->fileName();
}

QStringList QtSettingsStore::Segments(std::string_view key) const {
    std::vector<std::string> parts = SplitKeyPath(key);
    std::size_t first = 0;
    QStringList segments;
    if (stripRoot_) {
        std::vector<std::string> root = SplitKeyPath(kSettingsRoot);
        bool underRoot =
            parts.size() >= root.size() &&
            std::equal(root.begin(), root.end(), parts.begin(),
                       [](const std::string& a, const std::string& b) {
                           return QString::fromStdString(a).compare(QString::fromStdString(b),
                                                                    Qt::CaseInsensitive) == 0;
                       });
        if (underRoot)
            first = root.size();
        else
            segments << kOutsideRoot;
    }
    for (std::size_t i = first; i < parts.size(); ++i)
        segments << Encode(parts[i]);
    return segments;
}

QStringList QtSettingsStore::Children(const QString& group, bool groups) const {
    if (!group.isEmpty())
        settings_->beginGroup(group);
    QStringList names = groups ? settings_->childGroups() : settings_->childKeys();
    if (!group.isEmpty())
        settings_->endGroup();
    return names;
}

std::optional<QString> QtSettingsStore::FindChild(const QString& group, const QString& name,
                                                  bool groups) const {
    const QStringList names = Children(group, groups);
    // The exact spelling first, so that two spellings written by hand stay apart.
    if (names.contains(name))
        return name;
    for (const QString& n : names)
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return n;
    return std::nullopt;
}

std::optional<QString> QtSettingsStore::FindGroup(const QStringList& segments) const {
    QString group;
    for (const QString& segment : segments) {
        auto child = FindChild(group, segment, true);
        if (!child)
            return std::nullopt;
        group = Join(group, *child);
    }
    return group;
}

QString QtSettingsStore::GroupForWrite(const QStringList& segments) const {
    QString group;
    bool exists = true;
    for (const QString& segment : segments) {
        std::optional<QString> child;
        if (exists)
            child = FindChild(group, segment, true);
        exists = child.has_value();
        group = Join(group, child.value_or(segment));
    }
    return group;
}

std::optional<SettingValue> QtSettingsStore::QueryValue(std::string_view key,
                                                        std::string_view name) const {
    auto group = FindGroup(Segments(key));
    if (!group)
        return std::nullopt;
    auto stored = FindChild(*group, Encode(name), false);
    if (!stored)
        return std::nullopt;
    return FromVariant(settings_->value(Join(*group, *stored)));
}

void QtSettingsStore::SaveValue(std::string_view key, std::string_view name,
                                const SettingValue& value) {
    QString group = GroupForWrite(Segments(key));
    QString valueName = Encode(name);
    if (auto stored = FindChild(group, valueName, false); stored && *stored != valueName) {
        // Keep the spelling the value was created with, as the registry does.
        valueName = *stored;
    }
    settings_->setValue(Join(group, valueName), ToVariant(value));
}

void QtSettingsStore::RemoveOnly(const QString& path, bool group) {
    int slash = path.lastIndexOf(QLatin1Char('/'));
    QString parent = slash < 0 ? QString() : path.left(slash);
    QString name = path.mid(slash + 1);

    // QSettings::remove takes a value and the group of the same name together.
    QList<QPair<QString, QVariant>> keep;
    if (group) {
        if (Children(parent, false).contains(name))
            keep.append({path, settings_->value(path)});
    } else if (Children(parent, true).contains(name)) {
        settings_->beginGroup(path);
        const QStringList keys = settings_->allKeys();
        settings_->endGroup();
        for (const QString& k : keys)
            keep.append({Join(path, k), settings_->value(Join(path, k))});
    }
    settings_->remove(path);
    for (const auto& [k, v] : keep)
        settings_->setValue(k, v);
}

bool QtSettingsStore::DeleteValue(std::string_view key, std::string_view name) {
    auto group = FindGroup(Segments(key));
    if (!group)
        return false;
    auto stored = FindChild(*group, Encode(name), false);
    if (!stored)
        return false;
    RemoveOnly(Join(*group, *stored), false);
    return true;
}

bool QtSettingsStore::DeleteKey(std::string_view key) {
    QStringList segments = Segments(key);
    auto group = FindGroup(segments);
    if (!group)
        return false;
    if (group->isEmpty()) {
        bool any = !settings_->allKeys().isEmpty();
        settings_->clear();
        return any;
    }
    RemoveOnly(*group, true);
    return true;
}

void QtSettingsStore::CreateKey(std::string_view key) {
    (void)key;
}

bool QtSettingsStore::KeyExists(std::string_view key) const {
    return FindGroup(Segments(key)).has_value();
}

std::vector<std::string> QtSettingsStore::ValueNames(std::string_view key) const {
    std::vector<std::string> names;
    if (auto group = FindGroup(Segments(key)))
        for (const QString& n : Children(*group, false))
            names.push_back(Decode(n));
    return names;
}

std::vector<std::string> QtSettingsStore::SubkeyNames(std::string_view key) const {
    QStringList children;
    if (auto group = FindGroup(Segments(key)))
        children = Children(*group, true);
    std::sort(children.begin(), children.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    std::vector<std::string> names;
    for (const QString& n : children)
        names.push_back(Decode(n));
    return names;
}

void QtSettingsStore::Flush() {
    settings_->sync();
    ok_ = settings_->status() == QSettings::NoError;
    if (!ok_)
        qWarning("Hearthkit: the settings could not be written to %s",
                 qPrintable(settings_->fileName()));
}

} // namespace hk
