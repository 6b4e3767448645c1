// SPDX-License-Identifier: MIT
#include "helpers.h"

#include <vector>
#include <windows.h>

std::wstring ownPath()
{
    // Grows the buffer until the path fits: GetModuleFileNameW cuts it to the buffer silently.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ownFolder()
{
    const std::wstring path = ownPath();
    return path.substr(0, path.find_last_of(L"\\/"));
}

std::string narrow(std::wstring_view text)
{
    if (text.empty()) {
        return {};
    }
    const int wideLength = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), wideLength, result.data(), length, nullptr,
                        nullptr);
    return result;
}
