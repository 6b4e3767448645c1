// SPDX-License-Identifier: MIT
// COM on the window's thread for as long as this object lives: screen readers reach the window's
// object for them through it.
#pragma once

#include <objbase.h>

namespace win32 {

class ComApartment
{
public:
    // A single-threaded apartment: calls from other processes arrive as window messages, which
    // the window's message loop dispatches on this thread.
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment()
    {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // CoInitializeEx's result: S_OK, or the reason it failed.
    HRESULT result() const { return result_; }

private:
    HRESULT result_;
};

} // namespace win32
