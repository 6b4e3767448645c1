// SPDX-License-Identifier: MIT
// The settings file when writers die at random moments or race each other. Each writer is a
// process of its own (settingswriter) running the program's store, as the program would.
#include <csignal>
#include <limits>
#include <memory>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <sys/stat.h>
#include <vector>

namespace {

// The helper that stores names through the program's store; its path comes from the build.
const QString writerProgram = QStringLiteral(CORVANE_SETTINGS_WRITER);
// At least 200 writers are killed; each name size gets as many trials as the others.
constexpr int killTrials = 240;
constexpr int racingWriters = 8;
constexpr int namesPerWriter = 100;
// Long enough for a writer under a sanitizer or valgrind, short enough to end a stuck test.
constexpr int processTimeoutMs = 120'000;
// The default the reader is given, which no stored name equals.
const QString noEntry = QStringLiteral("<no entry>");

const QString lastUser = QStringLiteral("LastUser");

// A name of about `length` characters that has something of everything: characters the INI
// format escapes or treats specially, characters beyond the basic plane, line breaks and blanks.
// Its UTF-8 stays within one and a half bytes per UTF-16 unit, which QSettings reserves: beyond
// that it grows its buffer one character at a time, which glibc's realloc makes cheap but
// AddressSanitizer's makes quadratic.
QString nameOfLength(const QString& tag, qsizetype length)
{
    static const QString pattern = QString::fromUtf8(
        " Zoë=名前;#[x]\\\"q\",\t\r\n\xF0\x9F\x90\xA6\xF0\xA0\x80\x80 @Variant(1) ");
    QString name = tag;
    while (name.size() < length) {
        name += pattern;
    }
    return name;
}

// The bytes of a settings file that holds `name` as its only entry, as QSettings writes it.
QByteArray fileHolding(const QString& name)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("probe.conf"));
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue(lastUser, name);
        settings.sync();
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Everything in `folder` but the settings file itself.
// The monotonic time of the writer's step, from its line "what index time".
qint64 timeOf(const QByteArray& output, const QByteArray& what, int index)
{
    const QByteArray prefix = what + ' ' + QByteArray::number(index) + ' ';
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith(prefix)) {
            return line.mid(prefix.size()).toLongLong();
        }
    }
    return -1;
}

QStringList leftoversIn(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                               QDir::NoDotAndDotDot);
    names.removeAll(QStringLiteral("Corvane.conf"));
    return names;
}

} // namespace

class TestSettingsDurability : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void killedWriterLeavesTheOldOrTheNewName();
    void racingWritersLeaveOneOfTheirNames_data();
    void racingWritersLeaveOneOfTheirNames();

private:
    void startWriter(QProcess& writer, const QList<QString>& names, bool endInput = true) const;
    QString readBack() const;
    void writeOldName(const QString& name) const;

    QTemporaryDir configHome_;
    QString folder_;
    QString file_;
};

void TestSettingsDurability::initTestCase()
{
    QVERIFY(configHome_.isValid());
    QVERIFY2(QFileInfo(writerProgram).isExecutable(), qPrintable(writerProgram));
    folder_ = configHome_.filePath(QStringLiteral("Corvane"));
    file_ = folder_ + QStringLiteral("/Corvane.conf");
}

void TestSettingsDurability::init()
{
    QVERIFY(QDir(folder_).removeRecursively());
}

// Starts a writer and hands it `names`. It reads all its input before it writes anything: with
// `endInput` false it waits until the caller closes its input.
void TestSettingsDurability::startWriter(QProcess& writer, const QList<QString>& names,
                                         bool endInput) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome_.path());
    writer.setProcessEnvironment(environment);
    writer.setProgram(writerProgram);
    writer.setArguments({QStringLiteral("write")});
    writer.start();
    QByteArray input;
    for (const QString& name : names) {
        if (!input.isEmpty()) {
            input += '\0';
        }
        input += name.toUtf8();
    }
    writer.write(input);
    while (writer.bytesToWrite() > 0 && writer.waitForBytesWritten(processTimeoutMs)) {
    }
    if (endInput) {
        writer.closeWriteChannel();
    }
}

