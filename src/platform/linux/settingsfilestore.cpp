// SPDX-License-Identifier: MIT
#include "settingsfilestore.h"

#include "configfolder.h"
#include "qsettingscopy.h"
#include "settingsfile.h"

namespace platform {

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
    // A file that cannot be read holds no entry the program can show.
    const auto file = fileName(application);
    if (!std::holds_alternative<std::string>(file)) {
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
    const auto file = fileName(application);
    if (const auto* failure = std::get_if<core::Failure>(&file)) {
        return *failure;
    }
    // What the program cannot read, it does not replace: the entries in it would be lost.
    const auto target = settingsfile::findTarget(std::get<std::string>(file));
    if (const auto* failure = std::get_if<core::Failure>(&target)) {
        return *failure;
    }
    const auto& found = std::get<settingsfile::Target>(target);
    const auto content = qsettingscopy::withText(found.bytes, section, key, value);
    if (const auto* failure = std::get_if<core::Failure>(&content)) {
        return *failure;
    }
    return settingsfile::replace(found, std::get<std::string>(content));
}

} // namespace platform
