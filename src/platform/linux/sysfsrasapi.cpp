// SPDX-License-Identifier: MIT
#include "sysfsrasapi.h"

#include "filedescriptor.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <compare>
#include <cstddef>
#include <fcntl.h>
#include <iterator>
#include <limits>
#include <optional>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace connectiontest {

using mdConnectionTest::ERROR_ACCESS_DENIED;
using mdConnectionTest::ERROR_BUFFER_TOO_SMALL;
using mdConnectionTest::ERROR_INVALID_HANDLE;
using mdConnectionTest::ERROR_INVALID_PARAMETER;
using mdConnectionTest::ERROR_INVALID_SIZE;
using mdConnectionTest::ERROR_PATH_NOT_FOUND;
using mdConnectionTest::ERROR_READ_FAULT;
using mdConnectionTest::HRASCONN;
using mdConnectionTest::RASCONNA;
using mdConnectionTest::rasConnSize;
using mdConnectionTest::RASCONNSTATUSA;
using mdConnectionTest::rasConnStatusSize;
using mdConnectionTest::RASCS_Authenticate;
using mdConnectionTest::RASCS_ConnectDevice;
using mdConnectionTest::RASCS_Connected;
using mdConnectionTest::SUCCESS;

namespace {

// 512 is ARPHRD_PPP from <linux/if_arp.h>: the hardware type of every PPP interface.
constexpr std::uint32_t pppHardwareType = 512;
// 0x1 is IFF_UP from <net/if.h>: the interface has been brought up.
constexpr std::uint32_t interfaceUpFlag = 0x1;
// The device type the records give for every listed link.
constexpr std::string_view pppDeviceType = "ppp";
// An attribute file holds one number and a newline; anything longer is not an attribute.
constexpr std::size_t maxAttributeLength = 64;
// The most records whose total size the 32-bit byte count can state.
constexpr std::size_t maxListed = std::numeric_limits<std::uint32_t>::max() / rasConnSize;

// The whole content of the small attribute file at `path`, or nothing when it cannot be opened or
// read or is too long to be an attribute. O_NONBLOCK keeps a FIFO planted in the folder from
// stalling the caller; ordinary files and sysfs attributes ignore it.
std::optional<std::string> readAttribute(const std::filesystem::path& path)
{
    const platform::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0) {
        return std::nullopt;
    }
    // One byte more than an attribute may hold tells a too long file from one that fits.
    std::array<char, maxAttributeLength + 1> buffer{};
    std::size_t length = 0;
    while (length < buffer.size()) {
        const ssize_t count = ::read(file.get(), buffer.data() + length, buffer.size() - length);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return std::nullopt;
        }
        if (count == 0) {
            break;
        }
        length += static_cast<std::size_t>(count);
    }
    if (length > maxAttributeLength) {
        return std::nullopt;
    }
    return std::string(buffer.data(), length);
}

// The unsigned 32-bit number `text` spells in `base`, allowing one trailing newline as the kernel
// writes it. Signs, spaces, other characters and values beyond 32 bits give nothing.
std::optional<std::uint32_t> parseNumber(std::string_view text, int base)
{
    if (text.ends_with('\n')) {
        text.remove_suffix(1);
    }
    std::uint32_t value = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint32_t> readDecimal(const std::filesystem::path& path)
{
    const std::optional<std::string> text = readAttribute(path);
    return text ? parseNumber(*text, 10) : std::nullopt;
}

// The kernel writes the flags with "%#x": hexadecimal after "0x", but a bare "0" for none.
std::optional<std::uint32_t> readFlags(const std::filesystem::path& path)
{
    const std::optional<std::string> text = readAttribute(path);
    if (!text) {
        return std::nullopt;
    }
    std::string_view digits = *text;
    if (digits.starts_with("0x")) {
        digits.remove_prefix(2);
    }
    return parseNumber(digits, 16);
}

struct PppLink
{
    HRASCONN index;
    std::string name;

    // By index, then by name, so that two entries claiming one index keep a fixed order.
    auto operator<=>(const PppLink&) const = default;
};

struct Listing
{
    std::error_code error;
    std::vector<PppLink> links;
};

// The PPP interfaces listed in `netClassDir`, sorted. An entry that is not a readable interface
// folder (vanished, not a folder, a dangling or looping link, a type or index that is missing or
// not a number) is passed over: it is not a connection. Index 0 is passed over as well: the kernel
// numbers interfaces from 1, and to the caller handle 0 means no connection.
Listing listPppLinks(const std::filesystem::path& netClassDir)
{
    Listing listing;
    std::filesystem::directory_iterator entry(netClassDir, listing.error);
    const std::filesystem::directory_iterator end;
    for (; !listing.error && entry != end; entry.increment(listing.error)) {
        const std::filesystem::path& device = entry->path();
        const std::optional<std::uint32_t> type = readDecimal(device / "type");
        if (!type || *type != pppHardwareType) {
            continue;
        }
        const std::optional<std::uint32_t> index = readDecimal(device / "ifindex");
        if (!index || *index == 0) {
            continue;
        }
        listing.links.push_back({*index, device.filename().string()});
    }
    std::ranges::sort(listing.links);
    if (listing.links.size() > maxListed) {
        listing.links.resize(maxListed);
    }
    return listing;
}

std::uint32_t codeForFolderError(const std::error_code& error)
{
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
        return ERROR_PATH_NOT_FOUND;
    }
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
        return ERROR_ACCESS_DENIED;
    }
    return ERROR_READ_FAULT;
}

