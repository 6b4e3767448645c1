// SPDX-License-Identifier: MIT
// The settings file when writers die at random moments, race each other, or lose power: each
// writer is a process of its own (settingswriter) running the program's store. What a complete
// file holds is what QSettings itself writes for the name, the format's reference.
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
    QString name = tag;
    while (name.size() < length) {
        name += pattern;
    }
    return name;
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
    // Starts settingswriter (under `tracer`, when given) with `arguments` and hands it `names`
    // on its input; it reads all of that before it writes anything, so with `endInput` false it
    // waits until the caller closes its input.
    void start(QProcess& writer, const QStringList& arguments, const QStringList& names = {},
               bool endInput = true) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome_->path());
        // The private copies QSettings works on, which a killed writer leaves behind.
        environment.insert(QStringLiteral("TMPDIR"), configHome_->path());
        // In a sanitizer build: LeakSanitizer cannot check a process under ptrace.
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           environment.value(QStringLiteral("ASAN_OPTIONS")) +
                               QStringLiteral(":detect_leaks=0"));
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
        QStringList names = QFileInfo(file_).dir().entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QStringLiteral("Corvane.conf"));
        return names;
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

        const QByteArray content = contentOf(file_);
        const QByteArray context = "trial " + QByteArray::number(trial);
        if (!QFileInfo::exists(file_)) {
            QVERIFY2(!hadFile && !completed, context + ": no file");
            QCOMPARE(readBack(), noEntry);
        } else if (hadFile && content == files[0]) {
            QVERIFY2(!completed, context + ": the old name stayed");
            QCOMPARE(readBack(), names[0]);
            ++keptOld;
        } else {
            QVERIFY2(content == files[1], context + ": " + QByteArray::number(content.size()));
            QCOMPARE(readBack(), names[1]);
        }
        // Only a writer killed before its rename leaves its temporary file.
        QVERIFY(leftovers().isEmpty() || !completed);
    }
    qInfo("%d of %d writers killed while writing; the old name stayed %d times", killed, trials,
          keptOld);
    // The kills must have hit writes in progress, or the trials proved nothing.
    QVERIFY2(killed >= trials / 4 && keptOld > 0, "too few kills landed during a write");
}

void TestSettingsDurability::racingWritersLeaveOneOfTheirNames()
{
    // Eight writers of a hundred names each, some long, all let go at once.
    constexpr int writers = 8;
    std::vector<std::unique_ptr<QProcess>> running;
    QStringList lastNames;
    for (int w = 0; w < writers; ++w) {
        QStringList names;
        for (int n = 0; n < 100; ++n) {
            names.append(
                nameOfLength(u"writer %1 name %2"_qs.arg(w).arg(n), n % 10 == 0 ? 20'000 : 40));
        }
        lastNames.append(names.last());
        running.push_back(std::make_unique<QProcess>());
        start(*running.back(), write(), names, false);
    }
    for (const auto& writer : running) {
        writer->closeWriteChannel();
    }
    // Every writer's first write ("saving 0 T") began before any writer's last one ended.
    qint64 lastStart = 0;
    qint64 firstEnd = std::numeric_limits<qint64>::max();
    for (const auto& writer : running) {
        QVERIFY2(writer->waitForFinished(processTimeoutMs) && writer->exitCode() == 0,
                 writer->readAllStandardError().constData());
        const QList<QByteArray> lines = writer->readAllStandardOutput().trimmed().split('\n');
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
          QStringList{strace, u"-e"_qs, u"trace=openat,fsync,rename,renameat,renameat2"_qs,
                      u"-o"_qs, log} +
              write(),
          {u"ann"_qs});
    QVERIFY(traced.waitForFinished(processTimeoutMs) && traced.exitCode() == 0);

    // The new file is flushed before it is renamed over the old one, and the folder after. Only
    // the settings folder counts: QSettings saves its private copy elsewhere in steps of its own.
    const QRegularExpression opened(u"^openat\\(.*\"(.*)\", (.*)\\)\\s+= (\\d+)$"_qs);
    const QRegularExpression flushed(u"^fsync\\((\\d+)\\)\\s+= 0$"_qs);
    const QRegularExpression renamed(u"^rename\\w*\\(.*\"(.*)\"(, \\w+)?\\)\\s+= 0$"_qs);
    const QString folder = QFileInfo(file_).path();
    // What each descriptor was last opened on: the new file, the settings folder or another.
    QHash<QString, QString> opens;
    QString calls;
    for (const QString& line : QString::fromUtf8(contentOf(log)).split(u'\n')) {
        if (const auto open = opened.match(line); open.hasMatch()) {
            opens[open.captured(3)] = open.captured(1).startsWith(u"Corvane.conf."_qs) ? u"file"_qs
                                      : open.captured(1) == folder ? u"folder"_qs
                                                                   : QString();
        } else if (const auto flush = flushed.match(line);
                   flush.hasMatch() && !opens.value(flush.captured(1)).isEmpty()) {
            calls += u"flush %1, "_qs.arg(opens.value(flush.captured(1)));
        } else if (const auto rename = renamed.match(line);
                   rename.hasMatch() && rename.captured(1).endsWith(u"Corvane.conf"_qs)) {
            calls += u"rename, "_qs;
        }
    }
    QCOMPARE(calls, u"flush file, rename, flush folder, "_qs);
}

QTEST_GUILESS_MAIN(TestSettingsDurability)
#include "tst_settingsdurability.moc"
