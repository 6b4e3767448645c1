// SPDX-License-Identifier: MIT
// Reads and edits the INI files that QSettings (IniFormat, Qt 6.4) writes, without Qt, so that the
// file stays what QSettings writes and reads while the program no longer saves through it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace inifile {

// Section and key are names as QSettings gives them, not as the file escapes them. The section
// "General", in any case, or an empty one, is the file's top level, as in QSettings: keys before
// any section header, and those under any header QSettings maps to the top level. Of any other
// section, entries are read as QSettings reads them once it has parsed the whole file (a fresh
// QSettings misses one whose section also has a subsection sorting before its key).

// The entry `key` of `section`, read from the bytes of an INI file as QSettings (IniFormat, Qt 6.4)
// reads it, then taken as text (UTF-8):
// - a string value: itself (invalid UTF-8 in the file becomes U+FFFD, as QSettings does);
// - a list written by hand ("Lee, Ann"): its items joined with ", ";
// - @ByteArray(...): its bytes as UTF-8 (invalid sequences -> U+FFFD);
// - anything that is no text (@Rect(..), @Size(..), @Point(..), @Variant(..), @Invalid()):
//   std::nullopt;
// - no such entry: std::nullopt.
// "@@x" reads as "@x", as in QSettings.
std::optional<std::string> readText(std::string_view file, std::string_view section,
                                    std::string_view key);

// The bytes of a new file: `file` with the entry `key` of `section` set to the UTF-8 text `value`,
// escaped exactly as QSettings 6.4 writes a QString value (quotes, \x escapes, a leading '@'
// doubled, etc.); every other entry kept. `value` is taken as QString::fromUtf8 takes it: invalid
// UTF-8 becomes U+FFFD and a leading byte order mark is dropped.
// A file QSettings 6.4 wrote comes out byte for byte as QSettings writes it when it loads the file,
// sets the entry and saves, except where that save would lose part of another string (a byte
// order mark): the string is kept. Other lines keep their bytes, but for a string QSettings writes
// anew on its own and a quote or escape left open at the end of the file, which gets closed.
std::string withText(std::string_view file, std::string_view section, std::string_view key,
                     std::string_view value);

} // namespace inifile
