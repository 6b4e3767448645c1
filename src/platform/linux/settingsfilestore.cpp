// SPDX-License-Identifier: MIT
#include "settingsfilestore.h"

#include "configfolder.h"
#include "qsettingscopy.h"
#include "settingsfile.h"
#include "userfilerights.h"

namespace platform {

namespace {

// How often a Login starts again when another process replaced the file meanwhile.
constexpr int triesWhenReplaced = 100;

// The file that holds the entries of `application`, or why there is none.
std::variant<std::string, core::Failure> fileName(const std::string& organization,
                                                  const std::string& application)
{
    auto home = configHome();
    if (auto* failure = std::get_if<core::Failure>(&home)) {
        return *failure;
    }
    return std::get<std::string>(home) + '/' + organization + '/' + application + ".conf";
}

// One try at replacing the file at `file` by one whose entry holds `value`.
std::optional<core::Failure> replaceOnce(const std::string& file, const std::string& section,
                                         const std::string& key, const std::string& value)
{
    // What the program cannot read, it does not replace: the entries in it would be lost.
    auto found = settingsfile::findTarget(file);
    if (const auto* failure = std::get_if<core::Failure>(&found)) {
        return *failure;
    }
    const auto& target = std::get<settingsfile::Target>(found);
    auto work = settingsfile::makeWorkFolder(target);
    if (const auto* failure = std::get_if<core::Failure>(&work)) {
        return *failure;
    }
    const auto& folder = std::get<WorkFolder>(work);
    auto edited = qsettingscopy::edit(folder.path(), target.bytes, section, key, value);
    if (auto* failure = std::get_if<core::Failure>(&edited)) {
        return core::Failure{"Could not write " + file, std::move(failure->why)};
    }
    return settingsfile::install(target, folder, std::get<std::string>(edited));
}

} // namespace

SettingsFileStore::SettingsFileStore(std::string organization)
    : organization_(std::move(organization))
{}

std::string SettingsFileStore::GetSetting(const std::string& application,
                                          const std::string& section, const std::string& key,
                                          const std::string& defaultValue) const
{
    // A file that cannot be read holds no entry the program can show.
    const auto file = fileName(organization_, application);
    if (!std::holds_alternative<std::string>(file)) {
        return defaultValue;
    }
    const auto rights = UserFileRights::forPath(std::get<std::string>(file));
    if (!std::holds_alternative<UserFileRights>(rights)) {
        return defaultValue;
    }
    const auto bytes = settingsfile::readFile(std::get<std::string>(file));
    if (!std::holds_alternative<std::string>(bytes)) {
        return defaultValue;
    }
    return qsettingscopy::readText(std::get<std::string>(bytes), section, key)
        .value_or(defaultValue);
}

std::optional<core::Failure> SettingsFileStore::SaveSetting(const std::string& application,
                                                            const std::string& section,
                                                            const std::string& key,
                                                            const std::string& value)
{
    const auto file = fileName(organization_, application);
    if (const auto* failure = std::get_if<core::Failure>(&file)) {
        return *failure;
    }
    const auto rights = UserFileRights::forPath(std::get<std::string>(file));
    if (const auto* failure = std::get_if<core::Failure>(&rights)) {
        return *failure;
    }
    for (int attempt = 1;; ++attempt) {
        auto failure = replaceOnce(std::get<std::string>(file), section, key, value);
        if (!failure || !settingsfile::changedMeanwhile(*failure) || attempt == triesWhenReplaced) {
            return failure;
        }
    }
}

} // namespace platform
