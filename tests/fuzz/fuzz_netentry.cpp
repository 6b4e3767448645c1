// SPDX-License-Identifier: MIT
// libFuzzer target: one interface of the kernel's list, its attribute files made from the input
// in a private folder and read back through the Linux dial-up functions. Besides the sanitizers'
// own checks it holds the functions to what is true of any input: one entry lists at most one
// link, with the byte count to match and nothing written past it, and a listed link has a handle,
// its name and a state. Which inputs are listed, and in which state, tst_sysfsrasapi says for
// each kept input. The input is the contents of `type`, `ifindex`, `flags` and `carrier`,
// separated by NUL bytes; a field the input does not reach leaves its file out.
#include "platform/linux/sysfsrasapi.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

using namespace mdConnectionTest;
namespace fs = std::filesystem;

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
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    fs::remove_all(root.device);
    fs::create_directory(root.device);
    for (std::size_t i = 0; i < std::size(attributeNames); ++i) {
        const std::size_t end = rest.find('\0');
        std::ofstream(root.device / attributeNames[i], std::ios::binary) << rest.substr(0, end);
        if (end == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(end + 1);
    }

    connectiontest::SysfsRasApi ras(root.net);
    RASCONNA records[2]{};
    records[0].dwSize = rasConnSize;
    std::uint32_t byteCount = sizeof records;
    std::int32_t count = -1;
    require(ras.RasEnumConnectionsA(records, &byteCount, &count) == SUCCESS &&
                (count == 0 || count == 1) &&
                byteCount == static_cast<std::uint32_t>(count) * rasConnSize,
            "one entry lists one link or none, with the byte count to match");
    require(records[count].hrasconn == 0 && records[count].szEntryName[0] == '\0',
            "nothing written past the list");
    if (count == 1) {
        require(records[0].hrasconn != 0 && std::string_view(records[0].szEntryName) == "fuzz0",
                "a listed link has a handle and its name");
        RASCONNSTATUSA status{};
        status.dwSize = rasConnStatusSize;
        require(ras.RasGetConnectStatusA(records[0].hrasconn, &status) == SUCCESS &&
                    (status.rasconnstate == RASCS_ConnectDevice ||
                     status.rasconnstate == RASCS_Authenticate ||
                     status.rasconnstate == RASCS_Connected),
                "a listed link has a state");
    }
    return 0;
}
