// SPDX-License-Identifier: MIT
// What a screen reader and a person read of the program's windows, for the end-to-end tests
// under wine. Prints UTF-8 JSON on the standard output:
//   corvane_inspect tree TITLE      the accessibility tree of the top-level window titled TITLE,
//                                   read through Microsoft Active Accessibility
//   corvane_inspect do TITLE NAME   runs the default action of the one visible object named NAME
//   corvane_inspect boxes           every visible message box titled "Corvane": its title, text,
//                                   buttons and the screen rectangle of its icon
// When it cannot do its job it says why on the standard error and exits with 1.
#include <cstdio>
#include <oleacc.h>
#include <stdexcept>
#include <string>
#include <vector>
#include <windows.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

// The message box's static control that holds its text: Windows' MessageBox gives it this id.
constexpr int messageTextId = 0xFFFF;
constexpr std::wstring_view boxClass = L"#32770";
constexpr std::wstring_view boxTitle = L"Corvane";

struct Failure : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

std::string utf8(std::wstring_view text)
{
    const int size = static_cast<int>(text.size());
    std::string out(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), size,
                                                                 nullptr, 0, nullptr, nullptr)),
                    '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), static_cast<int>(out.size()),
                        nullptr, nullptr);
    return out;
}

void check(HRESULT result, const std::string& what)
{
    if (FAILED(result)) {
        char code[16];
        std::snprintf(code, sizeof(code), "0x%08lX", static_cast<unsigned long>(result));
        throw Failure(what + " failed: HRESULT " + code);
    }
}

