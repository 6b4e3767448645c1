// SPDX-License-Identifier: MIT
// libFuzzer target: one interface of the kernel's list, its attribute files made from the input
// in a private folder and read back through the Linux dial-up functions. Besides the sanitizers'
// own checks it holds the functions to the listing's rules, worked out here afresh from the files'
// contents. The input is the contents of `type`, `ifindex`, `flags` and `carrier`, separated by
// NUL bytes; a field the input does not reach leaves its file out.
#include "platform/linux/sysfsrasapi.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

using namespace mdConnectionTest;
namespace fs = std::filesystem;

// The longest attribute the functions read; anything longer is no attribute.
constexpr std::size_t maxAttributeLength = 64;
constexpr const char* attributeNames[] = {"type", "ifindex", "flags", "carrier"};

// The list, in memory where the system has a folder for that, as sysfs is: class/net/fuzz0
// links to devices/fuzz0, which holds the attributes.
struct Root
{
    fs::path path = fs::path(fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp") /
                    ("fuzz_netentry-" + std::to_string(::getpid()));
    fs::path net = path / "class" / "net";
    fs::path device = path / "devices" / "fuzz0";

    Root()
    {
        fs::create_directories(net);
        fs::create_directories(device.parent_path());
        fs::create_directory_symlink(device, net / "fuzz0");
    }
    ~Root() { fs::remove_all(path); }
    Root(const Root&) = delete;
    Root& operator=(const Root&) = delete;
};

// The rules, spelled out afresh: a file's whole content, at most 64 bytes, holds one unsigned
// 32-bit number in `base` and at most one newline after it; nothing else.
std::optional<std::uint32_t> numberIn(const std::optional<std::string>& content, int base)
{
    if (!content || content->size() > maxAttributeLength) {
        return std::nullopt;
    }
    std::string_view text = *content;
    if (base == 16 && text.starts_with("0x")) {
        text.remove_prefix(2);
    }
    if (text.ends_with('\n')) {
        text.remove_suffix(1);
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : 99;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (digit >= base || value > UINT32_MAX) {
            return std::nullopt;
        }
    }
    return text.empty() ? std::nullopt : std::optional(static_cast<std::uint32_t>(value));
}

void require(bool condition, const char* rule)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz_netentry: broken rule: %s\n", rule);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Root root;
    std::optional<std::string> fields[std::size(attributeNames)];
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    fs::remove_all(root.device);
    fs::create_directory(root.device);
    for (std::size_t i = 0; i < std::size(attributeNames); ++i) {
        const std::size_t end = rest.find('\0');
        fields[i] = std::string(rest.substr(0, end));
        std::ofstream(root.device / attributeNames[i], std::ios::binary) << *fields[i];
        if (end == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(end + 1);
    }

    const std::optional<std::uint32_t> index = numberIn(fields[1], 10);
    const bool listed = numberIn(fields[0], 10) == 512U && index && *index != 0;
    connectiontest::SysfsRasApi ras(root.net);
    RASCONNA records[2]{};
    records[0].dwSize = rasConnSize;
    std::uint32_t byteCount = sizeof records;
    std::int32_t count = -1;
    require(ras.RasEnumConnectionsA(records, &byteCount, &count) == SUCCESS, "a list is listed");
    require(count == (listed ? 1 : 0), "listed exactly when type is 512 and the index not 0");
    require(byteCount == static_cast<std::uint32_t>(count) * rasConnSize, "the byte count");
    require(records[1].hrasconn == 0 && records[1].szEntryName[0] == '\0', "nothing past the list");
    require(records[0].hrasconn == (listed ? *index : 0), "the handle is the index");
    if (listed) {
        RASCONNSTATUSA status{};
        status.dwSize = rasConnStatusSize;
        require(ras.RasGetConnectStatusA(*index, &status) == SUCCESS, "a listed link has a state");
        const std::optional<std::uint32_t> flags = numberIn(fields[2], 16);
        const std::uint32_t expected = !flags || (*flags & 1U) == 0    ? RASCS_ConnectDevice
                                       : numberIn(fields[3], 10) == 1U ? RASCS_Connected
                                                                       : RASCS_Authenticate;
        require(status.rasconnstate == expected, "connected exactly when up with carrier 1");
    }
    return 0;
}
