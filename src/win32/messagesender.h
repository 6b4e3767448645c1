// SPDX-License-Identifier: MIT
// Who sent the message a window procedure is handling.
#pragma once

#include <windows.h>

namespace win32 {

// Whether it was sent by another thread: by another program, since the program's one thread
// never sends across threads.
inline bool sentFromOutside()
{
    return InSendMessageEx(nullptr) != ISMEX_NOSEND;
}

} // namespace win32
