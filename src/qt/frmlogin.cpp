// SPDX-License-Identifier: MIT
#include "frmlogin.h"

#include "artwork.h"
#include "core/exitcode.h"
#include "core/layout.h"
#include "core/texts.h"
#include "passwordstyle.h"
#include "picturebox.h"

#include <limits>
#include <QApplication>
#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStringDecoder>
#include <QStyle>

namespace {

namespace layout = core::layout;
namespace texts = core::texts;

QRect toRect(const layout::Rect& rect)
{
    return {rect.x, rect.y, rect.width, rect.height};
}

// UTF-8 as it is: QString::fromStdString would drop a leading byte-order mark from a name.
QString fromUtf8(const std::string& text)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

QFont textBoxFont()
{
    // The design's face where the system has it. Otherwise the application's own face, the
    // platform's sans-serif one, which Qt has resolved already: asking fontconfig for a family it
    // lacks, or with another style hint, would cost a fallback search at every start. The list of
    // families is looked up directly, since hasFamily() asks fontconfig to resolve aliases.
    const QString designFamily = QString::fromLatin1(layout::textBoxFontFamily);
    QFont font = QFontDatabase::families().contains(designFamily, Qt::CaseInsensitive)
                     ? QFont(designFamily)
                     : QApplication::font();
    font.setPointSize(layout::textBoxPointSize);
    font.setWeight(QFont::Weight(layout::textBoxWeight));
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

QPushButton* makeButton(const char* name, const std::string& caption, const layout::Rect& geometry,
                        QWidget* parent)
{
    auto* button = new QPushButton(fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(fromUtf8(caption));
    button->setGeometry(toRect(geometry));
    // Return presses the focused button, as Space does; with no dialog around it that makes
    // neither button a default for the window, so Return in a text box presses nothing.
    button->setAutoDefault(true);
    return button;
}

QLineEdit* makeTextBox(const char* name, const std::string& accessibleName,
                       const layout::Rect& geometry, const QFont& font, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(fromUtf8(accessibleName));
    box->setGeometry(toRect(geometry));
    box->setFont(font);
    // No length limit of the window's own: QLineEdit would otherwise cut text at 32767.
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

PictureBox* makePicture(const char* name, const QPixmap& picture, const layout::Rect& geometry,
                        QWidget* parent)
{
    auto* box = new PictureBox(picture, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->move(geometry.x, geometry.y);
    return box;
}

} // namespace

FrmLogin::FrmLogin(const Artwork& artwork, core::LoginServices services)
    : procedures_(services, *this)
{
    setObjectName(QStringLiteral("FrmLogin"));
    // A fixed frame with a close box and a system menu, and no minimise or maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const QSize clientSize(layout::clientWidth, layout::clientHeight);
    setFixedSize(clientSize);
    setWindowTitle(fromUtf8(texts::caption(false)));
    setWindowIcon(artwork.icon);

    Image1 = makePicture("Image1", artwork.background, layout::Image1, this);
    Image1->setCursor(Qt::ArrowCursor);

    Image2 = makePicture("Image2", artwork.banner, layout::Image2, this);
    Image2->setCursor(artwork.hand);
    // The banner lies over the background. Marked opaque, it would make Qt clip the background
    // to the area around it: a region rather than a rectangle, which Qt fills span by span on
    // worker threads it starts for the purpose, instead of copying the picture in one blit.
    // Drawing the banner's pixels twice costs far less.
    Image2->setAttribute(Qt::WA_OpaquePaintEvent, false);
    Image2->setAccessibleName(fromUtf8(texts::bannerName));
    Image2->setAccessibleDescription(fromUtf8(texts::bannerDescription));
    connect(Image2, &PictureBox::clicked, this, [this] { procedures_.Image2_Click(); });

    cmdLogin = makeButton("cmdLogin", texts::loginCaption, layout::cmdLogin, this);
    connect(cmdLogin, &QPushButton::clicked, this, [this] { procedures_.cmdLogin_Click(); });

    CmdExit = makeButton("CmdExit", texts::exitCaption, layout::CmdExit, this);
    connect(CmdExit, &QPushButton::clicked, this, [this] { procedures_.CmdExit_Click(); });

    // Both boxes share one font, looked up once.
    const QFont boxFont = textBoxFont();
    txtUsername =
        makeTextBox("txtUsername", texts::userNameBoxName, layout::txtUsername, boxFont, this);

    txtPassword =
        makeTextBox("txtPassword", texts::passwordBoxName, layout::txtPassword, boxFont, this);
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

void FrmLogin::setCaption(const std::string& caption)
{
    setWindowTitle(fromUtf8(caption));
}

void FrmLogin::setUserName(const std::string& name)
{
    txtUsername->setText(fromUtf8(name));
}

std::string FrmLogin::userName() const
{
    return txtUsername->text().toStdString();
}

void FrmLogin::unload()
{
    close();
}

void FrmLogin::endProgram()
{
    QCoreApplication::exit(core::toInt(core::ExitCode::Success));
}