// What a fresh process, as the next start of the program would, reads from the file.
QString TestSettingsDurability::readBack() const
{
    QProcess reader;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome_.path());
    reader.setProcessEnvironment(environment);
    reader.start(writerProgram, {QStringLiteral("read"), noEntry});
    if (!reader.waitForFinished(processTimeoutMs) || reader.exitCode() != 0) {
        return QStringLiteral("<the reader failed: %1>")
            .arg(QString::fromLocal8Bit(reader.readAllStandardError()));
    }
    return QString::fromUtf8(reader.readAllStandardOutput());
}

// Stores `name` with a writer that is left to finish.
void TestSettingsDurability::writeOldName(const QString& name) const
{
    QProcess writer;
    startWriter(writer, {name});
    QVERIFY(writer.waitForFinished(processTimeoutMs));
    QCOMPARE(writer.exitStatus(), QProcess::NormalExit);
    QVERIFY2(writer.exitCode() == 0, writer.readAllStandardError().constData());
}

void TestSettingsDurability::killedWriterLeavesTheOldOrTheNewName()
{
    // Small names are written in a moment; the long ones keep the writer busy for a while, so
    // that kills land in every step of a write.
    const QList<QString> names{nameOfLength(QStringLiteral("short a"), 20),
                               nameOfLength(QStringLiteral("short b"), 20),
                               nameOfLength(QStringLiteral("long c"), 256 * 1024),
                               nameOfLength(QStringLiteral("long d"), 1024 * 1024)};
    QList<QByteArray> files;
    for (const QString& name : names) {
        files.append(fileHolding(name));
    }

    // How long the writer takes from the start of its write until it has exited, for each name:
    // the kills are spread over that span and a little beyond it.
    QList<qint64> spansUs;
    for (const QString& name : names) {
        qint64 longest = 0;
        for (int run = 0; run < 3; ++run) {
            QProcess writer;
            startWriter(writer, {name});
            QVERIFY(writer.waitForReadyRead(processTimeoutMs));
            QElapsedTimer clock;
            clock.start();
            QVERIFY(writer.waitForFinished(processTimeoutMs));
            QCOMPARE(writer.exitCode(), 0);
            longest = std::max(longest, clock.nsecsElapsed() / 1000);
        }
        spansUs.append(longest + longest / 4);
    }

    int killedWhileWriting = 0;
    int keptOld = 0;
    int tookNew = 0;
    int stayedAbsent = 0;
    int leftTemporaryFiles = 0;
    int leftLockFiles = 0;
    for (int trial = 0; trial < killTrials; ++trial) {
        const qsizetype newIndex = trial % names.size();
        const qsizetype oldIndex = (trial + 1) % names.size();
        // Every other trial starts with no file at all: the write then creates it.
        const bool hadFile = (trial / names.size()) % 2 == 0;
        if (hadFile) {
            // Written over whatever the previous kill left in the folder.
            writeOldName(names[oldIndex]);
            if (QTest::currentTestFailed()) {
                return;
            }
            for (const QString& leftover : leftoversIn(folder_)) {
                QVERIFY(QFile::remove(folder_ + QLatin1Char('/') + leftover));
            }
        } else {
            QVERIFY(QDir(folder_).removeRecursively());
        }

        QProcess writer;
        startWriter(writer, {names[newIndex]});
        QVERIFY(writer.waitForReadyRead(processTimeoutMs));
        QThread::usleep(
            static_cast<unsigned long>(QRandomGenerator::global()->bounded(spansUs[newIndex])));
        if (writer.state() == QProcess::Running) {
            ::kill(static_cast<pid_t>(writer.processId()), SIGKILL);
        }
        QVERIFY(writer.waitForFinished(processTimeoutMs));
        const bool completed = writer.exitStatus() == QProcess::NormalExit;
        if (completed) {
            QCOMPARE(writer.exitCode(), 0);
        } else {
            ++killedWhileWriting;
        }

        const QString context =
            QStringLiteral("trial %1, %2 file, %3")
                .arg(trial)
                .arg(hadFile ? QStringLiteral("an existing") : QStringLiteral("no"))
                .arg(completed ? QStringLiteral("writer finished")
                               : QStringLiteral("writer killed"));
        const QString shown = readBack();
        if (!QFileInfo::exists(file_)) {
            QVERIFY2(!hadFile && !completed, qPrintable(context + QStringLiteral(": no file")));
            QCOMPARE(shown, noEntry);
            ++stayedAbsent;
        } else {
            const QByteArray content = contentOf(file_);
            if (hadFile && content == files[oldIndex]) {
                QVERIFY2(!completed, qPrintable(context + QStringLiteral(": old name kept")));
                QCOMPARE(shown, names[oldIndex]);
                ++keptOld;
            } else {
                QVERIFY2(content == files[newIndex],
                         qPrintable(context + QStringLiteral(": a file of %1 bytes that holds "
                                                             "neither name")
                                                  .arg(content.size())));
                QCOMPARE(shown, names[newIndex]);
                ++tookNew;
            }
        }
        for (const QString& leftover : leftoversIn(folder_)) {
            if (leftover.endsWith(QStringLiteral(".lock"))) {
                ++leftLockFiles;
            } else {
                ++leftTemporaryFiles;
            }
        }
    }
    qInfo("%d trials: %d writers killed while writing; the file then held the old name %d "
          "times, the new one %d times, and was still absent %d times; %d temporary and %d lock "
          "files were left behind by killed writers",
          killTrials, killedWhileWriting, keptOld, tookNew, stayedAbsent, leftTemporaryFiles,
          leftLockFiles);
    // The kills must have hit writes in progress, or the trials proved nothing.
    QVERIFY2(killedWhileWriting >= killTrials / 4, "too few kills landed during a write");
    QVERIFY(keptOld > 0);
    QVERIFY(stayedAbsent > 0);
}

