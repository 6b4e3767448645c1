// SPDX-License-Identifier: MIT
#include "windowserror.h"

#include <memory>
#include <windows.h>

namespace platform {

namespace {

// Frees the buffer that FormatMessage allocated.
struct LocalFreeDeleter
{
    void operator()(char* buffer) const noexcept { LocalFree(buffer); }
};

} // namespace

std::string windowsErrorText(unsigned long code)
{
    char* buffer = nullptr;
    // With FORMAT_MESSAGE_ALLOCATE_BUFFER the buffer argument receives the allocated buffer.
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    const std::unique_ptr<char, LocalFreeDeleter> owned(buffer);
    const std::string number = "error " + std::to_string(code);
    if (length == 0 || buffer == nullptr) {
        return number;
    }
    // The system's sentences end in a line break.
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text.empty() ? number : text + " (" + number + ")";
}

} // namespace platform
