// SPDX-License-Identifier: MIT
#pragma once

#include "core/settingsstore.h"

namespace platform {

// The settings store in the user's part of the registry: the entry (application, section, key)
// is the string value `key` of HKEY_CURRENT_USER\Software\<application>\<section>. A value that
// is not a string (REG_SZ), or is larger than 16 MiB, reads as missing.
class RegistryStore final : public core::SettingsStore
{
public:
    std::string GetSetting(const std::string& application, const std::string& section,
                           const std::string& key, const std::string& defaultValue) const override;
    std::optional<core::Failure> SaveSetting(const std::string& application,
                                             const std::string& section, const std::string& key,
                                             const std::string& value) override;
};

} // namespace platform
