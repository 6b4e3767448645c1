// SPDX-License-Identifier: MIT
#include "workfolder.h"

#include <array>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/random.h>
#include <sys/stat.h>

namespace platform {

namespace {

constexpr mode_t privateFolderMode = S_IRWXU;
// A name that exists already is drawn again, this many times at most.
constexpr std::string_view nameLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::size_t randomLetters = 6;
constexpr int namesTried = 100;

} // namespace

std::variant<WorkFolder, int> WorkFolder::make(int parent, const std::string& name)
{
    std::string chosen;
    for (int attempt = 0;; ++attempt) {
        std::array<unsigned char, randomLetters> random{};
        if (::getrandom(random.data(), random.size(), 0) != static_cast<ssize_t>(random.size())) {
            return errno;
        }
        chosen = name + '.';
        for (const unsigned char byte : random) {
            chosen += nameLetters[byte % nameLetters.size()];
        }
        if (::mkdirat(parent, chosen.c_str(), privateFolderMode) == 0) {
            break;
        }
        if (errno != EEXIST || attempt == namesTried) {
            return errno;
        }
    }
    FileDescriptor made(
        ::openat(parent, chosen.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (made.get() < 0) {
        const int error = errno;
        ::unlinkat(parent, chosen.c_str(), AT_REMOVEDIR);
        return error;
    }
    WorkFolder work(parent, chosen, std::move(made));
    // The umask may have taken bits away; the owner keeps full use of what it made.
    if (::fchmod(work.get(), privateFolderMode) != 0) {
        return errno;
    }
    return work;
}

WorkFolder::WorkFolder(int parent, std::string name, FileDescriptor folder)
    : parent_(parent), name_(std::move(name)), folder_(std::move(folder))
{}

WorkFolder::~WorkFolder()
{
    if (folder_.get() < 0) {
        return;
    }
    // Whatever is in it: the files made here and those a library made, none of them folders.
    if (DIR* entries = ::fdopendir(::dup(folder_.get()))) {
        while (const dirent* entry = ::readdir(entries)) {
            if (entry->d_type != DT_DIR) {
                ::unlinkat(folder_.get(), entry->d_name, 0);
            }
        }
        ::closedir(entries);
    }
    ::unlinkat(parent_, name_.c_str(), AT_REMOVEDIR);
}

std::string WorkFolder::path() const
{
    return descriptorPath(folder_.get());
}

} // namespace platform
