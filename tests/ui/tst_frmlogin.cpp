// SPDX-License-Identifier: MIT
// The login window with its services replaced: its layout, load sequence and commands.
#include "../connection/fakerasapi.h"
#include "doubles.h"
#include "programartwork.h"
#include "ui/frmlogin.h"

#include <memory>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace mdConnectionTest;

namespace {

const SettingAddress lastUser{QStringLiteral("Corvane"), QStringLiteral("General"),
                              QStringLiteral("LastUser")};

// One window with its stand-ins, built as the program builds it.
struct Harness
{
    FakeStore store;
    FakeRasApi ras;
    FakeLauncher launcher;
    FakeMessages messages;
    std::unique_ptr<FrmLogin> window;

    explicit Harness(const Artwork& artwork)
        : window(std::make_unique<FrmLogin>(artwork, LoginServices{store, ras, launcher, messages}))
    {}

    template <typename T> T* child(const char* name) const
    {
        auto* found = window->findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr) {
            qFatal("no child %s", name);
        }
        return found;
    }

    // Loads and shows the window, and waits until it can take keys.
    void start()
    {
        window->Form_Load();
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get())) {
            qFatal("the window did not become active");
        }
    }
};

// Clicks whatever lies on top at `point` of the window, as the mouse would.
void clickAt(QWidget* window, QPoint point)
{
    QWidget* target = window->childAt(point);
    if (target == nullptr) {
        target = window;
    }
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(window, point));
}

} // namespace

class TestFrmLogin : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    // First: the threads it looks for would outlive an earlier test's painting.
    void paintingStartsNoThreads();
    void layoutMatchesTheDesign();
    void keyboardFocusStartsOnLoginAndTabs();
    void titleTellsTheDialUpState_data();
    void titleTellsTheDialUpState();
    void userNameComesFromTheStoreUnchanged();
    void passwordIsMaskedWithStars();
    void loginStoresTheUserNameEachTime_data();
    void loginStoresTheUserNameEachTime();
    void loginReportsARefusedWriteAndKeepsTheWindow();
    void keysInTheTextBoxesPressNothing();
    void bannerOpensTheSiteAndTheBackgroundDoesNot();
    void bannerReportsALauncherFailure();
    void exitClosesWithoutWriting();

private:
    Artwork artwork_;
};

void TestFrmLogin::initTestCase()
{
    auto loaded = loadArtwork();
    if (auto* failure = std::get_if<Failure>(&loaded)) {
        QFAIL(qPrintable(failure->text()));
    }
    artwork_ = std::get<Artwork>(std::move(loaded));
}

