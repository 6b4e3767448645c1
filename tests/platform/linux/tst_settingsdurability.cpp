// SPDX-License-Identifier: MIT
// The settings file when writers die at each step, race each other, or lose power: each
// writer is a process of its own (settingswriter) running the program's store. What a complete
// file holds is what QSettings itself writes for the name, the format's reference.
#include <algorithm>
#include <array>
#include <cstdio>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

// More than enough for a writer under a sanitizer, short enough to end a stuck test.
constexpr int processTimeoutMs = 120'000;

// A name of about `length` characters with something of everything: characters the format
// escapes or treats specially, characters beyond the basic plane, line breaks and blanks.
QString nameOfLength(const QString& tag, qsizetype length)
{
    static const QString pattern = QString::fromUtf8(
        " Zoë=名前;#[x]\\\"q\",\t\r\n\xF0\x9F\x90\xA6 @Variant(1) abcdefghijklmnopqrstuvwxyz");
    return tag + pattern.repeated(std::max<qsizetype>(length - tag.size(), 0) / pattern.size() + 1);
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The bytes of a settings file that holds `name` as its only entry, as QSettings writes it.
QByteArray fileHolding(const QString& name)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("reference.conf"));
    QSettings(path, QSettings::IniFormat).setValue(QStringLiteral("LastUser"), name);
    return contentOf(path);
}

} // namespace

class TestSettingsDurability : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void killedWriterLeavesTheOldOrTheNewName();
    void fileReplacedMeanwhileIsNotReplacedUnseen();
    void racingWritersLeaveOneOfTheirNames();

private:
    // Runs `arguments` (settingswriter, or a tracer running it) and hands it `names` on its
    // input; settingswriter reads all of that before it writes anything, so with `endInput`
    // false it waits until the caller closes its input.
    void start(QProcess& writer, const QStringList& arguments, const QStringList& names = {},
               bool endInput = true) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_CONFIG_HOME"_qs, configHome_->path());
        // In a sanitizer build: LeakSanitizer cannot check a process under ptrace.
        if (arguments.first() == strace()) {
            environment.insert(u"ASAN_OPTIONS"_qs,
                               environment.value(u"ASAN_OPTIONS"_qs) + u":detect_leaks=0"_qs);
        }
        writer.setProcessEnvironment(environment);
        writer.start(arguments.first(), arguments.mid(1));
        writer.write(names.join(QChar(u'\0')).toUtf8());
        while (writer.bytesToWrite() > 0 && writer.waitForBytesWritten(processTimeoutMs)) {
        }
        if (endInput) {
            writer.closeWriteChannel();
        }
    }
    QStringList write() const { return {QStringLiteral(CORVANE_SETTINGS_WRITER), u"write"_qs}; }
    // strace, which stops writers at chosen system calls and shows the order of others.
    static QString strace()
    {
        const QString found = QStandardPaths::findExecutable(u"strace"_qs);
        if (found.isEmpty()) {
            qFatal("strace is not installed (scripts/packages/test-hardening.txt)");
        }
        return found;
    }

    // The steps of a write that strace logged (-y) in `log`, as "flush file, rename, flush folder,
    // ", the new file's flush, its rename over the old one and the folder's flush. Only the
    // settings folder counts, and the new file's own flush: QSettings' is a fdatasync.
    QString flushesAndRenames(const QString& log) const
    {
        const QString folder = QFileInfo(file_).path();
        const QRegularExpression flushed(u"^fsync\\(\\d+<(.*)>\\)\\s+= 0$"_qs);
        const QRegularExpression renamed(
            u"^rename.*\"Corvane\\.conf\"(, RENAME_NOREPLACE)?\\)\\s+= 0$"_qs);
        QString calls;
        for (const QString& line : QString::fromUtf8(contentOf(log)).split(u'\n')) {
            const QString path = flushed.match(line).captured(1);
            calls += path == folder                                   ? u"flush folder, "_qs
                     : path.startsWith(folder + u"/Corvane.conf."_qs) ? u"flush file, "_qs
                     : renamed.match(line).hasMatch()                 ? u"rename, "_qs
                                                                      : QString();
        }
        return calls;
    }

    std::unique_ptr<QTemporaryDir> configHome_;
    QString file_;
};

void TestSettingsDurability::init()
{
    configHome_ = std::make_unique<QTemporaryDir>();
    file_ = configHome_->filePath(QStringLiteral("Corvane/Corvane.conf"));
}

