// SPDX-License-Identifier: MIT
// A stand-in for explorer.exe. Each start writes how it was started (its command line,
// STARTUPINFO's dwFlags and wShowWindow) to a file of its own beside itself,
// "<this program>.start-<process id>", so that a test tells copies in different folders apart
// and counts the starts of each. Then it stays a while, so that a starter that waited for it
// would be seen waiting.
#include <cstdio>
#include <windows.h>

namespace {
constexpr DWORD stayMilliseconds = 30'000;
// Room for the record's name after the program's own path.
constexpr DWORD suffixRoom = 32;
} // namespace

int wmain()
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length == MAX_PATH) {
        return 1;
    }
    wchar_t record[MAX_PATH + suffixRoom] = {};
    _snwprintf(record, MAX_PATH + suffixRoom, L"%ls.start-%lu", self, GetCurrentProcessId());
    // Written aside and renamed, so the test never reads half a record.
    wchar_t partial[MAX_PATH + suffixRoom + 8] = {};
    _snwprintf(partial, MAX_PATH + suffixRoom + 8, L"%ls.part", record);
    FILE* out = _wfopen(partial, L"w, ccs=UTF-8");
    if (out == nullptr) {
        return 1;
    }
    fwprintf(out, L"command=%ls\nflags=%lu\nshow=%u\n", GetCommandLineW(), startup.dwFlags,
             static_cast<unsigned>(startup.wShowWindow));
    fclose(out);
    MoveFileExW(partial, record, MOVEFILE_REPLACE_EXISTING);
    Sleep(stayMilliseconds);
    return 0;
}
