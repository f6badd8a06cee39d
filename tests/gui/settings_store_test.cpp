// The QSettings store both front ends share: the registry's rules (typed values, names without
// regard to case, deleting keys and values), and a settings file another program reads back.
#include <QBuffer>
#include <QFile>
#include <QTest>

#include "qtsettings/qt_settings_store.h"
#include "qtsettings/settings_file_format.h"
#include "support/temp_dir.h"

using namespace hk;
using hk::test::TempDir;

namespace {
const std::string kRoot(kSettingsRoot);
}

class SettingsStoreTest : public QObject {
    Q_OBJECT

private slots:
    void valuesKeepTheirTypeAndSurviveTheFile() {
        TempDir dir;
        const QString file = QString::fromStdString(dir.Folder() + "Hearthkit.conf");
        const std::string binary("\0\x01\xff|", 4);
        const std::string text = "C:\\TMG\\\"Family\" \xC3\xA9t\xC3\xA9\r\n2nd line\ttab";
        {
            QtSettingsStore store(file);
            Settings settings(store);
            settings.SaveSettingLong(kRoot, "Windows\\Main", "Window\\Left", -8);
            store.SaveValue(kRoot + "\\File List", "File 1", SettingValue::String(text));
            store.SaveValue(kRoot + "\\Blob", "Data", SettingValue::Binary(binary));
            store.SaveValue(kRoot + "\\File Preferences\\a/b_\\Tags", "Count",
                            SettingValue::String("7")); // a "/" in a name stays one name
            store.SaveValue(kRoot + "\\Empty", "Text", SettingValue::String(""));
            store.Flush();
            QVERIFY(store.Ok());
        }

        QFile raw(file);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        const QString content = QString::fromUtf8(raw.readAll());
        // The root's keys sit at the top of the file; numbers are dwords, as in the registry.
        QVERIFY2(content.contains("[Windows/Main/Window]\n\"Left\"=dword:fffffff8\n"),
                 qPrintable(content));
        QVERIFY(content.contains("\"Data\"=hex:00,01,ff,7c\n"));

        QtSettingsStore back(file);
        Settings settings(back);
        QCOMPARE(settings.GetSettingLong(kRoot, "Windows\\Main", "Window\\Left", 0), -8L);
        QCOMPARE(*back.QueryValue(kRoot + "\\Windows\\Main\\Window", "Left"),
                 SettingValue::Dword(0xfffffff8u));
        QCOMPARE(back.QueryValue(kRoot + "\\File List", "File 1")->data, text);
        QCOMPARE(*back.QueryValue(kRoot + "\\Blob", "Data"), SettingValue::Binary(binary));
        QCOMPARE(back.SubkeyNames(kRoot + "\\File Preferences"), std::vector<std::string>{"a/b_"});
        QCOMPARE(back.QueryValue(kRoot + "\\File Preferences\\a/b_\\Tags", "Count")->data,
                 std::string("7"));
        // An empty string is a value, not a missing one.
        QCOMPARE(settings.GetSettingString(kRoot, "Empty", "Text", "dflt"), std::string());
        QVERIFY(!settings.SettingMissing());
    }