void TestSettingsDurability::killedWriterLeavesTheOldOrTheNewName()
{
    // The writer is killed as it enters each system call by which a file or folder changes or
    // reaches the disk: the first of its kind, the second and so on until a writer is left to
    // finish. Each kill must leave the old file or the new one, whole, never a part or a mixture;
    // the new one only once it is complete. A writer that finishes has flushed the new file before
    // it renamed it over the old one, and the folder after; a new file goes where there is still
    // nothing. strace injects only into the calls it traces.
    const QStringList names{nameOfLength(u"short a"_qs, 20), nameOfLength(u"long b"_qs, 1 << 16)};
    const QList<QByteArray> files{fileHolding(names[0]), fileHolding(names[1])};
    const QStringList steps{u"mkdirat"_qs, u"linkat"_qs,    u"write"_qs,     u"fchmod"_qs,
                            u"fchown"_qs,  u"fsetxattr"_qs, u"fdatasync"_qs, u"fsync"_qs,
                            u"rename"_qs,  u"renameat"_qs,  u"renameat2"_qs, u"unlink"_qs,
                            u"unlinkat"_qs};
    // What the kills left: no file, the old one or the new one.
    std::array<int, 3> left{};
    for (const bool hadFile : {true, false}) {
        for (const QString& step : steps) {
            for (int when = 1;; ++when) {
                QVERIFY(QDir(QFileInfo(file_).path()).removeRecursively());
                if (hadFile) {
                    QVERIFY(QDir().mkpath(QFileInfo(file_).path()));
                    QFile old(file_);
                    QVERIFY(old.open(QIODevice::WriteOnly) &&
                            old.write(files[0]) == files[0].size());
                }
                QProcess writer;
                const QString log = configHome_->filePath(u"trace"_qs);
                start(writer,
                      QStringList{strace(), u"-y"_qs, u"-o"_qs, log, u"-e"_qs,
                                  u"trace=fsync,rename,renameat,renameat2,"_qs + step, u"-e"_qs,
                                  u"inject=%1:signal=KILL:when=%2"_qs.arg(step).arg(when)} +
                          write(),
                      {names[1]});
                QVERIFY(writer.waitForFinished(processTimeoutMs));
                const bool completed =
                    writer.exitStatus() == QProcess::NormalExit && writer.exitCode() == 0;
                const QByteArray content = contentOf(file_);
                const int found = !QFileInfo::exists(file_)        ? 0
                                  : hadFile && content == files[0] ? 1
                                                                   : 2;
                QVERIFY2(found == 2 ? content == files[1] : !completed && (found == 1 || !hadFile),
                         qPrintable(u"killed at %1 number %2"_qs.arg(step).arg(when)));
                if (completed) {
                    QCOMPARE(flushesAndRenames(log), u"flush file, rename, flush folder, "_qs);
                    break;
                }
                ++left.at(static_cast<std::size_t>(found));
            }
        }
    }
    // Kills landed before the new file took the old one's place and after it.
    QVERIFY2(left[0] > 0 && left[1] > 0 && left[2] > 0,
             qPrintable(
                 u"%1 left none, %2 the old file, %3 the new one"_qs.arg(left[0]).arg(left[1]).arg(
                     left[2])));
}

void TestSettingsDurability::fileReplacedMeanwhileIsNotReplacedUnseen()
{
    // The writer stops once its new file is on the disk, and another program puts a file of its
    // own in the old one's place meanwhile: that file is read and edited, not replaced unseen.
    QProcess old;
    start(old, write(), {u"old"_qs});
    QVERIFY(old.waitForFinished(processTimeoutMs) && old.exitCode() == 0);
    QProcess writer;
    start(writer,
          QStringList{strace(), u"-o"_qs, u"/dev/null"_qs, u"-e"_qs,
                      u"inject=fsync:delay_exit=3000000:when=1"_qs} +
              write(),
          {u"new"_qs});
    const QDir folder = QFileInfo(file_).dir();
    QElapsedTimer waited;
    waited.start();
    while (folder.entryList({u"Corvane.conf.*"_qs}, QDir::Dirs).isEmpty() &&
           waited.elapsed() < processTimeoutMs) {
        QThread::msleep(5);
    }
    QFile planted(folder.filePath(u"planted"_qs));
    QVERIFY(planted.open(QIODevice::WriteOnly) && planted.write("[General]\nOther=planted\n") > 0);
    planted.close();
    QVERIFY(std::rename(qPrintable(planted.fileName()), qPrintable(file_)) == 0);
    QVERIFY(writer.waitForFinished(processTimeoutMs) && writer.exitCode() == 0);
    QCOMPARE(contentOf(file_), QByteArray("[General]\nLastUser=new\nOther=planted\n"));
}

void TestSettingsDurability::racingWritersLeaveOneOfTheirNames()
{
    // Eight writers of a hundred names each, some long, all let go at once.
    constexpr int writers = 8;
    std::array<QProcess, writers> running;
    QStringList lastNames;
    for (int w = 0; w < writers; ++w) {
        QStringList names;
        for (int n = 0; n < 100; ++n) {
            names.append(
                nameOfLength(u"writer %1 name %2"_qs.arg(w).arg(n), n % 10 == 0 ? 20'000 : 40));
        }
        lastNames.append(names.last());
        start(running[w], write(), names, false);
    }
    for (QProcess& writer : running) {
        writer.closeWriteChannel();
    }
    // Every writer's first write ("saving 0 T") began before any writer's last one ended.
    qint64 lastStart = 0;
    qint64 firstEnd = std::numeric_limits<qint64>::max();
    for (QProcess& writer : running) {
        QVERIFY2(writer.waitForFinished(processTimeoutMs) && writer.exitCode() == 0,
                 writer.readAllStandardError().constData());
        const QList<QByteArray> lines = writer.readAllStandardOutput().trimmed().split('\n');
        lastStart = std::max(lastStart, lines.first().split(' ').last().toLongLong());
        firstEnd = std::min(firstEnd, lines.last().split(' ').last().toLongLong());
    }
    QVERIFY2(lastStart < firstEnd, "the writers did not overlap");
    // One writer's last name, whole, and nothing left beside it.
    const QByteArray content = contentOf(file_);
    QVERIFY2(std::any_of(lastNames.begin(), lastNames.end(),
                         [&content](const QString& name) { return content == fileHolding(name); }),
             content.left(80).constData());
    QCOMPARE(QFileInfo(file_).dir().entryList({u"Corvane.conf.*"_qs}, QDir::AllEntries),
             QStringList());
}

QTEST_GUILESS_MAIN(TestSettingsDurability)
#include "tst_settingsdurability.moc"
