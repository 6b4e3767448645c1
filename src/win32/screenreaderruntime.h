// SPDX-License-Identifier: MIT
// What screen readers need of Windows: Active Accessibility (OLEACC), COM (OLE32) and its strings
// (OLEAUT32). None of it is imported: it is loaded from the system folder when a reader first
// asks for the window's object, so a start without a reader pays nothing for it, and an OLEACC.dll
// planted beside the program is never loaded. COM runs on the window's thread while this lives.
#pragma once

#include "core/failure.h"
#include "platform/windows/systemlibrary.h"

#include <memory>
#include <oleacc.h>
#include <variant>

namespace win32 {

// The functions of those libraries that the window's object uses.
struct AccessibilityFunctions
{
    decltype(&::CreateStdAccessibleObject) createStdAccessibleObject = nullptr;
    decltype(&::LresultFromObject) lresultFromObject = nullptr;
    decltype(&::AccessibleObjectFromWindow) accessibleObjectFromWindow = nullptr;
    decltype(&::SysAllocStringLen) sysAllocStringLen = nullptr;
};

class ScreenReaderRuntime
{
public:
    // The libraries loaded and COM started in a single-threaded apartment (calls from readers
    // arrive as window messages, which the message loop dispatches on this thread); or what
    // failed.
    static std::variant<std::unique_ptr<ScreenReaderRuntime>, core::Failure> start();
    ~ScreenReaderRuntime();
    ScreenReaderRuntime(const ScreenReaderRuntime&) = delete;
    ScreenReaderRuntime& operator=(const ScreenReaderRuntime&) = delete;

    const AccessibilityFunctions& functions() const { return functions_; }

private:
    ScreenReaderRuntime(platform::SystemLibrary ole32, platform::SystemLibrary oleaut32,
                        platform::SystemLibrary oleacc)
        : ole32_(std::move(ole32)), oleaut32_(std::move(oleaut32)), oleacc_(std::move(oleacc))
    {}

    platform::SystemLibrary ole32_;
    platform::SystemLibrary oleaut32_;
    platform::SystemLibrary oleacc_;
    AccessibilityFunctions functions_;
    decltype(&::CoUninitialize) coUninitialize_ = nullptr;
};

} // namespace win32
