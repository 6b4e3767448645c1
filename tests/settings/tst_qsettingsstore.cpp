// SPDX-License-Identifier: MIT
// The settings store against real files in a private configuration folder.
#include "filemodesapply.h"
#include "settings/qsettingsstore.h"
#include "settings/settingsfile.h"

#include <fcntl.h>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString app = u"Corvane"_s;
const QString general = u"General"_s;
const QString lastUser = u"LastUser"_s;
const QString username = u"Username"_s;

// Ten megabytes: far more than any name the program stores.
constexpr qsizetype hugeFileBytes = 10 * 1024 * 1024;
// A megabyte of name: more than a person types, as much as a paste can bring.
constexpr qsizetype hugeNameLength = 1024 * 1024;

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

mode_t modeOf(const QString& path)
{
    struct stat st
    {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Bytes that look like nothing: a fixed pseudo-random sequence, NUL bytes and all.
QByteArray noise(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 2463534242U;
    for (char& byte : bytes) {
        state ^= state << 13U;
        state ^= state >> 17U;
        state ^= state << 5U;
        byte = static_cast<char>(state & 0xFFU);
    }
    return bytes;
}

// Everything about the entries of a folder that a write could change: names, kinds, modes, sizes,
// times, identities, and the bytes of the files that can be read.
QStringList snapshot(const QString& folder)
{
    QStringList entries;
    const QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                     QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString path = folder + u'/' + name;
        struct stat st
        {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
            entries.append(name + u" vanished"_s);
            continue;
        }
        QString entry = u"%1 mode %2 size %3 inode %4 modified %5.%6"_s.arg(name)
                            .arg(st.st_mode, 0, 8)
                            .arg(st.st_size)
                            .arg(st.st_ino)
                            .arg(st.st_mtim.tv_sec)
                            .arg(st.st_mtim.tv_nsec);
        if (S_ISREG(st.st_mode)) {
            entry += u" content "_s + QString::number(qHash(readAll(path)));
        } else if (S_ISLNK(st.st_mode)) {
            entry += u" to "_s + QFile::symLinkTarget(path);
        }
        entries.append(entry);
    }
    return entries;
}

// Sets the process's umask for as long as it lives.
class Umask
{
public:
    explicit Umask(mode_t mask) : saved_(::umask(mask)) {}
    ~Umask() { ::umask(saved_); }
    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;

private:
    mode_t saved_;
};

// How a settings file that the program did not write is laid out.
enum class Shape
{
    Content,
    Unreadable,
    Folder,
    DanglingLink,
    LinkLoop,
    Fifo,
    LinkToDevice,
};

} // namespace

Q_DECLARE_METATYPE(Shape)

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
    void fileNotWrittenHereIsReadAndLeftAlone_data();
    void fileNotWrittenHereIsReadAndLeftAlone();
    void createdFileAndFoldersAreTheOwnersOnly_data();
    void createdFileAndFoldersAreTheOwnersOnly();
    void existingModesAreKept_data();
    void existingModesAreKept();
    void onlyAnAbandonedLockIsCleared_data();
    void onlyAnAbandonedLockIsCleared();

private:
    // Points the store at a configuration home of its own, not made yet.
    void useConfigHome(const QString& name);

    QTemporaryDir root_;
    int cases_ = 0;
    QString configHome_;
    QString folder_;
    QString file_;
    QSettingsStore store_{u"Corvane"_s};
};

void TestQSettingsStore::initTestCase()
{
    QVERIFY(root_.isValid());
    useConfigHome(u"config"_s);
    QCOMPARE(store_.fileName(app), file_);
    // The very file QSettings would use for the organisation and application.
    QCOMPARE(QSettings(QSettings::NativeFormat, QSettings::UserScope, app, app).fileName(), file_);
}

void TestQSettingsStore::init()
{
    // Each case has a configuration home of its own, as each start of the program has a file it
    // has not read before. QSettings keeps every file it has read in a cache of the process and
    // reads a file again only when its size or modification time changed: two cases that wrote
    // files of one size at one path within one tick of the file system's clock would read the
    // earlier case's entry.
    useConfigHome(u"config-%1"_s.arg(++cases_));
    QVERIFY(QDir().mkpath(configHome_));
}

