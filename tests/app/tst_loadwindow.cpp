// SPDX-License-Identifier: MIT
// Start-up's load sequence when the dial-up functions cannot be bound: the load stops, nothing is
// shown or read, and the failure reaches the standard start-up report.
#include "../connection/fakerasapi.h"
#include "../ui/doubles.h"
#include "../ui/programartwork.h"
#include "app/failurereport.h"
#include "app/loadwindow.h"
#include "connection/bindingfailure.h"
#include "ui/frmlogin.h"

#include <memory>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <stdexcept>

using namespace mdConnectionTest;

namespace {

enum class Unbound
{
    Nothing,
    Enumeration,
    Status,
};

// The scripted functions, but one of them cannot be bound: its call raises what the platform's
// binder raises, or another exception when `otherError` is set.
class UnboundRasApi final : public RasApi
{
public:
    Unbound unbound = Unbound::Nothing;
    bool otherError = false;
    FakeRasApi scripted;

    std::uint32_t RasEnumConnectionsA(RASCONNA* first, std::uint32_t* byteCount,
                                      std::int32_t* connectionCount) override
    {
        raiseIf(Unbound::Enumeration, "RasEnumConnectionsA");
        return scripted.RasEnumConnectionsA(first, byteCount, connectionCount);
    }

    std::uint32_t RasGetConnectStatusA(HRASCONN connection, RASCONNSTATUSA* status) override
    {
        raiseIf(Unbound::Status, "RasGetConnectStatusA");
        return scripted.RasGetConnectStatusA(connection, status);
    }

    const char* lastFailureReason() const override { return scripted.lastFailureReason(); }

private:
    void raiseIf(Unbound which, const std::string& entry) const
    {
        if (unbound != which) {
            return;
        }
        if (otherError) {
            throw std::runtime_error("not a binding failure");
        }
        throw connectiontest::BindingFailure("Could not find " + entry + " in RasApi32.dll",
                                             "Procedure not found. (error 127)");
    }
};

struct Harness
{
    FakeStore store;
    UnboundRasApi ras;
    FakeLauncher launcher;
    FakeMessages messages;
    std::unique_ptr<FrmLogin> window;

    explicit Harness(const Artwork& artwork)
        : window(std::make_unique<FrmLogin>(artwork, LoginServices{store, ras, launcher, messages}))
    {}
};

} // namespace

class TestLoadWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void anUnboundFunctionStopsTheLoad_data();
    void anUnboundFunctionStopsTheLoad();
    void otherErrorsPassThrough();
    void aBoundLoadRunsToItsEnd();
    void theFailureGetsTheStartupReport();

private:
    Artwork artwork_;
};

void TestLoadWindow::initTestCase()
{
    auto loaded = loadArtwork();
    if (auto* failure = std::get_if<Failure>(&loaded)) {
        QFAIL(qPrintable(failure->text()));
    }
    artwork_ = std::get<Artwork>(std::move(loaded));
}

void TestLoadWindow::anUnboundFunctionStopsTheLoad_data()
{
    QTest::addColumn<Unbound>("unbound");
    QTest::addColumn<QString>("what");
    QTest::newRow("listing") << Unbound::Enumeration
                             << QStringLiteral(
                                    "Could not find RasEnumConnectionsA in RasApi32.dll");
    QTest::newRow("status") << Unbound::Status
                            << QStringLiteral(
                                   "Could not find RasGetConnectStatusA in RasApi32.dll");
}

void TestLoadWindow::anUnboundFunctionStopsTheLoad()
{
    QFETCH(Unbound, unbound);
    QFETCH(QString, what);
    Harness h(artwork_);
    h.ras.unbound = unbound;
    h.ras.scripted.states = {RASCS_Connected};

    const std::optional<Failure> failure = loadWindow(*h.window);

    QVERIFY(failure.has_value());
    QCOMPARE(failure->what, what);
    QCOMPARE(failure->why, QStringLiteral("Procedure not found. (error 127)"));
    // The load stopped at the dial-up test: the title is the one the window was created with, no
    // "ERROR" box was shown and the user name was never read.
    QCOMPARE(h.window->windowTitle(), QStringLiteral("Corvane (Offline)"));
    QVERIFY(h.messages.shown.isEmpty());
    QVERIFY(h.store.reads.isEmpty());
    QVERIFY(h.window->findChild<QLineEdit*>(QStringLiteral("txtUsername"))->text().isEmpty());
    QVERIFY(!h.window->isVisible());
}

void TestLoadWindow::otherErrorsPassThrough()
{
    Harness h(artwork_);
    h.ras.unbound = Unbound::Enumeration;
    h.ras.otherError = true;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, loadWindow(*h.window));
}

void TestLoadWindow::aBoundLoadRunsToItsEnd()
{
    Harness h(artwork_);
    h.ras.scripted.states = {RASCS_Connected};
    h.store.entries.insert(
        {QStringLiteral("Corvane"), QStringLiteral("General"), QStringLiteral("LastUser")},
        QStringLiteral("ann"));

    QVERIFY(!loadWindow(*h.window).has_value());

    QCOMPARE(h.window->windowTitle(), QStringLiteral("Corvane (Online)"));
    QCOMPARE(h.window->findChild<QLineEdit*>(QStringLiteral("txtUsername"))->text(),
             QStringLiteral("ann"));
}

void TestLoadWindow::theFailureGetsTheStartupReport()
{
    Harness h(artwork_);
    h.ras.unbound = Unbound::Enumeration;
    const std::optional<Failure> failure = loadWindow(*h.window);
    QVERIFY(failure.has_value());

    // The report's box is modal: read it and dismiss it once it is up.
    QString text;
    QString details;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            details = box->informativeText();
            box->accept();
        }
    });
    poll.start(10);
    reportStartupFailure(*failure);
    poll.stop();

    QCOMPARE(text, QStringLiteral("Corvane failed to start and will close."));
    QCOMPARE(details, QStringLiteral("Could not find RasEnumConnectionsA in RasApi32.dll: "
                                     "Procedure not found. (error 127)"));
}

QTEST_MAIN(TestLoadWindow)
#include "tst_loadwindow.moc"
