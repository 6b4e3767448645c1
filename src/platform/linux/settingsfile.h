// SPDX-License-Identifier: MIT
// The settings file in the file system, with the kernel resolving its path: the path is opened
// once, and every step after works from what the kernel opened (the file's descriptor, the
// folder it found the file in, the name the file has there), so that no step can meet a file
// other than the one checked before it. Reading never waits on something that is not a regular
// file; replacing leaves the old file whole until the new one is complete on the disk, and
// nothing but the configuration folder's own disk is used for it. Paths are bytes.
#pragma once

#include "core/failure.h"
#include "filedescriptor.h"
#include "workfolder.h"

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
    // The old file, open for reading its attributes, and its bytes; nothing for a new file.
    FileDescriptor file{-1};
    std::string bytes{};
    // The new file's permission bits: the old file's, set-user-ID and set-group-ID included, or
    // 0600 for a new one.
    mode_t mode = 0;
};

// Finds the file at `path` as readFile does, and the folder it is in, for replacing it. A missing
// file is a new one: missing folders are made first, 0700 whatever the umask. A link to nothing
// has its target made by the kernel, empty and 0600, and that is the file replaced. Refused, with
// the reason: whatever readFile cannot read, a file this process may not write, a file deleted or
// moved meanwhile, and a folder that cannot be opened for its flush (one that is writable but not
// readable, say).
std::variant<Target, core::Failure> findTarget(const std::string& path);

// Whether a failure says that another process changed the file while it was being replaced, so
// that the whole replacement is worth another try.
bool changedMeanwhile(const core::Failure& failure);

// The private folder beside the target's file where its replacement is made.
std::variant<WorkFolder, core::Failure> makeWorkFolder(const Target& target);

// Puts the file `name` of the work folder in the target's place: refused when it is larger than
// sizeCap; else it gets the old file's owner, group, extended attributes (its access list among
// them) and mode, is flushed to the disk and renamed over the file, and the folder is flushed.
// Refused too, and the old file left as it was, when any of that cannot be kept, or when the
// name no longer holds the file that was read (another process put a file there meanwhile). A
// failed flush of the folder after the rename is a failure that says it took effect: the new
// file is in place, but its rename may not survive a power cut.
std::optional<core::Failure> install(const Target& target, const WorkFolder& work,
                                     const std::string& name);

} // namespace platform::settingsfile
