// SPDX-License-Identifier: MIT
// The launcher against a stand-in xdg-open found on PATH, which records how it was started.
#include "launcher/xdgopenlauncher.h"

#include <cerrno>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/wait.h>

namespace {

const QString url = QStringLiteral("http://www.corvane.example");

// Writes an executable script `xdg-open` into `folder`.
bool writeOpener(const QString& folder, const QByteArray& script)
{
    QFile file(folder + QStringLiteral("/xdg-open"));
    if (!file.open(QIODevice::WriteOnly) || file.write(script) != script.size()) {
        return false;
    }
    return file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QByteArray readAll(const QString& fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestXdgOpenLauncher : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsTheOpenerWithTheUrlAndWithoutFocusTokens();
    void reportsAMissingOpener();
    void reportsAnOpenerThatCannotRun();

private:
    std::unique_ptr<QTemporaryDir> bin_;
    QByteArray savedPath_;
};

void TestXdgOpenLauncher::init()
{
    bin_ = std::make_unique<QTemporaryDir>();
    QVERIFY(bin_->isValid());
    savedPath_ = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin_->path()));
}

void TestXdgOpenLauncher::cleanup()
{
    qputenv("PATH", savedPath_);
    qunsetenv("DESKTOP_STARTUP_ID");
    qunsetenv("XDG_ACTIVATION_TOKEN");
}

void TestXdgOpenLauncher::startsTheOpenerWithTheUrlAndWithoutFocusTokens()
{
    const QString record = bin_->filePath(QStringLiteral("record"));
    // The record is written under another name and renamed, so it is never seen half written.
    QVERIFY(
        writeOpener(bin_->path(),
                    "#!/bin/sh\n"
                    "{ printf 'argc=%s\\n' \"$#\"; for a in \"$@\"; do printf 'arg=%s\\n' \"$a\"; "
                    "done; printf 'ppid=%s\\n' \"$PPID\"; "
                    "printf 'startup=%s\\n' \"${DESKTOP_STARTUP_ID-unset}\"; "
                    "printf 'activation=%s\\n' \"${XDG_ACTIVATION_TOKEN-unset}\"; "
                    "printf 'kept=%s\\n' \"${CORVANE_TEST_KEPT-unset}\"; } > \"$0.tmp\"\n"
                    "/bin/mv \"$0.tmp\" \"" +
                        QFile::encodeName(record) + "\"\n"));
    qputenv("DESKTOP_STARTUP_ID", "token-from-the-launching-desktop");
    qputenv("XDG_ACTIVATION_TOKEN", "another-token");
    qputenv("CORVANE_TEST_KEPT", "yes");

    const auto failure = XdgOpenLauncher().openSite(url);
    QVERIFY2(!failure, failure ? qPrintable(failure->text()) : "");

    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
    const QList<QByteArray> lines = readAll(record).split('\n');
    QVERIFY(lines.contains("argc=1"));
    QVERIFY(lines.contains("arg=" + url.toUtf8()));
    QVERIFY(lines.contains("startup=unset"));
    QVERIFY(lines.contains("activation=unset"));
    QVERIFY(lines.contains("kept=yes"));
    // Started detached: the opener is not our child, so it can never be left as our zombie.
    QVERIFY(!lines.contains("ppid=" + QByteArray::number(QCoreApplication::applicationPid())));
    errno = 0;
    QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
    QCOMPARE(errno, ECHILD);
    qunsetenv("CORVANE_TEST_KEPT");
}

void TestXdgOpenLauncher::reportsAMissingOpener()
{
    const auto failure = XdgOpenLauncher().openSite(url);
    QVERIFY(failure.has_value());
    QVERIFY(failure->what.contains(url));
    QCOMPARE(failure->why, QStringLiteral("xdg-open was not found on PATH"));
}

void TestXdgOpenLauncher::reportsAnOpenerThatCannotRun()
{
    // Found on PATH and executable, but its interpreter does not exist: exec fails.
    QVERIFY(writeOpener(bin_->path(), "#!/nonexistent/interpreter\n"));
    const auto failure = XdgOpenLauncher().openSite(url);
    QVERIFY(failure.has_value());
    QVERIFY(failure->what.contains(url));
    QVERIFY2(!failure->why.isEmpty(), qPrintable(failure->text()));
}

QTEST_GUILESS_MAIN(TestXdgOpenLauncher)
#include "tst_xdgopenlauncher.moc"
