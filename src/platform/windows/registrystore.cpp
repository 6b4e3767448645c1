// SPDX-License-Identifier: MIT
#include "registrystore.h"

#include "widetext.h"
#include "windowserror.h"

#include <memory>
#include <type_traits>
#include <vector>
#include <windows.h>

namespace platform {

namespace {

struct KeyCloser
{
    void operator()(HKEY key) const noexcept { RegCloseKey(key); }
};
using OwnedKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

std::string keyPath(const std::string& application, const std::string& section)
{
    return "Software\\" + application + '\\' + section;
}

// The largest value read, in bytes: as large as the Linux program's settings file may be. A
// larger value is never read at all: reading a value of many megabytes into the box would hold
// the start up for as long as that takes.
constexpr DWORD largestValueBytes = 16 * 1024 * 1024;

// The value's text: a REG_SZ's UTF-16 units up to its first NUL (the terminator, which a value
// written by another program may lack). Its type and size are asked first.
std::optional<std::wstring> readString(HKEY key, const std::wstring& name)
{
    std::vector<wchar_t> data;
    for (;;) {
        DWORD type = 0;
        DWORD bytes = 0;
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
            type != REG_SZ || bytes > largestValueBytes) {
            return std::nullopt;
        }
        data.resize(bytes / sizeof(wchar_t) + 1);
        bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        const LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type,
                                                reinterpret_cast<BYTE*>(data.data()), &bytes);
        // Another program may have made it larger in between: its size is asked again.
        if (status == ERROR_MORE_DATA) {
            continue;
        }
        if (status != ERROR_SUCCESS || type != REG_SZ) {
            return std::nullopt;
        }
        const std::wstring text(data.data(), bytes / sizeof(wchar_t));
        return text.substr(0, text.find(L'\0'));
    }
}

} // namespace

std::string RegistryStore::GetSetting(const std::string& application, const std::string& section,
                                      const std::string& key, const std::string& defaultValue) const
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, widen(keyPath(application, section)).c_str(), 0,
                      KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        return defaultValue;
    }
    const OwnedKey owned(opened);
    const auto text = readString(opened, widen(key));
    return text ? narrow(*text) : defaultValue;
}

std::optional<core::Failure> RegistryStore::SaveSetting(const std::string& application,
                                                        const std::string& section,
                                                        const std::string& key,
                                                        const std::string& value)
{
    const std::string path = "HKEY_CURRENT_USER\\" + keyPath(application, section);
    HKEY created = nullptr;
    LSTATUS status =
        RegCreateKeyExW(HKEY_CURRENT_USER, widen(keyPath(application, section)).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &created, nullptr);
    if (status != ERROR_SUCCESS) {
        return core::Failure{"Could not write " + path, windowsErrorText(status)};
    }
    const OwnedKey owned(created);
    const std::wstring text = widen(value);
    // REG_SZ data ends in its terminating NUL.
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(created, widen(key).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    if (status != ERROR_SUCCESS) {
        return core::Failure{"Could not write " + path + '\\' + key, windowsErrorText(status)};
    }
    return std::nullopt;
}

} // namespace platform