void TestQSettingsStore::useConfigHome(const QString& name)
{
    // Some cases take the configuration home away, to see the store make it.
    configHome_ = root_.filePath(name);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome_));
    folder_ = configHome_ + u"/Corvane"_s;
    file_ = folder_ + u"/Corvane.conf"_s;
}

void TestQSettingsStore::defaultOnlyWhenTheEntryIsMissing_data()
{
    QTest::addColumn<QByteArray>("fileContent");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no file") << QByteArray() << username;
    QTest::newRow("other keys only") << QByteArray("[General]\nOther=x\n") << username;
    QTest::newRow("empty entry") << QByteArray("[General]\nLastUser=\n") << QString();
    QTest::newRow("stored name") << QByteArray("[General]\nLastUser=ann\n") << u"ann"_s;
    QTest::newRow("commas written by hand")
        << QByteArray("[General]\nLastUser=Lee, Ann\n") << u"Lee, Ann"_s;
    // Values a person or another program may have written, which are no text.
    QTest::newRow("bytes") << QByteArray("[General]\nLastUser=@ByteArray(ann)\n") << u"ann"_s;
    QTest::newRow("a rectangle") << QByteArray("[General]\nLastUser=@Rect(1 2 3 4)\n") << username;
    QTest::newRow("an invalid value") << QByteArray("[General]\nLastUser=@Invalid()\n") << username;
    QTest::newRow("a list of two billion") << QByteArray("[General]\nLastUser=@Variant(\\0\\0\\0"
                                                         "\\t\\x7f\\xff\\xff\\xff)\n")
                                           << username;
    QTest::newRow("an unknown type")
        << QByteArray("[General]\nLastUser=@Variant(\\0\\0\\x10\\0\\0\\0\\0\\x1)\n") << username;
    QTest::newRow("not UTF-8") << QByteArray("[General]\nLastUser=ann\xff\xfe\n")
                               << u"ann\uFFFD\uFFFD"_s;
}

void TestQSettingsStore::defaultOnlyWhenTheEntryIsMissing()
{
    QFETCH(QByteArray, fileContent);
    QFETCH(QString, expected);
    if (!fileContent.isEmpty()) {
        QVERIFY(QDir().mkpath(folder_));
        QVERIFY(writeAll(file_, fileContent));
    }
    const QString value = store_.GetSetting(app, general, lastUser, username);
    QCOMPARE(value, expected);
}

void TestQSettingsStore::namesComeBackExactly_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks around") << u"  ann  "_s;
    QTest::newRow("only blanks") << u"   "_s;
    QTest::newRow("ini specials") << u"a=b;c#d[e]f\\g\"h,i"_s;
    QTest::newRow("leading at") << u"@Variant(x)"_s;
    QTest::newRow("two leading ats") << u"@@ann"_s;
    QTest::newRow("line breaks and tab") << u"a\nb\rc\td"_s;
    QTest::newRow("a section header") << u"[General]"_s;
    QTest::newRow("an entry") << u"LastUser=eve"_s;
    QTest::newRow("quoted") << u"\"ann\""_s;
    QTest::newRow("control characters") << u"\x01\x1b[0m\x7f"_s;
    QTest::newRow("beyond the basic plane") << QString::fromUtf8("\xF0\x9F\x90\xA6 Zoë 名前");

    // Each character the INI format treats specially, alone, at the start and at the end.
    for (const QChar special : u"\n\r\t=;#[]\\\",@ "_s) {
        const QString shown = special == u'\n'   ? u"newline"_s
                              : special == u'\r' ? u"return"_s
                              : special == u'\t' ? u"tab"_s
                              : special == u' '  ? u"blank"_s
                                                 : QString(special);
        QTest::addRow("%s alone", qPrintable(shown)) << QString(special);
        QTest::addRow("%s first", qPrintable(shown)) << special + u"ann"_s;
        QTest::addRow("%s last", qPrintable(shown)) << u"ann"_s + special;
    }

    // One character from each of the seventeen planes: the basic plane, the supplementary ones
    // with letters, ideographs and tags, the planes nothing is assigned to yet, and the two
    // private-use planes.
    QString planes;
    for (char32_t plane = 0; plane <= 0x10; ++plane) {
        const char32_t codePoint = plane == 0 ? U'ß' : (plane << 16U) + 0x100;
        planes += QString::fromUcs4(&codePoint, 1);
    }
    QTest::newRow("every plane") << planes;

    QTest::newRow("a megabyte") << QString(hugeNameLength, u'n');
    // Mostly ASCII: QSettings 6.4 reserves one and a half bytes of UTF-8 per UTF-16 unit and grows
    // one character at a time beyond that. glibc's realloc makes that cheap; AddressSanitizer's
    // and valgrind's copy the whole buffer each time, and a megabyte of astral characters would
    // keep the sanitizer build busy for many minutes.
    QString astral;
    while (astral.size() < hugeNameLength) {
        astral +=
            planes + u"=;\n abcdefghijklmnopqrstuvwxyz 0123456789 ABCDEFGHIJKLMNOPQRSTUVWXYZ"_s;
    }
    QTest::newRow("a megabyte of every plane") << astral;
}

