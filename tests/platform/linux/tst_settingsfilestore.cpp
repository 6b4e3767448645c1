// SPDX-License-Identifier: MIT
// The settings store against real files: every shape the file may have when the program did not
// write it, links followed as the kernel follows them, the modes of what it creates, and where
// the base-directory rules put the file.
#include "filemodesapply.h"
#include "platform/linux/settingsfilestore.h"

#include <pwd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const std::string app = "Corvane";
const std::string general = "General";
const std::string lastUser = "LastUser";
const std::string username = "Username";
const QByteArray entry = "[General]\nLastUser=ann\n";

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

mode_t modeOf(const QString& path)
{
    struct stat st
    {};
    return ::lstat(native(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

// Names, kinds, modes, sizes, identities and contents of everything below `folder`.
QStringList snapshot(const QString& folder)
{
    QStringList entries;
    QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QFileInfo& info : QDir(folder).entryInfoList(all, QDir::Name)) {
        struct stat st
        {};
        ::lstat(native(info.filePath()).constData(), &st);
        QString line = u"%1 %2 %3 %4"_s.arg(info.fileName())
                           .arg(st.st_mode, 0, 8)
                           .arg(st.st_size)
                           .arg(st.st_ino);
        if (S_ISLNK(st.st_mode)) {
            line += u" -> "_s + info.symLinkTarget();
        } else if (S_ISDIR(st.st_mode)) {
            line += u" {"_s + snapshot(info.filePath()).join(u", "_s) + u'}';
        } else if (S_ISREG(st.st_mode) && (st.st_mode & S_IRUSR)) {
            QFile file(info.filePath());
            line += file.open(QIODevice::ReadOnly) ? u" "_s + QString::number(qHash(file.readAll()))
                                                   : QString();
        }
        entries.append(line);
    }
    return entries;
}

} // namespace

class TestSettingsFileStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void shapesOfTheFile_data();
    void shapesOfTheFile();
    void modesOfWhatIsCreated_data();
    void modesOfWhatIsCreated();
    void baseDirectoryRules_data();
    void baseDirectoryRules();

private:
    std::unique_ptr<QTemporaryDir> root_;
    QString home_;
    QString file_;
};

void TestSettingsFileStore::init()
{
    root_ = std::make_unique<QTemporaryDir>();
    home_ = root_->filePath(u"config"_s);
    file_ = home_ + u"/Corvane/Corvane.conf"_s;
    qputenv("XDG_CONFIG_HOME", native(home_));
    QVERIFY(QDir().mkpath(home_ + u"/Corvane"_s));
}

void TestSettingsFileStore::shapesOfTheFile_data()
{
    QTest::addColumn<QString>("shape");
    QTest::addColumn<QString>("shown");
    // Empty when Login writes, else the reason it gives for leaving everything as it is.
    QTest::addColumn<QString>("refusal");
    // Where Login's file ends up, under the configuration home.
    QTest::addColumn<QString>("written");

    const auto row = [](const char* shape, const char* shown, const char* refusal,
                        const char* written = "Corvane/Corvane.conf") {
        QTest::newRow(shape) << QString::fromUtf8(shape) << QString::fromUtf8(shown)
                             << QString::fromUtf8(refusal) << QString::fromUtf8(written);
    };
    row("no file", "Username", "");
    row("an entry", "ann", "");
    row("garbage around the entry", "ann", "");
    row("binary", "Username", "");
    row("ten megabytes, the entry last", "ann", "");
    row("unreadable", "Username", "Permission denied");
    row("a folder", "Username", "Is a directory");
    row("a dangling link", "Username", "", "Corvane/elsewhere/Corvane.conf");
    row("a link loop", "Username", "Too many levels of symbolic links");
    row("a FIFO", "Username", "it is not a regular file");
    row("a link to a device", "Username", "it is not a regular file");
    // A linked folder and a relative link in it: the target counts from where the folder is.
    row("a relative link in a linked folder", "ann", "", "real/stored.conf");
    row("a chain ending at a FIFO", "Username", "it is not a regular file");
    // The store takes no lock: whatever stands where one would be does not matter.
    row("a folder at the lock's path", "ann", "");
    row("a dangling link at the lock's path", "ann", "");
}

