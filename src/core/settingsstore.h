// SPDX-License-Identifier: MIT
// The per-user settings store: strings addressed by application, section and key.
#pragma once

#include "failure.h"

#include <optional>
#include <string>

namespace core {

class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // The stored string when the entry exists, even an empty one; `defaultValue` only when the
    // entry does not exist or holds something that is no string.
    virtual std::string GetSetting(const std::string& application, const std::string& section,
                                   const std::string& key,
                                   const std::string& defaultValue) const = 0;

    // Stores `value`, replacing an existing entry. Returns the failure when the store could not
    // keep it; the stored entry is then as it was, unless the failure says it took effect (the
    // entry is stored, but the store could not confirm that it is safe).
    virtual std::optional<Failure> SaveSetting(const std::string& application,
                                               const std::string& section, const std::string& key,
                                               const std::string& value) = 0;

protected:
    SettingsStore() = default;
    SettingsStore(const SettingsStore&) = default;
    SettingsStore& operator=(const SettingsStore&) = default;
};

} // namespace core
