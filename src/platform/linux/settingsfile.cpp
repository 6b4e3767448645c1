// SPDX-License-Identifier: MIT
#include "settingsfile.h"

#include "filedescriptor.h"
#include "systemerror.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform::settingsfile {

namespace {

// 40 is the kernel's own limit on symbolic links followed in one lookup (MAXSYMLINKS).
constexpr int maxLinksFollowed = 40;
// Only the owner may list, enter or change a folder the store makes.
constexpr mode_t privateFolderMode = S_IRWXU;
// The permission bits of a file's mode, set-user-ID, set-group-ID and sticky included.
constexpr mode_t permissionBits = 07777;
// How much is read from the file at a time.
constexpr std::size_t readChunk = 64 * 1024;

Kind kindOf(mode_t mode)
{
    if (S_ISREG(mode)) {
        return Kind::RegularFile;
    }
    if (S_ISDIR(mode)) {
        return Kind::Folder;
    }
    return Kind::Other;
}

// Splits at the last slash: the folder ("/" for the root) and the name after it.
std::pair<std::string, std::string> split(std::string path)
{
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {".", path};
    }
    return {slash == 0 ? std::string("/") : path.substr(0, slash), path.substr(slash + 1)};
}

// The folder with every link in it followed, or the errno of why it cannot be.
std::variant<std::string, int> realFolder(const std::string& folder)
{
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(folder.c_str(), nullptr),
                                                           &std::free);
    if (!real) {
        return errno;
    }
    return std::string(real.get());
}

// Removes the new file again unless it has become the settings file.
class NewFile
{
public:
    explicit NewFile(std::string path) : path_(std::move(path)) {}
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile()
    {
        if (!kept_) {
            ::unlink(path_.c_str());
        }
    }

    const std::string& path() const { return path_; }
    void keep() { kept_ = true; }

private:
    std::string path_;
    bool kept_ = false;
};

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

// Flushes the folder's entries, so that the rename survives a power cut. File systems that
// cannot flush a folder say EINVAL; their renames are as durable as they get.
std::optional<int> flushFolder(const std::string& folder)
{
    FileDescriptor handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.get() < 0) {
        return errno;
    }
    if (::fsync(handle.get()) != 0 && errno != EINVAL) {
        return errno;
    }
    return std::nullopt;
}

} // namespace

Resolved resolve(const std::string& path)
{
    auto [folder, name] = split(path);
    for (int followed = 0; followed <= maxLinksFollowed; ++followed) {
        auto real = realFolder(folder);
        if (const int* error = std::get_if<int>(&real)) {
            // A missing folder on the way: nothing is there, and making the folders will say
            // precisely what is in the way.
            if (*error == ENOENT || *error == ENOTDIR) {
                return {folder, name, Kind::Missing, 0};
            }
            return {folder, name, Kind::Unresolvable, *error};
        }
        folder = std::get<std::string>(std::move(real));
        const std::string current = Resolved{folder, name}.path();
        struct stat st
        {};
        if (::lstat(current.c_str(), &st) != 0) {
            if (errno == ENOENT) {
                return {folder, name, Kind::Missing, 0};
            }
            return {folder, name, Kind::Unresolvable, errno};
        }
        if (!S_ISLNK(st.st_mode)) {
            return {folder, name, kindOf(st.st_mode), 0};
        }
        std::vector<char> target(PATH_MAX + 1);
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size()) {
            return {folder, name, Kind::Unresolvable, length < 0 ? errno : ENAMETOOLONG};
        }
        const std::string to(target.data(), static_cast<std::size_t>(length));
        // A relative target counts from the folder the link is really in.
        std::string next = to;
        if (!to.starts_with('/')) {
            next = folder;
            next.append("/").append(to);
        }
        std::tie(folder, name) = split(next);
    }
    return {folder, name, Kind::Unresolvable, ELOOP};
}

std::variant<Contents, int> readFile(const std::string& path)
{
    // Not blocking: a FIFO put there meanwhile would otherwise hold the start until it is written.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
    if (file.get() < 0) {
        return errno;
    }
    struct stat st
    {};
    if (::fstat(file.get(), &st) != 0) {
        return errno;
    }
    if (!S_ISREG(st.st_mode)) {
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    Contents contents{{}, st.st_mode & permissionBits};
    std::array<char, readChunk> buffer{};
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return errno;
        }
        if (count == 0) {
            return contents;
        }
        contents.bytes.append(buffer.data(), static_cast<std::size_t>(count));
    }
}

std::optional<core::Failure> makePrivateFolders(const std::string& folder)
{
    // The missing folders, the deepest last.
    std::vector<std::string> missing;
    std::string current = folder;
    struct stat st
    {};
    while (::stat(current.c_str(), &st) != 0 && errno == ENOENT) {
        missing.insert(missing.begin(), current);
        std::string parent = split(current).first;
        if (parent == current) {
            break;
        }
        current = std::move(parent);
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
    }
    return std::nullopt;
}

std::optional<int> replaceFile(const Resolved& target, std::string_view content, mode_t mode)
{
    std::string pattern = target.path() + ".XXXXXX";
    FileDescriptor file(::mkostemp(pattern.data(), O_CLOEXEC));
    if (file.get() < 0) {
        return errno;
    }
    NewFile written(pattern);
    // The mode is set on the open file: the umask does not apply, and nobody else can open it
    // meanwhile, since it starts readable by its owner only.
    if (::fchmod(file.get(), mode) != 0) {
        return errno;
    }
    if (auto error = writeAll(file.get(), content)) {
        return error;
    }
    if (::fsync(file.get()) != 0 || file.close() != 0) {
        return errno;
    }
    if (::rename(written.path().c_str(), target.path().c_str()) != 0) {
        return errno;
    }
    written.keep();
    return flushFolder(target.folder);
}

} // namespace platform::settingsfile
