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

} // namespace

std::wstring explorerCommandLine(std::wstring_view url)
{
    return std::wstring(explorer) + L' ' + std::wstring(url);
}

std::optional<std::string> startDetached(std::wstring_view commandLine, int showWindow)
{
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showWindow);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return platform::windowsErrorText(GetLastError());
    }
    // Nothing waits for the started program: both of its handles go at once.
    const OwnedHandle thread(process.hThread);
    const OwnedHandle started(process.hProcess);
    return std::nullopt;
}

} // namespace launch
