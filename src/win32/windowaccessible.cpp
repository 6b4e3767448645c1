// SPDX-License-Identifier: MIT
#include "windowaccessible.h"

#include "platform/windows/windowserror.h"

#include <atomic>
#include <utility>

namespace win32 {

using Microsoft::WRL::ComPtr;

namespace {

// The default action's name that Windows gives links.
constexpr wchar_t linkAction[] = L"Jump";

HRESULT lastError()
{
    return HRESULT_FROM_WIN32(GetLastError());
}

HRESULT numberOut(LONG number, VARIANT* out)
{
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = VARIANT{};
    out->vt = VT_I4;
    out->lVal = number;
    return S_OK;
}

// Everything the standard object answers goes to it unchanged; the link's child id is answered
// here. The standard object's children are the child windows, listed here too so that the link
// can follow them: a reader lists children through get_accChildCount and get_accChild.
class WindowAccessible final : public IAccessible, public IOleWindow
{
public:
    WindowAccessible(HWND window, ComPtr<IAccessible> standard, PaintedLink link,
                     const AccessibilityFunctions& functions)
        : window_(window), standard_(std::move(standard)), link_(std::move(link)),
          functions_(functions)
    {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (object == nullptr) {
            return E_POINTER;
        }
        // Not IEnumVARIANT, which the standard object has: its list would lack the link.
        if (id == IID_IUnknown || id == IID_IDispatch || id == IID_IAccessible) {
            *object = static_cast<IAccessible*>(this);
        } else if (id == IID_IOleWindow) {
            *object = static_cast<IOleWindow*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    // Readers call IAccessible's methods directly; as the standard objects, this one offers no
    // type information.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override
    {
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = linkId();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT id, IDispatch** child) override
    {
        if (child == nullptr) {
            return E_POINTER;
        }
        *child = nullptr;
        if (isLink(id)) {
            return S_FALSE; // a simple element, answered by this object
        }
        const HWND window = id.vt == VT_I4 ? childWindow(id.lVal) : nullptr;
        if (window == nullptr) {
            return E_INVALIDARG;
        }
        return functions_.accessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW),
                                                     IID_IDispatch,
                                                     reinterpret_cast<void**>(child));
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* name) override
    {
        return isLink(id) ? textOut(link_.name, name) : standard_->get_accName(id, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT id, BSTR* value) override
    {
        return isLink(id) ? textOut(link_.url, value) : standard_->get_accValue(id, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT id, BSTR* description) override
    {
        return isLink(id) ? textOut(link_.description, description)
                          : standard_->get_accDescription(id, description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* role) override
    {
        return isLink(id) ? numberOut(ROLE_SYSTEM_LINK, role) : standard_->get_accRole(id, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* state) override
    {
        if (!isLink(id)) {
            return standard_->get_accState(id, state);
        }
        return numberOut(
            STATE_SYSTEM_LINKED | (IsWindowVisible(window_) ? 0 : STATE_SYSTEM_INVISIBLE), state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT id, BSTR* help) override
    {
        return isLink(id) ? none(help) : standard_->get_accHelp(id, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT id, LONG* topic) override
    {
        if (!isLink(id)) {
            return standard_->get_accHelpTopic(file, id, topic);
        }
        if (topic != nullptr) {
            *topic = 0;
        }
        return none(file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT id, BSTR* shortcut) override
    {
        return isLink(id) ? none(shortcut) : standard_->get_accKeyboardShortcut(id, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        return standard_->get_accFocus(focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        return standard_->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT id, BSTR* action) override
    {
        return isLink(id) ? textOut(linkAction, action)
                          : standard_->get_accDefaultAction(id, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT id) override
    {
        // The link cannot be selected or take the focus.
        return isLink(id) ? DISP_E_MEMBERNOTFOUND : standard_->accSelect(flags, id);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* width, LONG* height,
                                          VARIANT id) override
    {
        if (!isLink(id)) {
            return standard_->accLocation(x, y, width, height, id);
        }
        const RECT place = linkPlace();
        POINT origin{place.left, place.top};
        if (!ClientToScreen(window_, &origin)) {
            return lastError();
        }
        *x = origin.x;
        *y = origin.y;
        *width = place.right - place.left;
        *height = place.bottom - place.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override
    {
        // The link is the last child; nothing is known of its neighbours' ids here.
        if (isLink(start)) {
            if (end != nullptr) {
                *end = VARIANT{};
            }
            return S_FALSE;
        }
        if (start.vt == VT_I4 && start.lVal == CHILDID_SELF && direction == NAVDIR_LASTCHILD) {
            return numberOut(linkId(), end);
        }
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* found) override
    {
        const HRESULT result = standard_->accHitTest(x, y, found);
        // Where the standard object finds the client area itself, the link may lie.
        if (result == S_OK && found->vt == VT_I4 && found->lVal == CHILDID_SELF) {
            POINT at{x, y};
            const RECT place = linkPlace();
            if (ScreenToClient(window_, &at) && PtInRect(&place, at)) {
                found->lVal = linkId();
            }
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT id) override
    {
        if (!isLink(id)) {
            return standard_->accDoDefaultAction(id);
        }
        // Posted, not run here: a failure box would hold the reader's call until dismissed.
        return PostMessageW(window_, link_.activateMessage, 0, 0) ? S_OK : lastError();
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT id, BSTR name) override
    {
        return isLink(id) ? DISP_E_MEMBERNOTFOUND : standard_->put_accName(id, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT id, BSTR value) override
    {
        return isLink(id) ? DISP_E_MEMBERNOTFOUND : standard_->put_accValue(id, value);
    }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        if (window == nullptr) {
            return E_POINTER;
        }
        *window = window_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    ~WindowAccessible() = default;

    // The `number`th child window, counted from 1 in the order Windows keeps them.
    HWND childWindow(LONG number) const
    {
        HWND child = ::GetWindow(window_, GW_CHILD);
        for (LONG at = 1; child != nullptr && at < number; ++at) {
            child = ::GetWindow(child, GW_HWNDNEXT);
        }
        return number >= 1 ? child : nullptr;
    }

    // The link's child id: the one after the child windows.
    LONG linkId() const
    {
        LONG count = 0;
        for (HWND child = ::GetWindow(window_, GW_CHILD); child != nullptr;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            ++count;
        }
        return count + 1;
    }

    bool isLink(const VARIANT& id) const { return id.vt == VT_I4 && id.lVal == linkId(); }

    // Where the link is now, in client coordinates: the window says.
    RECT linkPlace() const
    {
        RECT place{};
        SendMessageW(window_, link_.placeMessage, 0, reinterpret_cast<LPARAM>(&place));
        return place;
    }

    HRESULT textOut(const std::wstring& text, BSTR* out) const
    {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = functions_.sysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out != nullptr ? S_OK : E_OUTOFMEMORY;
    }

    // What a property the link lacks answers.
    static HRESULT none(BSTR* text)
    {
        if (text != nullptr) {
            *text = nullptr;
        }
        return S_FALSE;
    }

    std::atomic<ULONG> references_{1};
    HWND window_;
    ComPtr<IAccessible> standard_;
    PaintedLink link_;
    AccessibilityFunctions functions_;
};

} // namespace

std::variant<ComPtr<IAccessible>, core::Failure>
makeWindowAccessible(HWND window, PaintedLink link, const AccessibilityFunctions& functions)
{
    ComPtr<IAccessible> standard;
    const HRESULT result = functions.createStdAccessibleObject(
        window, static_cast<LONG>(OBJID_CLIENT), IID_IAccessible,
        reinterpret_cast<void**>(standard.GetAddressOf()));
    if (FAILED(result)) {
        return core::Failure{"Could not make the window's object for screen readers",
                             platform::windowsErrorText(static_cast<unsigned long>(result))};
    }
    ComPtr<IAccessible> made;
    // The new object's first reference goes to `made`.
    made.Attach(new WindowAccessible(window, std::move(standard), std::move(link), functions));
    return made;
}

} // namespace win32
