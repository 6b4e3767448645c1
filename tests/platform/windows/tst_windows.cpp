// SPDX-License-Identifier: MIT
// The Windows console test: what the program run from outside cannot show. The binding of the
// dial-up functions, against the stand-in library and the system's own; the launcher's start with
// window style 4; the version record and icon group of the program's file.
//   corvane_windows_test.exe "PATH\CV Example.exe"
// The stand-in libraries and the probe are looked for beside this program.
#include "../../core/checks.h"
#include "core/bindingfailure.h"
#include "core/isconnected.h"
#include "platform/windows/rasapi32.h"
#include "platform/windows/startdetached.h"
#include "platform/windows/widetext.h"

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>
// After the dial-up records: the error-code macros of <windows.h> share their names.
#include <windows.h>

namespace {

using platform::narrow;

std::wstring ownFolder()
{
    std::vector<wchar_t> path(MAX_PATH);
    while (GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())) ==
           path.size()) {
        path.resize(path.size() * 2);
    }
    return std::filesystem::path(path.data()).parent_path().wstring();
}

// A reason as "head: text (error N)" with the system's text, which depends on its language,
// replaced by "…"; anything else unchanged.
std::string shape(const std::string& reason)
{
    const std::size_t head = reason.find(": ");
    const std::size_t code = reason.rfind(" (error ");
    if (head == std::string::npos || code == std::string::npos || code <= head + 2) {
        return reason;
    }
    return reason.substr(0, head + 2) + "…" + reason.substr(code);
}

// What the window's connection test makes of the library `library`, with the stand-in told
// `behaviour`: its answer, each ERROR box it asks for, or the binding failure it raises.
std::string outcome(const std::string& library, const char* behaviour)
{
    SetEnvironmentVariableA("CORVANE_RASAPI", behaviour);
    connectiontest::RasApi32Names names;
    names.library = library;
    connectiontest::RasApi32 ras(names);
    std::string seen;
    try {
        const bool connected =
            connectiontest::firstConnectionIsConnected(ras, [&](std::uint32_t code) {
                seen +=
                    "ERROR " + std::to_string(code) + " (" + shape(ras.lastFailureReason()) + "), ";
            });
        return seen + (connected ? "connected" : "not connected");
    } catch (const connectiontest::BindingFailure& failure) {
        return seen + "BindingFailure " + shape(failure.what());
    }
}

void checkBinding(Checks& checks, const std::string& folder)
{
    checks.group("RasApi32 binding");
    const bool loadedBefore = GetModuleHandleW(L"rasapi32.dll") != nullptr;
    checks.expect(!loadedBefore, "RasApi32.dll is not loaded before the first call");

    const std::string standIn = folder + "\\corvane_scripted_rasapi.dll";
    const std::string withoutStatus = folder + "\\corvane_scripted_rasapi_nostatus.dll";
    struct Case
    {
        const char* what;
        std::string library;
        const char* behaviour;
        std::string expected;
    };
    const Case cases[] = {
        {"the system's own library, by name", "RasApi32.dll", "", "not connected"},
        // The stand-in refuses records not stamped with the sizes its <ras.h> gives them (412 and
        // 160 bytes for 32-bit Windows, 708 and 288 for 64-bit), and knows only the handles it
        // listed.
        {"the stand-in with a connected link first", standIn, "connected", "connected"},
        {"the stand-in with no link", standIn, "", "not connected"},
        {"the stand-in failing to list", standIn, "fail 5",
         "ERROR 5 (RasEnumConnectionsA: … (error 5)), not connected"},
        {"a library that does not exist", "CorvaneNoSuchLibrary.dll", "",
         "BindingFailure Could not load CorvaneNoSuchLibrary.dll: … (error 126)"},
        // A bare name is looked for in the system folder only, never beside the program.
        {"a library only beside the program", "corvane_scripted_rasapi.dll", "",
         "BindingFailure Could not load corvane_scripted_rasapi.dll: … (error 126)"},
        {"a library without the status entry", withoutStatus, "",
         "BindingFailure Could not find RasGetConnectStatusA in " + withoutStatus +
             ": … (error 127)"},
    };
    for (const Case& row : cases) {
        checks.expectEqual(outcome(row.library, row.behaviour), row.expected, row.what);
    }
    checks.expect(GetModuleHandleW(L"rasapi32.dll") == nullptr,
                  "RasApi32.dll is freed with its binder");
}

