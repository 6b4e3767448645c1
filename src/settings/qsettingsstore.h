// SPDX-License-Identifier: MIT
#pragma once

#include "settingsstore.h"

// The settings store on QSettings in the platform's native per-user format (on Linux the INI file
// $XDG_CONFIG_HOME/<organization>/<application>.conf). The section "General" maps to the file's
// top level, which QSettings writes as [General]; other sections become groups.
class QSettingsStore final : public SettingsStore
{
public:
    explicit QSettingsStore(QString organization);

    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       const QString& defaultValue) const override;
    std::optional<Failure> SaveSetting(const QString& application, const QString& section,
                                       const QString& key, const QString& value) override;

    // The file that holds the entries of `application`.
    QString fileName(const QString& application) const;

private:
    QString organization_;
};
