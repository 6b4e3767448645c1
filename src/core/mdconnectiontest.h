// SPDX-License-Identifier: MIT
// The dial-up records and the two functions of the platform's Remote Access Service that the
// connection test uses, in their ANSI forms.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mdConnectionTest {

// Field sizes from <ras.h>: RAS_MaxEntryName, RAS_MaxDeviceType, RAS_MaxDeviceName and
// RAS_MaxPhoneNumber, plus the terminating NUL.
inline constexpr std::size_t entryNameLength = 256 + 1;
inline constexpr std::size_t deviceTypeLength = 16 + 1;
inline constexpr std::size_t deviceNameLength = 128 + 1;
inline constexpr std::size_t phoneNumberLength = 128 + 1;

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

#if defined(_WIN64)
// 64-bit Windows has no 412- and 160-byte versions: there the records are the platform's own,
// as <ras.h> lays them out for 64-bit programs (packed to 4 bytes, the handle a 64-bit HANDLE).
// The binding checks these layouts against the header's at compile time.
using HRASCONN = std::uint64_t;
inline constexpr std::uint32_t rasConnSize = 708;
inline constexpr std::uint32_t rasConnStatusSize = 288;

#pragma pack(push, 4)
struct RASCONNA
{
    std::uint32_t dwSize;
    HRASCONN hrasconn;
    char szEntryName[entryNameLength];
    char szDeviceType[deviceTypeLength];
    char szDeviceName[deviceNameLength];
    // szPhonebook, dwSubEntry, guidEntry, dwFlags and luid, which the test never reads.
    unsigned char
        laterFields[rasConnSize - 12 - entryNameLength - deviceTypeLength - deviceNameLength];
};

struct RASCONNSTATUSA
{
    std::uint32_t dwSize;
    std::uint32_t rasconnstate;
    std::uint32_t dwError;
    char szDeviceType[deviceTypeLength];
    char szDeviceName[deviceNameLength];
    char szPhoneNumber[phoneNumberLength];
};
#pragma pack(pop)
#else
// The records of the first RAS versions, identified by their size stamps 412 and 160, with the
// handle in 32 bits as 32-bit Windows passes it. Linux, which supplies the functions itself,
// keeps the same layouts.
using HRASCONN = std::uint32_t;
inline constexpr std::uint32_t rasConnSize = 412;
inline constexpr std::uint32_t rasConnStatusSize = 160;

struct RASCONNA
{
    std::uint32_t dwSize;
    HRASCONN hrasconn;
    char szEntryName[entryNameLength];
    char szDeviceType[deviceTypeLength];
    char szDeviceName[deviceNameLength];
};

// rasconnstate is an enumeration of 32 bits there.
struct RASCONNSTATUSA
{
    std::uint32_t dwSize;
    std::uint32_t rasconnstate;
    std::uint32_t dwError;
    char szDeviceType[deviceTypeLength];
    char szDeviceName[deviceNameLength];
};
#endif
static_assert(sizeof(RASCONNA) == rasConnSize);
static_assert(offsetof(RASCONNA, hrasconn) == 4);
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

    // A sentence (UTF-8) that says why the last call that failed did so, for the failure's report.
    virtual const char* lastFailureReason() const = 0;

protected:
    RasApi() = default;
    RasApi(const RasApi&) = default;
    RasApi& operator=(const RasApi&) = default;
};

} // namespace mdConnectionTest
