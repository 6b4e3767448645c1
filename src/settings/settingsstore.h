// SPDX-License-Identifier: MIT
// The per-user settings store: strings addressed by application, section and key.
#pragma once

#include "app/failure.h"

#include <optional>
#include <QString>

class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // The stored string when the entry exists, even an empty one; `defaultValue` only when the
    // entry does not exist.
    virtual QString GetSetting(const QString& application, const QString& section,
                               const QString& key, const QString& defaultValue) const = 0;

    // Stores `value`, replacing an existing entry. Returns the failure when the store could not
    // keep it; the stored entry is then as it was.
    virtual std::optional<Failure> SaveSetting(const QString& application, const QString& section,
                                               const QString& key, const QString& value) = 0;

protected:
    SettingsStore() = default;
    SettingsStore(const SettingsStore&) = default;
    SettingsStore& operator=(const SettingsStore&) = default;
};
