// SPDX-License-Identifier: MIT
// A stand-in for RasApi32.dll, written against the platform's <ras.h> and not against the
// program's own records. The environment variable CORVANE_RASAPI chooses what it answers, at
// each call:
//   "connected"  two connections: the first connected, the second still dialling;
//   "second connected"  the same two, the one still dialling first;
//   "fail N"     the listing fails with the code N;
//   otherwise    no connection.
// Like the real library it refuses a record of another version, a buffer too small for the list
// and a handle it did not list. Built with CORVANE_WITHOUT_STATUS it lacks RasGetConnectStatusA.
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <ras.h>
#include <raserror.h>
#include <string>
#include <windows.h>

namespace {

#if defined(_WIN64)
// 64-bit Windows knows the records only in <ras.h>'s layouts.
constexpr DWORD connectionRecordSize = sizeof(RASCONNA);
constexpr DWORD statusRecordSize = sizeof(RASCONNSTATUSA);
#else
// The versions stamped 412 and 160 end with szDeviceName: the size of such a record is where that
// field ends, rounded up to the record's alignment.
constexpr DWORD recordSize(std::size_t end, std::size_t alignment)
{
    return static_cast<DWORD>((end + alignment - 1) / alignment * alignment);
}
constexpr DWORD connectionRecordSize =
    recordSize(offsetof(RASCONNA, szDeviceName) + RAS_MaxDeviceName + 1, alignof(RASCONNA));
constexpr DWORD statusRecordSize = recordSize(
    offsetof(RASCONNSTATUSA, szDeviceName) + RAS_MaxDeviceName + 1, alignof(RASCONNSTATUSA));
#endif

struct Listed
{
    ULONG_PTR handle;
    RASCONNSTATE state;
};
// Handles of no special meaning, just not 0: the caller must pass on what it read.
constexpr Listed listed[] = {{0x5A17, RASCS_Connected}, {0x5A18, RASCS_ConnectDevice}};

// What CORVANE_RASAPI asks for.
std::string behaviour()
{
    char value[64] = {};
    const DWORD length = GetEnvironmentVariableA("CORVANE_RASAPI", value, sizeof(value));
    return length < sizeof(value) ? std::string(value, length) : std::string();
}

} // namespace

extern "C" __declspec(dllexport) DWORD WINAPI
    RasEnumConnectionsA(LPRASCONNA connections, LPDWORD byteCount, LPDWORD connectionCount)
{
    const std::string asked = behaviour();
    if (asked.rfind("fail ", 0) == 0) {
        return static_cast<DWORD>(std::strtoul(asked.c_str() + 5, nullptr, 10));
    }
    if (connections == nullptr || byteCount == nullptr || connectionCount == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (connections->dwSize != connectionRecordSize) {
        return ERROR_INVALID_SIZE;
    }
    // "second connected" lists the same two the other way round.
    const bool reversed = asked == "second connected";
    const DWORD count = asked == "connected" || reversed ? sizeof(listed) / sizeof(listed[0]) : 0;
    const DWORD needed = count * connectionRecordSize;
    if (*byteCount < needed) {
        *byteCount = needed;
        return ERROR_BUFFER_TOO_SMALL;
    }
    // The records follow one another at the stamped size, whatever <ras.h>'s record measures.
    auto* const bytes = reinterpret_cast<unsigned char*>(connections);
    for (DWORD i = 0; i < count; ++i) {
        auto* const record = reinterpret_cast<LPRASCONNA>(bytes + i * connectionRecordSize);
        record->dwSize = connectionRecordSize;
        record->hrasconn = reinterpret_cast<HRASCONN>(listed[reversed ? count - 1 - i : i].handle);
        std::strcpy(record->szEntryName, i == 0 ? "office" : "home");
        std::strcpy(record->szDeviceType, RASDT_Modem);
        std::strcpy(record->szDeviceName, "Stand-in modem");
    }
    *byteCount = needed;
    *connectionCount = count;
    return 0;
}

#if !defined(CORVANE_WITHOUT_STATUS)
extern "C" __declspec(dllexport) DWORD WINAPI
    RasGetConnectStatusA(HRASCONN connection, LPRASCONNSTATUSA status)
{
    if (status == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (status->dwSize != statusRecordSize) {
        return ERROR_INVALID_SIZE;
    }
    for (const Listed& link : listed) {
        if (reinterpret_cast<ULONG_PTR>(connection) == link.handle) {
            status->rasconnstate = link.state;
            status->dwError = 0;
            std::strcpy(status->szDeviceType, RASDT_Modem);
            std::strcpy(status->szDeviceName, "Stand-in modem");
            return 0;
        }
    }
    return ERROR_INVALID_HANDLE;
}
#endif
