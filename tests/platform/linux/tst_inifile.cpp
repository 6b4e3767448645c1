// SPDX-License-Identifier: MIT
// The INI codec against QSettings 6.4 itself: names one writes the other reads, files either
// wrote read alike, an edit of a file QSettings wrote comes out as QSettings writes it, and an
// edit of any other file leaves every other entry as QSettings read it.
#include "platform/linux/inifile.h"

#include <optional>
#include <QRandomGenerator>
#include <QRect>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace std::string_literals;
using Text = std::optional<std::string>;

namespace QTest {
template <> char* toString(const Text& text)
{
    return text ? toPrettyCString(text->data(), qsizetype(text->size())) : qstrdup("(no text)");
}
} // namespace QTest

namespace {

constexpr qsizetype megabyte = 1 << 20;
constexpr qsizetype noiseSize = 64 * 1024;
constexpr quint32 noiseSeed = 2024;

// A value as the program takes it from QSettings: text, or nothing.
Text textOf(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QStringList:
        return value.toStringList().join(u", "_s).toStdString();
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray()).toStdString();
    default:
        return std::nullopt;
    }
}

QByteArray noise()
{
    QRandomGenerator random(noiseSeed);
    QByteArray noise(noiseSize, '\0');
    for (char& byte : noise) {
        byte = char(random.bounded(256));
    }
    return noise;
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void namesRoundTrip_data();
    void namesRoundTrip();
    void editsLikeQSettings_data();
    void editsLikeQSettings();
    void readsLikeQSettings_data();
    void readsLikeQSettings();
    void editKeepsOtherEntries_data() { readsLikeQSettings_data(); }
    void editKeepsOtherEntries();

private:
    static std::string_view view(const QByteArray& bytes)
    {
        return {bytes.data(), std::size_t(bytes.size())};
    }
    static QByteArray bytes(const std::string& text) { return QByteArray::fromStdString(text); }

    // QSettings keeps each file it loaded for the process: every file gets a folder of its own.
    QString freshFile(const QByteArray& content)
    {
        const QString path = root.filePath(QString::number(files++) + u"/Corvane.conf"_s);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() ? path
                                                                                        : QString();
    }

    QVariantMap qtEntries(const QByteArray& file)
    {
        QSettings settings(freshFile(file), QSettings::IniFormat);
        QVariantMap entries;
        for (const QString& key : settings.allKeys()) {
            entries.insert(key, settings.value(key));
        }
        return entries;
    }

    Text qtRead(const QByteArray& file) { return textOf(qtEntries(file).value(u"LastUser"_s)); }

    // The bytes QSettings writes when it loads `file`, sets `entries` and saves.
    QByteArray qtWritten(const QByteArray& file, const QVariantMap& entries)
    {
        QSettings settings(freshFile(file), QSettings::IniFormat);
        for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
            settings.setValue(entry.key(), entry.value());
        }
        settings.sync();
        QFile written(settings.fileName());
        return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
    }

    QTemporaryDir root;
    int files = 0;
};

void TestIniFile::namesRoundTrip_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("plain") << "ann"_ba;
    QTest::newRow("empty") << ""_ba;
    QTest::newRow("comma") << "Lee, Ann"_ba;
    QTest::newRow("blanks at both ends") << "  ann "_ba;
    QTest::newRow("leading @") << "@ann"_ba;
    QTest::newRow("leading @@") << "@@ann"_ba;
    QTest::newRow("looks like a byte array") << "@ByteArray(ann)"_ba;
    QTest::newRow("line breaks") << "a\nb\r\nc\rd"_ba;
    QTest::newRow("control characters") << "\x01\x07\x08\x0b\x0c\x1b\x1f\x7f"_ba;
    QTest::newRow("control before hex digits") << "\001fa9"_ba;
    QTest::newRow("syntax characters") << "= ; # [ ] \\ \" , %"_ba;
    QTest::newRow("NUL") << "a\0b"_ba;
    QTest::newRow("NUL before digits") << "\00012ab"_ba;
    QTest::newRow("Latin-1") << "Zo\xc3\xab"_ba;
    QTest::newRow("beyond U+FFFF") << "\xf0\x9f\x98\x80"_ba;
    QByteArray planes;
    for (char32_t plane = 0; plane <= 0x10; ++plane) {
        const char32_t code = plane << 16 | 0x4E2D;
        planes += QString::fromUcs4(&code, 1).toUtf8();
    }
    QTest::newRow("every plane") << planes;
    QTest::newRow("byte order mark inside") << "a\xef\xbb\xbfz"_ba;
    QTest::newRow("invalid UTF-8") << "ann\xff\xfe\xc3"_ba;
    QTest::newRow("a megabyte") << QByteArray("Lee, \"Ann\" \\ \xc3\xab\t").repeated(megabyte / 16);
}

