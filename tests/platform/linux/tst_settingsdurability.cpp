// SPDX-License-Identifier: MIT
// The settings file when writers die at random moments, race each other, or lose power: each
// writer is a process of its own (settingswriter) running the program's store. What a complete
// file holds is what QSettings itself writes for the name, the format's reference.
#include <array>
#include <csignal>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

// More than enough for a writer under a sanitizer, short enough to end a stuck test.
constexpr int processTimeoutMs = 120'000;
const QString noEntry = QStringLiteral("<no entry>");

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
    void racingWritersLeaveOneOfTheirNames();
    void writeReachesTheDiskBeforeItCounts();

private:
    // Runs `arguments` (settingswriter, or a tracer running it) and hands it `names` on its
    // input; settingswriter reads all of that before it writes anything, so with `endInput`
    // false it waits until the caller closes its input.
    void start(QProcess& writer, const QStringList& arguments, const QStringList& names = {},
               bool endInput = true) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_CONFIG_HOME"_qs, configHome_->path());
        // The private copies QSettings works on, which a killed writer leaves behind.
        environment.insert(u"TMPDIR"_qs, configHome_->path());
        // In a sanitizer build: LeakSanitizer cannot check a process under ptrace.
        environment.insert(u"ASAN_OPTIONS"_qs,
                           environment.value(u"ASAN_OPTIONS"_qs) + u":detect_leaks=0"_qs);
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

    // What a fresh process, as the next start of the program would, reads from the file.
    QString readBack() const
    {
        QProcess reader;
        start(reader, {QStringLiteral(CORVANE_SETTINGS_WRITER), u"read"_qs, noEntry});
        reader.waitForFinished(processTimeoutMs);
        return QString::fromUtf8(reader.readAllStandardOutput());
    }

    // What is beside the file: a temporary file left by a writer killed before its rename.
    QStringList leftovers() const
    {
        return QFileInfo(file_).dir().entryList({u"Corvane.conf.*"_qs}, QDir::AllEntries);
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
    // A short name is written in a moment; a megabyte keeps the writer busy for a while, so
    // that kills land in every step of a write.
    const QStringList names{nameOfLength(u"short a"_qs, 20), nameOfLength(u"long b"_qs, 1 << 20)};
    const QList<QByteArray> files{fileHolding(names[0]), fileHolding(names[1])};
    // How long a write of the long name takes, from its start ("saving 0") to the writer's exit.
    QProcess timing;
    start(timing, write(), {names[1]});
    QVERIFY(timing.waitForReadyRead(processTimeoutMs));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(timing.waitForFinished(processTimeoutMs));
    const qint64 spanUs = clock.nsecsElapsed() / 1000 * 5 / 4 + 1;

    constexpr int trials = 60;
    int killed = 0;
    int keptOld = 0;
    for (int trial = 0; trial < trials; ++trial) {
        // Every other trial starts with no file at all: the write then creates it.
        const bool hadFile = trial % 2 == 0;
        QVERIFY(QDir(QFileInfo(file_).path()).removeRecursively());
        if (hadFile) {
            QProcess old;
            start(old, write(), {names[0]});
            QVERIFY(old.waitForFinished(processTimeoutMs) && old.exitCode() == 0);
        }
        QProcess writer;
        start(writer, write(), {names[1]});
        QVERIFY(writer.waitForReadyRead(processTimeoutMs));
        QThread::usleep(static_cast<unsigned long>(QRandomGenerator::global()->bounded(spanUs)));
        ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished(processTimeoutMs));
        const bool completed = writer.exitStatus() == QProcess::NormalExit;
        killed += completed ? 0 : 1;

        // No file (none was there, and the writer died), the old one (the writer died) or the new
        // one, whole.
        const QByteArray content = contentOf(file_);
        const int found = !QFileInfo::exists(file_) ? -1 : hadFile && content == files[0] ? 0 : 1;
        QVERIFY2(found == 1 ? content == files[1] : !completed && (found == 0 || !hadFile),
                 qPrintable(u"trial %1 found %2"_qs.arg(trial).arg(found)));
        QCOMPARE(readBack(), found < 0 ? noEntry : names[found]);
        keptOld += found == 0 ? 1 : 0;
        // Only a writer killed before its rename leaves its temporary file.
        QVERIFY(leftovers().isEmpty() || !completed);
    }
    // The kills must have hit writes in progress, or the trials proved nothing.
    QVERIFY2(killed >= trials / 4 && keptOld > 0,
             qPrintable(u"%1 killed, the old name kept %2 times"_qs.arg(killed).arg(keptOld)));
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
    const QString shown = readBack();
    QVERIFY2(lastNames.contains(shown), qPrintable(shown.left(80)));
    QCOMPARE(contentOf(file_), fileHolding(shown));
    QCOMPARE(leftovers(), QStringList());
}

void TestSettingsDurability::writeReachesTheDiskBeforeItCounts()
{
    const QString strace = QStandardPaths::findExecutable(u"strace"_qs);
    QVERIFY2(!strace.isEmpty(), "strace is not installed (scripts/packages/test-hardening.txt)");
    const QString log = configHome_->filePath(u"trace"_qs);
    QProcess traced;
    start(traced,
          QStringList{strace, u"-y"_qs, u"-e"_qs, u"trace=fsync,rename,renameat,renameat2"_qs,
                      u"-o"_qs, log} +
              write(),
          {u"ann"_qs});
    QVERIFY(traced.waitForFinished(processTimeoutMs) && traced.exitCode() == 0);

    // The new file is flushed before it is renamed over the old one, and the folder after. Only
    // the settings folder counts: QSettings saves its private copy elsewhere in steps of its own.
    // strace -y shows each descriptor's path.
    const QString folder = QFileInfo(file_).path();
    const QRegularExpression flushed(u"^fsync\\(\\d+<(.*)>\\)\\s+= 0$"_qs);
    const QRegularExpression renamed(u"^rename.*\"Corvane\\.conf\"\\)\\s+= 0$"_qs);
    QString calls;
    for (const QString& line : QString::fromUtf8(contentOf(log)).split(u'\n')) {
        const QString path = flushed.match(line).captured(1);
        calls += path == folder                                   ? u"flush folder, "_qs
                 : path.startsWith(folder + u"/Corvane.conf."_qs) ? u"flush file, "_qs
                 : renamed.match(line).hasMatch()                 ? u"rename, "_qs
                                                                  : QString();
    }
    QCOMPARE(calls, u"flush file, rename, flush folder, "_qs);
}

QTEST_GUILESS_MAIN(TestSettingsDurability)
#include "tst_settingsdurability.moc"
