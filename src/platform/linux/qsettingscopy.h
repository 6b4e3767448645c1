// SPDX-License-Identifier: MIT
// QSettings (IniFormat) reading and editing the bytes of a settings file, so that QSettings owns
// the format while the program decides where files are read and replaced. Reading works on a copy
// in memory; editing works on a copy in a folder the caller gives, where QSettings may take its
// lock and make its temporary files, and what it saved there is read back before anyone trusts
// it: Qt 6.4's save reports success for a file cut short by a full disk.
#pragma once

#include "core/failure.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace platform::qsettingscopy {

// Section and key are names as QSettings gives them. The section "General", in any case, or an
// empty one, is the file's top level ([General] in the file), as QSettings reads it; any other
// section is the group of that name. Texts are UTF-8, taken whole: a leading byte-order mark
// (U+FEFF) is a character like any other.

// The entry `key` of `section` in `file`, as QSettings reads it, taken as UTF-8 text:
// - a string: itself (invalid UTF-8 in the file becomes U+FFFD, as QSettings makes it);
// - a list written by hand ("Lee, Ann"): its items joined with ", ";
// - @ByteArray(...): its bytes as UTF-8;
// - anything that is no text (@Rect(..), @Size(..), @Invalid(), ...) or no entry: std::nullopt.
// std::nullopt too when the copy in memory cannot be made: the entry cannot be read then.
std::optional<std::string> readText(std::string_view file, const std::string& section,
                                    const std::string& key);

// Writes `file` as a copy in `folder` (a path in ASCII), has QSettings set the entry to the UTF-8
// text `value` and save it, and reads the saved file anew: it must hold every entry QSettings
// read from the copy, as it read them, and the new value. Gives the edited file's name in the
// folder: it holds the other entries as QSettings keeps them, in its order, and a file QSettings
// finds damaged is edited as QSettings edits it, keeping what it could read. Otherwise gives why
// not: the system's reason where the system gives one (a full disk, say, which QSettings itself
// does not report).
std::variant<std::string, core::Failure> edit(const std::string& folder, std::string_view file,
                                              const std::string& section, const std::string& key,
                                              const std::string& value);

} // namespace platform::qsettingscopy
