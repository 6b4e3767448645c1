// SPDX-License-Identifier: MIT
// Stages the user's registry for the end-to-end tests, as no `reg` command can:
//   corvane_registry deny-write KEY             KEY (under HKEY_CURRENT_USER, created if need be)
//                                               lets everyone read and delete it, and nobody set
//                                               a value in it or create a key below it
//   corvane_registry large KEY NAME MEBIBYTES   the string value NAME of KEY, that many MiB of
//                                               'x', terminated
// Exits with 1 when it could not.
#include <cwchar>
#include <string>
#include <windows.h>
// After <windows.h>, which it builds on.
#include <sddl.h>

namespace {

// Denied to everyone (WD): KEY_SET_VALUE and KEY_CREATE_SUB_KEY; allowed: all access (KA).
constexpr wchar_t refusingWrites[] = L"D:(D;;0x6;;;WD)(A;;KA;;;WD)";

bool denyWrites(const wchar_t* path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, WRITE_DAC, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const bool denied =
        ConvertStringSecurityDescriptorToSecurityDescriptorW(refusingWrites, SDDL_REVISION_1,
                                                             &descriptor, nullptr) &&
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    LocalFree(descriptor);
    RegCloseKey(key);
    return denied;
}

bool writeLarge(const wchar_t* path, const wchar_t* name, unsigned long mebibytes)
{
    const std::wstring text(mebibytes * 1024 * 1024 / sizeof(wchar_t) - 1, L'x');
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetKeyValueW(HKEY_CURRENT_USER, path, name, REG_SZ, text.c_str(), bytes) ==
           ERROR_SUCCESS;
}

} // namespace

int wmain(int argc, wchar_t* argv[])
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    const bool done = (command == L"deny-write" && argc == 3 && denyWrites(argv[2])) ||
                      (command == L"large" && argc == 5 &&
                       writeLarge(argv[2], argv[3], std::wcstoul(argv[4], nullptr, 10)));
    return done ? 0 : 1;
}