void TestFrmLogin::layoutMatchesTheDesign()
{
    Harness h(artwork_);
    FrmLogin& w = *h.window;

    QCOMPARE(w.objectName(), QStringLiteral("FrmLogin"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Corvane (Offline)"));
    QCOMPARE(w.minimumSize(), QSize(460, 292));
    QCOMPARE(w.maximumSize(), QSize(460, 292));
    QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(w.windowFlags() & Qt::WindowSystemMenuHint);
    QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!w.windowIcon().isNull());

    struct Expected
    {
        const char* name;
        const char* className;
        QRect geometry;
    };
    // Back to front, as they are stacked.
    const Expected controls[] = {
        {"Image1", "PictureBox", {0, 0, 460, 309}},
        {"Image2", "PictureBox", {0, 0, 456, 135}},
        {"cmdLogin", "QPushButton", {8, 216, 449, 33}},
        {"CmdExit", "QPushButton", {8, 256, 449, 33}},
        {"txtUsername", "QLineEdit", {240, 136, 217, 25}},
        {"txtPassword", "QLineEdit", {240, 176, 217, 25}},
    };
    QList<QWidget*> stacked;
    for (QObject* object : w.children()) {
        if (auto* widget = qobject_cast<QWidget*>(object)) {
            stacked.append(widget);
        }
    }
    QCOMPARE(stacked.size(), std::size(controls));
    for (qsizetype i = 0; i < stacked.size(); ++i) {
        QCOMPARE(stacked[i]->objectName(), QString::fromLatin1(controls[i].name));
        QCOMPARE(stacked[i]->metaObject()->className(), controls[i].className);
        QCOMPARE(stacked[i]->geometry(), controls[i].geometry);
    }

    QCOMPARE(h.child<QPushButton>("cmdLogin")->text(), QStringLiteral("Login"));
    QCOMPARE(h.child<QPushButton>("CmdExit")->text(), QStringLiteral("Exit"));
    QVERIFY(!h.child<QPushButton>("cmdLogin")->isDefault());
    QVERIFY(!h.child<QPushButton>("CmdExit")->isDefault());
    QCOMPARE(h.child<QWidget>("Image1")->focusPolicy(), Qt::NoFocus);
    QCOMPARE(h.child<QWidget>("Image2")->focusPolicy(), Qt::NoFocus);
    QCOMPARE(h.child<QWidget>("Image1")->cursor().shape(), Qt::ArrowCursor);
    const QCursor hand = h.child<QWidget>("Image2")->cursor();
    QCOMPARE(hand.shape(), Qt::BitmapCursor);
    QCOMPARE(hand.hotSpot(), QPoint(12, 1));
    QCOMPARE(h.child<QWidget>("Image2")->accessibleName(), QStringLiteral("Corvane web site"));

    for (const char* name : {"txtUsername", "txtPassword"}) {
        auto* box = h.child<QLineEdit>(name);
        QCOMPARE(box->font().pointSize(), 12);
        QCOMPARE(box->font().weight(), QFont::Normal);
        QVERIFY(!box->font().italic() && !box->font().underline() && !box->font().strikeOut());
        QVERIFY(box->text().isEmpty());
    }
    QCOMPARE(h.child<QLineEdit>("txtUsername")->accessibleName(), QStringLiteral("Username"));
    QCOMPARE(h.child<QLineEdit>("txtPassword")->accessibleName(), QStringLiteral("Password"));
}

void TestFrmLogin::keyboardFocusStartsOnLoginAndTabs()
{
    Harness h(artwork_);
    h.start();
    const char* order[] = {"cmdLogin", "CmdExit", "txtUsername", "txtPassword", "cmdLogin"};
    QCOMPARE(QApplication::focusWidget(), h.child<QWidget>(order[0]));
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(order[i]));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txtPassword"));
}

void TestFrmLogin::titleTellsTheDialUpState_data()
{
    QTest::addColumn<std::uint32_t>("enumerationResult");
    QTest::addColumn<std::vector<std::uint32_t>>("states");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("errorShown");

    const std::uint32_t dialling = 2;
    QTest::newRow("no connection")
        << SUCCESS << std::vector<std::uint32_t>{} << QStringLiteral("Corvane (Offline)") << false;
    QTest::newRow("first connected") << SUCCESS << std::vector<std::uint32_t>{RASCS_Connected}
                                     << QStringLiteral("Corvane (Online)") << false;
    QTest::newRow("first still dialling")
        << SUCCESS << std::vector<std::uint32_t>{dialling, RASCS_Connected}
        << QStringLiteral("Corvane (Offline)") << false;
    QTest::newRow("listing fails")
        << ERROR_ACCESS_DENIED << std::vector<std::uint32_t>{RASCS_Connected}
        << QStringLiteral("Corvane (Offline)") << true;
}

void TestFrmLogin::titleTellsTheDialUpState()
{
    QFETCH(std::uint32_t, enumerationResult);
    QFETCH(std::vector<std::uint32_t>, states);
    QFETCH(QString, title);
    QFETCH(bool, errorShown);

    Harness h(artwork_);
    h.ras.enumerationResult = enumerationResult;
    h.ras.states = states;
    h.window->Form_Load();

    QCOMPARE(h.window->windowTitle(), title);
    QCOMPARE(h.messages.shown.size(), errorShown ? 1 : 0);
    if (errorShown) {
        QCOMPARE(h.messages.shown[0].kind, QStringLiteral("plain"));
        QCOMPARE(h.messages.shown[0].text, QStringLiteral("ERROR"));
        QVERIFY(!h.messages.shown[0].parentVisible);
    }
}

