// SPDX-License-Identifier: MIT
// The login window in the plain Win32 API: the program's only window on Windows. It builds the
// controls, paints the artwork and forwards clicks to the window's procedures, which do the rest.
#pragma once

#include "core/layout.h"
#include "core/loginprocedures.h"
#include "core/loginview.h"

#include <optional>
// <windows.h> after the core: its error-code macros share their names with the dial-up test's
// return codes.
#include "artwork.h"
#include "dpifunctions.h"
#include "handles.h"
#include "screenreaderruntime.h"

#include <array>
#include <memory>
#include <oleacc.h>
#include <wrl/client.h>

namespace win32 {

class FrmLogin final : public core::LoginView
{
public:
    // The artwork outlives the window.
    FrmLogin(const Artwork& artwork, core::LoginServices services);
    ~FrmLogin() override;
    FrmLogin(const FrmLogin&) = delete;
    FrmLogin& operator=(const FrmLogin&) = delete;

    // Creates the window, hidden, with its controls. Returns what failed, for the start-up report.
    std::optional<core::Failure> create(HINSTANCE instance);
    HWND handle() const { return window_.get(); }
    // Form_Load and the click procedures.
    core::LoginProcedures& procedures() { return procedures_; }
    // Shows the window centred on the screen; once active, the focus is on Login.
    void show(int showCommand);

    void setCaption(const std::string& caption) override;
    void setUserName(const std::string& name) override;
    std::string userName() const override;
    void unload() override;
    void endProgram() override;

private:
    // One of the window's controls: what it is, where the layout puts it, and where its handle is
    // kept.
    struct Control
    {
        const wchar_t* kind;
        std::string text;
        DWORD style;
        DWORD extendedStyle;
        core::layout::Rect place;
        int id;
        // A text box, in the boxes' font; the others have the message font.
        bool textBox;
        HWND FrmLogin::*handle;
    };
    static const std::array<Control, 6>& controls();

    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onPaint();
    bool onSetCursor(HWND over, UINT hitTest);
    void onButtonDown(POINT at);
    void onButtonUp(POINT at);
    void onCommand(int id, UINT code);
    void onActivate(UINT state);
    void restoreFocus();
    LRESULT onGetObject(WPARAM wParam, LPARAM lParam);
    void onDpiChanged(int dpi, const RECT& suggested);
    // Lays the controls out for `dpi`, with fonts for it. Returns what failed, and then leaves the
    // window as it was.
    std::optional<core::Failure> applyDpi(int dpi);

    // A length or rectangle of the layout in pixels at the window's DPI.
    int scaled(int pixels) const;
    RECT scaled(const core::layout::Rect& rect) const;
    bool onBanner(POINT at) const;

    const Artwork& artwork_;
    core::LoginProcedures procedures_;
    const DpiFunctions dpiFunctions_;
    // The window's DPI: the system's at first, then what WM_DPICHANGED says.
    int dpi_ = 0;
    // Made before the window and released after it: the controls use them until they go.
    OwnedFont boxFont_;
    OwnedFont messageFont_;
    OwnedWindow window_;
    // Children of the window, which destroys them with itself. Created back to front, which is
    // also the tab order.
    HWND cmdLogin = nullptr;
    HWND CmdExit = nullptr;
    HWND txtUsername = nullptr;
    HWND txtPassword = nullptr;
    // Hidden labels, each created just before the box it names for screen readers.
    HWND userNameLabel_ = nullptr;
    HWND passwordLabel_ = nullptr;
    // What screen readers read of the client area: the controls and the banner as a link; made
    // when a reader first asks, with the libraries it needs, which outlive it.
    std::unique_ptr<ScreenReaderRuntime> screenReaders_;
    Microsoft::WRL::ComPtr<IAccessible> accessible_;
    // The control that had the focus when the window was last deactivated.
    HWND lastFocus_ = nullptr;
    bool bannerPressed_ = false;
};

} // namespace win32
