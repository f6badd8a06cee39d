#include "qtsettings/settings_file_format.h"

#include <QMap>
#include <QStringList>

namespace hk {
namespace {

QString Escape(const QString& text) {
    QString out;
    out.reserve(text.size() + 2);
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("\\x%1").arg(static_cast<uint>(c.unicode()), 2, 16,
                                                   QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out;
}

// Reads the text of an escaped run up to the closing quote (or the end for a section name);
// `pos` ends past the closing quote. False when a quoted text does not close.
bool Unescape(const QString& line, int& pos, QChar close, QString& out) {
    out.clear();
    while (pos < line.size()) {
        QChar c = line[pos++];
        if (c == close)
            return true;
        if (c != QLatin1Char('\\') || pos >= line.size()) {
            out += c;
            continue;
        }
        QChar e = line[pos++];
        switch (e.unicode()) {
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'x': {
            bool ok = false;
            uint code = line.mid(pos, 2).toUInt(&ok, 16);
            if (ok) {
                out += QChar(code);
                pos += 2;
            } else {
                out += e;
            }
            break;
        }
        default:
            out += e;
        }
    }
    return close.isNull();
}

QString ValueText(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return QStringLiteral("dword:%1")
            .arg(static_cast<quint32>(value.toLongLong() & 0xffffffffLL), 8, 16, QLatin1Char('0'));
    case QMetaType::QByteArray: {
        QByteArray bytes = value.toByteArray();
        QStringList parts;
        for (char b : bytes)
            parts << QStringLiteral("%1").arg(static_cast<uchar>(b), 2, 16, QLatin1Char('0'));
        return QLatin1String("hex:") + parts.join(QLatin1Char(','));
    }
    default:
        return QLatin1Char('"') + Escape(value.toString()) + QLatin1Char('"');
    }
}

// The value after "=", or an invalid variant when it is not one of the three forms.
QVariant ParseValue(const QString& text) {
    if (text.startsWith(QLatin1String("dword:"))) {
        bool ok = false;
        uint v = text.mid(6).trimmed().toUInt(&ok, 16);
        return ok ? QVariant(v) : QVariant();
    }
    if (text.startsWith(QLatin1String("hex:"))) {
        QByteArray bytes;
        const QString body = text.mid(4).trimmed();
        if (!body.isEmpty()) {
            for (const QString& part : body.split(QLatin1Char(','))) {
                bool ok = false;
                uint b = part.trimmed().toUInt(&ok, 16);
                if (!ok || b > 0xff)
                    return {};
                bytes.append(static_cast<char>(b));
            }
        }
        return QVariant(bytes);
    }
    if (text.startsWith(QLatin1Char('"'))) {
        int pos = 1;
        QString out;
        if (!Unescape(text, pos, QLatin1Char('"'), out))
            return {};
        return QVariant(out);
    }
    return {};
}

} // namespace

bool ReadTypedSettings(QIODevice& device, QSettings::SettingsMap& map) {
    const QString content = QString::fromUtf8(device.readAll());
    QString section;
    // A damaged line is skipped: the rest of the user's settings stay usable.
    for (QString line : content.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            QString inner = line.mid(1, line.size() - 2);
            int pos = 0;
            Unescape(inner, pos, QChar(), section);
            continue;
        }
        if (!line.startsWith(QLatin1Char('"')))
            continue;
        int pos = 1;
        QString name;
        if (!Unescape(line, pos, QLatin1Char('"'), name) || pos >= line.size() ||
            line[pos] != QLatin1Char('='))
            continue;
        QVariant value = ParseValue(line.mid(pos + 1));
        if (!value.isValid() || name.isEmpty())
            continue;
        map.insert(section.isEmpty() ? name : section + QLatin1Char('/') + name, value);
    }
    return true;
}

bool WriteTypedSettings(QIODevice& device, const QSettings::SettingsMap& map) {
    QMap<QString, QList<QPair<QString, QVariant>>> sections;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const QString& key = it.key();
        int slash = key.lastIndexOf(QLatin1Char('/'));
        QString section = slash < 0 ? QString() : key.left(slash);
        sections[section].append({key.mid(slash + 1), it.value()});
    }
    QString out = QStringLiteral("; Hearthkit settings. Values keep their type: dword, string or "
                                 "hex (binary).\n");
    for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
        out += QLatin1String("\n[") + Escape(it.key()) + QLatin1String("]\n");
        for (const auto& [name, value] : it.value())
            out += QLatin1Char('"') + Escape(name) + QLatin1String("\"=") + ValueText(value) +
                   QLatin1Char('\n');
    }
    QByteArray bytes = out.toUtf8();
    return device.write(bytes) == bytes.size();
}

QSettings::Format TypedSettingsFormat() {
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("conf"), ReadTypedSettings, WriteTypedSettings);
    return format;
}

} // namespace hk