void TestIniFile::namesRoundTrip()
{
    QFETCH(QByteArray, name);
    const QString text = QString::fromUtf8(name);
    const QByteArray written = bytes(inifile::withText({}, "General", "LastUser", view(name)));
    QCOMPARE(written, qtWritten({}, {{u"LastUser"_s, text}}));
    QCOMPARE(inifile::readText(view(written), "General", "LastUser"), Text(text.toStdString()));
    QCOMPARE(qtRead(written), Text(text.toStdString()));
}

void TestIniFile::editsLikeQSettings_data()
{
    QTest::addColumn<QVariantMap>("entries");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("empty file") << QVariantMap() << "ann"_ba;
    QTest::newRow("value replaced")
        << QVariantMap{{u"LastUser"_s, u"old"_s}, {u"Theme"_s, u"dark"_s}, {u"Window/X"_s, u"3"_s}}
        << "new"_ba;
    QTest::newRow("key sorted among keys")
        << QVariantMap{{u"Alpha"_s, u"1"_s}, {u"Zeta"_s, u"2"_s}, {u"lastUser"_s, u"3"_s}}
        << "ann"_ba;
    QTest::newRow("key after the others")
        << QVariantMap{{u"Alpha"_s, u"1"_s}, {u"Window/X"_s, u"3"_s}} << "ann"_ba;
    QTest::newRow("top level before sections")
        << QVariantMap{{u"A/x"_s, u"1"_s}, {u"a/y"_s, u"2"_s}} << "ann"_ba;
    QTest::newRow("escaped names") << QVariantMap{{u"a b/\u00fc"_s, u"1"_s},
                                                  {u"\u00e4/Sub/%"_s, u"2"_s},
                                                  {u"\u4e2d"_s, u"3"_s}}
                                   << "ann"_ba;
    QTest::newRow("old value quoted") << QVariantMap{{u"LastUser"_s, u" Lee, Ann "_s}} << "ann"_ba;
    QTest::newRow("other kinds of values") << QVariantMap{{u"Window/Geometry"_s, QRect(1, 2, 3, 4)},
                                                          {u"Bytes"_s, "\xff\0\x01"_ba},
                                                          {u"List"_s, QStringList{u"a"_s, u"b"_s}},
                                                          {u"Text"_s, u"@\0\\\"\U0001F600"_s}}
                                           << "@\0\n"_ba;
    QTest::newRow("byte order mark first in a value")
        << QVariantMap{{u"Theme"_s, u"\uFEFFdark"_s}, {u"X/y"_s, u"\t\uFEFF"_s}} << "ann"_ba;
    QTest::newRow("megabyte old value")
        << QVariantMap{{u"LastUser"_s, QString(megabyte, u'x')}} << "ann"_ba;
}

void TestIniFile::editsLikeQSettings()
{
    QFETCH(QVariantMap, entries);
    QFETCH(QByteArray, name);
    const QByteArray file = qtWritten({}, entries);
    const std::string edited = inifile::withText(view(file), "General", "LastUser", view(name));
    QCOMPARE(bytes(edited), qtWritten(file, {{u"LastUser"_s, QString::fromUtf8(name)}}));
}