void TestFrmLogin::userNameComesFromTheStoreUnchanged()
{
    Harness fresh(artwork_);
    fresh.window->Form_Load();
    QCOMPARE(fresh.store.reads, QList<SettingAddress>{lastUser});
    QCOMPARE(fresh.child<QLineEdit>("txtUsername")->text(), QStringLiteral("Username"));

    Harness stored(artwork_);
    stored.store.entries.insert(lastUser, QStringLiteral("  Ann Lee \t"));
    stored.window->Form_Load();
    QCOMPARE(stored.child<QLineEdit>("txtUsername")->text(), QStringLiteral("  Ann Lee \t"));

    // No length limit: a name far beyond QLineEdit's default bound comes back whole.
    Harness longName(artwork_);
    const QString name(100'000, QLatin1Char('n'));
    longName.store.entries.insert(lastUser, name);
    longName.window->Form_Load();
    QCOMPARE(longName.child<QLineEdit>("txtUsername")->text(), name);
    QVERIFY(stored.child<QLineEdit>("txtPassword")->text().isEmpty());
    QVERIFY(stored.store.writes.isEmpty());
}

void TestFrmLogin::paintingStartsNoThreads()
{
    // Painting the overlapping pictures must stay a plain copy: where Qt has to fill a clipped
    // region instead, it starts a pool of worker threads for it, at every full repaint.
    const auto threads = [] {
        return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    };
    const QStringList before = threads();
    QVERIFY(!before.isEmpty());
    Harness h(artwork_);
    h.start();
    h.window->repaint();
    QCOMPARE(threads(), before);
}

void TestFrmLogin::passwordIsMaskedWithStars()
{
    Harness h(artwork_);
    h.start();
    auto* password = h.child<QLineEdit>("txtPassword");
    QTest::keyClicks(password, QStringLiteral("s3cret"));
    QCOMPARE(password->text(), QStringLiteral("s3cret"));
    QCOMPARE(password->displayText(), QStringLiteral("******"));
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    QVERIFY(!password->testAttribute(Qt::WA_InputMethodEnabled));
    QVERIFY(password->inputMethodHints() & Qt::ImhSensitiveData);
}

void TestFrmLogin::loginStoresTheUserNameEachTime_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::newRow("one name") << QStringList{QStringLiteral("ann")};
    QTest::newRow("empty box") << QStringList{QString()};
    QTest::newRow("blanks kept") << QStringList{QStringLiteral("  ann  ")};
    QTest::newRow("last one wins")
        << QStringList{QStringLiteral("ann"), QStringLiteral("bob"), QStringLiteral("cy")};
}

void TestFrmLogin::loginStoresTheUserNameEachTime()
{
    QFETCH(QStringList, names);
    Harness h(artwork_);
    h.start();
    QTest::keyClicks(h.child<QLineEdit>("txtPassword"), QStringLiteral("hunter2"));

    for (const QString& name : names) {
        h.child<QLineEdit>("txtUsername")->setText(name);
        QTest::mouseClick(h.child<QPushButton>("cmdLogin"), Qt::LeftButton);
    }

    QCOMPARE(h.store.writes.size(), names.size());
    for (qsizetype i = 0; i < names.size(); ++i) {
        QCOMPARE(h.store.writes[i].first, lastUser);
        QCOMPARE(h.store.writes[i].second, names[i]);
    }
    QVERIFY(h.window->isVisible());
    QVERIFY(h.messages.shown.isEmpty());
    QVERIFY(h.launcher.opened.isEmpty());
    QCOMPARE(h.child<QLineEdit>("txtPassword")->text(), QStringLiteral("hunter2"));
}

