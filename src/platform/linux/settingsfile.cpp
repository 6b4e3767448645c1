// SPDX-License-Identifier: MIT
#include "settingsfile.h"

#include "fileattributes.h"
#include "systemerror.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform::settingsfile {

namespace {

// Only the owner may list, enter or change a folder the store makes, or read or write a new file.
constexpr mode_t privateFolderMode = S_IRWXU;
constexpr mode_t privateFileMode = S_IRUSR | S_IWUSR;
// The permission bits of a file's mode, set-user-ID, set-group-ID and sticky included.
constexpr mode_t permissionBits = 07777;
// How long a Login waits for another copy's to end, and how often it looks.
constexpr auto lockWait = std::chrono::seconds(2);
constexpr auto lockPoll = std::chrono::milliseconds(1);
// How much is read from the file at a time.
constexpr std::size_t readChunk = 64 * 1024;

// Why a file cannot be used, in words of the store's own or the system's.
struct Refusal
{
    std::string why;
};

const std::string notRegular = "it is not a regular file";
// Another writer's rename over the file just opened shows as one of these two: the search then
// starts again.
const std::string replacedMeanwhile = "it was moved or replaced meanwhile";
const std::string deleted = "it has been deleted";
const std::string capText = std::to_string(sizeCap >> 20) + " MiB";
const std::string tooLarge = "it is larger than " + capText;

// Splits an absolute path at its last slash: the folder ("/" for the root) and the name in it.
std::pair<std::string, std::string> split(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return {slash == 0 ? std::string("/") : path.substr(0, slash), path.substr(slash + 1)};
}

int openFolder(const std::string& path)
{
    return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// Why the file `descriptor` holds cannot be used, if it cannot: it must be a regular file of at
// most sizeCap bytes and, `toReplace`, have a name left that a new file can take. Its status goes
// to `st`.
std::optional<Refusal> check(int descriptor, struct stat& st, bool toReplace)
{
    if (::fstat(descriptor, &st) != 0) {
        return Refusal{systemReason(errno)};
    }
    if (!S_ISREG(st.st_mode)) {
        return Refusal{S_ISDIR(st.st_mode) ? systemReason(EISDIR) : notRegular};
    }
    if (static_cast<std::size_t>(st.st_size) > sizeCap) {
        return Refusal{tooLarge};
    }
    // Deleted, or reached through /proc/PID/fd with its name gone.
    if (toReplace && st.st_nlink == 0) {
        return Refusal{deleted};
    }
    return std::nullopt;
}

// The checked file `descriptor` holds, opened anew for reading through the kernel's name for the
// descriptor: the same file, whatever happened to its path meanwhile.
FileDescriptor reopen(int descriptor)
{
    return FileDescriptor(
        ::open(descriptorPath(descriptor).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
}

// The bytes of the file open for reading at `file`.
std::variant<std::string, Refusal> readAll(int file)
{
    std::string bytes;
    std::array<char, readChunk> buffer{};
    // One byte more than the cap at most: a file that grew past it meanwhile is refused too.
    while (bytes.size() <= sizeCap) {
        const ssize_t count =
            ::read(file, buffer.data(), std::min(buffer.size(), sizeCap + 1 - bytes.size()));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return Refusal{systemReason(errno)};
        }
        if (count == 0) {
            return bytes;
        }
        bytes.append(buffer.data(), static_cast<std::size_t>(count));
    }
    return Refusal{tooLarge};
}

// Opens the folder at `path`, making it first, and each missing folder above it, with mode 0700
// whatever the umask. Each is made in the folder above it, opened there without following a link
// (a link put in its place meanwhile is refused) and given its mode by that descriptor. Folders
// that exist keep their modes.
std::variant<FileDescriptor, core::Failure> openMakingFolders(const std::string& path)
{
    FileDescriptor folder(openFolder(path));
    if (folder.get() >= 0) {
        return folder;
    }
    const int error = errno;
    auto [above, name] = split(path);
    if (error != ENOENT || name.empty()) {
        return name.empty() && error == ENOENT
                   ? openMakingFolders(above)
                   : core::Failure{"Could not open the folder " + path, systemReason(error)};
    }
    auto parent = openMakingFolders(above);
    if (auto* failure = std::get_if<core::Failure>(&parent)) {
        return *failure;
    }
    const int in = std::get<FileDescriptor>(parent).get();
    // Made meanwhile by another process, it is theirs, and its mode stays as they chose.
    const bool made = ::mkdirat(in, name.c_str(), privateFolderMode) == 0;
    if (!made && errno != EEXIST) {
        return core::Failure{"Could not create the folder " + path, systemReason(errno)};
    }
    folder =
        FileDescriptor(::openat(in, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0 || (made && ::fchmod(folder.get(), privateFolderMode) != 0)) {
        return core::Failure{"Could not create the folder " + path, systemReason(errno)};
    }
    return folder;
}

// Another copy of the program replacing a file in the same folder waits until this one is done,
// so that writers do not keep making each other start again. The lock is advisory, the folder's,
// and goes with its descriptor however the process ends; one held longer than lockWait is not
// waited for, since the check before the rename keeps the file whole all the same.
void holdOffOtherWriters(int folder)
{
    const auto until = std::chrono::steady_clock::now() + lockWait;
    while (::flock(folder, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK &&
           std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(lockPoll);
    }
}

core::Failure cannotWrite(const std::string& path, std::string why)
{
    return core::Failure{"Could not write " + path, std::move(why)};
}

// Whether the name in the folder is still the file `file` holds, whose status is `st`.
bool stillNamed(int folder, const std::string& name, const struct stat& st)
{
    struct stat named
    {};
    return ::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           named.st_dev == st.st_dev && named.st_ino == st.st_ino;
}

// The target for the file `descriptor` holds, found at `path`. A file the store has just made
// (`made`) is new: it gets the mode of a new file.
std::variant<Target, core::Failure> existingTarget(const std::string& path, int descriptor,
                                                   bool made)
{
    struct stat st
    {};
    if (auto refusal = check(descriptor, st, true)) {
        return cannotWrite(path, refusal->why);
    }
    std::array<char, PATH_MAX> where{};
    const ssize_t length =
        ::readlink(descriptorPath(descriptor).c_str(), where.data(), where.size());
    if (length < 0 || static_cast<std::size_t>(length) >= where.size()) {
        return cannotWrite(path, systemReason(length < 0 ? errno : ENAMETOOLONG));
    }
    auto [folder, name] = split(std::string(where.data(), static_cast<std::size_t>(length)));
    Target target{path, FileDescriptor(openFolder(folder)), std::move(name)};
    if (target.folder.get() < 0) {
        return cannotWrite(path, systemReason(errno));
    }
    holdOffOtherWriters(target.folder.get());
    // What its user may not write is not replaced, as QSettings leaves it: a file made read-only,
    // or another user's. The kernel answers with the rights this thread has.
    if (::faccessat(AT_FDCWD, descriptorPath(descriptor).c_str(), W_OK, AT_EACCESS) != 0) {
        return cannotWrite(path, systemReason(errno));
    }
    target.file = reopen(descriptor);
    if (target.file.get() < 0) {
        return cannotWrite(path, systemReason(errno));
    }
    auto read = readAll(target.file.get());
    if (const auto* refusal = std::get_if<Refusal>(&read)) {
        return cannotWrite(path, refusal->why);
    }
    target.bytes = std::get<std::string>(std::move(read));
    target.mode = made ? privateFileMode : st.st_mode & permissionBits;
    return target;
}

// The target where the kernel found nothing at `path`.
std::variant<Target, core::Failure> newTarget(const std::string& path)
{
    auto [folderPath, name] = split(path);
    auto opened = openMakingFolders(folderPath);
    if (auto* failure = std::get_if<core::Failure>(&opened)) {
        return *failure;
    }
    FileDescriptor folder = std::get<FileDescriptor>(std::move(opened));
    holdOffOtherWriters(folder.get());
    struct stat named
    {};
    if (::fstatat(folder.get(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISLNK(named.st_mode)) {
            return cannotWrite(path, replacedMeanwhile);
        }
        // A link to nothing: the kernel makes the file it names, wherever that is. Until the new
        // file is renamed over it that file stands there empty, which reads as no entry; a Login
        // that fails after this point leaves it so.
        FileDescriptor made(::openat(folder.get(), name.c_str(),
                                     O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                                     privateFileMode));
        // Its owner may read and write it whatever the umask.
        if (made.get() < 0 || ::fchmod(made.get(), privateFileMode) != 0) {
            return cannotWrite(path, systemReason(errno));
        }
        return existingTarget(path, made.get(), true);
    }
    if (errno != ENOENT) {
        return cannotWrite(path, systemReason(errno));
    }
    return Target{path, std::move(folder), std::move(name), FileDescriptor(-1),
                  {},   privateFileMode};
}

} // namespace

std::variant<std::string, core::Failure> readFile(const std::string& path)
{
    // O_PATH: the kernel follows the links and opens nothing but a reference to what it finds,
    // so that a FIFO or a device is neither waited on nor woken.
    FileDescriptor file(::open(path.c_str(), O_PATH | O_CLOEXEC));
    if (file.get() < 0) {
        return core::Failure{"Could not read " + path, systemReason(errno)};
    }
    struct stat st
    {};
    auto read = check(file.get(), st, false);
    if (!read) {
        const FileDescriptor readable = reopen(file.get());
        auto bytes = readable.get() < 0 ? Refusal{systemReason(errno)} : readAll(readable.get());
        if (auto* text = std::get_if<std::string>(&bytes)) {
            return std::move(*text);
        }
        read = std::get<Refusal>(std::move(bytes));
    }
    return core::Failure{"Could not read " + path, read->why};
}

std::variant<Target, core::Failure> findTarget(const std::string& path)
{
    FileDescriptor file(::open(path.c_str(), O_PATH | O_CLOEXEC));
    if (file.get() < 0 && errno != ENOENT) {
        return cannotWrite(path, systemReason(errno));
    }
    return file.get() >= 0 ? existingTarget(path, file.get(), false) : newTarget(path);
}

bool changedMeanwhile(const core::Failure& failure)
{
    return failure.why == replacedMeanwhile || failure.why == deleted;
}

std::variant<WorkFolder, core::Failure> makeWorkFolder(const Target& target)
{
    auto work = WorkFolder::make(target.folder.get(), target.name);
    if (const int* error = std::get_if<int>(&work)) {
        return cannotWrite(target.path, systemReason(*error));
    }
    return std::get<WorkFolder>(std::move(work));
}

std::optional<core::Failure> install(const Target& target, const WorkFolder& work,
                                     const std::string& name)
{
    const auto failed = [&target](int error) {
        return cannotWrite(target.path, systemReason(error));
    };
    FileDescriptor file(::openat(work.get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat made
    {};
    struct stat old
    {};
    if (file.get() < 0 || ::fstat(file.get(), &made) != 0) {
        return failed(errno);
    }
    if (static_cast<std::size_t>(made.st_size) > sizeCap) {
        return cannotWrite(target.path, "the new file would be larger than " + capText);
    }
    const bool replacing = target.file.get() >= 0;
    if (replacing) {
        // The old file's owner and group, where this process may give them; where it may not, the
        // file is not handed to another owner or group.
        if (::fstat(target.file.get(), &old) != 0 ||
            ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
             ::fchown(file.get(), old.st_uid, old.st_gid) != 0)) {
            return failed(errno);
        }
        if (auto attribute = copyAttributes(target.file.get(), file.get())) {
            return core::Failure{"Could not keep the attribute " + attribute->attribute + " of " +
                                     target.path,
                                 systemReason(attribute->error)};
        }
    }
    // The mode last: a change of owner clears the set-user-ID and set-group-ID bits.
    if (::fchmod(file.get(), target.mode) != 0 || ::fsync(file.get()) != 0 || file.close() != 0) {
        return failed(errno);
    }
    // Nothing put at the name since it was read is replaced unseen: the old file must still be
    // there, and a new one goes only where there is still nothing (where the file system cannot
    // promise that, as checked a moment before).
    if (replacing && !stillNamed(target.folder.get(), target.name, old)) {
        return cannotWrite(target.path, replacedMeanwhile);
    }
    const int to = target.folder.get();
    const char* from = name.c_str();
    int renamed = replacing
                      ? ::renameat(work.get(), from, to, target.name.c_str())
                      : ::renameat2(work.get(), from, to, target.name.c_str(), RENAME_NOREPLACE);
    if (!replacing && renamed != 0 && errno == EINVAL &&
        ::faccessat(to, target.name.c_str(), F_OK, AT_SYMLINK_NOFOLLOW) != 0) {
        renamed = ::renameat(work.get(), from, to, target.name.c_str());
    }
    if (renamed != 0) {
        return errno == EEXIST ? cannotWrite(target.path, replacedMeanwhile) : failed(errno);
    }
    // Flushes the folder's entries, so that the rename survives a power cut. File systems that
    // cannot flush a folder say EINVAL; their renames are as durable as they get.
    if (::fsync(target.folder.get()) != 0 && errno != EINVAL) {
        return core::Failure{"Wrote " + target.path +
                                 ", but could not confirm that its folder reached the disk",
                             systemReason(errno), true};
    }
    return std::nullopt;
}

} // namespace platform::settingsfile