// The probe's record: one name=value per line.
std::map<std::string, std::string> readRecord(const std::wstring& path)
{
    std::map<std::string, std::string> values;
    std::ifstream in{std::filesystem::path(path)};
    for (std::string line; std::getline(in, line);) {
        if (const std::size_t equals = line.find('='); equals != std::string::npos) {
            values[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return values;
}

void checkLauncher(Checks& checks, const std::wstring& folder)
{
    checks.group("launcher");
    // How long to wait for the probe's record: past the probe's own wait to be released, so that
    // a start that waited for the probe still ends with a record that says so.
    constexpr int recordWaitMilliseconds = 60'000;
    constexpr int pollMilliseconds = 50;

    const std::wstring id = std::to_wstring(GetCurrentProcessId());
    const std::wstring record =
        (std::filesystem::temp_directory_path() / (L"corvane-probe-" + id + L".txt")).wstring();
    const std::wstring eventName = L"corvane-probe-" + id;
    DeleteFileW(record.c_str());
    const HANDLE release = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    const auto failure = launch::startDetached(
        L"\"" + folder + L"\\corvane_startup_probe.exe\" \"" + record + L"\" " + eventName,
        launch::showWithoutActivating);
    // Set only now: a start that waited for the probe would have seen the probe give up.
    SetEvent(release);
    checks.expect(!failure, "a harmless command starts", failure.value_or(""));
    for (int waited = 0; GetFileAttributesW(record.c_str()) == INVALID_FILE_ATTRIBUTES &&
                         waited < recordWaitMilliseconds;
         waited += pollMilliseconds) {
        Sleep(pollMilliseconds);
    }
    CloseHandle(release);
    auto values = readRecord(record);
    DeleteFileW(record.c_str());
    checks.expectEqual(values["flags"], std::to_string(STARTF_USESHOWWINDOW),
                       "it is told to use the given window style");
    checks.expectEqual(values["show"], std::to_string(SW_SHOWNOACTIVATE), "its window style is 4");
    checks.expectEqual(values["released"], std::string("yes"),
                       "the start returns while the command still runs");

    const auto missing =
        launch::startDetached(L"corvane-no-such-program-7c1e", launch::showWithoutActivating);
    checks.expectEqual(shape("starting it: " + missing.value_or("it started")),
                       std::string("starting it: … (error 2)"),
                       "a command that cannot start gives the system's reason");
}

void checkVersionRecord(Checks& checks, const std::wstring& program)
{
    checks.group("version record");
    DWORD unused = 0;
    std::vector<std::byte> record(GetFileVersionInfoSizeW(program.c_str(), &unused));
    if (!checks.expect(!record.empty() &&
                           GetFileVersionInfoW(program.c_str(), 0,
                                               static_cast<DWORD>(record.size()), record.data()),
                       "the program has a version record", narrow(program))) {
        return;
    }
    auto query = [&record](const std::wstring& path) -> std::pair<const void*, UINT> {
        void* value = nullptr;
        UINT length = 0;
        VerQueryValueW(record.data(), path.c_str(), &value, &length);
        return {value, length};
    };
    const auto [fixed, fixedLength] = query(L"\\");
    if (checks.expect(fixedLength >= sizeof(VS_FIXEDFILEINFO), "it has the fixed part")) {
        const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
        const auto dotted = [](DWORD high, DWORD low) {
            return std::to_string(HIWORD(high)) + '.' + std::to_string(LOWORD(high)) + '.' +
                   std::to_string(HIWORD(low)) + '.' + std::to_string(LOWORD(low));
        };
        checks.expectEqual(dotted(info->dwFileVersionMS, info->dwFileVersionLS),
                           std::string("0.0.0.1"), "file version");
        checks.expectEqual(dotted(info->dwProductVersionMS, info->dwProductVersionLS),
                           std::string("0.0.0.1"), "product version");
    }
    const auto [translation, translationLength] = query(L"\\VarFileInfo\\Translation");
    checks.expectEqual(
        translationLength == 2 * sizeof(WORD) ? *static_cast<const DWORD*>(translation) : DWORD{0},
        DWORD{0x04B00409}, "one language block: U.S. English, Unicode");
    const std::pair<const wchar_t*, std::string> strings[] = {
        {L"CompanyName", "na"},          {L"ProductName", "Corvane"},
        {L"FileVersion", "0.00.0001"},   {L"ProductVersion", "0.00.0001"},
        {L"InternalName", "CV Example"}, {L"OriginalFilename", "CV Example.exe"},
    };
    for (const auto& [key, expected] : strings) {
        const auto [text, length] = query(std::wstring(L"\\StringFileInfo\\040904B0\\") + key);
        checks.expectEqual(length > 0 ? narrow(static_cast<const wchar_t*>(text)) : "(missing)",
                           expected, narrow(key));
    }
}

void checkIconGroup(Checks& checks, const std::wstring& program)
{
    checks.group("icon group");
    // The group as a resource: a 6-byte header (reserved, type, count), then 14 bytes an image
    // (width, height, colours, reserved, planes, bits per pixel, bytes, resource id).
    constexpr std::size_t headerSize = 6;
    constexpr std::size_t entrySize = 14;
    const HMODULE file = LoadLibraryExW(program.c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const HRSRC found = FindResourceW(file, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(file, found)));
    const DWORD size = found != nullptr ? SizeofResource(file, found) : 0;
    std::string seen;
    for (std::size_t at = headerSize; bytes != nullptr && at + entrySize <= size; at += entrySize) {
        const unsigned colours = bytes[at + 2] == 0 ? 256 : bytes[at + 2];
        seen += (seen.empty() ? "" : ", ") + std::to_string(bytes[at]) + 'x' +
                std::to_string(bytes[at + 1]) + '/' + std::to_string(colours);
    }
    checks.expectEqual(seen, std::string("32x32/2, 32x32/16, 16x16/16"),
                       "icon group 1: 32 x 32 in 2 and 16 colours, 16 x 16 in 16 colours");
    if (file != nullptr) {
        FreeLibrary(file);
    }
}

} // namespace

int wmain(int argc, wchar_t* argv[])
{
    Checks checks;
    if (!checks.expect(argc == 2, "the program's path is given")) {
        return checks.finish();
    }
    const std::wstring folder = ownFolder();
    checkBinding(checks, narrow(folder));
    checkLauncher(checks, folder);
    checkVersionRecord(checks, argv[1]);
    checkIconGroup(checks, argv[1]);
    return checks.finish();
}
