// SPDX-License-Identifier: MIT
#include "settingsfilestore.h"

#include "configfolder.h"
#include "inifile.h"
#include "settingsfile.h"
#include "systemerror.h"

#include <cerrno>
#include <sys/stat.h>

namespace platform {

using settingsfile::Kind;

namespace {

// A file the store creates is readable and writable by its owner only.
constexpr mode_t privateFileMode = S_IRUSR | S_IWUSR;

} // namespace

SettingsFileStore::SettingsFileStore(std::string organization)
    : organization_(std::move(organization))
{}

std::variant<std::string, core::Failure>
SettingsFileStore::fileName(const std::string& application) const
{
    auto home = configHome();
    if (auto* failure = std::get_if<core::Failure>(&home)) {
        return *failure;
    }
    return std::get<std::string>(home) + '/' + organization_ + '/' + application + ".conf";
}

std::string SettingsFileStore::GetSetting(const std::string& application,
                                          const std::string& section, const std::string& key,
                                          const std::string& defaultValue) const
{
    const auto file = fileName(application);
    if (!std::holds_alternative<std::string>(file)) {
        return defaultValue;
    }
    const settingsfile::Resolved target = settingsfile::resolve(std::get<std::string>(file));
    if (target.kind != Kind::RegularFile) {
        return defaultValue;
    }
    const auto contents = settingsfile::readFile(target.path());
    const auto* read = std::get_if<settingsfile::Contents>(&contents);
    if (read == nullptr) {
        return defaultValue;
    }
    return inifile::readText(read->bytes, section, key).value_or(defaultValue);
}

std::optional<core::Failure> SettingsFileStore::SaveSetting(const std::string& application,
                                                            const std::string& section,
                                                            const std::string& key,
                                                            const std::string& value)
{
    const auto file = fileName(application);
    if (const auto* failure = std::get_if<core::Failure>(&file)) {
        return *failure;
    }
    const auto& path = std::get<std::string>(file);
    const auto couldNotWrite = [&path](std::string why) {
        return core::Failure{"Could not write " + path, std::move(why)};
    };

    const settingsfile::Resolved target = settingsfile::resolve(path);
    settingsfile::Contents old{{}, privateFileMode};
    switch (target.kind) {
    case Kind::Missing:
        if (auto failure = settingsfile::makePrivateFolders(target.folder)) {
            return failure;
        }
        break;
    case Kind::RegularFile: {
        // What the program cannot read, it does not replace: the entries in it would be lost.
        auto contents = settingsfile::readFile(target.path());
        if (const int* error = std::get_if<int>(&contents)) {
            return couldNotWrite(systemReason(*error));
        }
        old = std::get<settingsfile::Contents>(std::move(contents));
        break;
    }
    case Kind::Folder:
        return couldNotWrite(systemReason(EISDIR));
    case Kind::Other:
        return couldNotWrite("it is not a regular file");
    case Kind::Unresolvable:
        return couldNotWrite(systemReason(target.error));
    }
    const std::string content = inifile::withText(old.bytes, section, key, value);
    if (const auto error = settingsfile::replaceFile(target, content, old.mode)) {
        return couldNotWrite(systemReason(*error));
    }
    return std::nullopt;
}

} // namespace platform
