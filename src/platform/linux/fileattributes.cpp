// SPDX-License-Identifier: MIT
#include "fileattributes.h"

#include <algorithm>
#include <cerrno>
#include <sys/xattr.h>
#include <variant>
#include <vector>

namespace platform {

namespace {

// Calls `get` with a buffer until it fits: the size first, then the bytes; a value that grew
// meanwhile (ERANGE) is asked for again. Gives the bytes, or errno.
template <typename Get> std::variant<std::string, int> sized(Get get)
{
    for (;;) {
        const ssize_t size = get(nullptr, 0);
        if (size < 0) {
            return errno;
        }
        std::string bytes(static_cast<std::size_t>(size), '\0');
        const ssize_t read = get(bytes.data(), bytes.size());
        if (read >= 0) {
            bytes.resize(static_cast<std::size_t>(read));
            return bytes;
        }
        if (errno != ERANGE) {
            return errno;
        }
    }
}

// The names of the attributes of `file` this process may see; none where the file system keeps
// none.
std::variant<std::vector<std::string>, int> names(int file)
{
    auto list =
        sized([file](char* buffer, std::size_t size) { return ::flistxattr(file, buffer, size); });
    if (const int* error = std::get_if<int>(&list)) {
        if (*error == ENOTSUP) {
            return std::vector<std::string>{};
        }
        return *error;
    }
    std::vector<std::string> found;
    const std::string& all = std::get<std::string>(list);
    // Each name ends in a NUL byte.
    for (std::size_t start = 0, end = 0; (end = all.find('\0', start)) != std::string::npos;
         start = end + 1) {
        found.push_back(all.substr(start, end - start));
    }
    return found;
}

} // namespace

std::optional<AttributeFailure> copyAttributes(int from, int to)
{
    auto wanted = names(from);
    auto present = names(to);
    if (const int* error = std::get_if<int>(&wanted)) {
        return AttributeFailure{"", *error};
    }
    if (const int* error = std::get_if<int>(&present)) {
        return AttributeFailure{"", *error};
    }
    const auto& keep = std::get<std::vector<std::string>>(wanted);
    for (const std::string& name : std::get<std::vector<std::string>>(present)) {
        if (std::find(keep.begin(), keep.end(), name) == keep.end() &&
            ::fremovexattr(to, name.c_str()) != 0) {
            return AttributeFailure{name, errno};
        }
    }
    for (const std::string& name : keep) {
        auto value = sized([from, &name](char* buffer, std::size_t size) {
            return ::fgetxattr(from, name.c_str(), buffer, size);
        });
        if (const int* error = std::get_if<int>(&value)) {
            // One taken away meanwhile is not there to keep.
            if (*error == ENODATA) {
                continue;
            }
            return AttributeFailure{name, *error};
        }
        const auto& bytes = std::get<std::string>(value);
        if (::fsetxattr(to, name.c_str(), bytes.data(), bytes.size(), 0) != 0) {
            return AttributeFailure{name, errno};
        }
    }
    return std::nullopt;
}

} // namespace platform