void TestFrmLogin::loginReportsARefusedWriteAndKeepsTheWindow()
{
    Harness h(artwork_);
    h.start();
    h.store.refuseWrites =
        Failure{QStringLiteral("Could not write /home/ann/.config/Corvane/Corvane.conf"),
                QStringLiteral("Read-only file system")};
    h.child<QLineEdit>("txtUsername")->setText(QStringLiteral("ann"));
    QTest::keyClicks(h.child<QLineEdit>("txtPassword"), QStringLiteral("pw"));

    QTest::mouseClick(h.child<QPushButton>("cmdLogin"), Qt::LeftButton);

    QCOMPARE(h.messages.shown.size(), 1);
    QCOMPARE(h.messages.shown[0].kind, QStringLiteral("failure"));
    QVERIFY(h.messages.shown[0].parentVisible);
    QVERIFY(h.messages.shown[0].text.contains(
        QStringLiteral("/home/ann/.config/Corvane/Corvane.conf: Read-only file system")));
    QVERIFY(h.window->isVisible());
    QCOMPARE(h.child<QLineEdit>("txtUsername")->text(), QStringLiteral("ann"));
    QCOMPARE(h.child<QLineEdit>("txtPassword")->text(), QStringLiteral("pw"));
}

void TestFrmLogin::keysInTheTextBoxesPressNothing()
{
    Harness h(artwork_);
    h.start();
    for (const char* name : {"txtUsername", "txtPassword"}) {
        auto* box = h.child<QLineEdit>(name);
        box->setFocus();
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(box, key);
        }
    }
    QVERIFY(h.window->isVisible());
    QVERIFY(h.store.writes.isEmpty());
    QVERIFY(h.launcher.opened.isEmpty());

    // On the focused button, Return and Space press it as a click would.
    auto* login = h.child<QPushButton>("cmdLogin");
    login->setFocus();
    QTest::keyClick(login, Qt::Key_Return);
    QTest::keyClick(login, Qt::Key_Space);
    QCOMPARE(h.store.writes.size(), 2);
}

void TestFrmLogin::bannerOpensTheSiteAndTheBackgroundDoesNot()
{
    Harness h(artwork_);
    h.start();
    QWidget* window = h.window.get();

    // Below the banner, left of the boxes: the background alone.
    clickAt(window, QPoint(100, 170));
    // Right of the banner, which is 4 pixels narrower than the window.
    clickAt(window, QPoint(458, 60));
    QVERIFY(h.launcher.opened.isEmpty());

    clickAt(window, QPoint(200, 60));
    clickAt(window, QPoint(5, 134));
    QCOMPARE(h.launcher.opened, QStringList(2, QStringLiteral("http://www.corvane.example")));
    QVERIFY(h.messages.shown.isEmpty());
    QVERIFY(h.store.writes.isEmpty());
    QVERIFY(window->isVisible());
}

void TestFrmLogin::bannerReportsALauncherFailure()
{
    Harness h(artwork_);
    h.start();
    h.launcher.refuse = Failure{QStringLiteral("Could not open http://www.corvane.example"),
                                QStringLiteral("xdg-open was not found on PATH")};
    QTest::mouseClick(h.child<QWidget>("Image2"), Qt::LeftButton, {}, QPoint(200, 60));

    QCOMPARE(h.messages.shown.size(), 1);
    QCOMPARE(h.messages.shown[0].kind, QStringLiteral("failure"));
    QVERIFY(h.messages.shown[0].text.contains(QStringLiteral("xdg-open was not found on PATH")));
    QVERIFY(h.window->isVisible());
}

void TestFrmLogin::exitClosesWithoutWriting()
{
    Harness h(artwork_);
    h.start();
    h.child<QLineEdit>("txtUsername")->setText(QStringLiteral("typed, never saved"));
    QTest::mouseClick(h.child<QPushButton>("CmdExit"), Qt::LeftButton);
    QVERIFY(!h.window->isVisible());
    QVERIFY(h.store.writes.isEmpty());
}

QTEST_MAIN(TestFrmLogin)
#include "tst_frmlogin.moc"
