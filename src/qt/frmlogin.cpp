// SPDX-License-Identifier: MIT
#include "frmlogin.h"

#include "app/exitcode.h"
#include "app/failurereport.h"
#include "artwork.h"
#include "connection/isconnected.h"
#include "identity.h"
#include "launcher/sitelauncher.h"
#include "messages.h"
#include "passwordstyle.h"
#include "picturebox.h"
#include "settings/settingsstore.h"

#include <limits>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace {

// The layout in pixels at 96 DPI: the design's twips divided by 15.
constexpr QSize clientSize(460, 292);
constexpr QPoint picturesOrigin(0, 0);
constexpr QRect loginGeometry(8, 216, 449, 33);
constexpr QRect exitGeometry(8, 256, 449, 33);
constexpr QRect usernameGeometry(240, 136, 217, 25);
constexpr QRect passwordGeometry(240, 176, 217, 25);

// The text boxes' font size, in points.
constexpr int textBoxPointSize = 12;

// The last-user entry.
const QString lastUserSection = QStringLiteral("General");
const QString lastUserKey = QStringLiteral("LastUser");
const QString lastUserDefault = QStringLiteral("Username");

const QString onlineWord = QStringLiteral("(Online)");
const QString offlineWord = QStringLiteral("(Offline)");
const QString enumerationFailedText = QStringLiteral("ERROR");

QString applicationTitle()
{
    return QString::fromUtf8(identity::applicationTitle);
}

QString captionFor(const QString& statusWord)
{
    return applicationTitle() + QLatin1Char(' ') + statusWord;
}

QFont textBoxFont()
{
    // The design's face where the system has it. Otherwise the application's own face, the
    // platform's sans-serif one, which Qt has resolved already: asking fontconfig for a family it
    // lacks, or with another style hint, would cost a fallback search at every start. The list of
    // families is looked up directly, since hasFamily() asks fontconfig to resolve aliases.
    const QString designFamily = QStringLiteral("MS Sans Serif");
    QFont font = QFontDatabase::families().contains(designFamily, Qt::CaseInsensitive)
                     ? QFont(designFamily)
                     : QApplication::font();
    font.setPointSize(textBoxPointSize);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

QPushButton* makeButton(const QString& name, const QString& caption, const QRect& geometry,
                        QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAccessibleName(caption);
    button->setGeometry(geometry);
    // Return presses the focused button, as Space does; with no dialog around it that makes
    // neither button a default for the window, so Return in a text box presses nothing.
    button->setAutoDefault(true);
    return button;
}

QLineEdit* makeTextBox(const QString& name, const QString& accessibleName, const QRect& geometry,
                       const QFont& font, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessibleName);
    box->setGeometry(geometry);
    box->setFont(font);
    // No length limit of the window's own: QLineEdit would otherwise cut text at 32767.
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

} // namespace

FrmLogin::FrmLogin(const Artwork& artwork, LoginServices services, QWidget* parent)
    : QWidget(parent), services_(services)
{
    setObjectName(QStringLiteral("FrmLogin"));
    // A fixed frame with a close box and a system menu, and no minimise or maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(clientSize);
    setWindowTitle(captionFor(offlineWord));
    setWindowIcon(artwork.icon);

    Image1 = new PictureBox(artwork.background, this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->move(picturesOrigin);
    Image1->setCursor(Qt::ArrowCursor);

    Image2 = new PictureBox(artwork.banner, this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->move(picturesOrigin);
    Image2->setCursor(artwork.hand);
    // The banner lies over the background. Marked opaque, it would make Qt clip the background
    // to the area around it: a region rather than a rectangle, which Qt fills span by span on
    // worker threads it starts for the purpose, instead of copying the picture in one blit.
    // Drawing the banner's pixels twice costs far less.
    Image2->setAttribute(Qt::WA_OpaquePaintEvent, false);
    Image2->setAccessibleName(QStringLiteral("Corvane web site"));
    Image2->setAccessibleDescription(
        QStringLiteral("Opens %1 in the web browser").arg(QString::fromUtf8(identity::siteUrl)));
    connect(Image2, &PictureBox::clicked, this, &FrmLogin::Image2_Click);

    cmdLogin = makeButton(QStringLiteral("cmdLogin"), QStringLiteral("Login"), loginGeometry, this);
    connect(cmdLogin, &QPushButton::clicked, this, &FrmLogin::cmdLogin_Click);

    CmdExit = makeButton(QStringLiteral("CmdExit"), QStringLiteral("Exit"), exitGeometry, this);
    connect(CmdExit, &QPushButton::clicked, this, &FrmLogin::CmdExit_Click);

    // Both boxes share one font, looked up once.
    const QFont boxFont = textBoxFont();
    txtUsername = makeTextBox(QStringLiteral("txtUsername"), QStringLiteral("Username"),
                              usernameGeometry, boxFont, this);

    txtPassword = makeTextBox(QStringLiteral("txtPassword"), QStringLiteral("Password"),
                              passwordGeometry, boxFont, this);
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setAttribute(Qt::WA_InputMethodEnabled, false);
    txtPassword->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData |
                                     Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase);
    // Owned by the window and made after the box, so the box goes before its style does.
    auto* passwordStyle = new PasswordStyle;
    passwordStyle->setParent(this);
    txtPassword->setStyle(passwordStyle);

    setTabOrder(cmdLogin, CmdExit);
    setTabOrder(CmdExit, txtUsername);
    setTabOrder(txtUsername, txtPassword);
    cmdLogin->setFocus();

    // Centred on the screen that holds the pointer, where the user is looking.
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen != nullptr) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, clientSize,
                                        screen->availableGeometry()));
    }
}

void FrmLogin::Form_Load()
{
    setWindowTitle(captionFor(IsConnected() ? onlineWord : offlineWord));
    txtUsername->setText(services_.store.GetSetting(applicationTitle(), lastUserSection,
                                                    lastUserKey, lastUserDefault));
}

bool FrmLogin::IsConnected()
{
    return connectiontest::firstConnectionIsConnected(services_.ras, [this](std::uint32_t code) {
        printFailure({QStringLiteral("Could not list the dial-up connections (error %1)").arg(code),
                      QString::fromLocal8Bit(services_.ras.lastFailureReason())});
        // The window is not shown yet, so the box stands on its own.
        services_.messages.plain(nullptr, enumerationFailedText);
    });
}

void FrmLogin::cmdLogin_Click()
{
    const auto failure = services_.store.SaveSetting(applicationTitle(), lastUserSection,
                                                     lastUserKey, txtUsername->text());
    if (failure) {
        printFailure(*failure);
        services_.messages.failure(
            this, QStringLiteral("The user name was not saved.\n\n%1").arg(failure->text()));
    }
}

void FrmLogin::CmdExit_Click()
{
    close();
    QCoreApplication::exit(toInt(ExitCode::Success));
}

void FrmLogin::Image2_Click()
{
    const auto failure = services_.launcher.openSite(QString::fromUtf8(identity::siteUrl));
    if (failure) {
        printFailure(*failure);
        services_.messages.failure(
            this, QStringLiteral("The web site could not be opened.\n\n%1").arg(failure->text()));
    }
}
