// SPDX-License-Identifier: MIT
// The settings file in the file system, with the kernel resolving its path: the path is opened
// once, and every step after works from what the kernel opened (the file's descriptor, the
// folder it found the file in, the name the file has there), so that no step can meet a file
// other than the one checked before it. Reading never waits on something that is not a regular
// file; replacing leaves the old file whole until the new one is complete on the disk. Paths are
// bytes.
#pragma once

#include "core/failure.h"
#include "filedescriptor.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <variant>

namespace platform::settingsfile {

// The largest settings file read or written. QSettings writes a name in at most 4 bytes a
// character (a control character as \xNN, one beyond the basic plane as 4 bytes of UTF-8), so
// the file the program writes for a name of a million characters stays under a quarter of it,
// while a file of gigabytes is refused before anything of it is read.
inline constexpr std::size_t sizeCap = std::size_t{16} << 20;

// The bytes of the regular file at `path`, links followed as the kernel follows them, or why it
// cannot be read: it is missing, is no regular file, is larger than sizeCap, or the kernel
// refuses the path (too many links, a trailing slash on a file).
std::variant<std::string, core::Failure> readFile(const std::string& path);

// The file that a Login replaces, and the folder the new file is made in.
struct Target
{
    // The path as the user's configuration names it, for reports.
    std::string path;
    // The folder the kernel found the file in, open for flushing it, and the file's name there.
    FileDescriptor folder;
    std::string name;
    // The old file's bytes (none for a new file).
    std::string bytes{};
    // The new file's permission bits and owner: the old file's, set-user-ID and set-group-ID
    // included; for a new file 0600 and the folder's owner. The owner is set only by root.
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
};

// Finds the file at `path` as readFile does, and the folder it is in, for replacing it. A missing
// file is a new one: missing folders are made first, 0700 whatever the umask, and when the
// process runs as root each belongs to the owner of the folder it is made in. A link to nothing
// has its target made by the kernel, empty and 0600, and that is the file replaced. Refused, with
// the reason: whatever readFile cannot read, a file deleted or moved meanwhile, and a folder that
// cannot be opened for its flush (one that is writable but not readable, say).
std::variant<Target, core::Failure> findTarget(const std::string& path);

// Writes `content` as a new file beside the target's file, gives it the target's owner and
// mode, flushes it to the disk, renames it over the file and flushes the folder. A failure before
// the rename removes the new file and leaves the old one as it was; a failed flush of the folder
// after it is a failure that says it took effect: the new file is in place, but its rename may
// not survive a power cut.
std::optional<core::Failure> replace(const Target& target, std::string_view content);

} // namespace platform::settingsfile
