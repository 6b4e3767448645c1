// SPDX-License-Identifier: MIT
#include "startdetached.h"

#include "windowserror.h"

#include <vector>
#include <windows.h>

namespace launch {

namespace {

// Owns one handle and closes it when it goes out of scope.
class OwnedHandle
{
public:
    explicit OwnedHandle(HANDLE handle) noexcept : handle_(handle) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle()
    {
        if (handle_ != nullptr) {
            CloseHandle(handle_);
        }
    }

private:
    HANDLE handle_;
};

constexpr std::wstring_view explorer = L"explorer";

// The full path of `file` in the Windows folder, or nothing with the reason in GetLastError().
std::optional<std::wstring> inWindowsFolder(std::wstring_view file)
{
    // The first call gives the size with the terminating NUL, the second the length without it.
    const UINT size = GetWindowsDirectoryW(nullptr, 0);
    if (size == 0) {
        return std::nullopt;
    }
    std::wstring path(size, L'\0');
    const UINT length = GetWindowsDirectoryW(path.data(), size);
    if (length == 0 || length >= size) {
        return std::nullopt;
    }
    path.resize(length);
    // Only a drive's root ends in a backslash.
    if (path.back() != L'\\') {
        path += L'\\';
    }
    return path + std::wstring(file);
}

} // namespace

std::wstring explorerCommandLine(std::wstring_view url)
{
    return std::wstring(explorer) + L' ' + std::wstring(url);
}

std::optional<std::string> startDetached(std::wstring_view file, std::wstring_view commandLine,
                                         int showWindow)
{
    // By its full path: given only the command line, CreateProcessW would look for the program
    // beside this one and in the current folder before the system's folders.
    const std::optional<std::wstring> program = inWindowsFolder(file);
    if (!program) {
        return platform::windowsErrorText(GetLastError(), file);
    }
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showWindow);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program->c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        const DWORD error = GetLastError();
        return platform::windowsErrorText(error, *program);
    }
    // Nothing waits for the started program: both of its handles go at once.
    const OwnedHandle thread(process.hThread);
    const OwnedHandle started(process.hProcess);
    return std::nullopt;
}

} // namespace launch
