// SPDX-License-Identifier: MIT
// The harmless command that the launcher's check starts:
//   corvane_startup_probe RECORD EVENT
// It writes to RECORD how it was started (STARTUPINFO's dwFlags and wShowWindow) and whether the
// event EVENT was set while it waited, which the starter sets only once its start call returned.
#include <fstream>
#include <memory>
#include <string>
#include <type_traits>
#include <windows.h>

namespace {

// How long the probe waits to be released: far beyond a start that does not wait, and short of
// the test's own patience.
constexpr DWORD releaseWaitMilliseconds = 30'000;

struct HandleCloser
{
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        return 2;
    }
    const std::string record = argv[1];

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);

    bool released = false;
    if (const OwnedHandle event(OpenEventA(SYNCHRONIZE, FALSE, argv[2])); event) {
        released = WaitForSingleObject(event.get(), releaseWaitMilliseconds) == WAIT_OBJECT_0;
    }

    // Written aside and renamed, so the starter never reads half a record.
    const std::string partial = record + ".part";
    {
        std::ofstream out(partial, std::ios::trunc);
        out << "flags=" << startup.dwFlags << '\n'
            << "show=" << startup.wShowWindow << '\n'
            << "released=" << (released ? "yes" : "no") << '\n';
        if (!out.flush()) {
            return 1;
        }
    }
    return MoveFileExA(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
