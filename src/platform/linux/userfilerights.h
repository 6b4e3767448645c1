// SPDX-License-Identifier: MIT
// Root working in a user's files, as `sudo -E` or `su -m` start a program with the user's HOME,
// takes that user's file-system rights on its thread for as long as it works there: every open,
// read, folder made, file created, rename and flush is then checked by the kernel as if the user
// made it, and what it makes is the user's. So nothing the user can plant on the path (a link, a
// folder swapped for a link at the right moment) can make root read or write what the user could
// not. Only the calling thread's file-system user and groups change (setfsuid, setfsgid and the
// thread's own group list); the process keeps its identity, and every other thread its rights.
#pragma once

#include "core/failure.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <variant>
#include <vector>

namespace platform {

class UserFileRights
{
public:
    // The rights of the user who owns `path`: the first entry on the way to it, from the root of
    // the file system down, that root does not own, whether it is a link or what the link names.
    // A process that does not run as root, and a path that is root's all the way, change nothing.
    static std::variant<UserFileRights, core::Failure> forPath(const std::string& path);

    UserFileRights(UserFileRights&& other) noexcept;
    UserFileRights(const UserFileRights&) = delete;
    UserFileRights& operator=(const UserFileRights&) = delete;
    UserFileRights& operator=(UserFileRights&&) = delete;
    // Gives the thread back the rights it had.
    ~UserFileRights();

private:
    UserFileRights() = default;

    // The thread's own group list while root's rights are set aside; empty when nothing changed.
    std::optional<std::vector<gid_t>> rootGroups_;
    gid_t rootGroup_ = 0;
};

} // namespace platform