void TestIniFile::readsLikeQSettings_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Text>("expected");
    QTest::newRow("plain") << "[General]\nLastUser=ann\n"_ba << Text("ann");
    QTest::newRow("empty") << "[General]\nLastUser=\n"_ba << Text("");
    QTest::newRow("blanks around") << "LastUser = \t ann \t \n"_ba << Text("ann");
    QTest::newRow("no entry") << "[General]\nTheme=dark\n"_ba << Text();
    QTest::newRow("list") << "[General]\nLastUser=Lee, Ann\n"_ba << Text("Lee, Ann");
    QTest::newRow("list with a variant") << "[General]\nLastUser=@Lee, Ann\n"_ba << Text();
    QTest::newRow("quoted") << "[General]\nLastUser=\" Lee, Ann \"\n"_ba << Text(" Lee, Ann ");
    QTest::newRow("byte array") << "[General]\nLastUser=@ByteArray(ann)\n"_ba << Text("ann");
    QTest::newRow("rect") << "[General]\nLastUser=@Rect(1 2 3 4)\n"_ba << Text();
    QTest::newRow("rect of three is text") << "LastUser=@Rect(1 2 3)"_ba << Text("@Rect(1 2 3)");
    QTest::newRow("invalid") << "[General]\nLastUser=@Invalid()\n"_ba << Text();
    QTest::newRow("variant list")
        << "[General]\nLastUser=@Variant(\\0\\0\\0\\t\\x7f\\xff\\xff\\xff)\n"_ba << Text();
    QTest::newRow("variant of unknown type")
        << "[General]\nLastUser=@Variant(\\0\\0\\x10\\0\\0\\0\\0\\x1)\n"_ba << Text();
    QTest::newRow("doubled @") << "LastUser=@@ann"_ba << Text("@ann");
    QTest::newRow("string with NUL") << "LastUser=@String(a\\0b)"_ba << Text("a\0b"s);
    QTest::newRow("not UTF-8") << "[General]\nLastUser=ann\xff\xfe\n"_ba << Text("ann\uFFFD\uFFFD");
    QTest::newRow("UTF-8 cut by an escape") << "LastUser=a\xc3\\t\xa4"_ba << Text("a\t\u00e4");
    QTest::newRow("malformed UTF-8 cut by a comma")
        << "LastUser=\"a\xc3,\xa4z\""_ba << Text("a\uFFFD\uFFFDz");
    QTest::newRow("escaped key") << "La%73tUser=ann"_ba << Text("ann");
    QTest::newRow("key in other case") << "lastuser=ann"_ba << Text();
    QTest::newRow("duplicate keys")
        << "LastUser=a\n[X]\ny=1\n[General]\nLastUser=b\n"_ba << Text("b");
    QTest::newRow("continuation line") << "LastUser=a\\\r\nnn\n"_ba << Text("ann");
    QTest::newRow("CRLF") << "[General]\r\nLastUser=ann\r\nTheme=dark\r\n"_ba << Text("ann");
    QTest::newRow("comments") << "; c\n[General] ; c\nLastUser=ann;c\n"_ba << Text("ann");
    QTest::newRow("general in other case")
        << "[X]\ny=1\n[ gEnErAl ]\nLastUser=ann\n"_ba << Text("ann");
    QTest::newRow("%General is a section") << "[%General]\nLastUser=ann\n"_ba << Text();
    QTest::newRow("byte order mark") << "\xef\xbb\xbfLastUser=ann\n"_ba << Text("ann");
    QTest::newRow("byte order mark and blank") << "\xef\xbb\xbf LastUser=ann"_ba << Text();
    QTest::newRow("garbage around the entry")
        << "junk\n=\n]]\n;c\nLastUser=ann\n\"open=\n\"\n[x\nx\\"_ba << Text("ann");
    QTest::newRow("quote left open at the end") << "Alpha=\"dark"_ba << Text();
    QTest::newRow("backslash at the end") << "Alpha=dark\\"_ba << Text();
    QTest::newRow("escaped CR before a comment") << "Alpha=a\\\r;c\n"_ba << Text();
    QTest::newRow("binary noise") << noise() << Text();
    QTest::newRow("binary noise after the entry") << "LastUser=ann\n"_ba + noise() << Text("ann");
    QTest::newRow("ten megabytes, the entry last")
        << "[X]\ny=1\n"_ba + QByteArray(10 * megabyte, 'x') + "\n[General]\nLastUser=ann\n"_ba
        << Text("ann");
}

void TestIniFile::readsLikeQSettings()
{
    QFETCH(QByteArray, file);
    QFETCH(Text, expected);
    QCOMPARE(inifile::readText(view(file), "General", "LastUser"), expected);
    QCOMPARE(qtRead(file), expected);
}

void TestIniFile::editKeepsOtherEntries()
{
    QFETCH(QByteArray, file);
    const std::string name = "Zo\xc3\xab \"new\", @1\\";
    const QByteArray edited = bytes(inifile::withText(view(file), "General", "LastUser", name));
    QCOMPARE(inifile::readText(view(edited), "General", "LastUser"), Text(name));
    QCOMPARE(qtRead(edited), Text(name));
    QVariantMap before = qtEntries(file);
    QVariantMap after = qtEntries(edited);
    before.remove(u"LastUser"_s);
    after.remove(u"LastUser"_s);
    QCOMPARE(after, before);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