void TestSettingsFileStore::shapesOfTheFile()
{
    QFETCH(QString, shape);
    QFETCH(QString, shown);
    QFETCH(QString, refusal);
    QFETCH(QString, written);
    const QByteArray path = native(file_);
    const QString folder = home_ + u"/Corvane"_s;
    if (shape == u"an entry"_s || shape.contains(u"lock"_s)) {
        QVERIFY(write(file_, entry));
    } else if (shape == u"garbage around the entry"_s) {
        QVERIFY(write(file_, "]]] [[ ==\n;\n\\\n@@@\n=x\n" + entry + "\\\n[[["));
    } else if (shape == u"binary"_s) {
        QByteArray noise(4096, '\0');
        for (qsizetype i = 0; i < noise.size(); ++i) {
            noise[i] = static_cast<char>((i * 7919 + 13) % 251);
        }
        QVERIFY(write(file_, noise));
    } else if (shape.startsWith(u"ten megabytes"_s)) {
        QVERIFY(write(file_, "[Padding]\n" + QByteArray(10 << 20, 'x') + "=1\n" + entry));
    } else if (shape == u"unreadable"_s) {
        QVERIFY(write(file_, entry) && QFile::setPermissions(file_, {}));
    } else if (shape == u"a folder"_s) {
        QVERIFY(QDir().mkpath(file_));
    } else if (shape == u"a dangling link"_s) {
        QVERIFY(QDir().mkpath(folder + u"/elsewhere"_s));
        QCOMPARE(::symlink("elsewhere/Corvane.conf", path), 0);
    } else if (shape == u"a link loop"_s) {
        QCOMPARE(::symlink("Corvane.conf", path), 0);
    } else if (shape == u"a FIFO"_s) {
        QCOMPARE(::mkfifo(path, 0600), 0);
    } else if (shape == u"a link to a device"_s) {
        QCOMPARE(::symlink("/dev/zero", path), 0);
    } else if (shape.startsWith(u"a relative link"_s) || shape.startsWith(u"a chain"_s)) {
        // config/Corvane -> real/linked, and Corvane.conf -> ../stored.conf: real/stored.conf.
        QVERIFY(QDir(folder).removeRecursively() && QDir().mkpath(home_ + u"/real/linked"_s));
        QCOMPARE(::symlink("real/linked", native(folder)), 0);
        QCOMPARE(::symlink("../stored.conf", path), 0);
        if (shape.startsWith(u"a chain"_s)) {
            QCOMPARE(::mkfifo(native(home_ + u"/real/stored.conf"_s), 0600), 0);
        } else {
            QVERIFY(write(home_ + u"/real/stored.conf"_s, entry));
        }
    }
    if (shape == u"a folder at the lock's path"_s) {
        QVERIFY(QDir().mkpath(file_ + u".lock"_s));
    } else if (shape == u"a dangling link at the lock's path"_s) {
        QCOMPARE(::symlink("nowhere", native(file_ + u".lock"_s)), 0);
    }
    const FileModesApply modesApply;
    platform::SettingsFileStore store(app);
    const QStringList before = snapshot(home_);

    QCOMPARE(QString::fromStdString(store.GetSetting(app, general, lastUser, username)), shown);
    QCOMPARE(snapshot(home_), before);

    const auto failure = store.SaveSetting(app, general, lastUser, "new name");
    if (!refusal.isEmpty()) {
        QVERIFY(failure.has_value());
        QCOMPARE(QString::fromStdString(failure->what), u"Could not write "_s + file_);
        QCOMPARE(QString::fromStdString(failure->why), refusal);
        QCOMPARE(snapshot(home_), before);
        return;
    }
    QVERIFY2(!failure, failure ? failure->text().c_str() : "");
    QCOMPARE(store.GetSetting(app, general, lastUser, username), "new name");
    QFile result(home_ + u'/' + written);
    QVERIFY(result.open(QIODevice::ReadOnly));
    QVERIFY(result.readAll().contains("LastUser=new name\n"));
    QVERIFY(!QFileInfo::exists(home_ + u"/stored.conf"_s));
    // Nothing is left beside the file but what was there.
    const QStringList leftovers =
        QDir(QFileInfo(result).path()).entryList({u"*.conf.*"_s}, QDir::AllEntries | QDir::System);
    QCOMPARE(leftovers,
             shape.contains(u"lock"_s) ? QStringList{u"Corvane.conf.lock"_s} : QStringList{});
}

