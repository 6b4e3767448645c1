// SPDX-License-Identifier: MIT
#include "frmlogin.h"

#include "core/exitcode.h"
#include "core/texts.h"
#include "messagesender.h"
#include "passwordbox.h"
#include "platform/windows/widetext.h"
#include "platform/windows/windowserror.h"
#include "windowaccessible.h"

#include <utility>
#include <windowsx.h>

namespace win32 {

namespace {

namespace layout = core::layout;
namespace texts = core::texts;

constexpr wchar_t className[] = L"FrmLogin";
// A fixed single border with a caption, the system menu and the close box; no minimise or
// maximise box. The controls clip the background, which is painted around them.
constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD windowExtendedStyle = 0;

// The layout's pixels are at 96 DPI, and a point is 1/72 inch.
constexpr int layoutDpi = 96;
constexpr int pointsPerInch = 72;

// The controls' identifiers, apart from IDOK (1) and IDCANCEL (2), which the dialog manager
// sends for Return and Escape.
enum ControlId : int
{
    loginId = 101,
    exitId,
    userNameId,
    passwordId,
    userNameLabelId,
    passwordLabelId,
};

// Shown controls, which Tab reaches; the labels are neither.
constexpr DWORD shownControl = WS_VISIBLE | WS_TABSTOP;

// Posted by the screen readers' object when a reader runs the banner's default action.
constexpr UINT bannerActivated = WM_APP;
// Sent by the screen readers' object to learn where the banner is: lParam points at a RECT.
constexpr UINT bannerPlace = WM_APP + 1;

POINT pointOf(LPARAM lParam)
{
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

core::Failure failureOf(const std::string& what, DWORD error)
{
    return {what, platform::windowsErrorText(error)};
}

int systemDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

} // namespace

FrmLogin::FrmLogin(const Artwork& artwork, core::LoginServices services)
    : artwork_(artwork), procedures_(services, *this)
{}

FrmLogin::~FrmLogin()
{
    // Detached first, so that no message of its destruction reaches this half-destroyed object.
    if (window_) {
        SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
    }
}

// Back to front, which is also the tab order. The captions of the boxes are painted in the
// background; screen readers name a text box after the STATIC control just before it, shown or
// hidden, so each box has a hidden one, which neither shows nor takes the focus.
const std::array<FrmLogin::Control, 6>& FrmLogin::controls()
{
    static const std::array<Control, 6> all = {{
        {L"BUTTON", texts::loginCaption, shownControl | BS_PUSHBUTTON, 0, layout::cmdLogin, loginId,
         false, &FrmLogin::cmdLogin},
        {L"BUTTON", texts::exitCaption, shownControl | BS_PUSHBUTTON, 0, layout::CmdExit, exitId,
         false, &FrmLogin::CmdExit},
        {L"STATIC", texts::userNameBoxName, SS_LEFT, 0, layout::txtUsername, userNameLabelId, false,
         &FrmLogin::userNameLabel_},
        {L"EDIT", "", shownControl | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, layout::txtUsername,
         userNameId, true, &FrmLogin::txtUsername},
        {L"STATIC", texts::passwordBoxName, SS_LEFT, 0, layout::txtPassword, passwordLabelId, false,
         &FrmLogin::passwordLabel_},
        {L"EDIT", "", shownControl | ES_AUTOHSCROLL | ES_PASSWORD, WS_EX_CLIENTEDGE,
         layout::txtPassword, passwordId, true, &FrmLogin::txtPassword},
    }};
    return all;
}

std::optional<core::Failure> FrmLogin::create(HINSTANCE instance)
{
    // No class cursor and no background brush: WM_SETCURSOR and WM_PAINT see to both.
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = artwork_.bigIcon.get();
    windowClass.hIconSm = artwork_.smallIcon.get();
    windowClass.lpszClassName = className;
    if (RegisterClassExW(&windowClass) == 0) {
        return failureOf("Could not register the login window's class", GetLastError());
    }
    dpi_ = systemDpi();
    const RECT frame =
        dpiFunctions_.frameAround({0, 0, scaled(layout::clientWidth), scaled(layout::clientHeight)},
                                  windowStyle, windowExtendedStyle, dpi_);
    // WM_NCCREATE hands the window to window_.
    if (CreateWindowExW(windowExtendedStyle, className,
                        platform::widen(texts::caption(false)).c_str(), windowStyle, CW_USEDEFAULT,
                        CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                        nullptr, instance, this) == nullptr) {
        return failureOf("Could not create the login window", GetLastError());
    }
    // Made where they belong by applyDpi, below.
    for (const Control& control : controls()) {
        this->*control.handle = CreateWindowExW(
            control.extendedStyle, control.kind, platform::widen(control.text).c_str(),
            WS_CHILD | control.style, 0, 0, 0, 0, window_.get(),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
        if (this->*control.handle == nullptr) {
            return failureOf("Could not create the login window's controls", GetLastError());
        }
    }
    if (auto failure = applyDpi(dpi_)) {
        return failure;
    }
    for (HWND box : {txtUsername, txtPassword}) {
        // 0: as long as the system allows, rather than the default 32,767 characters.
        SendMessageW(box, EM_SETLIMITTEXT, 0, 0);
    }
    if (!makePasswordBox(txtPassword, static_cast<wchar_t>(layout::passwordCharacter))) {
        return failureOf("Could not make the password box private", GetLastError());
    }
    return std::nullopt;
}

std::optional<core::Failure> FrmLogin::applyDpi(int dpi)
{
    // The text boxes' font: 12 point, regular, ANSI character set; Windows substitutes the face
    // where the system lacks it. The rest have the system's message font.
    OwnedFont boxFont(CreateFontW(
        -MulDiv(layout::textBoxPointSize, dpi, pointsPerInch), 0, 0, 0, layout::textBoxWeight,
        FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
        DEFAULT_PITCH | FF_DONTCARE, platform::widen(layout::textBoxFontFamily).c_str()));
    if (!boxFont) {
        return failureOf("Could not create the text boxes' font", GetLastError());
    }
    OwnedFont messageFont = dpiFunctions_.messageFont(dpi);
    if (!messageFont) {
        return failureOf("Could not create the buttons' font", GetLastError());
    }
    dpi_ = dpi;
    for (const Control& control : controls()) {
        const HWND handle = this->*control.handle;
        const RECT at = scaled(control.place);
        MoveWindow(handle, at.left, at.top, at.right - at.left, at.bottom - at.top, TRUE);
        const HFONT font = control.textBox ? boxFont.get() : messageFont.get();
        SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    // The controls no longer use the old fonts, which go now.
    boxFont_ = std::move(boxFont);
    messageFont_ = std::move(messageFont);
    return std::nullopt;
}

void FrmLogin::show(int showCommand)
{
    // The client area centred on the work area of the monitor that holds the pointer, where the
    // user is looking, as the Linux window does.
    POINT pointer{};
    GetCursorPos(&pointer);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = scaled(layout::clientWidth);
    const int height = scaled(layout::clientHeight);
    const int left = work.left + (work.right - work.left - width) / 2;
    const int top = work.top + (work.bottom - work.top - height) / 2;
    const RECT frame = dpiFunctions_.frameAround({left, top, left + width, top + height},
                                                 windowStyle, windowExtendedStyle, dpi_);
    SetWindowPos(window_.get(), nullptr, frame.left, frame.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window_.get(), showCommand);
}

void FrmLogin::setCaption(const std::string& caption)
{
    SetWindowTextW(window_.get(), platform::widen(caption).c_str());
}

void FrmLogin::setUserName(const std::string& name)
{
    SetWindowTextW(txtUsername, platform::widen(name).c_str());
}

std::string FrmLogin::userName() const
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(txtUsername)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(txtUsername, text.data(), static_cast<int>(text.size()))));
    return platform::narrow(text);
}

void FrmLogin::unload()
{
    DestroyWindow(window_.get());
}

void FrmLogin::endProgram()
{
    PostQuitMessage(core::toInt(core::ExitCode::Success));
}

LRESULT CALLBACK FrmLogin::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<FrmLogin*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_.reset(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FrmLogin*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        // The system is destroying the window: nothing is left to release.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        static_cast<void>(self->window_.release());
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT FrmLogin::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        onPaint();
        return 0;
    case WM_SETCURSOR:
        if (onSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) {
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
        onButtonDown(pointOf(lParam));
        return 0;
    case WM_LBUTTONUP:
        onButtonUp(pointOf(lParam));
        return 0;
    case WM_CAPTURECHANGED:
        bannerPressed_ = false;
        return 0;
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_ACTIVATE:
        onActivate(LOWORD(wParam));
        return 0;
    case WM_SETFOCUS:
        restoreFocus();
        return 0;
    case WM_GETOBJECT:
        return onGetObject(wParam, lParam);
    case WM_DPICHANGED:
        // The new DPI in both words of wParam, Windows' suggested window rectangle at lParam.
        // Another program can send the message too: one without a rectangle or a DPI is ignored.
        if (lParam != 0 && HIWORD(wParam) != 0) {
            onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        }
        return 0;
    case bannerPlace:
        // Asked by the window's own object for readers only: an address from another program
        // is not written to.
        if (!sentFromOutside() && lParam != 0) {
            *reinterpret_cast<RECT*>(lParam) = scaled(layout::Image2);
        }
        return 0;
    case bannerActivated:
        procedures_.Image2_Click();
        return 0;
    case WM_DESTROY:
        // However it goes, by Exit or by the close box, the program ends with it.
        PostQuitMessage(core::toInt(core::ExitCode::Success));
        return 0;
    }
    return DefWindowProcW(window_.get(), message, wParam, lParam);
}

void FrmLogin::onPaint()
{
    PAINTSTRUCT paint{};
    const HDC target = BeginPaint(window_.get(), &paint);
    const OwnedDc source(CreateCompatibleDC(target));
    // Above 96 DPI each picture pixel becomes a block of screen pixels, without smoothing.
    SetStretchBltMode(target, COLORONCOLOR);
    // Back to front, each at its natural size: the background's last rows fall below the client
    // area.
    const std::pair<HBITMAP, layout::Rect> pictures[] = {
        {artwork_.background.get(), layout::Image1}, {artwork_.banner.get(), layout::Image2}};
    for (const auto& [picture, place] : pictures) {
        const HGDIOBJ previous = SelectObject(source.get(), picture);
        const RECT to = scaled(place);
        StretchBlt(target, to.left, to.top, to.right - to.left, to.bottom - to.top, source.get(), 0,
                   0, place.width, place.height, SRCCOPY);
        SelectObject(source.get(), previous);
    }
    EndPaint(window_.get(), &paint);
}

bool FrmLogin::onSetCursor(HWND over, UINT hitTest)
{
    // The controls and the frame choose their own cursors.
    if (over != window_.get() || hitTest != HTCLIENT) {
        return false;
    }
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(window_.get(), &at);
    SetCursor(onBanner(at) ? artwork_.hand.get() : LoadCursorW(nullptr, IDC_ARROW));
    return true;
}

// A click on the banner is a press and a release both on it, as with a button.
void FrmLogin::onButtonDown(POINT at)
{
    if (onBanner(at)) {
        SetCapture(window_.get());
        bannerPressed_ = true;
    }
}

void FrmLogin::onButtonUp(POINT at)
{
    if (!std::exchange(bannerPressed_, false)) {
        return;
    }
    ReleaseCapture();
    if (onBanner(at)) {
        procedures_.Image2_Click();
    }
}

void FrmLogin::onCommand(int id, UINT code)
{
    if (code != BN_CLICKED) {
        return;
    }
    // Neither button is a default or cancel button: Return (IDOK from the dialog manager)
    // presses only a button that has the focus, and Escape (IDCANCEL) nothing.
    if (id == IDOK) {
        id = GetDlgCtrlID(GetFocus());
    }
    if (id == loginId) {
        procedures_.cmdLogin_Click();
    } else if (id == exitId) {
        procedures_.CmdExit_Click();
    }
}

// As a dialog does: the focus is remembered when the window is deactivated and given back when
// it is activated again, to Login the first time.
void FrmLogin::onActivate(UINT state)
{
    if (state == WA_INACTIVE) {
        lastFocus_ = GetFocus();
    } else {
        restoreFocus();
    }
}

void FrmLogin::restoreFocus()
{
    SetFocus(lastFocus_ != nullptr && IsChild(window_.get(), lastFocus_) ? lastFocus_ : cmdLogin);
}

// The client area's object for screen readers; the system answers for everything else.
LRESULT FrmLogin::onGetObject(WPARAM wParam, LPARAM lParam)
{
    // The object's id is the low 32 bits of lParam, as a signed number.
    if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT) {
        return DefWindowProcW(window_.get(), WM_GETOBJECT, wParam, lParam);
    }
    // Made when a screen reader first asks, not at every start. The banner is only painted:
    // readers learn of it as a link of the client area. Should the libraries or the object not be
    // had, the system's own object answers, with the controls but without the banner.
    if (!screenReaders_) {
        auto started = ScreenReaderRuntime::start();
        if (auto* runtime = std::get_if<std::unique_ptr<ScreenReaderRuntime>>(&started)) {
            screenReaders_ = std::move(*runtime);
        }
    }
    if (screenReaders_ && !accessible_) {
        auto made = makeWindowAccessible(
            window_.get(),
            {platform::widen(texts::bannerName), platform::widen(texts::bannerDescription),
             platform::widen(texts::siteUrl), bannerPlace, bannerActivated},
            screenReaders_->functions());
        if (auto* object = std::get_if<Microsoft::WRL::ComPtr<IAccessible>>(&made)) {
            accessible_ = std::move(*object);
        }
    }
    return accessible_ ? screenReaders_->functions().lresultFromObject(IID_IAccessible, wParam,
                                                                       accessible_.Get())
                       : DefWindowProcW(window_.get(), WM_GETOBJECT, wParam, lParam);
}

// Moved to a monitor of another DPI, or the monitor's scale changed: everything is laid out again
// for the new DPI, and the window takes the place and size Windows suggests for it.
void FrmLogin::onDpiChanged(int dpi, const RECT& suggested)
{
    // Should the fonts for it not be had, the window stays as it was laid out, readable.
    static_cast<void>(applyDpi(dpi));
    SetWindowPos(window_.get(), nullptr, suggested.left, suggested.top,
                 suggested.right - suggested.left, suggested.bottom - suggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window_.get(), nullptr, FALSE);
}

int FrmLogin::scaled(int pixels) const
{
    return MulDiv(pixels, dpi_, layoutDpi);
}

RECT FrmLogin::scaled(const layout::Rect& rect) const
{
    return {scaled(rect.x), scaled(rect.y), scaled(rect.x + rect.width),
            scaled(rect.y + rect.height)};
}

bool FrmLogin::onBanner(POINT at) const
{
    const RECT banner = scaled(layout::Image2);
    return PtInRect(&banner, at) != FALSE;
}

} // namespace win32
