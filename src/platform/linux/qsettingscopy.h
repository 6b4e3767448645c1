// SPDX-License-Identifier: MIT
// QSettings (IniFormat) reading and editing the bytes of a settings file, on a private copy in a
// fresh folder of the program's own under QDir::tempPath() (mode 0700, removed again at once).
// QSettings thus owns the format, while the lock file it takes beside the file it saves, and
// waits on for ever when something stands there, is only ever in that private folder.
#pragma once

#include "core/failure.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace platform::qsettingscopy {

// Section and key are names as QSettings gives them. The section "General", in any case, or an
// empty one, is the file's top level ([General] in the file), as QSettings reads it; any other
// section is the group of that name.

// The entry `key` of `section` in `file`, as QSettings reads it, taken as UTF-8 text:
// - a string: itself (invalid UTF-8 in the file becomes U+FFFD, as QSettings makes it);
// - a list written by hand ("Lee, Ann"): its items joined with ", ";
// - @ByteArray(...): its bytes as UTF-8;
// - anything that is no text (@Rect(..), @Size(..), @Invalid(), ...) or no entry: std::nullopt.
// std::nullopt too when the private copy cannot be made: the entry cannot be read then.
std::optional<std::string> readText(std::string_view file, const std::string& section,
                                    const std::string& key);

// The bytes of `file` once QSettings has set the entry to the UTF-8 text `value` (taken as
// QString::fromUtf8 takes it) and saved it: the other entries kept as QSettings keeps them, in
// its order. A file QSettings finds damaged is edited as QSettings edits it, keeping what it
// could read. Or what failed, with QSettings' status or the system's reason.
std::variant<std::string, core::Failure> withText(std::string_view file, const std::string& section,
                                                  const std::string& key, const std::string& value);

} // namespace platform::qsettingscopy
