// SPDX-License-Identifier: MIT
// A stand-in for RasApi32.dll, written against the platform's <ras.h> and not against the
// program's own records. It lists two connections, the first connected and the second still
// dialling, and refuses what the real library refuses: a record of another version, a buffer too
// small for the list, a handle it did not list.
#include <cstddef>
#include <cstring>
#include <ras.h>
#include <raserror.h>
#include <utility>
#include <windows.h>

namespace {

// The record versions stamped 412 and 160 end with szDeviceName; <ras.h> declares the later,
// longer versions, so the size of a record here is where that field ends, rounded to the
// record's alignment.
constexpr DWORD connectionRecordSize =
    (offsetof(RASCONNA, szDeviceName) + sizeof(std::declval<RASCONNA&>().szDeviceName) +
     alignof(RASCONNA) - 1) /
    alignof(RASCONNA) * alignof(RASCONNA);
constexpr DWORD statusRecordSize =
    (offsetof(RASCONNSTATUSA, szDeviceName) + sizeof(std::declval<RASCONNSTATUSA&>().szDeviceName) +
     alignof(RASCONNSTATUSA) - 1) /
    alignof(RASCONNSTATUSA) * alignof(RASCONNSTATUSA);

struct Listed
{
    ULONG_PTR handle;
    RASCONNSTATE state;
    const char* name;
};
// Handles of no special meaning, just not 0 and not 1, 2: the caller must pass on what it read.
constexpr Listed listed[] = {
    {0x5A17, RASCS_Connected, "office"},
    {0x5A18, RASCS_ConnectDevice, "home"},
};
constexpr DWORD listedCount = sizeof(listed) / sizeof(listed[0]);

template <std::size_t size> void copyName(CHAR (&field)[size], const char* name)
{
    std::strncpy(field, name, size - 1);
    field[size - 1] = '\0';
}

} // namespace

extern "C" __declspec(dllexport) DWORD WINAPI
    RasEnumConnectionsA(LPRASCONNA connections, LPDWORD byteCount, LPDWORD connectionCount)
{
    if (connections == nullptr || byteCount == nullptr || connectionCount == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (connections->dwSize != connectionRecordSize) {
        return ERROR_INVALID_SIZE;
    }
    const DWORD needed = listedCount * connectionRecordSize;
    if (*byteCount < needed) {
        *byteCount = needed;
        return ERROR_BUFFER_TOO_SMALL;
    }
    // The records follow one another at the stamped size, not at the size of <ras.h>'s version.
    auto* const bytes = reinterpret_cast<unsigned char*>(connections);
    for (DWORD i = 0; i < listedCount; ++i) {
        auto* const record = reinterpret_cast<RASCONNA*>(bytes + i * connectionRecordSize);
        record->dwSize = connectionRecordSize;
        record->hrasconn = reinterpret_cast<HRASCONN>(listed[i].handle);
        copyName(record->szEntryName, listed[i].name);
        copyName(record->szDeviceType, RASDT_Modem);
        copyName(record->szDeviceName, "Stand-in modem");
    }
    *byteCount = needed;
    *connectionCount = listedCount;
    return 0;
}

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
            copyName(status->szDeviceType, RASDT_Modem);
            copyName(status->szDeviceName, "Stand-in modem");
            return 0;
        }
    }
    return ERROR_INVALID_HANDLE;
}
