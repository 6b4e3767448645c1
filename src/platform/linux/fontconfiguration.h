// SPDX-License-Identifier: MIT
#pragma once

namespace platform {

// Loads the system's font configuration, ahead of the toolkit's first use of a font. Safe on any
// thread, and before the application object exists.
void loadFontConfiguration();

} // namespace platform
