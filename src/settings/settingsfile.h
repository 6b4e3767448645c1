// SPDX-License-Identifier: MIT
// The steps around the settings file that QSettings does not take itself: finding what a path
// really names once symbolic links are followed, making folders that only their owner can enter,
// and telling a replaced file from the one that was there before.
#pragma once

#include "app/failure.h"

#include <optional>
#include <QString>
#include <sys/types.h>

namespace settingsfile {

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
    // Where the links lead: the path itself when it is no link, the missing end of a dangling one.
    QString path;
    Kind kind = Kind::Missing;
    int error = 0;
};

Resolved resolve(const QString& path);

// Creates `folder` and each missing folder above it with mode 0700, whatever the process's umask;
// folders that exist keep their modes.
std::optional<Failure> makePrivateFolders(const QString& folder);

// QSettings holds "<file>.lock" while it writes `file`. A writer killed after it made the lock
// but before it wrote its process id into it leaves an empty lock, which QSettings would take
// for a live writer's and wait on for half a minute. This removes such a lock when no process
// holds it; a lock that names its writer is left to QSettings, which clears it once that writer
// is gone.
void removeAbandonedLock(const QString& file);

// The system's text for `error`, an errno value.
QString systemReason(int error);

// Identifies the file at a path; a write that replaces the file by renaming a new one over it
// changes the identity.
struct FileIdentity
{
    dev_t device = 0;
    ino_t inode = 0;
    bool exists = false;

    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const QString& path);

} // namespace settingsfile
