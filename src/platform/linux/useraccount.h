// SPDX-License-Identifier: MIT
// A user's entry in the password database.
#pragma once

#include <string>
#include <sys/types.h>
#include <variant>

namespace platform {

struct UserAccount
{
    std::string name;
    std::string home;
    gid_t group = 0;
};

// The password database's entry for `user` (getpwuid_r, through whatever the system's NSS
// configuration names); or the error it gave, 0 when it has no entry for the user.
std::variant<UserAccount, int> userAccount(uid_t user);

} // namespace platform
