// SPDX-License-Identifier: MIT
// What a screen reader and a person read of the program's windows, for the end-to-end tests
// under wine. Prints JSON (ASCII, the rest as \u escapes) on the standard output:
//   corvane_inspect tree TITLE      the accessibility tree of the top-level window titled TITLE,
//                                   read through Microsoft Active Accessibility: each object's
//                                   role, name, description, value ("denied" when refused),
//                                   state, screen location, default action and children
//   corvane_inspect do TITLE NAME   runs the default action of the one visible object named NAME
//   corvane_inspect boxes [TITLE]   every visible message box titled TITLE ("Corvane" if not
//                                   given): its text, buttons in order, the screen rectangle of
//                                   its icon and the title of the window that owns it
//   corvane_inspect password TITLE  what another program gets of the password box of the window
//                                   titled TITLE: its text (WM_GETTEXT), length, first line
//                                   (EM_GETLINE), and its mask after asking for none
//                                   (EM_SETPASSWORDCHAR 0); then it sends the box WM_COPY and
//                                   WM_CUT
//   corvane_inspect dpi TITLE DPI LEFT TOP RIGHT BOTTOM
//                                   sends the window WM_DPICHANGED for DPI, suggesting the window
//                                   rectangle around that client rectangle (screen coordinates),
//                                   written into the program's memory; prints the client
//                                   rectangle then and the visible controls' in client coordinates
//   corvane_inspect running FILE    how many processes run the program FILE (a full path)
//   corvane_inspect value KEY NAME  the string value NAME of HKEY_CURRENT_USER\KEY, or null
//   corvane_inspect load NAME       loads the DLL NAME as a program that trusts the search order
//                                   would, by its bare name
// When it cannot do its job it says why on the standard error and exits with 1.
#include <cstdio>
#include <cwchar>
#include <memory>
#include <oleacc.h>
#include <stdexcept>
#include <string>
#include <vector>
#include <windows.h>
#include <wrl/client.h>
// After <windows.h>, which they build on.
#include <tlhelp32.h>

using Microsoft::WRL::ComPtr;

namespace {

// The message box's static control that holds its text: MessageBox gives it this id.
constexpr int messageTextId = 0xFFFF;

void check(HRESULT result, const char* what)
{
    if (FAILED(result)) {
        char text[96];
        std::snprintf(text, sizeof(text), "%s failed: HRESULT 0x%08lX", what,
                      static_cast<unsigned long>(result));
        throw std::runtime_error(text);
    }
}

std::string quoted(std::wstring_view text)
{
    std::string out = "\"";
    for (const wchar_t c : text) {
        char escaped[8] = {static_cast<char>(c)};
        if (c < 0x20 || c >= 0x7F || c == L'"' || c == L'\\') {
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(c));
        }
        out += escaped;
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
    wchar_t text[1024] = L"";
    SendMessageW(window, WM_GETTEXT, ARRAYSIZE(text), reinterpret_cast<LPARAM>(text));
    return text;
}

// One thing a screen reader visits: an accessible object, or one simple element of it.
struct Node
{
    ComPtr<IAccessible> object;
    LONG child;
    HWND window;

