// SPDX-License-Identifier: MIT
#include "screenreaderruntime.h"

#include "platform/windows/windowserror.h"

#include <optional>
#include <string>

namespace win32 {

namespace {

// Resolves each entry into its pointer, until one is missing.
class Binder
{
public:
    explicit Binder(const platform::SystemLibrary& library) : library_(library) {}

    template <typename Entry> Binder& bind(Entry& into, const std::string& name)
    {
        if (!failure) {
            auto found = library_.entry<Entry>(name);
            if (auto* failed = std::get_if<core::Failure>(&found)) {
                failure = std::move(*failed);
            } else {
                into = std::get<Entry>(found);
            }
        }
        return *this;
    }

    std::optional<core::Failure> failure;

private:
    const platform::SystemLibrary& library_;
};

} // namespace

std::variant<std::unique_ptr<ScreenReaderRuntime>, core::Failure> ScreenReaderRuntime::start()
{
    auto ole32 = platform::SystemLibrary::load("ole32.dll");
    auto oleaut32 = platform::SystemLibrary::load("oleaut32.dll");
    auto oleacc = platform::SystemLibrary::load("oleacc.dll");
    for (auto* loaded : {&ole32, &oleaut32, &oleacc}) {
        if (auto* failure = std::get_if<core::Failure>(loaded)) {
            return std::move(*failure);
        }
    }
    std::unique_ptr<ScreenReaderRuntime> runtime(
        new ScreenReaderRuntime(std::move(std::get<platform::SystemLibrary>(ole32)),
                                std::move(std::get<platform::SystemLibrary>(oleaut32)),
                                std::move(std::get<platform::SystemLibrary>(oleacc))));
    AccessibilityFunctions& functions = runtime->functions_;
    decltype(&::CoInitializeEx) coInitializeEx = nullptr;
    decltype(&::CoUninitialize) coUninitialize = nullptr;
    for (const auto& failure :
         {Binder(runtime->ole32_)
              .bind(coInitializeEx, "CoInitializeEx")
              .bind(coUninitialize, "CoUninitialize")
              .failure,
          Binder(runtime->oleaut32_).bind(functions.sysAllocStringLen, "SysAllocStringLen").failure,
          Binder(runtime->oleacc_)
              .bind(functions.createStdAccessibleObject, "CreateStdAccessibleObject")
              .bind(functions.lresultFromObject, "LresultFromObject")
              .bind(functions.accessibleObjectFromWindow, "AccessibleObjectFromWindow")
              .failure}) {
        if (failure) {
            return *failure;
        }
    }
    if (const HRESULT result = coInitializeEx(nullptr, COINIT_APARTMENTTHREADED); FAILED(result)) {
        return core::Failure{"Could not start COM for screen readers",
                             platform::windowsErrorText(static_cast<unsigned long>(result))};
    }
    // Only COM that started is stopped again.
    runtime->coUninitialize_ = coUninitialize;
    return runtime;
}

ScreenReaderRuntime::~ScreenReaderRuntime()
{
    if (coUninitialize_ != nullptr) {
        coUninitialize_();
    }
}

} // namespace win32
