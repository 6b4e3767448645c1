// SPDX-License-Identifier: MIT
#include "dpifunctions.h"

namespace win32 {

namespace {

// The entry `name` of USER32, which the program imports, so it is loaded already; or null on a
// Windows that lacks it.
template <typename Entry> Entry user32Entry(const char* name)
{
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const FARPROC found = user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
    // Every entry comes as one generic function type; the cast to the real one is meant.
    return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(found));
}

} // namespace

DpiFunctions::DpiFunctions()
    : systemParametersInfoForDpi_(
          user32Entry<decltype(systemParametersInfoForDpi_)>("SystemParametersInfoForDpi")),
      adjustWindowRectExForDpi_(
          user32Entry<decltype(adjustWindowRectExForDpi_)>("AdjustWindowRectExForDpi"))
{}

OwnedFont DpiFunctions::messageFont(int dpi) const
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    const BOOL read =
        systemParametersInfoForDpi_ != nullptr
            ? systemParametersInfoForDpi_(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0,
                                          static_cast<UINT>(dpi))
            : SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    return OwnedFont(read ? CreateFontIndirectW(&metrics.lfMessageFont) : nullptr);
}

RECT DpiFunctions::frameAround(RECT client, DWORD style, DWORD extendedStyle, int dpi) const
{
    if (adjustWindowRectExForDpi_ != nullptr) {
        adjustWindowRectExForDpi_(&client, style, FALSE, extendedStyle, static_cast<UINT>(dpi));
    } else {
        AdjustWindowRectEx(&client, style, FALSE, extendedStyle);
    }
    return client;
}

} // namespace win32
