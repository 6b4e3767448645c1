// SPDX-License-Identifier: MIT
#pragma once

#include "core/settingsstore.h"

#include <string>

namespace platform {

// The settings store in one INI file per application, <config home>/<organization>/
// <application>.conf, read and edited by QSettings (IniFormat) itself on a copy: the section
// "General" is the file's top level, written [General]. Reading never changes the file and never
// waits on something that is not a regular file. A write replaces the whole file only once the
// new one is read back whole and is complete on the disk; it keeps the other entries as QSettings
// keeps them, and the file's mode, owner, group and extended attributes, and creates a missing
// file and its folders readable by their owner only. A file that cannot be read or written, that
// is not a regular file or that is larger than settingsfile::sizeCap is never replaced. Root in
// another user's files works with that user's rights.
class SettingsFileStore final : public core::SettingsStore
{
public:
    explicit SettingsFileStore(std::string organization);

    std::string GetSetting(const std::string& application, const std::string& section,
                           const std::string& key, const std::string& defaultValue) const override;
    std::optional<core::Failure> SaveSetting(const std::string& application,
                                             const std::string& section, const std::string& key,
                                             const std::string& value) override;

private:
    std::string organization_;
};

} // namespace platform
