// SPDX-License-Identifier: MIT
// The dial-up records and the two functions of the platform's Remote Access Service that the
// connection test uses. The records keep the 32-bit ANSI layouts of the first RAS versions
// (size stamps 412 and 160), whatever platform supplies the functions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mdConnectionTest {

// Field sizes from <ras.h>: RAS_MaxEntryName, RAS_MaxDeviceType and RAS_MaxDeviceName, plus the
// terminating NUL.
inline constexpr std::size_t entryNameLength = 256 + 1;
inline constexpr std::size_t deviceTypeLength = 16 + 1;
inline constexpr std::size_t deviceNameLength = 128 + 1;

// The size stamps that identify the record versions.
inline constexpr std::uint32_t rasConnSize = 412;
inline constexpr std::uint32_t rasConnStatusSize = 160;

// States from the RASCONNSTATE enumeration of <ras.h>: a link whose device is not up yet (2), one
// still authenticating (5), and one fully up.
inline constexpr std::uint32_t RASCS_ConnectDevice = 2;
inline constexpr std::uint32_t RASCS_Authenticate = 5;
inline constexpr std::uint32_t RASCS_Connected = 0x2000;

// Return codes, as the platform's: <winerror.h> and <raserror.h>.
inline constexpr std::uint32_t SUCCESS = 0;
inline constexpr std::uint32_t ERROR_PATH_NOT_FOUND = 3;
inline constexpr std::uint32_t ERROR_ACCESS_DENIED = 5;
inline constexpr std::uint32_t ERROR_INVALID_HANDLE = 6;
inline constexpr std::uint32_t ERROR_READ_FAULT = 30;
inline constexpr std::uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr std::uint32_t ERROR_BUFFER_TOO_SMALL = 603;
inline constexpr std::uint32_t ERROR_INVALID_SIZE = 632;

// The handle of one listed connection. 32 bits, as on the platform the records come from.
using HRASCONN = std::uint32_t;

// RASCONNA, the version stamped 412.
struct RASCONNA
{
    std::uint32_t dwSize;
    HRASCONN hrasconn;
    char szEntryName[entryNameLength];
    char szDeviceType[deviceTypeLength];
    char szDeviceName[deviceNameLength];
};
static_assert(sizeof(RASCONNA) == rasConnSize);
static_assert(offsetof(RASCONNA, hrasconn) == 4);

// RASCONNSTATUSA, the version stamped 160. rasconnstate is an enumeration of 32 bits there.
struct RASCONNSTATUSA
{
    std::uint32_t dwSize;
    std::uint32_t rasconnstate;
    std::uint32_t dwError;
    char szDeviceType[deviceTypeLength];
    char szDeviceName[deviceNameLength];
};
static_assert(sizeof(RASCONNSTATUSA) == rasConnStatusSize);
static_assert(offsetof(RASCONNSTATUSA, rasconnstate) == 4);

// The two platform functions, as each platform supplies them.
class RasApi
{
public:
    virtual ~RasApi() = default;

    // Lists the active connections into the buffer that starts at `first`. `byteCount` holds the
    // buffer's size in bytes on entry and the bytes needed on return; `connectionCount` receives
    // the number listed. Returns 0 on success.
    virtual std::uint32_t RasEnumConnectionsA(RASCONNA* first, std::uint32_t* byteCount,
                                              std::int32_t* connectionCount) = 0;

    // Reads the state of one listed connection. Returns 0 on success.
    virtual std::uint32_t RasGetConnectStatusA(HRASCONN connection, RASCONNSTATUSA* status) = 0;

    // A sentence that says why the last call that failed did so, for the report of the failure.
    virtual const char* lastFailureReason() const = 0;

protected:
    RasApi() = default;
    RasApi(const RasApi&) = default;
    RasApi& operator=(const RasApi&) = default;
};

} // namespace mdConnectionTest