void TestQSettingsStore::namesComeBackExactly()
{
    QFETCH(QString, name);
    QVERIFY_SAVED(store_.SaveSetting(app, general, lastUser, name));
    QCOMPARE(store_.GetSetting(app, general, lastUser, username), name);
    // QSettings keeps what it read in memory: a reader of its own must find the same.
    QSettings fresh(file_, QSettings::IniFormat);
    QCOMPARE(fresh.status(), QSettings::NoError);
    QCOMPARE(fresh.value(lastUser).toString(), name);
}

void TestQSettingsStore::fileReadsAsAPersonExpects()
{
    QVERIFY_SAVED(store_.SaveSetting(app, general, lastUser, u"ann"_s));
    QCOMPARE(readAll(file_), QByteArray("[General]\nLastUser=ann\n"));
}

void TestQSettingsStore::writeKeepsOtherEntries()
{
    QVERIFY(QDir().mkpath(folder_));
    QVERIFY(writeAll(file_, "[General]\nLastUser=old\nTheme=dark\n\n[Window]\nX=3\n"));
    QVERIFY_SAVED(store_.SaveSetting(app, general, lastUser, u"new"_s));
    QVERIFY_SAVED(store_.SaveSetting(app, u"Window"_s, u"Y"_s, u"4"_s));
    QCOMPARE(readAll(file_),
             QByteArray("[General]\nLastUser=new\nTheme=dark\n\n[Window]\nX=3\nY=4\n"));
}

void TestQSettingsStore::refusedWriteNamesTheFileAndTheReason()
{
    // A plain file where the folder should be: no user, not even root, can write below it.
    QVERIFY(writeAll(folder_, "in the way"));
    const auto failure = store_.SaveSetting(app, general, lastUser, u"ann"_s);
    QVERIFY(failure.has_value());
    QVERIFY2(failure->what.contains(file_), qPrintable(failure->what));
    QVERIFY2(failure->why.contains(u"exists"_s) || failure->why.contains(u"directory"_s),
             qPrintable(failure->why));
    QCOMPARE(readAll(folder_), QByteArray("in the way"));
}

void TestQSettingsStore::fileNotWrittenHereIsReadAndLeftAlone_data()
{
    QTest::addColumn<Shape>("shape");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("shown");
    // Empty when Login replaces the file, else the reason given for leaving it as it is.
    QTest::addColumn<QString>("refusal");

    const QByteArray entry = "[General]\nLastUser=ann\n";
    QTest::newRow("a good file") << Shape::Content << entry << u"ann"_s << QString();
    QTest::newRow("garbage") << Shape::Content << QByteArray("]]] [[ ==\n;\n\\\n@@@\n=x\n")
                             << username << QString();
    QTest::newRow("garbage around the entry")
        << Shape::Content << QByteArray("junk ][\n== = =\n") + entry + "\\\\\\\n[[" << u"ann"_s
        << QString();
    QTest::newRow("binary") << Shape::Content << noise(4096) << username << QString();
    QTest::newRow("the entry before binary")
        << Shape::Content << entry + noise(4096) << u"ann"_s << QString();
    QTest::newRow("ten megabytes of binary")
        << Shape::Content << noise(hugeFileBytes) << username << QString();
    QTest::newRow("ten megabytes, the entry last")
        << Shape::Content
        << QByteArray("[Padding]\n") + QByteArray(hugeFileBytes, 'x') + "=1\n" + entry << u"ann"_s
        << QString();
    QTest::newRow("ten megabytes on one line")
        << Shape::Content << QByteArray(hugeFileBytes, '[') << username << QString();
    QTest::newRow("unreadable") << Shape::Unreadable << entry << username << u"Permission denied"_s;
    QTest::newRow("a folder") << Shape::Folder << QByteArray() << username << u"directory"_s;
    QTest::newRow("a dangling link")
        << Shape::DanglingLink << QByteArray() << username << QString();
    QTest::newRow("a link loop") << Shape::LinkLoop << QByteArray() << username
                                 << u"symbolic links"_s;
    QTest::newRow("a FIFO") << Shape::Fifo << QByteArray() << username << u"regular file"_s;
    QTest::newRow("a link to a device")
        << Shape::LinkToDevice << QByteArray() << username << u"regular file"_s;
}