void TestSettingsFileStore::modesOfWhatIsCreated_data()
{
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("existingMode"); // of the file and its folder, 0 when none exist
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<int>("folderMode");

    QTest::newRow("new, umask 022") << 022 << 0 << 0600 << 0700;
    QTest::newRow("new, umask 0") << 0 << 0 << 0600 << 0700;
    QTest::newRow("new, umask 0277") << 0277 << 0 << 0600 << 0700;
    QTest::newRow("readable by all, kept") << 022 << 0644 << 0644 << 0755;
    QTest::newRow("writable by the group, kept") << 0 << 0664 << 0664 << 0775;
}

void TestSettingsFileStore::modesOfWhatIsCreated()
{
    QFETCH(int, umask);
    QFETCH(int, existingMode);
    QFETCH(int, fileMode);
    QFETCH(int, folderMode);
    const QString folder = home_ + u"/Corvane"_s;
    if (existingMode == 0) {
        QVERIFY(QDir(home_).removeRecursively());
    } else {
        QVERIFY(write(file_, entry));
        QCOMPARE(::chmod(native(file_), static_cast<mode_t>(existingMode)), 0);
        QCOMPARE(::chmod(native(folder), static_cast<mode_t>(existingMode | 0111)), 0);
    }
    const mode_t saved = ::umask(static_cast<mode_t>(umask));
    const auto failure = platform::SettingsFileStore(app).SaveSetting(app, general, lastUser, "x");
    ::umask(saved);
    QVERIFY2(!failure, failure ? failure->text().c_str() : "");
    QCOMPARE(modeOf(file_), static_cast<mode_t>(fileMode));
    QCOMPARE(modeOf(folder), static_cast<mode_t>(folderMode));
    if (existingMode == 0) {
        QCOMPARE(modeOf(home_), mode_t{0700});
    }
}

void TestSettingsFileStore::baseDirectoryRules_data()
{
    QTest::addColumn<QByteArray>("configHome"); // XDG_CONFIG_HOME; "unset" for none
    QTest::addColumn<QByteArray>("home");       // HOME; "unset" for none
    QTest::addColumn<QByteArray>("expected");   // the file, "<passwd>" for the database's home

    QTest::newRow("absolute XDG_CONFIG_HOME") << QByteArray("/x/config") << QByteArray("/h")
                                              << QByteArray("/x/config/Corvane/Corvane.conf");
    QTest::newRow("relative XDG_CONFIG_HOME is ignored")
        << QByteArray("config") << QByteArray("/h")
        << QByteArray("/h/.config/Corvane/Corvane.conf");
    QTest::newRow("empty XDG_CONFIG_HOME is ignored")
        << QByteArray("") << QByteArray("/h") << QByteArray("/h/.config/Corvane/Corvane.conf");
    QTest::newRow("HOME unset") << QByteArray("unset") << QByteArray("unset")
                                << QByteArray("<passwd>/.config/Corvane/Corvane.conf");
    QTest::newRow("relative HOME") << QByteArray("unset") << QByteArray("home")
                                   << QByteArray("<passwd>/.config/Corvane/Corvane.conf");
    QTest::newRow("a folder name that is not UTF-8")
        << QByteArray("/x/caf\xe9") << QByteArray("/h")
        << QByteArray("/x/caf\xe9/Corvane/Corvane.conf");
}

void TestSettingsFileStore::baseDirectoryRules()
{
    QFETCH(QByteArray, configHome);
    QFETCH(QByteArray, home);
    QFETCH(QByteArray, expected);
    const QByteArray savedHome = qgetenv("HOME");
    for (const auto& [name, value] : {std::pair{"XDG_CONFIG_HOME", configHome}, {"HOME", home}}) {
        if (value == "unset") {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    }
    const auto file = platform::SettingsFileStore(app).fileName(app);
    qputenv("HOME", savedHome);
    QVERIFY(std::holds_alternative<std::string>(file));
    expected.replace("<passwd>", QByteArray(::getpwuid(::getuid())->pw_dir));
    QCOMPARE(QByteArray::fromStdString(std::get<std::string>(file)), expected);
    if (expected.startsWith("/x/")) {
        // Written where it is named, byte for byte.
        const QByteArray there = native(root_->path()) + expected.mid(2);
        qputenv("XDG_CONFIG_HOME", there.left(there.size() - 21));
        QVERIFY(!platform::SettingsFileStore(app).SaveSetting(app, general, lastUser, "ann"));
        QVERIFY(::access(there.constData(), R_OK) == 0);
    }
}

QTEST_GUILESS_MAIN(TestSettingsFileStore)
#include "tst_settingsfilestore.moc"