// Copies `text` into a fixed record field, cut to leave room for the terminating NUL, and clears
// the rest of the field.
template <std::size_t size> void copyTruncated(char (&field)[size], std::string_view text)
{
    std::fill(std::begin(field), std::end(field), '\0');
    std::copy_n(text.data(), std::min(text.size(), size - 1), std::begin(field));
}

} // namespace

SysfsRasApi::SysfsRasApi(std::filesystem::path netClassDir) : netClassDir_(std::move(netClassDir))
{}

std::uint32_t SysfsRasApi::RasEnumConnectionsA(RASCONNA* first, std::uint32_t* byteCount,
                                               std::int32_t* connectionCount)
{
    if (first == nullptr || byteCount == nullptr || connectionCount == nullptr) {
        return fail(ERROR_INVALID_PARAMETER, "listing connections: a pointer given is null");
    }
    if (first->dwSize != rasConnSize) {
        return fail(ERROR_INVALID_SIZE, "listing connections: the first record is stamped " +
                                            std::to_string(first->dwSize) + " bytes, not " +
                                            std::to_string(rasConnSize));
    }
    const Listing listing = listPppLinks(netClassDir_);
    if (listing.error) {
        return fail(codeForFolderError(listing.error),
                    netClassDir_.string() + ": " + listing.error.message());
    }

    const std::size_t count = listing.links.size();
    const std::size_t room = *byteCount / rasConnSize;
    *byteCount = static_cast<std::uint32_t>(count * rasConnSize);
    *connectionCount = static_cast<std::int32_t>(count);
    if (count > room) {
        return fail(ERROR_BUFFER_TOO_SMALL, "listing connections: " + std::to_string(count) +
                                                " connections need " + std::to_string(*byteCount) +
                                                " bytes, the buffer holds " +
                                                std::to_string(room * rasConnSize));
    }
    for (std::size_t i = 0; i < count; ++i) {
        const PppLink& link = listing.links[i];
        RASCONNA record{};
        record.dwSize = rasConnSize;
        record.hrasconn = link.index;
        copyTruncated(record.szEntryName, link.name);
        copyTruncated(record.szDeviceType, pppDeviceType);
        copyTruncated(record.szDeviceName, link.name);
        first[i] = record;
    }
    return SUCCESS;
}

std::uint32_t SysfsRasApi::RasGetConnectStatusA(HRASCONN connection, RASCONNSTATUSA* status)
{
    if (status == nullptr) {
        return fail(ERROR_INVALID_PARAMETER,
                    "reading a connection's state: no status record given");
    }
    if (status->dwSize != rasConnStatusSize) {
        return fail(ERROR_INVALID_SIZE,
                    "reading a connection's state: the status record is stamped " +
                        std::to_string(status->dwSize) + " bytes, not " +
                        std::to_string(rasConnStatusSize));
    }
    if (connection == 0) {
        return fail(ERROR_INVALID_HANDLE,
                    "reading a connection's state: handle 0 is no connection");
    }
    const Listing listing = listPppLinks(netClassDir_);
    if (listing.error) {
        return fail(ERROR_INVALID_HANDLE, netClassDir_.string() + ": " + listing.error.message());
    }
    const auto link = std::ranges::find(listing.links, connection, &PppLink::index);
    if (link == listing.links.end()) {
        return fail(ERROR_INVALID_HANDLE, netClassDir_.string() + ": no PPP interface has index " +
                                              std::to_string(connection));
    }

    // Flags or a carrier that cannot be read count as down and as no carrier. A link that is down
    // has no carrier to read (the kernel answers EINVAL), so it is not asked.
    const std::filesystem::path device = netClassDir_ / link->name;
    const std::optional<std::uint32_t> flags = readFlags(device / "flags");
    const bool up = flags && (*flags & interfaceUpFlag) != 0;
    std::uint32_t state = RASCS_ConnectDevice;
    if (up) {
        const std::optional<std::uint32_t> carrier = readDecimal(device / "carrier");
        state = carrier == 1U ? RASCS_Connected : RASCS_Authenticate;
    }
    status->rasconnstate = state;
    status->dwError = SUCCESS;
    copyTruncated(status->szDeviceType, pppDeviceType);
    copyTruncated(status->szDeviceName, link->name);
    return SUCCESS;
}

const char* SysfsRasApi::lastFailureReason() const
{
    return lastFailureReason_.c_str();
}

std::uint32_t SysfsRasApi::fail(std::uint32_t code, std::string reason)
{
    lastFailureReason_ = std::move(reason);
    return code;
}

} // namespace connectiontest
