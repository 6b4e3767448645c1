// SPDX-License-Identifier: MIT
// The generator's one failure type: its message is printed as it is, for a person to act on.
#pragma once

#include <stdexcept>

namespace artgen {

class ArtgenError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace artgen
