// SPDX-License-Identifier: MIT
// A private folder beside a file, where the file that replaces it is made and checked before it
// takes the old one's place: on the same disk, so that the new file can be renamed into place.
#pragma once

#include "filedescriptor.h"

#include <string>
#include <variant>

namespace platform {

class WorkFolder
{
public:
    // Makes the folder in the open folder `parent`, named `name`, a dot and six random letters,
    // as mkstemp names its files, mode 0700 whatever the umask. Or errno for why not.
    static std::variant<WorkFolder, int> make(int parent, const std::string& name);

    WorkFolder(WorkFolder&&) = default;
    // Removes the folder, with whatever was made in it.
    ~WorkFolder();

    int get() const { return folder_.get(); }
    // The kernel's name for the folder (/proc/self/fd/N), for a library that takes paths.
    std::string path() const;

private:
    WorkFolder(int parent, std::string name, FileDescriptor folder);

    int parent_;
    std::string name_;
    FileDescriptor folder_;
};

} // namespace platform