    VARIANT id() const
    {
        VARIANT id{};
        id.vt = VT_I4;
        id.lVal = child;
        return id;
    }
};

// How wine's and Windows' objects say that they have no such property.
bool absent(HRESULT result)
{
    return result == S_FALSE || result == E_NOTIMPL || result == DISP_E_MEMBERNOTFOUND;
}

using TextGetter = decltype(&IAccessible::get_accName);
const std::pair<const char*, TextGetter> textProperties[] = {
    {"name", &IAccessible::get_accName},
    {"description", &IAccessible::get_accDescription},
    {"value", &IAccessible::get_accValue},
    {"defaultAction", &IAccessible::get_accDefaultAction}};

// A text property: the text, null when the object has none, or "denied" when it refuses it.
std::string textOf(const Node& node, TextGetter get, const char* what)
{
    BSTR text = nullptr;
    const HRESULT result = (node.object.Get()->*get)(node.id(), &text);
    const std::string value = result == E_ACCESSDENIED ? "\"denied\""
                              : text != nullptr        ? quoted({text, SysStringLen(text)})
                                                       : "null";
    SysFreeString(text);
    if (result != E_ACCESSDENIED && !absent(result)) {
        check(result, what);
    }
    return value;
}

LONG numberOf(const Node& node, decltype(&IAccessible::get_accRole) get, const char* what)
{
    VARIANT number{};
    check((node.object.Get()->*get)(node.id(), &number), what);
    return number.vt == VT_I4 ? number.lVal : 0;
}

std::string locationOf(const Node& node)
{
    LONG x = 0, y = 0, width = 0, height = 0;
    const HRESULT located = node.object->accLocation(&x, &y, &width, &height, node.id());
    if (absent(located)) {
        return "null";
    }
    check(located, "location");
    return rectangle(x, y, width, height);
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
// nothing, so a child window is read through its own client object, as below Windows' object.
std::vector<Node> childrenOf(const Node& node)
{
    LONG count = 0;
    if (node.child == CHILDID_SELF) {
        check(node.object->get_accChildCount(&count), "get_accChildCount");
    }
    std::vector<VARIANT> listed(static_cast<std::size_t>(count));
    if (count > 0) {
        check(AccessibleChildren(node.object.Get(), 0, count, listed.data(), &count),
              "AccessibleChildren");
    }
    std::vector<Node> children;
    for (VARIANT& child : listed) {
        ComPtr<IAccessible> object;
        HWND window = nullptr;
        if (child.vt == VT_I4) {
            children.push_back({node.object, child.lVal, node.window});
        } else if (child.vt == VT_DISPATCH) {
            check(child.pdispVal->QueryInterface(IID_PPV_ARGS(&object)), "QueryInterface");
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
    std::string out =
        "{\"role\": " + std::to_string(numberOf(node, &IAccessible::get_accRole, "role")) +
        ", \"state\": " + std::to_string(numberOf(node, &IAccessible::get_accState, "state")) +
        ", \"location\": " + locationOf(node);
    for (const auto& [key, get] : textProperties) {
        out += ", \"" + std::string(key) + "\": " + textOf(node, get, key);
    }
    out += ", \"children\": [";
    for (const Node& child : childrenOf(node)) {
        out += out.back() == '[' ? "" : ", ";
        out += describe(child);
    }
    return out + "]}";
}

void collectNamed(const Node& node, const std::string& name, std::vector<Node>& found)
{
    const bool shown =
        (numberOf(node, &IAccessible::get_accState, "state") & STATE_SYSTEM_INVISIBLE) == 0;
    if (shown && textOf(node, &IAccessible::get_accName, "name") == name) {
        found.push_back(node);
    }
    for (const Node& child : childrenOf(node)) {
        collectNamed(child, name, found);
    }
}

HWND topLevelWindow(const wchar_t* title)
{
    const HWND window = FindWindowW(nullptr, title);
    if (window == nullptr) {
        throw std::runtime_error("no window is titled " + quoted(title));
    }
    return window;
}

Node topLevel(const wchar_t* title)
{
    return clientOf(topLevelWindow(title));
}

std::string doDefaultAction(const wchar_t* title, const wchar_t* name)
{
    std::vector<Node> found;
    collectNamed(topLevel(title), quoted(name), found);
    if (found.size() != 1) {
        throw std::runtime_error(std::to_string(found.size()) + " visible objects are named " +
                                 quoted(name));
    }
    check(found[0].object->accDoDefaultAction(found[0].id()), "accDoDefaultAction");
    return "{\"done\": " + quoted(name) + "}";
}

std::string describeBox(HWND box)
{
    std::string buttons, icon = "null";
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t kind[16] = L"";
        GetClassNameW(child, kind, ARRAYSIZE(kind));
        const auto style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
        if (_wcsicmp(kind, L"Button") == 0 && (style & WS_VISIBLE) != 0) {
            buttons += buttons.empty() ? "" : ", ";
            buttons += quoted(windowText(child));
        } else if ((style & SS_TYPEMASK) == SS_ICON && SendMessageW(child, STM_GETICON, 0, 0)) {
            RECT at{};
            GetWindowRect(child, &at);
            icon = rectangle(at.left, at.top, at.right - at.left, at.bottom - at.top);
        }
    }
    const HWND text = GetDlgItem(box, messageTextId);
    const HWND owner = GetWindow(box, GW_OWNER);
    return "{\"text\": " + (text != nullptr ? quoted(windowText(text)) : "null") +
           ", \"buttons\": [" + buttons + "], \"icon\": " + icon +
           ", \"owner\": " + (owner != nullptr ? quoted(windowText(owner)) : "null") + "}";
}

std::string messageBoxes(const wchar_t* title)
{
    std::string out = "[";
    // The dialog class of message boxes; FindWindowEx goes through the top-level windows.
    for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"#32770", title));) {
        if (IsWindowVisible(box)) {
            out += out.size() > 1 ? ", " : "";
            out += describeBox(box);
        }
    }
    return out + "]";
}

// A message sent to another program's window, which must answer within a few seconds.
LRESULT sent(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) {
        throw std::runtime_error("the window did not answer message " + std::to_string(message));
    }
    return static_cast<LRESULT>(result);
}

BOOL CALLBACK findPasswordBox(HWND child, LPARAM found)
{
    if ((GetWindowLongW(child, GWL_STYLE) & ES_PASSWORD) != 0) {
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
    }
    return TRUE;
}

