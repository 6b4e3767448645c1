// SPDX-License-Identifier: MIT
// The settings store against real files in a private configuration folder.
#include "settings/qsettingsstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString app = QStringLiteral("Corvane");
const QString general = QStringLiteral("General");
const QString lastUser = QStringLiteral("LastUser");

QByteArray readAll(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

} // namespace

// Fails with the store's own account of what went wrong.
#define QVERIFY_SAVED(expression)                                                                  \
    do {                                                                                           \
        const auto failure = (expression);                                                         \
        QVERIFY2(!failure, failure ? qPrintable(failure->text()) : "");                            \
    } while (false)

class TestQSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void defaultOnlyWhenTheEntryIsMissing_data();
    void defaultOnlyWhenTheEntryIsMissing();
    void namesComeBackExactly_data();
    void namesComeBackExactly();
    void fileReadsAsAPersonExpects();
    void writeKeepsOtherEntries();
    void refusedWriteNamesTheFileAndTheReason();

private:
    QTemporaryDir configHome_;
    QString folder_;
    QString file_;
    QSettingsStore store_{QStringLiteral("Corvane")};
};

void TestQSettingsStore::initTestCase()
{
    QVERIFY(configHome_.isValid());
    // QSettings reads the variable once per process, so it is set before the first use.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome_.path()));
    folder_ = configHome_.filePath(QStringLiteral("Corvane"));
    file_ = folder_ + QStringLiteral("/Corvane.conf");
    QCOMPARE(store_.fileName(app), file_);
}

void TestQSettingsStore::init()
{
    QFileInfo info(folder_);
    if (info.isDir()) {
        QVERIFY(QDir(folder_).removeRecursively());
    } else if (info.exists()) {
        QVERIFY(QFile::remove(folder_));
    }
}

void TestQSettingsStore::defaultOnlyWhenTheEntryIsMissing_data()
{
    QTest::addColumn<QByteArray>("fileContent");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no file") << QByteArray() << QStringLiteral("Username");
    QTest::newRow("other keys only")
        << QByteArray("[General]\nOther=x\n") << QStringLiteral("Username");
    QTest::newRow("empty entry") << QByteArray("[General]\nLastUser=\n") << QString();
    QTest::newRow("stored name") << QByteArray("[General]\nLastUser=ann\n")
                                 << QStringLiteral("ann");
    QTest::newRow("commas written by hand")
        << QByteArray("[General]\nLastUser=Lee, Ann\n") << QStringLiteral("Lee, Ann");
}

void TestQSettingsStore::defaultOnlyWhenTheEntryIsMissing()
{
    QFETCH(QByteArray, fileContent);
    QFETCH(QString, expected);
    if (!fileContent.isEmpty()) {
        QVERIFY(QDir().mkpath(folder_));
        QVERIFY(writeAll(file_, fileContent));
    }
    const QString value = store_.GetSetting(app, general, lastUser, QStringLiteral("Username"));
    QCOMPARE(value, expected);
}

void TestQSettingsStore::namesComeBackExactly_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks around") << QStringLiteral("  ann  ");
    QTest::newRow("ini specials") << QStringLiteral("a=b;c#d[e]f\\g\"h,i");
    QTest::newRow("leading at") << QStringLiteral("@Variant(x)");
    QTest::newRow("line breaks and tab") << QStringLiteral("a\nb\rc\td");
    QTest::newRow("beyond the basic plane") << QString::fromUtf8("\xF0\x9F\x90\xA6 Zoë 名前");
}

void TestQSettingsStore::namesComeBackExactly()
{
    QFETCH(QString, name);
    QVERIFY_SAVED(store_.SaveSetting(app, general, lastUser, name));
    QCOMPARE(store_.GetSetting(app, general, lastUser, QStringLiteral("Username")), name);
}

void TestQSettingsStore::fileReadsAsAPersonExpects()
{
    QVERIFY_SAVED(store_.SaveSetting(app, general, lastUser, QStringLiteral("ann")));
    QCOMPARE(readAll(file_), QByteArray("[General]\nLastUser=ann\n"));
}

void TestQSettingsStore::writeKeepsOtherEntries()
{
    QVERIFY(QDir().mkpath(folder_));
    QVERIFY(writeAll(file_, "[General]\nLastUser=old\nTheme=dark\n\n[Window]\nX=3\n"));
    QVERIFY_SAVED(store_.SaveSetting(app, general, lastUser, QStringLiteral("new")));
    QVERIFY_SAVED(store_.SaveSetting(app, QStringLiteral("Window"), QStringLiteral("Y"),
                                     QStringLiteral("4")));
    QCOMPARE(readAll(file_),
             QByteArray("[General]\nLastUser=new\nTheme=dark\n\n[Window]\nX=3\nY=4\n"));
}

void TestQSettingsStore::refusedWriteNamesTheFileAndTheReason()
{
    // A plain file where the folder should be: no user, not even root, can write below it.
    QVERIFY(writeAll(folder_, "in the way"));
    const auto failure = store_.SaveSetting(app, general, lastUser, QStringLiteral("ann"));
    QVERIFY(failure.has_value());
    QVERIFY2(failure->what.contains(file_), qPrintable(failure->what));
    QVERIFY2(failure->why.contains(QStringLiteral("exists")) ||
                 failure->why.contains(QStringLiteral("directory")),
             qPrintable(failure->why));
    QCOMPARE(readAll(folder_), QByteArray("in the way"));
}

QTEST_GUILESS_MAIN(TestQSettingsStore)
#include "tst_qsettingsstore.moc"
