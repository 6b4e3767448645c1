// SPDX-License-Identifier: MIT
// A stand-in for explorer.exe, put beside a copy of the program, where starting "explorer" finds
// it first. It writes to the file named by CORVANE_PROBE_RECORD how it was started (its command
// line, STARTUPINFO's dwFlags and wShowWindow), then stays a while, so that a starter that waited
// for it would be seen waiting.
#include <cstdio>
#include <windows.h>

namespace {
constexpr DWORD stayMilliseconds = 30'000;
} // namespace

int wmain()
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    wchar_t record[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"CORVANE_PROBE_RECORD", record, MAX_PATH) == 0) {
        return 1;
    }
    // Written aside and renamed, so the test never reads half a record.
    wchar_t partial[MAX_PATH + 8] = {};
    _snwprintf(partial, MAX_PATH + 8, L"%ls.part", record);
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
