// SPDX-License-Identifier: MIT
// A file's extended attributes carried over to the file that replaces it, as careful editors do:
// its access list (system.posix_acl_access), its user.* attributes and whatever else this process
// may read, such as a security label. The new file ends with exactly the old one's set: what it
// got by itself (an access list inherited from its folder) and the old one lacks is taken away,
// so that nobody gains access the old file denied.
#pragma once

#include <optional>
#include <string>

namespace platform {

// What could not be carried over, and the system's error for it.
struct AttributeFailure
{
    std::string attribute;
    int error = 0;
};

// Gives the open file `to` exactly the extended attributes of the open file `from`. A file system
// that keeps no attributes has none to give or take.
std::optional<AttributeFailure> copyAttributes(int from, int to);

} // namespace platform
