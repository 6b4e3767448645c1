// SPDX-License-Identifier: MIT
#include "settingsfile.h"

#include "systemerror.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform::settingsfile {

namespace {

// Only the owner may list, enter or change a folder the store makes, or read or write a new file.
constexpr mode_t privateFolderMode = S_IRWXU;
constexpr mode_t privateFileMode = S_IRUSR | S_IWUSR;
// The permission bits of a file's mode, set-user-ID, set-group-ID and sticky included.
constexpr mode_t permissionBits = 07777;
// How much is read from the file at a time.
constexpr std::size_t readChunk = 64 * 1024;
// The new file is named after the file, a dot and six random letters, as mkstemp names its files;
// a name that exists already is drawn again, this many times at most.
constexpr std::string_view nameLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::size_t randomLetters = 6;
constexpr int namesTried = 100;
// How often the search for the file starts again when another writer replaced it meanwhile.
constexpr int searchesWhenReplaced = 100;

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

// The kernel's name for what a descriptor holds: reopening it reopens that very file, and reading
// it as a link gives the path at which the kernel now finds the file.
std::string descriptorPath(int descriptor)
{
    return "/proc/self/fd/" + std::to_string(descriptor);
}

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

// The bytes of the checked file `descriptor` holds, opened anew for reading through the kernel's
// name for the descriptor: the same file, whatever happened to its path meanwhile.
std::variant<std::string, Refusal> readChecked(int descriptor)
{
    FileDescriptor file(
        ::open(descriptorPath(descriptor).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        return Refusal{systemReason(errno)};
    }
    std::string bytes;
    std::array<char, readChunk> buffer{};
    // One byte more than the cap at most: a file that grew past it meanwhile is refused too.
    while (bytes.size() <= sizeCap) {
        const ssize_t count =
            ::read(file.get(), buffer.data(), std::min(buffer.size(), sizeCap + 1 - bytes.size()));
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

// Creates `folder` and each missing folder above it with mode 0700, whatever the umask. Folders
// that exist keep their modes.
std::optional<core::Failure> makePrivateFolders(const std::string& folder)
{
    // The missing folders, the deepest last.
    std::vector<std::string> missing;
    std::string current = folder;
    struct stat st
    {};
    while (::stat(current.c_str(), &st) != 0 && errno == ENOENT && current != "/") {
        missing.insert(missing.begin(), current);
        current = split(current).first;
    }
    for (const std::string& path : missing) {
        if (::mkdir(path.c_str(), privateFolderMode) != 0) {
            const int error = errno;
            // Made meanwhile by another process: it is theirs, and its mode stays as they chose.
            if (error == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
                continue;
            }
            return core::Failure{"Could not create the folder " + path, systemReason(error)};
        }
        // The umask may have taken bits away; the owner keeps full use of what it made.
        if (::chmod(path.c_str(), privateFolderMode) != 0) {
            return core::Failure{"Could not make the folder " + path + " private",
                                 systemReason(errno)};
        }
        // Root with a user's HOME (sudo -E, su -m) makes the folder for that user: it belongs to
        // the owner of the folder it is in, or the user could not use it afterwards.
        if (::geteuid() == 0 && (::stat(split(path).first.c_str(), &st) != 0 ||
                                 ::chown(path.c_str(), st.st_uid, st.st_gid) != 0)) {
            return core::Failure{"Could not give the folder " + path + " to its user",
                                 systemReason(errno)};
        }
    }
    return std::nullopt;
}

core::Failure cannotWrite(const std::string& path, std::string why)
{
    return core::Failure{"Could not write " + path, std::move(why)};
}

// The target for the file `descriptor` holds, found at `path`. A file the store has just made
// (`made`) is new: it gets the mode and owner of a new file.
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
    // The name in the folder must still be the file that was read, or a file put there since
    // would be replaced unseen.
    struct stat named
    {};
    if (::fstatat(target.folder.get(), target.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        named.st_dev != st.st_dev || named.st_ino != st.st_ino) {
        return cannotWrite(path, replacedMeanwhile);
    }
    auto read = readChecked(descriptor);
    if (const auto* refusal = std::get_if<Refusal>(&read)) {
        return cannotWrite(path, refusal->why);
    }
    target.bytes = std::get<std::string>(std::move(read));
    // A file the store has just made takes the mode and owner of a new one.
    if (made && ::fstat(target.folder.get(), &st) != 0) {
        return cannotWrite(path, systemReason(errno));
    }
    target.mode = made ? privateFileMode : st.st_mode & permissionBits;
    target.owner = st.st_uid;
    target.group = st.st_gid;
    return target;
}

// The target where the kernel found nothing at `path`.
std::variant<Target, core::Failure> newTarget(const std::string& path)
{
    auto [folderPath, name] = split(path);
    FileDescriptor folder(openFolder(folderPath));
    if (folder.get() < 0 && errno == ENOENT) {
        if (auto failure = makePrivateFolders(folderPath)) {
            return *failure;
        }
        folder = FileDescriptor(openFolder(folderPath));
    }
    struct stat st
    {};
    if (folder.get() < 0 || ::fstat(folder.get(), &st) != 0) {
        return cannotWrite(path, systemReason(errno));
    }
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
        if (made.get() < 0) {
            return cannotWrite(path, systemReason(errno));
        }
        return existingTarget(path, made.get(), true);
    }
    if (errno != ENOENT) {
        return cannotWrite(path, systemReason(errno));
    }
    return Target{path,      std::move(folder), std::move(name), {}, privateFileMode,
                  st.st_uid, st.st_gid};
}

// The name of a new file in a folder, removed again unless it has become the settings file.
class NewFileName
{
public:
    NewFileName(int folder, std::string name) : folder_(folder), name_(std::move(name)) {}
    NewFileName(const NewFileName&) = delete;
    NewFileName& operator=(const NewFileName&) = delete;
    ~NewFileName()
    {
        if (!kept_) {
            ::unlinkat(folder_, name_.c_str(), 0);
        }
    }

    const std::string& name() const { return name_; }
    void keep() { kept_ = true; }

private:
    int folder_;
    std::string name_;
    bool kept_ = false;
};

// Creates a file named after `name`, a dot and random letters, in `folder`, readable by its owner
// only; the name it got goes to `chosen`. On failure errno says why.
FileDescriptor createNewFile(int folder, const std::string& name, std::string& chosen)
{
    for (int attempt = 0; attempt < namesTried; ++attempt) {
        std::array<unsigned char, randomLetters> random{};
        if (::getrandom(random.data(), random.size(), 0) != static_cast<ssize_t>(random.size())) {
            return FileDescriptor(-1);
        }
        chosen = name + '.';
        for (const unsigned char byte : random) {
            chosen += nameLetters[byte % nameLetters.size()];
        }
        FileDescriptor file(::openat(folder, chosen.c_str(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC,
                                     privateFileMode));
        if (file.get() >= 0 || errno != EEXIST) {
            return file;
        }
    }
    return FileDescriptor(-1);
}

// Writes every byte, or says why not: a short write is followed by another that reports the
// reason (a full disk, say).
std::optional<int> writeAll(int descriptor, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t written = ::write(descriptor, content.data(), content.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return errno;
        }
        if (written == 0) {
            return EIO;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return std::nullopt;
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
        auto bytes = readChecked(file.get());
        if (auto* text = std::get_if<std::string>(&bytes)) {
            return std::move(*text);
        }
        read = std::get<Refusal>(std::move(bytes));
    }
    return core::Failure{"Could not read " + path, read->why};
}

std::variant<Target, core::Failure> findTarget(const std::string& path)
{
    for (int search = 1;; ++search) {
        FileDescriptor file(::open(path.c_str(), O_PATH | O_CLOEXEC));
        if (file.get() < 0 && errno != ENOENT) {
            return cannotWrite(path, systemReason(errno));
        }
        auto found = file.get() >= 0 ? existingTarget(path, file.get(), false) : newTarget(path);
        const auto* failure = std::get_if<core::Failure>(&found);
        if (failure == nullptr || (failure->why != replacedMeanwhile && failure->why != deleted) ||
            search == searchesWhenReplaced) {
            return found;
        }
    }
}

std::optional<core::Failure> replace(const Target& target, std::string_view content)
{
    if (content.size() > sizeCap) {
        return cannotWrite(target.path, "the new file would be larger than " + capText);
    }
    const auto failed = [&target](int error) {
        return cannotWrite(target.path, systemReason(error));
    };
    std::string chosen;
    FileDescriptor file = createNewFile(target.folder.get(), target.name, chosen);
    if (file.get() < 0) {
        return failed(errno);
    }
    NewFileName written(target.folder.get(), chosen);
    if (auto error = writeAll(file.get(), content)) {
        return failed(*error);
    }
    // Owner and mode once every byte is written, the mode last: a write by a process without
    // CAP_FSETID clears the set-user-ID and set-group-ID bits, and so does a change of owner.
    if (::geteuid() == 0 && ::fchown(file.get(), target.owner, target.group) != 0) {
        return failed(errno);
    }
    if (::fchmod(file.get(), target.mode) != 0 || ::fsync(file.get()) != 0 || file.close() != 0) {
        return failed(errno);
    }
    if (::renameat(target.folder.get(), written.name().c_str(), target.folder.get(),
                   target.name.c_str()) != 0) {
        return failed(errno);
    }
    written.keep();
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
