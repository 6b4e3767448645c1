// SPDX-License-Identifier: MIT
#include "passwordbox.h"

#include "messagesender.h"

#include <commctrl.h>
#include <imm.h>

namespace win32 {

namespace {

// The subclass's identifier on the box: this file's only one.
constexpr UINT_PTR passwordSubclass = 1;

bool pressed(int key)
{
    // The high bit of GetKeyState's result: the key is down.
    return GetKeyState(key) < 0;
}

// Windows' own password edit refuses to copy or cut, but not every edit control does: wine's
// copies the real text on Ctrl+Insert and Shift+Delete, and on a WM_COPY sent by another program.
// Nor does every one refuse its text to another program that asks for it, or keep its mask when
// another program takes it away (wine's does neither, nor Windows' for every message). The box
// refuses all of them itself: another program learns nothing of what was typed.
LRESULT CALLBACK passwordBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR)
{
    switch (message) {
    case WM_COPY:
    case WM_CUT:
        return 0;
    case WM_GETTEXT:
        if (sentFromOutside()) {
            // An empty text, terminated where there is room for it.
            if (wParam > 0 && lParam != 0) {
                *reinterpret_cast<wchar_t*>(lParam) = L'\0';
            }
            return 0;
        }
        break;
    case WM_GETTEXTLENGTH:
    case EM_GETLINE:
    case EM_SETPASSWORDCHAR:
        if (sentFromOutside()) {
            return 0;
        }
        break;
    case WM_KEYDOWN:
        if ((wParam == VK_INSERT && pressed(VK_CONTROL) && !pressed(VK_SHIFT)) ||
            (wParam == VK_DELETE && pressed(VK_SHIFT))) {
            return 0;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(box, passwordBoxProcedure, passwordSubclass);
        break;
    default:
        break;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

} // namespace

bool makePasswordBox(HWND box, wchar_t character)
{
    SendMessageW(box, EM_SETPASSWORDCHAR, static_cast<WPARAM>(character), 0);
    // No input-method editor for the password: its composition window would show the text.
    ImmAssociateContextEx(box, nullptr, 0);
    return SetWindowSubclass(box, passwordBoxProcedure, passwordSubclass, 0) != FALSE;
}

} // namespace win32