    void registryRules() {
        TempDir dir;
        QtSettingsStore store(QString::fromStdString(dir.Folder() + "s.conf"));
        store.SaveValue(kRoot + "\\File List", "File 1", SettingValue::String("/p/a__.pjc"));
        // Names match without regard to case and keep the spelling they were created with.
        QCOMPARE(store.QueryValue("software\\RAVELSTONE\\hearthkit\\file list", "FILE 1")->data,
                 std::string("/p/a__.pjc"));
        store.SaveValue("SOFTWARE\\Ravelstone\\Hearthkit\\FILE LIST", "file 1",
                        SettingValue::Dword(7));
        QCOMPARE(store.ValueNames(kRoot + "\\File List"), std::vector<std::string>{"File 1"});
        QCOMPARE(*store.QueryValue(kRoot + "\\File List", "File 1"), SettingValue::Dword(7));
        store.SaveValue(kRoot + "\\\xC3\x89t\xC3\xA9", "V", SettingValue::Dword(1));
        QVERIFY(store.QueryValue(kRoot + "\\\xC3\xA9T\xC3\x89", "v").has_value());

        // Sub-keys in name order, whatever their case.
        store.SaveValue("K\\b", "z", SettingValue::Dword(1));
        store.SaveValue("K\\A", "y", SettingValue::Dword(1));
        store.SaveValue("K\\c", "x", SettingValue::Dword(1));
        QCOMPARE(store.SubkeyNames("k"), (std::vector<std::string>{"A", "b", "c"}));
        QVERIFY(store.KeyExists("\\K\\\\A\\"));
        QVERIFY(!store.KeyExists("K\\d"));

        // A key and a value of the same name are different things: deleting one keeps the other.
        store.SaveValue("K", "b", SettingValue::String("value b"));
        QVERIFY(store.DeleteKey("k\\B"));
        QVERIFY(!store.KeyExists("K\\b"));
        QCOMPARE(store.QueryValue("K", "b")->data, std::string("value b"));
        store.SaveValue("K\\A\\sub", "deep", SettingValue::Dword(2));
        store.SaveValue("K", "A", SettingValue::Dword(3));
        QVERIFY(store.DeleteValue("K", "a"));
        QVERIFY(!store.QueryValue("K", "A").has_value());
        QCOMPARE(*store.QueryValue("K\\A\\sub", "deep"), SettingValue::Dword(2));
        QCOMPARE(*store.QueryValue("K\\A", "y"), SettingValue::Dword(1));
        QVERIFY(!store.DeleteValue("K", "A"));

        // Deleting a key takes its sub-keys; keys outside the program's root are kept apart.
        store.SaveValue("Software\\Wholly Genes Software\\The Master Genealogist v8", "InstallPath",
                        SettingValue::String("/opt/tmg"));
        QVERIFY(store.DeleteKey("K"));
        QVERIFY(!store.QueryValue("K\\A\\sub", "deep").has_value());
        QVERIFY(!store.DeleteKey("K"));
        QCOMPARE(store
                     .QueryValue("Software\\Wholly Genes Software\\The Master Genealogist v8",
                                 "InstallPath")
                     ->data,
                 std::string("/opt/tmg"));
        QVERIFY(!store
                     .QueryValue(kRoot + "\\Wholly Genes Software\\The Master Genealogist v8",
                                 "InstallPath")
                     .has_value());
    }

    void aDamagedLineLosesOnlyItself() {
        QByteArray text = "; comment\n"
                          "[File List]\n"
                          "\"File 1\"=\"/a\"\n"
                          "\"File 2\"=dword:zz\n"
                          "garbage line\n"
                          "\"File 3\"=\"unterminated\n"
                          "\"File 4\"=hex:\n"
                          "[Windows/Main/Window]\r\n"
                          "\"Top\"=dword:0000000a\r\n";
        QBuffer buffer(&text);
        buffer.open(QIODevice::ReadOnly);
        QSettings::SettingsMap map;
        QVERIFY(ReadTypedSettings(buffer, map));
        QCOMPARE(map.keys(),
                 (QStringList{"File List/File 1", "File List/File 4", "Windows/Main/Window/Top"}));
        QCOMPARE(map.value("File List/File 4"), QVariant(QByteArray()));
        QCOMPARE(map.value("Windows/Main/Window/Top"), QVariant(10u));

        // What is written reads back the same.
        QByteArray out;
        QBuffer writer(&out);
        writer.open(QIODevice::WriteOnly);
        map.insert("Odd]Key/Name \"q\"", QVariant(QString("x\\y")));
        QVERIFY(WriteTypedSettings(writer, map));
        QBuffer reader(&out);
        reader.open(QIODevice::ReadOnly);
        QSettings::SettingsMap again;
        ReadTypedSettings(reader, again);
        QCOMPARE(again, map);
    }
};

QTEST_MAIN(SettingsStoreTest)
#include "settings_store_test.moc"
