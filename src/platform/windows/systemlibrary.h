// SPDX-License-Identifier: MIT
// A DLL of Windows' system folder, loaded at run time and released when its owner goes. Windows
// looks for a DLL that is not one of its KnownDLLs beside the program first: anyone who can put
// a file in the program's folder (a Downloads folder, say) could run code in it at every start.
// So the program imports only KnownDLLs and the common controls, and loads everything else here,
// from the system folder alone.
#pragma once

#include "core/failure.h"

#include <memory>
#include <string>
#include <utility>
#include <variant>

namespace platform {

// The address of the entry `name` of the DLL `module`, which the program imports and so is loaded
// already; null on a Windows that lacks it.
void (*importedAddress(const wchar_t* module, const char* name))();

// That entry as a function of the type `Entry` (which the caller vouches for): for functions
// newer than the oldest Windows the program starts on, found at run time.
template <typename Entry> Entry importedEntry(const wchar_t* module, const char* name)
{
    // Every entry comes as one generic function type; the cast to the real one is meant.
    return reinterpret_cast<Entry>(importedAddress(module, name));
}

class SystemLibrary
{
public:
    // The library `name` (e.g. "oleacc.dll") from the system folder, never from the program's
    // folder or the current one; or what failed, "Could not load <name>" and the system's reason.
    static std::variant<SystemLibrary, core::Failure> load(const std::string& name);

    // The entry `name` as a function of the type `Entry` (which the caller vouches for); or what
    // failed, "Could not find <entry> in <library>" and the system's reason.
    template <typename Entry>
    std::variant<Entry, core::Failure> entry(const std::string& name) const
    {
        auto found = address(name);
        if (auto* failure = std::get_if<core::Failure>(&found)) {
            return std::move(*failure);
        }
        // Every entry comes as one generic function type; the cast to the real one is meant.
        return reinterpret_cast<Entry>(std::get<Address>(found));
    }

private:
    using Address = void (*)();
    struct Release
    {
        void operator()(void* module) const noexcept;
    };

    SystemLibrary(void* module, std::string name) : module_(module), name_(std::move(name)) {}
    std::variant<Address, core::Failure> address(const std::string& name) const;

    std::unique_ptr<void, Release> module_;
    std::string name_;
};

} // namespace platform
