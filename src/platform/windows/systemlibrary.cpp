// SPDX-License-Identifier: MIT
#include "systemlibrary.h"

#include "widetext.h"
#include "windowserror.h"

#include <windows.h>

namespace platform {

void (*importedAddress(const wchar_t* module, const char* name))()
{
    const HMODULE loaded = GetModuleHandleW(module);
    return reinterpret_cast<void (*)()>(loaded != nullptr ? GetProcAddress(loaded, name) : nullptr);
}

void SystemLibrary::Release::operator()(void* module) const noexcept
{
    FreeLibrary(static_cast<HMODULE>(module));
}

std::variant<SystemLibrary, core::Failure> SystemLibrary::load(const std::string& name)
{
    // LOAD_LIBRARY_SEARCH_SYSTEM32 holds for the libraries it imports, too.
    HMODULE module = LoadLibraryExW(widen(name).c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) {
        const DWORD error = GetLastError();
        return core::Failure{"Could not load " + name, windowsErrorText(error)};
    }
    return SystemLibrary(module, name);
}

std::variant<SystemLibrary::Address, core::Failure>
SystemLibrary::address(const std::string& name) const
{
    const FARPROC found = GetProcAddress(static_cast<HMODULE>(module_.get()), name.c_str());
    if (found == nullptr) {
        const DWORD error = GetLastError();
        return core::Failure{"Could not find " + name + " in " + name_, windowsErrorText(error)};
    }
    return reinterpret_cast<Address>(found);
}

} // namespace platform
