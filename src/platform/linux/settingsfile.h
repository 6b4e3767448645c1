// SPDX-License-Identifier: MIT
// The file-system steps of the settings store: finding the file a path names, reading it without
// ever waiting on something that is not a file, making private folders, and replacing the file
// so that the old one stays whole until the new one is on the disk. Paths are bytes.
#pragma once

#include "core/failure.h"

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <variant>

namespace platform::settingsfile {

// What a path names once symbolic links are followed.
enum class Kind
{
    // Nothing is there yet: a write creates the file.
    Missing,
    RegularFile,
    Folder,
    // A FIFO, a device or a socket: no settings file, and reading one may wait or never end.
    Other,
    // The links loop, or a folder on the way cannot be searched: `error` says why.
    Unresolvable,
};

struct Resolved
{
    // The folder, with links followed where it exists, and the name in it where the links end.
    std::string folder;
    std::string name;
    Kind kind = Kind::Missing;
    int error = 0;

    std::string path() const { return (folder == "/" ? std::string() : folder) + '/' + name; }
};

// Follows the links at the absolute path `path` as the kernel does when it opens it: a relative
// target counts from the folder the link really is in, whatever links led to that folder.
Resolved resolve(const std::string& path);

struct Contents
{
    std::string bytes;
    // The file's permission bits.
    mode_t mode = 0;
};

// The bytes of the regular file at `path`, which must not be a link, or the errno of why not.
std::variant<Contents, int> readFile(const std::string& path);

// Creates `folder` and each missing folder above it with mode 0700, whatever the process's umask;
// folders that exist keep their modes.
std::optional<core::Failure> makePrivateFolders(const std::string& folder);

// Writes `content` as a new file beside `target` with the permission bits `mode`, flushes it to
// the disk, renames it over `target` and flushes the folder. Returns the errno of the first step
// that failed; `target` is then as it was and the new file is gone.
std::optional<int> replaceFile(const Resolved& target, std::string_view content, mode_t mode);

} // namespace platform::settingsfile
