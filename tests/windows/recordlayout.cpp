// SPDX-License-Identifier: MIT
// The program's dial-up records, states and return codes against the platform's own headers,
// checked when this file compiles. <ras.h> declares only the newest record versions; the versions
// stamped 412 and 160 are their leading fields, up to and including szDeviceName.
#include "connection/mdconnectiontest.h"

#include <cstddef>
#include <cstdint>

namespace ours {

using mdConnectionTest::RASCONNA;
using mdConnectionTest::RASCONNSTATUSA;

constexpr std::size_t connectionSize = sizeof(RASCONNA);
constexpr std::size_t connectionHandle = offsetof(RASCONNA, hrasconn);
constexpr std::size_t connectionEntryName = offsetof(RASCONNA, szEntryName);
constexpr std::size_t connectionDeviceType = offsetof(RASCONNA, szDeviceType);
constexpr std::size_t connectionDeviceName = offsetof(RASCONNA, szDeviceName);
constexpr std::size_t statusSize = sizeof(RASCONNSTATUSA);
constexpr std::size_t statusState = offsetof(RASCONNSTATUSA, rasconnstate);
constexpr std::size_t statusError = offsetof(RASCONNSTATUSA, dwError);
constexpr std::size_t statusDeviceType = offsetof(RASCONNSTATUSA, szDeviceType);
constexpr std::size_t statusDeviceName = offsetof(RASCONNSTATUSA, szDeviceName);

constexpr std::uint32_t connectDevice = mdConnectionTest::RASCS_ConnectDevice;
constexpr std::uint32_t authenticate = mdConnectionTest::RASCS_Authenticate;
constexpr std::uint32_t connected = mdConnectionTest::RASCS_Connected;

constexpr std::uint32_t pathNotFound = mdConnectionTest::ERROR_PATH_NOT_FOUND;
constexpr std::uint32_t accessDenied = mdConnectionTest::ERROR_ACCESS_DENIED;
constexpr std::uint32_t invalidHandle = mdConnectionTest::ERROR_INVALID_HANDLE;
constexpr std::uint32_t readFault = mdConnectionTest::ERROR_READ_FAULT;
constexpr std::uint32_t invalidParameter = mdConnectionTest::ERROR_INVALID_PARAMETER;
constexpr std::uint32_t bufferTooSmall = mdConnectionTest::ERROR_BUFFER_TOO_SMALL;
constexpr std::uint32_t invalidSize = mdConnectionTest::ERROR_INVALID_SIZE;

} // namespace ours

// The platform's headers come last: their macros share names with the declarations above.
#include <ras.h>
#include <raserror.h>
#include <utility>
#include <windows.h>

namespace {

// A record's size: its fields' end, rounded up to the record's alignment.
constexpr std::size_t recordSize(std::size_t end, std::size_t alignment)
{
    return (end + alignment - 1) / alignment * alignment;
}

static_assert(ours::connectionHandle == offsetof(RASCONNA, hrasconn));
static_assert(ours::connectionEntryName == offsetof(RASCONNA, szEntryName));
static_assert(ours::connectionDeviceType == offsetof(RASCONNA, szDeviceType));
static_assert(ours::connectionDeviceName == offsetof(RASCONNA, szDeviceName));
static_assert(ours::connectionSize == recordSize(offsetof(RASCONNA, szDeviceName) +
                                                     sizeof(std::declval<RASCONNA&>().szDeviceName),
                                                 alignof(RASCONNA)));

static_assert(ours::statusState == offsetof(RASCONNSTATUSA, rasconnstate));
static_assert(ours::statusError == offsetof(RASCONNSTATUSA, dwError));
static_assert(ours::statusDeviceType == offsetof(RASCONNSTATUSA, szDeviceType));
static_assert(ours::statusDeviceName == offsetof(RASCONNSTATUSA, szDeviceName));
static_assert(ours::statusSize ==
              recordSize(offsetof(RASCONNSTATUSA, szDeviceName) +
                             sizeof(std::declval<RASCONNSTATUSA&>().szDeviceName),
                         alignof(RASCONNSTATUSA)));

static_assert(ours::connectDevice == RASCS_ConnectDevice);
static_assert(ours::authenticate == RASCS_Authenticate);
static_assert(ours::connected == RASCS_Connected);

static_assert(ours::pathNotFound == ERROR_PATH_NOT_FOUND);
static_assert(ours::accessDenied == ERROR_ACCESS_DENIED);
static_assert(ours::invalidHandle == ERROR_INVALID_HANDLE);
static_assert(ours::readFault == ERROR_READ_FAULT);
static_assert(ours::invalidParameter == ERROR_INVALID_PARAMETER);
static_assert(ours::bufferTooSmall == ERROR_BUFFER_TOO_SMALL);
static_assert(ours::invalidSize == ERROR_INVALID_SIZE);

} // namespace
