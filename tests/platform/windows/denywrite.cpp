// SPDX-License-Identifier: MIT
// Makes a key of the user's registry refuse writes, for the end-to-end test of a refused Login:
//   corvane_deny_write.exe KEY
// KEY (under HKEY_CURRENT_USER) is created if need be; its access list then lets everyone read
// and delete it, and nobody set a value in it or create a key below it.
#include <windows.h>
// After <windows.h>, which it builds on.
#include <sddl.h>

// Denied to everyone (WD): KEY_SET_VALUE and KEY_CREATE_SUB_KEY; allowed: all access (KA).
constexpr wchar_t refusingWrites[] = L"D:(D;;0x6;;;WD)(A;;KA;;;WD)";

int wmain(int argc, wchar_t* argv[])
{
    HKEY key = nullptr;
    if (argc != 2 || RegCreateKeyExW(HKEY_CURRENT_USER, argv[1], 0, nullptr, 0, WRITE_DAC, nullptr,
                                     &key, nullptr) != ERROR_SUCCESS) {
        return 1;
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const bool denied =
        ConvertStringSecurityDescriptorToSecurityDescriptorW(refusingWrites, SDDL_REVISION_1,
                                                             &descriptor, nullptr) &&
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    LocalFree(descriptor);
    RegCloseKey(key);
    return denied ? 0 : 1;
}
