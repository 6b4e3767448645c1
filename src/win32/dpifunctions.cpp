// SPDX-License-Identifier: MIT
#include "dpifunctions.h"

#include "platform/windows/systemlibrary.h"

namespace win32 {

DpiFunctions::DpiFunctions()
    : systemParametersInfoForDpi_(platform::importedEntry<decltype(systemParametersInfoForDpi_)>(
          L"user32.dll", "SystemParametersInfoForDpi")),
      adjustWindowRectExForDpi_(platform::importedEntry<decltype(adjustWindowRectExForDpi_)>(
          L"user32.dll", "AdjustWindowRectExForDpi"))
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
