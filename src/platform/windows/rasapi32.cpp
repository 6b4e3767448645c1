// SPDX-License-Identifier: MIT
#include "rasapi32.h"

#include "bindingfailure.h"
#include "platform/windowserror.h"

#include <cstdint>
#include <type_traits>
#include <utility>
// <windows.h> comes after the records: its error-code macros would otherwise rewrite the return
// codes that mdconnectiontest.h declares under the same names.
#include <windows.h>

namespace connectiontest {

using mdConnectionTest::HRASCONN;
using mdConnectionTest::RASCONNA;
using mdConnectionTest::RASCONNSTATUSA;

namespace {

// The records carry the connection handle in 32 bits, as 32-bit Windows passes it: the program
// is built for i686, where the 412- and 160-byte record versions are the platform's own.
static_assert(sizeof(HANDLE) == sizeof(HRASCONN), "build for 32-bit Windows (i686)");
static_assert(sizeof(DWORD) == sizeof(std::uint32_t));

// The two functions as RasApi32.dll exports them: __stdcall, the records and counts by address,
// the handle by value.
using EnumConnectionsEntry = std::uint32_t(WINAPI*)(RASCONNA*, std::uint32_t*, std::int32_t*);
using GetConnectStatusEntry = std::uint32_t(WINAPI*)(HRASCONN, RASCONNSTATUSA*);

struct FreeLibraryDeleter
{
    void operator()(HMODULE library) const noexcept { FreeLibrary(library); }
};
using LibraryHandle = std::unique_ptr<std::remove_pointer_t<HMODULE>, FreeLibraryDeleter>;

} // namespace

struct RasApi32::Binding
{
    LibraryHandle library;
    EnumConnectionsEntry enumConnections = nullptr;
    GetConnectStatusEntry getConnectStatus = nullptr;

    // The library, loaded on first use. A bare name is looked for in the system folder only, so
    // that a file of that name beside the program or in the working folder is never loaded.
    HMODULE loaded(const std::string& name)
    {
        if (!library) {
            HMODULE handle = LoadLibraryExA(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
            if (handle == nullptr) {
                const DWORD error = GetLastError();
                throw BindingFailure("Could not load " + name, platform::windowsErrorText(error));
            }
            library.reset(handle);
        }
        return library.get();
    }

    // The entry `name` of the library `libraryName`, resolved into `entry` on first use.
    template <typename Entry>
    Entry resolved(Entry& entry, const std::string& libraryName, const std::string& name)
    {
        if (entry == nullptr) {
            const FARPROC address = GetProcAddress(loaded(libraryName), name.c_str());
            if (address == nullptr) {
                const DWORD error = GetLastError();
                throw BindingFailure("Could not find " + name + " in " + libraryName,
                                     platform::windowsErrorText(error));
            }
            // GetProcAddress gives every entry one type; the detour through the generic function
            // pointer type says that the cast to the real signature is meant.
            entry = reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(address));
        }
        return entry;
    }
};

RasApi32::RasApi32(RasApi32Names names)
    : names_(std::move(names)), binding_(std::make_unique<Binding>())
{}

RasApi32::~RasApi32() = default;

std::uint32_t RasApi32::RasEnumConnectionsA(RASCONNA* first, std::uint32_t* byteCount,
                                            std::int32_t* connectionCount)
{
    const EnumConnectionsEntry call =
        binding_->resolved(binding_->enumConnections, names_.library, names_.enumConnections);
    return noteResult(names_.enumConnections, call(first, byteCount, connectionCount));
}

std::uint32_t RasApi32::RasGetConnectStatusA(HRASCONN connection, RASCONNSTATUSA* status)
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
