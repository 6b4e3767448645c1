// SPDX-License-Identifier: MIT
// The connection test's cases against scripted dial-up functions, as a plain table with its check,
// so that the Qt tests on Linux and the Windows console test run the same cases.
#pragma once

#include "connection/isconnected.h"
#include "fakerasapi.h"

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace isconnectedcases {

struct Case
{
    const char* name;
    // What the listing returns, and the states of the connections it lists, first listed first.
    std::uint32_t enumerationResult;
    std::vector<std::uint32_t> states;
    // The answer, the codes handed to the failure callback, and the handles the status call got.
    bool expected;
    std::vector<std::uint32_t> reportedCodes;
    std::vector<mdConnectionTest::HRASCONN> handlesAsked;
};

inline const std::vector<Case>& cases()
{
    using namespace mdConnectionTest;
    static const std::vector<Case> table = {
        {"listing fails", ERROR_ACCESS_DENIED, {RASCS_Connected}, false, {ERROR_ACCESS_DENIED}, {}},
        {"buffer too small", ERROR_BUFFER_TOO_SMALL, {}, false, {ERROR_BUFFER_TOO_SMALL}, {}},
        {"no connection", SUCCESS, {}, false, {}, {0}},
        {"connected", SUCCESS, {RASCS_Connected}, true, {}, {1}},
        {"dialling", SUCCESS, {RASCS_ConnectDevice}, false, {}, {1}},
        {"authenticating", SUCCESS, {RASCS_Authenticate}, false, {}, {1}},
        {"first connected, second not",
         SUCCESS,
         {RASCS_Connected, RASCS_Authenticate},
         true,
         {},
         {1}},
        {"first not, second connected",
         SUCCESS,
         {RASCS_ConnectDevice, RASCS_Connected},
         false,
         {},
         {1}},
    };
    return table;
}

namespace detail {

inline std::string describe(std::uint32_t value)
{
    return std::to_string(value);
}

inline std::string describe(bool value)
{
    return value ? "true" : "false";
}

inline std::string describe(const std::vector<std::uint32_t>& values)
{
    std::ostringstream text;
    text << '{';
    for (std::size_t i = 0; i < values.size(); ++i) {
        text << (i == 0 ? "" : ", ") << values[i];
    }
    text << '}';
    return text.str();
}

template <typename T>
void expectEqual(std::vector<std::string>& mismatches, const char* what, const T& actual,
                 const T& expected)
{
    if (!(actual == expected)) {
        mismatches.push_back(std::string(what) + ": got " + describe(actual) + ", expected " +
                             describe(expected));
    }
}

} // namespace detail

// Runs one case; returns what went otherwise than the case says, one line each, so nothing when
// it passed.
inline std::vector<std::string> run(const Case& row)
{
    using namespace mdConnectionTest;
    FakeRasApi ras;
    ras.enumerationResult = row.enumerationResult;
    ras.states = row.states;
    std::vector<std::uint32_t> reported;
    const bool answer = connectiontest::firstConnectionIsConnected(
        ras, [&reported](std::uint32_t code) { reported.push_back(code); });

    std::vector<std::string> mismatches;
    detail::expectEqual(mismatches, "answer", answer, row.expected);
    detail::expectEqual(mismatches, "codes reported", reported, row.reportedCodes);
    detail::expectEqual(mismatches, "first record's size stamp", ras.firstRecordSize, rasConnSize);
    // 256 records of 412 bytes.
    detail::expectEqual(mismatches, "byte count on entry", ras.byteCountOnEntry,
                        std::uint32_t{105472});
    detail::expectEqual(mismatches, "handles asked", ras.statusHandles, row.handlesAsked);
    for (const std::uint32_t size : ras.statusRecordSizes) {
        detail::expectEqual(mismatches, "status record's size stamp", size, rasConnStatusSize);
    }
    return mismatches;
}

} // namespace isconnectedcases
