// SPDX-License-Identifier: MIT
// A tally of checks for the plain C++ tests, which run on Linux and, cross-built, under wine:
// each failed check prints one line with what was seen instead, and the run ends with the count.
#pragma once

#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

class Checks
{
public:
    // Names the case that the following checks belong to.
    void group(std::string_view name) { group_ = name; }

    // Records one check; `seen` says what was found when it failed. Returns `ok`.
    bool expect(bool ok, std::string_view what, std::string_view seen = {})
    {
        if (!ok) {
            std::cout << "FAIL " << group_ << ": " << what;
            if (!seen.empty()) {
                std::cout << "\n     seen: " << seen;
            }
            std::cout << std::endl;
        }
        ++(ok ? passed_ : failed_);
        return ok;
    }

    template <typename T>
    bool expectEqual(const T& actual, const T& expected, std::string_view what)
    {
        std::ostringstream seen;
        seen << actual << ", expected " << expected;
        return expect(actual == expected, what, seen.str());
    }

    // Prints the tally; returns the process's exit status, 0 only when every check passed.
    int finish() const
    {
        std::cout << passed_ << " checks passed, " << failed_ << " failed" << std::endl;
        return failed_ == 0 && passed_ > 0 ? 0 : 1;
    }

private:
    std::string group_;
    int passed_ = 0;
    int failed_ = 0;
};
