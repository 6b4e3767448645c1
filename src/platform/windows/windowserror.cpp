// SPDX-License-Identifier: MIT
#include "windowserror.h"

#include "widetext.h"

#include <memory>
#include <windows.h>

namespace platform {

namespace {

// Frees the buffer that FormatMessage allocated.
struct LocalFreeDeleter
{
    void operator()(wchar_t* buffer) const noexcept { LocalFree(buffer); }
};

} // namespace

std::string windowsErrorText(unsigned long code, std::wstring_view subject)
{
    wchar_t* buffer = nullptr;
    // With FORMAT_MESSAGE_ALLOCATE_BUFFER the buffer argument receives the allocated buffer.
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const std::unique_ptr<wchar_t, LocalFreeDeleter> owned(buffer);
    const std::string number = "error " + std::to_string(code);
    // The system's sentences end in a line break.
    std::wstring text = length != 0 && buffer != nullptr ? std::wstring(buffer, length) : L"";
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    // The inserts are left as they are (FORMAT_MESSAGE_IGNORE_INSERTS): a text with more of them
    // than the caller knows of would otherwise read arguments that were never passed.
    const std::size_t insert = text.find(L"%1");
    if (!subject.empty() && insert != std::wstring::npos) {
        text.replace(insert, 2, subject);
    }
    const std::string said = text.empty() ? number : narrow(text) + " (" + number + ")";
    // Most texts ("File not found.") do not say which file: the report names it all the same.
    return subject.empty() || insert != std::wstring::npos ? said : narrow(subject) + ": " + said;
}

} // namespace platform
