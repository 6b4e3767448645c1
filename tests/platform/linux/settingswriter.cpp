// SPDX-License-Identifier: MIT
// Stores and reads the last-user entry through the program's own store, in a process of its own,
// for the tests that kill writers at random moments or race several of them. The configuration
// folder comes from XDG_CONFIG_HOME, as for the program.
//
//   settingswriter write    stores each name read from stdin (UTF-8, separated by NUL bytes),
//                           printing "saving N T" before and "saved N T" after the N-th write
//   settingswriter read D   prints the stored name, or D when there is none
#include "platform/linux/settingsfilestore.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>

namespace {

const std::string application = "Corvane";
const std::string section = "General";
const std::string key = "LastUser";

// One line per step, with the time on the system's monotonic clock in microseconds, which all
// processes share: the tests tell from it whether the writes of several writers overlapped.
void say(const char* what, std::size_t index)
{
    const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    std::printf("%s %zu %lld\n", what, index, static_cast<long long>(now.count()));
    std::fflush(stdout);
}

int write(platform::SettingsFileStore& store)
{
    const std::string input{std::istreambuf_iterator<char>(std::cin),
                            std::istreambuf_iterator<char>()};
    std::size_t index = 0;
    for (std::size_t start = 0; start <= input.size(); ++index) {
        const std::size_t end = std::min(input.find('\0', start), input.size());
        say("saving", index);
        if (const auto failure =
                store.SaveSetting(application, section, key, input.substr(start, end - start))) {
            std::fprintf(stderr, "settingswriter: %s\n", failure->text().c_str());
            return 1;
        }
        say("saved", index);
        start = end + 1;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    platform::SettingsFileStore store(application);
    if (argc == 2 && std::strcmp(argv[1], "write") == 0) {
        return write(store);
    }
    if (argc == 3 && std::strcmp(argv[1], "read") == 0) {
        const std::string name = store.GetSetting(application, section, key, argv[2]);
        std::fwrite(name.data(), 1, name.size(), stdout);
        return 0;
    }
    std::fputs("usage: settingswriter write < names | settingswriter read DEFAULT\n", stderr);
    return 2;
}
