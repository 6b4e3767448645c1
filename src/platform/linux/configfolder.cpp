// SPDX-License-Identifier: MIT
#include "configfolder.h"

#include "systemerror.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// Where the system gives no size for getpwuid_r's buffer: enough for any entry, grown if not.
constexpr std::size_t passwordBufferSize = 4096;

// The base-directory rules ignore relative paths: they would depend on the current folder.
bool isAbsolute(const char* path)
{
    return path != nullptr && path[0] == '/';
}

// The password database's home folder for the process's real user.
std::variant<std::string, core::Failure> homeOfUser()
{
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested)
                                           : passwordBufferSize);
    passwd entry{};
    passwd* found = nullptr;
    int error = 0;
    while ((error = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found)) ==
           ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    if (found == nullptr || !isAbsolute(found->pw_dir)) {
        return core::Failure{"Could not find the home folder of user " + std::to_string(::getuid()),
                             error != 0 ? systemReason(error)
                                        : "HOME is not set and the password database has none"};
    }
    return std::string(found->pw_dir);
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
