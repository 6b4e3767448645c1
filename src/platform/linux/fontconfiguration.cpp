// SPDX-License-Identifier: MIT
#include "fontconfiguration.h"

#include <fontconfig/fontconfig.h>

namespace platform {

void loadFontConfiguration()
{
    // Fontconfig keeps one configuration for the process, made once by whichever caller comes
    // first; Qt's font database then finds it ready. Should loading fail, Qt meets the same
    // failure when it loads fonts itself, and deals with it there.
    FcInit();
}

} // namespace platform