void TestSettingsDurability::racingWritersLeaveOneOfTheirNames_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::newRow("all creating the file") << false;
    QTest::newRow("all replacing a file") << true;
}

void TestSettingsDurability::racingWritersLeaveOneOfTheirNames()
{
    QFETCH(bool, fileExists);
    if (fileExists) {
        writeOldName(QStringLiteral("before the race"));
    }

    QList<QList<QString>> namesOf(racingWriters);
    QSet<QString> lastNames;
    for (int w = 0; w < racingWriters; ++w) {
        for (int n = 0; n < namesPerWriter; ++n) {
            // Some longer names make writes of different lengths overlap.
            const qsizetype length = n % 10 == 0 ? 20'000 : 40;
            namesOf[w].append(
                nameOfLength(QStringLiteral("writer %1 name %2").arg(w).arg(n), length));
        }
        lastNames.insert(namesOf[w].last());
    }

    // Each writer holds all its names before any begins; then all are let go at once.
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int w = 0; w < racingWriters; ++w) {
        writers.push_back(std::make_unique<QProcess>());
        startWriter(*writers.back(), namesOf[w], false);
    }
    for (const auto& writer : writers) {
        writer->closeWriteChannel();
    }
    qint64 lastFirstWrite = 0;
    qint64 firstLastWrite = std::numeric_limits<qint64>::max();
    for (const auto& writer : writers) {
        QVERIFY(writer->waitForFinished(processTimeoutMs));
        QCOMPARE(writer->exitStatus(), QProcess::NormalExit);
        QVERIFY2(writer->exitCode() == 0, writer->readAllStandardError().constData());
        const QByteArray output = writer->readAllStandardOutput();
        const qint64 start = timeOf(output, "saving", 0);
        const qint64 end = timeOf(output, "saved", namesPerWriter - 1);
        QVERIFY2(start >= 0 && end >= start, output.right(200).constData());
        lastFirstWrite = std::max(lastFirstWrite, start);
        firstLastWrite = std::min(firstLastWrite, end);
    }
    // Every writer began before any had finished: all eight wrote at the same time.
    QVERIFY2(lastFirstWrite < firstLastWrite, "the writers did not overlap");

    // The last write of all is the last one of its writer.
    const QString shown = readBack();
    QVERIFY2(lastNames.contains(shown), qPrintable(shown.left(80)));
    QCOMPARE(contentOf(file_), fileHolding(shown));
    QCOMPARE(leftoversIn(folder_), QStringList());
    if (!fileExists) {
        QCOMPARE(QFileInfo(file_).permissions(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ReadUser |
                                                     QFileDevice::WriteUser);
    }
    qInfo("%d writers stored %d names each at once; the file holds %s", racingWriters,
          namesPerWriter, qPrintable(shown.left(16)));
}

QTEST_GUILESS_MAIN(TestSettingsDurability)
#include "tst_settingsdurability.moc"
