// SPDX-License-Identifier: MIT
#include "configfolder.h"

#include "systemerror.h"
#include "useraccount.h"

#include <cstdlib>
#include <unistd.h>

namespace platform {

namespace {

// The base-directory rules ignore relative paths: they would depend on the current folder.
bool isAbsolute(const char* path)
{
    return path != nullptr && path[0] == '/';
}

// The password database's home folder for the process's real user.
std::variant<std::string, core::Failure> homeOfUser()
{
    const auto account = userAccount(::getuid());
    const auto* found = std::get_if<UserAccount>(&account);
    if (found == nullptr || !isAbsolute(found->home.c_str())) {
        const int error = found == nullptr ? std::get<int>(account) : 0;
        return core::Failure{"Could not find the home folder of user " + std::to_string(::getuid()),
                             error != 0 ? systemReason(error)
                                        : "HOME is not set and the password database has none"};
    }
    return found->home;
}

} // namespace

std::variant<std::string, core::Failure> configHome()
{
    if (const char* configured = std::getenv("XDG_CONFIG_HOME"); isAbsolute(configured)) {
        return std::string(configured);
    }
    std::string home;
    if (const char* fromEnvironment = std::getenv("HOME"); isAbsolute(fromEnvironment)) {
        home = fromEnvironment;
    } else {
        auto fromDatabase = homeOfUser();
        if (auto* failure = std::get_if<core::Failure>(&fromDatabase)) {
            return *failure;
        }
        home = std::get<std::string>(std::move(fromDatabase));
    }
    return home + "/.config";
}

} // namespace platform
