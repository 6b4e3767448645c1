// SPDX-License-Identifier: MIT
#include "userfilerights.h"

#include "systemerror.h"
#include "useraccount.h"

#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

constexpr uid_t rootUser = 0;
// What setfsuid and setfsgid take to change nothing and answer the value in force.
constexpr auto unchanged = static_cast<uid_t>(-1);
// A first size for getgrouplist's list, grown when too small.
constexpr std::size_t groupsGuess = 32;

struct Owner
{
    uid_t user;
    gid_t group;
};

// The owner of the first entry on the way to `path`, from the root down, that root does not own:
// a link's own owner, or else, for a link root made, the owner of what it names. Everything
// before it is root's, so the user cannot steer this walk. Nothing when the path is root's all
// the way, as far as it exists.
std::optional<Owner> ownerOf(const std::string& path)
{
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string prefix = path.substr(0, end);
        struct stat entry
        {};
        struct stat named
        {};
        if (::lstat(prefix.c_str(), &entry) != 0) {
            return std::nullopt;
        }
        if (entry.st_uid == rootUser && S_ISLNK(entry.st_mode) &&
            ::stat(prefix.c_str(), &named) == 0) {
            entry = named;
        }
        if (entry.st_uid != rootUser) {
            return Owner{entry.st_uid, entry.st_gid};
        }
        if (end == std::string::npos) {
            return std::nullopt;
        }
    }
}

// The groups of `owner` as the system gives them at login: the password database's group and
// the group database's lists. A user the password database does not know has the group of the
// entry it owns, and no other.
std::vector<gid_t> groupsOf(Owner& owner)
{
    const auto account = userAccount(owner.user);
    const auto* found = std::get_if<UserAccount>(&account);
    if (found == nullptr) {
        return {owner.group};
    }
    owner.group = found->group;
    std::vector<gid_t> groups(groupsGuess);
    auto count = static_cast<int>(groups.size());
    // Too small a list is answered with -1 and the size it needs.
    while (::getgrouplist(found->name.c_str(), owner.group, groups.data(), &count) < 0) {
        groups.resize(std::max(static_cast<std::size_t>(count), groups.size() * 2));
        count = static_cast<int>(groups.size());
    }
    groups.resize(static_cast<std::size_t>(count));
    return groups;
}

// Sets the calling thread's supplementary groups. glibc's setgroups() sets them for every thread
// of the process; the system call itself, for the caller only.
int setThreadGroups(const std::vector<gid_t>& groups)
{
#ifdef SYS_setgroups32
    return static_cast<int>(::syscall(SYS_setgroups32, groups.size(), groups.data()));
#else
    return static_cast<int>(::syscall(SYS_setgroups, groups.size(), groups.data()));
#endif
}

} // namespace

std::variant<UserFileRights, core::Failure> UserFileRights::forPath(const std::string& path)
{
    UserFileRights rights;
    auto owner = ::geteuid() == rootUser ? ownerOf(path) : std::nullopt;
    if (!owner) {
        return rights;
    }
    const std::vector<gid_t> groups = groupsOf(*owner);
    const std::string what =
        "Could not take the file rights of user " + std::to_string(owner->user);
    std::vector<gid_t> own(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    if (::getgroups(static_cast<int>(own.size()), own.data()) < 0) {
        return core::Failure{what, systemReason(errno)};
    }
    // From here on, whatever happens, the destructor gives root's rights back.
    rights.rootGroup_ = static_cast<gid_t>(::setfsgid(unchanged));
    rights.rootGroups_ = std::move(own);
    if (setThreadGroups(groups) != 0) {
        return core::Failure{what, systemReason(errno)};
    }
    ::setfsgid(owner->group);
    ::setfsuid(owner->user);
    // Neither call reports an error; each answers the value it replaced, so asking again tells.
    if (static_cast<gid_t>(::setfsgid(unchanged)) != owner->group ||
        static_cast<uid_t>(::setfsuid(unchanged)) != owner->user) {
        return core::Failure{what, systemReason(EPERM)};
    }
    return rights;
}

UserFileRights::UserFileRights(UserFileRights&& other) noexcept
    : rootGroups_(std::exchange(other.rootGroups_, std::nullopt)), rootGroup_(other.rootGroup_)
{}

UserFileRights::~UserFileRights()
{
    if (!rootGroups_) {
        return;
    }
    // Root's file-system user first: with it come back its powers over files and groups.
    ::setfsuid(rootUser);
    ::setfsgid(rootGroup_);
    setThreadGroups(*rootGroups_);
}

} // namespace platform
