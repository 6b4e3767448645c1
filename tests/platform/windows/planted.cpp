// SPDX-License-Identifier: MIT
// A DLL planted beside the program under the names of the DLLs it loads. When any process loads
// it, it appends one line to the file CORVANE_PLANTED_LOG names: the process's file and its own.
// Nothing else: a program that loaded it would find none of the entries it expected.
#include <cstdio>
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    wchar_t log[MAX_PATH] = {};
    if (reason != DLL_PROCESS_ATTACH ||
        GetEnvironmentVariableW(L"CORVANE_PLANTED_LOG", log, MAX_PATH) - 1 >= MAX_PATH - 1) {
        return TRUE;
    }
    wchar_t process[MAX_PATH] = {};
    wchar_t library[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, process, MAX_PATH);
    GetModuleFileNameW(self, library, MAX_PATH);
    if (FILE* out = _wfopen(log, L"a, ccs=UTF-8")) {
        fwprintf(out, L"%ls loaded %ls\n", process, library);
        fclose(out);
    }
    return TRUE;
}