void TestQSettingsStore::fileNotWrittenHereIsReadAndLeftAlone()
{
    QFETCH(Shape, shape);
    QFETCH(QByteArray, content);
    QFETCH(QString, shown);
    QFETCH(QString, refusal);

    QVERIFY(QDir().mkpath(folder_));
    const QByteArray fileName = QFile::encodeName(file_);
    const QString linkTarget = folder_ + u"/elsewhere/Corvane.conf"_s;
    switch (shape) {
    case Shape::Content:
        QVERIFY(writeAll(file_, content));
        break;
    case Shape::Unreadable:
        QVERIFY(writeAll(file_, content));
        QVERIFY(QFile::setPermissions(file_, {}));
        break;
    case Shape::Folder:
        QVERIFY(QDir().mkpath(file_));
        break;
    case Shape::DanglingLink:
        QVERIFY(QDir().mkpath(QFileInfo(linkTarget).path()));
        QCOMPARE(::symlink("elsewhere/Corvane.conf", fileName.constData()), 0);
        break;
    case Shape::LinkLoop:
        QCOMPARE(::symlink("Corvane.conf", fileName.constData()), 0);
        break;
    case Shape::Fifo:
        QCOMPARE(::mkfifo(fileName.constData(), 0600), 0);
        break;
    case Shape::LinkToDevice:
        QCOMPARE(::symlink("/dev/zero", fileName.constData()), 0);
        break;
    }
    const FileModesApply modesApply;
    const QStringList before = snapshot(folder_);

    QCOMPARE(store_.GetSetting(app, general, lastUser, username), shown);
    QCOMPARE(snapshot(folder_), before);

    const QString newName = u"new name"_s;
    const auto failure = store_.SaveSetting(app, general, lastUser, newName);
    if (!refusal.isEmpty()) {
        QVERIFY(failure.has_value());
        QVERIFY2(failure->what.contains(file_), qPrintable(failure->what));
        QVERIFY2(failure->why.contains(refusal), qPrintable(failure->why));
        QCOMPARE(snapshot(folder_), before);
        return;
    }
    QVERIFY2(!failure, failure ? qPrintable(failure->text()) : "");
    QCOMPARE(store_.GetSetting(app, general, lastUser, username), newName);
    // What Login leaves is a file that reads without fault.
    QSettings fresh(file_, QSettings::IniFormat);
    QCOMPARE(fresh.value(lastUser).toString(), newName);
    QCOMPARE(fresh.status(), QSettings::NoError);
    if (shape == Shape::DanglingLink) {
        // The link stays, and the file it leads to is made, for its owner only.
        QCOMPARE(QFileInfo(file_).symLinkTarget(), linkTarget);
        QCOMPARE(modeOf(linkTarget), mode_t{0600});
    }
}

void TestQSettingsStore::createdFileAndFoldersAreTheOwnersOnly_data()
{
    QTest::addColumn<int>("umask");
    QTest::addColumn<bool>("configHomeExists");
    QTest::addColumn<bool>("folderExists");

    QTest::newRow("no configuration home, umask 022") << 022 << false << false;
    QTest::newRow("no configuration home, umask 0") << 0 << false << false;
    QTest::newRow("no folder, umask 022") << 022 << true << false;
    QTest::newRow("no folder, umask 0") << 0 << true << false;
    QTest::newRow("no folder, umask 077") << 077 << true << false;
    QTest::newRow("no folder, umask 0277") << 0277 << true << false;
    QTest::newRow("a folder without the file, umask 0") << 0 << true << true;
}

