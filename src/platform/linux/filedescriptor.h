// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <unistd.h>
#include <utility>

namespace platform {

// The kernel's name for what a descriptor holds: reopening it reopens that very file (or enters
// that very folder), and reading it as a link gives the path at which the kernel now finds it.
inline std::string descriptorPath(int descriptor)
{
    return "/proc/self/fd/" + std::to_string(descriptor);
}

// Owns one open file descriptor and closes it when it goes, unless it was closed by hand.
class FileDescriptor
{
public:
    explicit FileDescriptor(int descriptor) noexcept : descriptor_(descriptor) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept
        : descriptor_(std::exchange(other.descriptor_, -1))
    {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            close();
            descriptor_ = std::exchange(other.descriptor_, -1);
        }
        return *this;
    }
    ~FileDescriptor() { close(); }

    int get() const noexcept { return descriptor_; }

    // Closes it now and gives close's result: for a file written to, a failed close can be the
    // first report of a failed write. Closing one already closed does nothing.
    int close() noexcept
    {
        const int result = descriptor_ >= 0 ? ::close(descriptor_) : 0;
        descriptor_ = -1;
        return result;
    }

private:
    int descriptor_;
};

} // namespace platform
