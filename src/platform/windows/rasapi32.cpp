// SPDX-License-Identifier: MIT
#include "rasapi32.h"

#include "core/bindingfailure.h"
#include "systemlibrary.h"
#include "windowserror.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <variant>

namespace connectiontest {

namespace {

// The program's records under names of their own: <ras.h>, below, makes RASCONNA and
// RASCONNSTATUSA macros for its records. It and <windows.h> come after the records, whose return
// codes share their names with the error-code macros of <windows.h>.
using ConnectionRecord = mdConnectionTest::RASCONNA;
using StatusRecord = mdConnectionTest::RASCONNSTATUSA;
using mdConnectionTest::HRASCONN;

} // namespace

} // namespace connectiontest

#include <windows.h>
// The platform's own records, to check the program's against.
#include <ras.h>

namespace connectiontest {

namespace {

// The records' handle is a HANDLE as the platform passes it: 32 bits in the 412- and 160-byte
// versions of 32-bit Windows, 64 bits in the 64-bit layouts.
static_assert(sizeof(HANDLE) == sizeof(HRASCONN));
static_assert(sizeof(DWORD) == sizeof(std::uint32_t));
static_assert(offsetof(ConnectionRecord, hrasconn) == offsetof(RASCONNA, hrasconn));
static_assert(offsetof(ConnectionRecord, szDeviceName) == offsetof(RASCONNA, szDeviceName));
static_assert(offsetof(StatusRecord, rasconnstate) == offsetof(RASCONNSTATUSA, rasconnstate));
static_assert(offsetof(StatusRecord, szDeviceName) == offsetof(RASCONNSTATUSA, szDeviceName));
static_assert(mdConnectionTest::RASCS_Connected == RASCS_Connected);
#if defined(_WIN64)
// The 64-bit layouts are <ras.h>'s own.
static_assert(sizeof(ConnectionRecord) == sizeof(RASCONNA));
static_assert(sizeof(StatusRecord) == sizeof(RASCONNSTATUSA));
#else
// The versions stamped 412 and 160 are <ras.h>'s records up to and including szDeviceName,
// rounded up to their 4-byte alignment.
constexpr std::size_t deviceNameEnd(std::size_t offset)
{
    return (offset + RAS_MaxDeviceName + 1 + 3) / 4 * 4;
}
static_assert(sizeof(ConnectionRecord) == deviceNameEnd(offsetof(RASCONNA, szDeviceName)));
static_assert(sizeof(StatusRecord) == deviceNameEnd(offsetof(RASCONNSTATUSA, szDeviceName)));
#endif

// The two functions as RasApi32.dll exports them: __stdcall, the records and counts by address,
// the handle by value.
using EnumConnectionsEntry = std::uint32_t(WINAPI*)(ConnectionRecord*, std::uint32_t*,
                                                    std::int32_t*);
using GetConnectStatusEntry = std::uint32_t(WINAPI*)(HRASCONN, StatusRecord*);

// The bound thing, or the failure to bind it raised as the connection test expects.
template <typename Bound> Bound bound(std::variant<Bound, core::Failure> result)
{
    if (auto* failure = std::get_if<core::Failure>(&result)) {
        throw BindingFailure(failure->what, failure->why);
    }
    return std::move(std::get<Bound>(result));
}

} // namespace

struct RasApi32::Binding
{
    // Loaded on first use, from the system folder only.
    std::optional<platform::SystemLibrary> library;
    EnumConnectionsEntry enumConnections = nullptr;
    GetConnectStatusEntry getConnectStatus = nullptr;

    // The entry `name` of the library `libraryName`, resolved into `entry` on first use.
    template <typename Entry>
    Entry resolved(Entry& entry, const std::string& libraryName, const std::string& name)
    {
        if (entry == nullptr) {
            if (!library) {
                library.emplace(bound(platform::SystemLibrary::load(libraryName)));
            }
            entry = bound(library->entry<Entry>(name));
        }
        return entry;
    }
};

RasApi32::RasApi32(RasApi32Names names)
    : names_(std::move(names)), binding_(std::make_unique<Binding>())
{}

RasApi32::~RasApi32() = default;

std::uint32_t RasApi32::RasEnumConnectionsA(ConnectionRecord* first, std::uint32_t* byteCount,
                                            std::int32_t* connectionCount)
{
    const EnumConnectionsEntry call =
        binding_->resolved(binding_->enumConnections, names_.library, names_.enumConnections);
    return noteResult(names_.enumConnections, call(first, byteCount, connectionCount));
}

std::uint32_t RasApi32::RasGetConnectStatusA(HRASCONN connection, StatusRecord* status)
{
    const GetConnectStatusEntry call =
        binding_->resolved(binding_->getConnectStatus, names_.library, names_.getConnectStatus);
    return noteResult(names_.getConnectStatus, call(connection, status));
}

const char* RasApi32::lastFailureReason() const
{
    return lastFailureReason_.c_str();
}

std::uint32_t RasApi32::noteResult(const std::string& name, std::uint32_t result)
{
    if (result != 0) {
        lastFailureReason_ = name + ": " + platform::windowsErrorText(result);
    }
    return result;
}

} // namespace connectiontest
