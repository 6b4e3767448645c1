// SPDX-License-Identifier: MIT
// The launcher's Qt-free part: the site command, and a harmless command (the probe beside this
// program) started with window style 4 without waiting for it.
#include "checks.h"
#include "groups.h"
#include "helpers.h"
#include "launcher/startdetached.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <windows.h>

namespace {

static_assert(launch::showWithoutActivating == SW_SHOWNOACTIVATE);

// How long to wait for the probe's record: past the probe's own wait to be released, so a start
// that waits for the probe still ends with a record that says so.
constexpr DWORD recordWaitMilliseconds = 60'000;
constexpr DWORD pollMilliseconds = 50;

struct HandleCloser
{
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

bool fileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The probe's record: one name=value per line.
std::map<std::string, std::string> readRecord(const std::wstring& path)
{
    std::map<std::string, std::string> values;
    std::ifstream in{std::filesystem::path(path)};
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) {
            values[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return values;
}

std::wstring tempFolder()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    return std::wstring(buffer, length);
}

void checkAStart(Checks& checks)
{
    const std::wstring id = std::to_wstring(GetCurrentProcessId());
    const std::wstring record = tempFolder() + L"corvane-startup-probe-" + id + L".txt";
    const std::wstring eventName = L"corvane-startup-probe-" + id;
    DeleteFileW(record.c_str());
    const OwnedHandle release(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    if (!checks.expect(release != nullptr, "the probe's release event is made")) {
        return;
    }

    const std::wstring command =
        L"\"" + ownFolder() + L"\\corvane_startup_probe.exe\" \"" + record + L"\" " + eventName;
    const std::optional<std::string> failure =
        launch::startDetached(command, launch::showWithoutActivating);
    // Released only now: had the start waited for the probe, the probe has given up by now.
    SetEvent(release.get());
    if (!checks.expect(!failure, "a harmless command starts", failure.value_or(""))) {
        return;
    }

    DWORD waited = 0;
    while (!fileExists(record) && waited < recordWaitMilliseconds) {
        Sleep(pollMilliseconds);
        waited += pollMilliseconds;
    }
    if (!checks.expect(fileExists(record), "the started command wrote its record")) {
        return;
    }
    auto values = readRecord(record);
    DeleteFileW(record.c_str());
    const unsigned long flags = std::stoul(values["flags"].empty() ? "0" : values["flags"]);
    checks.expect((flags & STARTF_USESHOWWINDOW) != 0, "it was told to use the given window style",
                  "dwFlags " + values["flags"]);
    checks.expectEqual(values["show"], std::string("4"), "its window style is 4");
    checks.expectEqual(values["released"], std::string("yes"),
                       "the start returned while the command still ran");
}

} // namespace

void checkStartDetached(Checks& checks)
{
    checks.group("launcher");
    checks.expectEqual(narrow(launch::explorerCommandLine(L"http://www.corvane.example")),
                       std::string("explorer http://www.corvane.example"), "the site command");
    checkAStart(checks);

    const std::optional<std::string> missing =
        launch::startDetached(L"corvane-no-such-program-7c1e", launch::showWithoutActivating);
    checks.expect(missing.has_value() && missing->find("(error 2)") != std::string::npos,
                  "a command that cannot start gives the system's reason",
                  missing.value_or("it started"));
}