void TestQSettingsStore::createdFileAndFoldersAreTheOwnersOnly()
{
    QFETCH(int, umask);
    QFETCH(bool, configHomeExists);
    QFETCH(bool, folderExists);
    if (!configHomeExists) {
        QVERIFY(QDir(configHome_).removeRecursively());
    }
    if (folderExists) {
        QCOMPARE(::mkdir(QFile::encodeName(folder_).constData(), 0751), 0);
        QCOMPARE(::chmod(QFile::encodeName(folder_).constData(), 0751), 0);
    }
    {
        const Umask mask(static_cast<mode_t>(umask));
        QVERIFY_SAVED(store_.SaveSetting(app, general, lastUser, u"ann"_s));
    }
    QCOMPARE(modeOf(file_), mode_t{0600});
    QCOMPARE(modeOf(folder_), mode_t{folderExists ? 0751U : 0700U});
    if (!configHomeExists) {
        QCOMPARE(modeOf(configHome_), mode_t{0700});
    }
    QCOMPARE(QDir(folder_).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"Corvane.conf"_s});
    QCOMPARE(store_.GetSetting(app, general, lastUser, username), u"ann"_s);
}

void TestQSettingsStore::existingModesAreKept_data()
{
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<int>("fileMode");

    QTest::newRow("readable by all") << 0755 << 0644;
    QTest::newRow("readable by the group") << 0750 << 0640;
    QTest::newRow("writable by the group") << 0770 << 0664;
    QTest::newRow("the owner's only") << 0700 << 0600;
}

void TestQSettingsStore::existingModesAreKept()
{
    QFETCH(int, folderMode);
    QFETCH(int, fileMode);
    QVERIFY(QDir().mkpath(folder_));
    QVERIFY(writeAll(file_, "[General]\nLastUser=old\n"));
    QCOMPARE(::chmod(QFile::encodeName(folder_).constData(), static_cast<mode_t>(folderMode)), 0);
    QCOMPARE(::chmod(QFile::encodeName(file_).constData(), static_cast<mode_t>(fileMode)), 0);

    QVERIFY_SAVED(store_.SaveSetting(app, general, lastUser, u"new"_s));
    QCOMPARE(readAll(file_), QByteArray("[General]\nLastUser=new\n"));
    QCOMPARE(modeOf(file_), static_cast<mode_t>(fileMode));
    QCOMPARE(modeOf(folder_), static_cast<mode_t>(folderMode));
}

void TestQSettingsStore::onlyAnAbandonedLockIsCleared_data()
{
    QTest::addColumn<QString>("lock");
    QTest::addColumn<bool>("cleared");

    // What a writer killed between making its lock and filling it in leaves.
    QTest::newRow("empty, held by nobody") << u"empty"_s << true;
    // A writer that has just made its lock holds it before it writes anything into it.
    QTest::newRow("empty, held") << u"empty and held"_s << false;
    QTest::newRow("a live writer's") << u"live"_s << false;
    QTest::newRow("none") << u"none"_s << false;
}

void TestQSettingsStore::onlyAnAbandonedLockIsCleared()
{
    QFETCH(QString, lock);
    QFETCH(bool, cleared);
    QVERIFY(QDir().mkpath(folder_));
    QVERIFY(writeAll(file_, "[General]\nLastUser=old\n"));
    const QString lockFile = file_ + u".lock"_s;
    QLockFile live(lockFile);
    int held = -1;
    if (lock == u"live"_s) {
        QVERIFY(live.tryLock(0));
    } else if (lock != u"none"_s) {
        QVERIFY(writeAll(lockFile, QByteArray()));
        if (lock == u"empty and held"_s) {
            held = ::open(QFile::encodeName(lockFile).constData(), O_RDONLY | O_CLOEXEC);
            QVERIFY(held >= 0);
            QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
        }
    }
    const QStringList before = snapshot(folder_);

    settingsfile::removeAbandonedLock(file_);
    if (held >= 0) {
        ::close(held);
    }
    if (cleared) {
        QVERIFY(!QFileInfo::exists(lockFile));
        QVERIFY_SAVED(store_.SaveSetting(app, general, lastUser, u"new"_s));
        QCOMPARE(snapshot(folder_).size(), 1);
    } else {
        QCOMPARE(snapshot(folder_), before);
    }
}

QTEST_GUILESS_MAIN(TestQSettingsStore)
#include "tst_qsettingsstore.moc"
