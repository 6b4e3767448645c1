// SPDX-License-Identifier: MIT
// The version record and icon that the build puts into the executable, read back from this test
// program's own file the way Explorer reads them.
#include "checks.h"
#include "groups.h"
#include "helpers.h"
#include "platform/windowserror.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>
#include <windows.h>

namespace {

// The signature that opens every VS_FIXEDFILEINFO, from <verrsrc.h>.
constexpr DWORD fixedInfoSignature = 0xFEEF04BD;
// RT_GROUP_ICON of <winuser.h>, as a number: the header spells it in the ANSI form unless UNICODE
// is defined.
constexpr WORD groupIconType = 14;

std::string dotted(DWORD high, DWORD low)
{
    std::ostringstream text;
    text << HIWORD(high) << '.' << LOWORD(high) << '.' << HIWORD(low) << '.' << LOWORD(low);
    return text.str();
}

// The value at `path` of the version record `record`, or nothing.
template <typename T>
const T* queryValue(std::vector<std::byte>& record, const wchar_t* path, UINT& length)
{
    void* value = nullptr;
    length = 0;
    if (!VerQueryValueW(record.data(), path, &value, &length)) {
        return nullptr;
    }
    return static_cast<const T*>(value);
}

void checkStrings(Checks& checks, std::vector<std::byte>& record)
{
    struct Expected
    {
        const wchar_t* key;
        const char* value;
    };
    const Expected expected[] = {
        {L"CompanyName", "na"},          {L"ProductName", "Corvane"},
        {L"FileVersion", "0.00.0001"},   {L"ProductVersion", "0.00.0001"},
        {L"InternalName", "CV Example"}, {L"OriginalFilename", "CV Example.exe"},
    };
    for (const Expected& entry : expected) {
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + entry.key;
        UINT length = 0;
        const auto* text = queryValue<wchar_t>(record, path.c_str(), length);
        const std::string value = text == nullptr ? "(missing)" : narrow(text);
        checks.expectEqual(value, std::string(entry.value),
                           narrow(entry.key) + " in block 040904B0");
    }
}

void checkIconGroup(Checks& checks)
{
    // The icon group as a resource: a 6-byte header (reserved, type, count) and 14 bytes for each
    // image (width, height, colours, reserved, planes, bits per pixel, bytes, resource id).
    constexpr std::size_t headerSize = 6;
    constexpr std::size_t entrySize = 14;
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(groupIconType));
    if (!checks.expect(found != nullptr, "the executable has icon group 1",
                       platform::windowsErrorText(GetLastError()))) {
        return;
    }
    const DWORD size = SizeofResource(nullptr, found);
    const auto* bytes =
        static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
    if (!checks.expect(bytes != nullptr && size >= headerSize, "the icon group can be read")) {
        return;
    }
    auto word = [bytes](std::size_t at) {
        return static_cast<unsigned>(bytes[at] | (bytes[at + 1] << 8));
    };
    const unsigned count = word(4);
    checks.expectEqual(count, 3U, "the group holds three images");
    if (size < headerSize + count * entrySize) {
        checks.expect(false, "the group's entries are all there");
        return;
    }
    std::ostringstream seen;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned char* entry = bytes + headerSize + i * entrySize;
        const unsigned colours = entry[2] == 0 ? 256 : entry[2];
        seen << (i == 0 ? "" : ", ") << unsigned{entry[0]} << 'x' << unsigned{entry[1]} << '/'
             << colours;
    }
    checks.expectEqual(seen.str(), std::string("32x32/2, 32x32/16, 16x16/16"),
                       "32 x 32 in 2 and 16 colours, 16 x 16 in 16 colours");
}

} // namespace

void checkVersionRecord(Checks& checks)
{
    checks.group("version record");
    const std::wstring path = ownPath();
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &unused);
    if (!checks.expect(size != 0, "the executable has a version record",
                       platform::windowsErrorText(GetLastError()))) {
        return;
    }
    std::vector<std::byte> record(size);
    if (!checks.expect(GetFileVersionInfoW(path.c_str(), 0, size, record.data()) != 0,
                       "the version record can be read",
                       platform::windowsErrorText(GetLastError()))) {
        return;
    }

    UINT length = 0;
    const auto* fixed = queryValue<VS_FIXEDFILEINFO>(record, L"\\", length);
    if (checks.expect(fixed != nullptr && length >= sizeof(VS_FIXEDFILEINFO),
                      "it has the fixed part")) {
        checks.expectEqual(fixed->dwSignature, fixedInfoSignature, "the fixed part's signature");
        checks.expectEqual(dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS),
                           std::string("0.0.0.1"), "file version 0.0.0.1");
        checks.expectEqual(dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS),
                           std::string("0.0.0.1"), "product version 0.0.0.1");
        checks.expectEqual(fixed->dwFileType, DWORD{VFT_APP}, "the file is an application");
    }

    const auto* translation = queryValue<WORD>(record, L"\\VarFileInfo\\Translation", length);
    if (checks.expect(translation != nullptr && length == 2 * sizeof(WORD),
                      "one language and code page are declared")) {
        checks.expectEqual(translation[0], WORD{0x0409}, "language 0409, U.S. English");
        checks.expectEqual(translation[1], WORD{0x04B0}, "code page 04B0, Unicode");
    }

    checkStrings(checks, record);
    checks.group("icon");
    checkIconGroup(checks);
}
