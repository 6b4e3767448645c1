// SPDX-License-Identifier: MIT
// libFuzzer target: one entry of the kernel's interface list, made from the input in a private
// folder and read back through the Linux dial-up functions. Besides the sanitizers' own checks it
// holds the functions to the listing's rules, worked out here independently from the files'
// contents.
//
// The input: one byte for the entry's shape (its value modulo 4: a device folder, a dangling
// link, a link to itself, a plain file), then the contents of `type`, `ifindex`, `flags` and
// `carrier`, separated by NUL bytes. A missing field leaves its file out; a field of the single
// byte 0x7f is a folder (it opens, but reading fails), 0x7e a link to itself, 0x7d a link to
// /dev/zero.
#include "platform/linux/sysfsrasapi.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

using namespace mdConnectionTest;
namespace fs = std::filesystem;

// The longest attribute the functions read; anything longer is no attribute.
constexpr std::size_t maxAttributeLength = 64;
constexpr std::string_view entryName = "fuzz0";
const char* const attributeNames[] = {"type", "ifindex", "flags", "carrier"};

enum class Shape
{
    Device,
    DanglingLink,
    LinkLoop,
    PlainFile,
};

struct Entry
{
    Shape shape = Shape::Device;
    std::vector<std::optional<std::string>> attributes;
};

Entry parseInput(const std::uint8_t* data, std::size_t size)
{
    Entry entry;
    entry.attributes.resize(std::size(attributeNames));
    if (size == 0) {
        return entry;
    }
    entry.attributes.clear();
    entry.shape = static_cast<Shape>(data[0] % 4);
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    while (entry.attributes.size() < std::size(attributeNames)) {
        const std::size_t end = rest.find('\0');
        entry.attributes.emplace_back(std::string(rest.substr(0, end)));
        if (end == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(end + 1);
    }
    entry.attributes.resize(std::size(attributeNames));
    return entry;
}

// The folder the entries are made in: in memory where the system has one, as sysfs is.
struct Root
{
    fs::path path;
    fs::path net;
    fs::path device;

    Root()
    {
        std::string pattern =
            (fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path())
                .string() +
            "/fuzz_netentry-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("fuzz_netentry: mkdtemp");
            std::abort();
        }
        path = pattern;
        net = path / "class" / "net";
        device = path / "devices" / "virtual" / "net" / std::string(entryName);
        fs::create_directories(net);
    }
    ~Root()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    Root(const Root&) = delete;
    Root& operator=(const Root&) = delete;
};

Root& root()
{
    static Root instance;
    return instance;
}

void writeAttribute(const fs::path& file, const std::string& content)
{
    if (content == "\x7f") {
        fs::create_directory(file);
    } else if (content == "\x7e") {
        fs::create_symlink(file, file);
    } else if (content == "\x7d") {
        fs::create_symlink("/dev/zero", file);
    } else {
        std::ofstream(file, std::ios::binary) << content;
    }
}

void make(const Entry& entry)
{
    const Root& r = root();
    const fs::path listed = r.net / std::string(entryName);
    std::error_code ignored;
    fs::remove_all(listed, ignored);
    fs::remove_all(r.device.parent_path(), ignored);
    switch (entry.shape) {
    case Shape::DanglingLink:
        fs::create_symlink(r.device, listed);
        return;
    case Shape::LinkLoop:
        fs::create_symlink(listed, listed);
        return;
    case Shape::PlainFile:
        std::ofstream(listed, std::ios::binary) << entry.attributes[0].value_or("");
        return;
    case Shape::Device:
        break;
    }
    fs::create_directories(r.device);
    for (std::size_t i = 0; i < std::size(attributeNames); ++i) {
        if (entry.attributes[i]) {
            writeAttribute(r.device / attributeNames[i], *entry.attributes[i]);
        }
    }
    fs::create_directory_symlink(r.device, listed);
}

// The rules, spelled out afresh: a plain file's whole content, at most 64 bytes, holds one
// unsigned 32-bit number and at most one newline after it; nothing else.
bool isPlainAttribute(const std::optional<std::string>& content)
{
    return content && *content != "\x7f" && *content != "\x7e" && *content != "\x7d" &&
           content->size() <= maxAttributeLength;
}

std::optional<std::uint32_t> numberIn(std::string_view text, unsigned base)
{
    if (!text.empty() && text.back() == '\n') {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        unsigned digit = base;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        }
        if (digit >= base) {
            return std::nullopt;
        }
        value = value * base + digit;
        if (value > UINT32_MAX) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(value);
}

std::optional<std::uint32_t> decimal(const std::optional<std::string>& content)
{
    return isPlainAttribute(content) ? numberIn(*content, 10) : std::nullopt;
}

std::optional<std::uint32_t> flags(const std::optional<std::string>& content)
{
    if (!isPlainAttribute(content)) {
        return std::nullopt;
    }
    std::string_view text = *content;
    if (text.substr(0, 2) == "0x") {
        text.remove_prefix(2);
    }
    return numberIn(text, 16);
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
    const Entry entry = parseInput(data, size);
    make(entry);

    const std::optional<std::uint32_t> type = decimal(entry.attributes[0]);
    const std::optional<std::uint32_t> index = decimal(entry.attributes[1]);
    const bool listed = entry.shape == Shape::Device && type == 512U && index && *index != 0;

    connectiontest::SysfsRasApi ras(root().net);
    std::vector<RASCONNA> records(2);
    records[0].dwSize = rasConnSize;
    std::uint32_t byteCount = rasConnSize * 2;
    std::int32_t count = -1;
    require(ras.RasEnumConnectionsA(records.data(), &byteCount, &count) == SUCCESS,
            "a folder that exists lists");
    require(count == (listed ? 1 : 0), "listed exactly when type is 512 and the index not 0");
    require(byteCount == static_cast<std::uint32_t>(count) * rasConnSize, "byte count");
    require(records[1].hrasconn == 0 && records[1].szEntryName[0] == '\0',
            "nothing written past the list");
    if (!listed) {
        require(records[0].hrasconn == 0, "no handle without a listed link");
        return 0;
    }
    require(records[0].hrasconn == *index, "the handle is the index");
    require(std::string_view(records[0].szEntryName) == entryName, "the entry's name");
    require(std::string_view(records[0].szDeviceType) == "ppp", "the device type");

    RASCONNSTATUSA status{};
    status.dwSize = rasConnStatusSize;
    require(ras.RasGetConnectStatusA(*index, &status) == SUCCESS, "a listed link has a state");
    const std::optional<std::uint32_t> flagBits = flags(entry.attributes[2]);
    const bool up = flagBits && (*flagBits & 1U) != 0;
    const std::uint32_t expected = !up                                  ? RASCS_ConnectDevice
                                   : decimal(entry.attributes[3]) == 1U ? RASCS_Connected
                                                                        : RASCS_Authenticate;
    require(status.rasconnstate == expected, "connected exactly when up with carrier 1");
    return 0;
}
