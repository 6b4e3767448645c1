// SPDX-License-Identifier: MIT
#include "useraccount.h"

#include <cerrno>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// Where the system gives no size for getpwuid_r's buffer: enough for any entry, grown if not.
constexpr std::size_t passwordBufferSize = 4096;

} // namespace

std::variant<UserAccount, int> userAccount(uid_t user)
{
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested)
                                           : passwordBufferSize);
    passwd entry{};
    passwd* found = nullptr;
    int error = 0;
    while ((error = ::getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found)) == ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    if (found == nullptr) {
        return error;
    }
    return UserAccount{found->pw_name, found->pw_dir != nullptr ? found->pw_dir : "",
                       found->pw_gid};
}

} // namespace platform