std::string askPasswordBox(const wchar_t* title)
{
    HWND box = nullptr;
    EnumChildWindows(topLevelWindow(title), findPasswordBox, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr) {
        throw std::runtime_error("the window has no password box");
    }
    wchar_t text[256] = L"";
    sent(box, WM_GETTEXT, ARRAYSIZE(text), reinterpret_cast<LPARAM>(text));
    const LRESULT length = sent(box, WM_GETTEXTLENGTH, 0, 0);
    // EM_GETLINE's buffer holds its size in its first word.
    wchar_t line[256] = {ARRAYSIZE(line)};
    const auto copied =
        static_cast<std::size_t>(sent(box, EM_GETLINE, 0, reinterpret_cast<LPARAM>(line)));
    sent(box, EM_SETPASSWORDCHAR, 0, 0);
    const wchar_t mask[] = {static_cast<wchar_t>(sent(box, EM_GETPASSWORDCHAR, 0, 0)), L'\0'};
    sent(box, WM_COPY, 0, 0);
    sent(box, WM_CUT, 0, 0);
    return "{\"text\": " + quoted(text) + ", \"length\": " + std::to_string(length) +
           ", \"line\": " + quoted({line, copied < ARRAYSIZE(line) ? copied : 0}) +
           ", \"mask\": " + quoted(mask) + "}";
}

// Closes a handle of the system's when it goes.
struct Closer
{
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, Closer>;

std::string changeDpi(const wchar_t* title, const wchar_t* const* numbers)
{
    const HWND window = topLevelWindow(title);
    const UINT dpi = std::wcstoul(numbers[0], nullptr, 10);
    const RECT client{std::wcstol(numbers[1], nullptr, 10), std::wcstol(numbers[2], nullptr, 10),
                      std::wcstol(numbers[3], nullptr, 10), std::wcstol(numbers[4], nullptr, 10)};
    // The window's frame as it is now, around the client rectangle asked for.
    RECT outer{}, inner{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &inner);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&inner), 2);
    const RECT suggested{
        client.left - (inner.left - outer.left), client.top - (inner.top - outer.top),
        client.right + (outer.right - inner.right), client.bottom + (outer.bottom - inner.bottom)};
    // lParam points at the rectangle: in the program's own memory, where the program reads it.
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    const OwnedHandle target(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process));
    void* remote = target ? VirtualAllocEx(target.get(), nullptr, sizeof(suggested),
                                           MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                          : nullptr;
    if (remote == nullptr ||
        !WriteProcessMemory(target.get(), remote, &suggested, sizeof(suggested), nullptr)) {
        throw std::runtime_error("could not write into the program's memory");
    }
    // A DPI of 0 is sent as another program might send it, with neither DPI nor rectangle.
    sent(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
         dpi == 0 ? 0 : reinterpret_cast<LPARAM>(remote));
    VirtualFreeEx(target.get(), remote, 0, MEM_RELEASE);

    RECT now{};
    GetClientRect(window, &now);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&now), 2);
    std::string controls;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RECT at{};
        if (IsWindowVisible(child) && GetWindowRect(child, &at)) {
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&at), 2);
            controls += controls.empty() ? "" : ", ";
            controls += rectangle(at.left, at.top, at.right - at.left, at.bottom - at.top);
        }
    }
    return "{\"client\": " +
           rectangle(now.left, now.top, now.right - now.left, now.bottom - now.top) +
           ", \"controls\": [" + controls + "]}";
}

std::string runningCopies(const wchar_t* file)
{
    const OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        const OwnedHandle process(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        wchar_t image[MAX_PATH] = L"";
        DWORD length = MAX_PATH;
        if (process && QueryFullProcessImageNameW(process.get(), 0, image, &length) &&
            _wcsicmp(image, file) == 0) {
            ++count;
        }
    }
    return std::to_string(count);
}

std::string registryValue(const wchar_t* key, const wchar_t* name)
{
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS) {
        return "null";
    }
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text.data(), &bytes) !=
        ERROR_SUCCESS) {
        throw std::runtime_error("the value changed while it was read");
    }
    return quoted(text.c_str());
}

std::string loadByBareName(const wchar_t* name)
{
    return LoadLibraryW(name) != nullptr ? "{\"loaded\": true}" : "{\"loaded\": false}";
}

std::string run(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"tree" && argc == 3) {
        return describe(topLevel(argv[2]));
    }
    if (command == L"do" && argc == 4) {
        return doDefaultAction(argv[2], argv[3]);
    }
    if (command == L"boxes" && (argc == 2 || argc == 3)) {
        return messageBoxes(argc == 3 ? argv[2] : L"Corvane");
    }
    if (command == L"password" && argc == 3) {
        return askPasswordBox(argv[2]);
    }
    if (command == L"dpi" && argc == 8) {
        return changeDpi(argv[2], argv + 3);
    }
    if (command == L"running" && argc == 3) {
        return runningCopies(argv[2]);
    }
    if (command == L"value" && argc == 4) {
        return registryValue(argv[2], argv[3]);
    }
    if (command == L"load" && argc == 3) {
        return loadByBareName(argv[2]);
    }
    throw std::runtime_error(
        "usage: corvane_inspect tree TITLE | do TITLE NAME | boxes [TITLE] | password "
        "TITLE | dpi TITLE DPI LEFT TOP RIGHT BOTTOM | running FILE | value KEY "
        "NAME | load NAME");
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        check(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), "CoInitializeEx");
        std::printf("%s\n", run(argc, argv).c_str());
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "corvane_inspect: %s\n", failure.what());
        return 1;
    }
    CoUninitialize();
    return 0;
}