std::string quoted(std::wstring_view text)
{
    std::string out = "\"";
    for (const char c : utf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string rectangle(LONG x, LONG y, LONG width, LONG height)
{
    char text[64];
    std::snprintf(text, sizeof(text), "[%ld, %ld, %ld, %ld]", static_cast<long>(x),
                  static_cast<long>(y), static_cast<long>(width), static_cast<long>(height));
    return text;
}

std::wstring windowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1,
                      L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

// One thing a screen reader visits: an accessible object, or one simple element of it.
struct Node
{
    ComPtr<IAccessible> object;
    LONG child;
    HWND window;
};

VARIANT idOf(const Node& node)
{
    VARIANT id;
    VariantInit(&id);
    id.vt = VT_I4;
    id.lVal = node.child;
    return id;
}

// The answers by which wine's and Windows' objects say that they have no such property.
bool absent(HRESULT result)
{
    return result == S_FALSE || result == E_NOTIMPL || result == DISP_E_MEMBERNOTFOUND;
}

// A text property: the text, null when the object has none, or "denied" when it refuses it.
std::string textOf(const Node& node, decltype(&IAccessible::get_accName) get, const char* what)
{
    BSTR text = nullptr;
    const HRESULT result = (node.object.Get()->*get)(idOf(node), &text);
    const std::wstring value = text != nullptr ? std::wstring(text, SysStringLen(text)) : L"";
    SysFreeString(text);
    if (result == E_ACCESSDENIED) {
        return "\"denied\"";
    }
    if (absent(result) || text == nullptr) {
        return "null";
    }
    check(result, what);
    return quoted(value);
}

LONG stateOf(const Node& node)
{
    VARIANT state;
    VariantInit(&state);
    check(node.object->get_accState(idOf(node), &state), "get_accState");
    return state.vt == VT_I4 ? state.lVal : 0;
}

Node clientOf(HWND window)
{
    Node node{nullptr, CHILDID_SELF, window};
    check(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                     IID_PPV_ARGS(&node.object)),
          "AccessibleObjectFromWindow");
    return node;
}

// The children as AccessibleChildren lists them. wine's objects for child windows answer
// nothing, so a child window is read through its own client object, as Windows' is read below
// its window object.
std::vector<Node> childrenOf(const Node& node)
{
    LONG count = 0;
    if (node.child != CHILDID_SELF) {
        return {};
    }
    check(node.object->get_accChildCount(&count), "get_accChildCount");
    std::vector<VARIANT> listed(static_cast<std::size_t>(count));
    LONG obtained = 0;
    if (count > 0) {
        check(AccessibleChildren(node.object.Get(), 0, count, listed.data(), &obtained),
              "AccessibleChildren");
    }
    std::vector<Node> children;
    for (VARIANT& child : listed) {
        if (child.vt == VT_I4) {
            children.push_back({node.object, child.lVal, node.window});
        } else if (child.vt == VT_DISPATCH) {
            ComPtr<IAccessible> object;
            check(child.pdispVal->QueryInterface(IID_PPV_ARGS(&object)), "QueryInterface");
            HWND window = nullptr;
            check(WindowFromAccessibleObject(object.Get(), &window), "WindowFromAccessibleObject");
            children.push_back(window != node.window ? clientOf(window)
                                                     : Node{object, CHILDID_SELF, window});
        }
        VariantClear(&child);
    }
    return children;
}

std::string describe(const Node& node)
{
    const VARIANT id = idOf(node);
    VARIANT role;
    VariantInit(&role);
    check(node.object->get_accRole(id, &role), "get_accRole");
    wchar_t roleText[128] = L"";
    if (role.vt == VT_I4) {
        GetRoleTextW(static_cast<DWORD>(role.lVal), roleText, ARRAYSIZE(roleText));
    }
    LONG x = 0, y = 0, width = 0, height = 0;
    const HRESULT located = node.object->accLocation(&x, &y, &width, &height, id);
    if (!absent(located)) {
        check(located, "accLocation");
    }
    std::string out = "{\"role\": " + (role.vt == VT_I4 ? std::to_string(role.lVal) : "null") +
                      ", \"roleText\": " + quoted(roleText) +
                      ", \"name\": " + textOf(node, &IAccessible::get_accName, "get_accName") +
                      ", \"description\": " +
                      textOf(node, &IAccessible::get_accDescription, "get_accDescription") +
                      ", \"value\": " + textOf(node, &IAccessible::get_accValue, "get_accValue") +
                      ", \"state\": " + std::to_string(stateOf(node)) + ", \"location\": " +
                      (absent(located) ? "null" : rectangle(x, y, width, height)) +
                      ", \"defaultAction\": " +
                      textOf(node, &IAccessible::get_accDefaultAction, "get_accDefaultAction") +
                      ", \"children\": [";
    VariantClear(&role);
    const char* separator = "";
    for (const Node& child : childrenOf(node)) {
        out += separator;
        out += describe(child);
        separator = ", ";
    }
    return out + "]}";
}

void collectNamed(const Node& node, const std::string& name, std::vector<Node>& found)
{
    if ((stateOf(node) & STATE_SYSTEM_INVISIBLE) == 0 &&
        textOf(node, &IAccessible::get_accName, "get_accName") == name) {
        found.push_back(node);
    }
    for (const Node& child : childrenOf(node)) {
        collectNamed(child, name, found);
    }
}

HWND topLevel(const wchar_t* title)
{
    const HWND window = FindWindowW(nullptr, title);
    if (window == nullptr) {
        throw Failure("no window is titled " + quoted(title));
    }
    return window;
}

std::string doDefaultAction(const wchar_t* title, const wchar_t* name)
{
    std::vector<Node> found;
    collectNamed(clientOf(topLevel(title)), quoted(name), found);
    if (found.size() != 1) {
        throw Failure(std::to_string(found.size()) + " visible objects are named " + quoted(name));
    }
    check(found[0].object->accDoDefaultAction(idOf(found[0])), "accDoDefaultAction");
    return "{\"done\": " + quoted(name) + "}";
}

std::wstring classOf(HWND window)
{
    wchar_t name[64] = L"";
    GetClassNameW(window, name, ARRAYSIZE(name));
    return name;
}

std::string describeBox(HWND box)
{
    std::string buttons, icon = "null";
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const auto style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
        if (CompareStringOrdinal(classOf(child).c_str(), -1, L"Button", -1, TRUE) == CSTR_EQUAL &&
            (style & WS_VISIBLE) != 0) {
            buttons += buttons.empty() ? "" : ", ";
            buttons += quoted(windowText(child));
        } else if ((style & SS_TYPEMASK) == SS_ICON && SendMessageW(child, STM_GETICON, 0, 0)) {
            RECT at{};
            GetWindowRect(child, &at);
            icon = rectangle(at.left, at.top, at.right - at.left, at.bottom - at.top);
        }
    }
    const HWND text = GetDlgItem(box, messageTextId);
    return "{\"title\": " + quoted(windowText(box)) +
           ", \"text\": " + (text != nullptr ? quoted(windowText(text)) : "null") +
           ", \"buttons\": [" + buttons + "], \"icon\": " + icon + "}";
}

BOOL CALLBACK collectWindow(HWND window, LPARAM windows)
{
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

std::string messageBoxes()
{
    std::vector<HWND> windows;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
    std::string out = "[";
    for (HWND window : windows) {
        if (IsWindowVisible(window) && classOf(window) == boxClass &&
            windowText(window) == boxTitle) {
            out += out.size() > 1 ? ", " : "";
            out += describeBox(window);
        }
    }
    return out + "]";
}

std::string run(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"tree" && argc == 3) {
        return describe(clientOf(topLevel(argv[2])));
    }
    if (command == L"do" && argc == 4) {
        return doDefaultAction(argv[2], argv[3]);
    }
    if (command == L"boxes" && argc == 2) {
        return messageBoxes();
    }
    throw Failure("usage: corvane_inspect tree TITLE | do TITLE NAME | boxes");
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        std::fputs("corvane_inspect: COM could not be started\n", stderr);
        return 1;
    }
    int status = 0;
    try {
        const std::string out = run(argc, argv) + "\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()),
                  &written, nullptr);
    } catch (const Failure& failure) {
        std::fprintf(stderr, "corvane_inspect: %s\n", failure.what());
        status = 1;
    }
    CoUninitialize();
    return status;
}
