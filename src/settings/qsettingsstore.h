// SPDX-License-Identifier: MIT
#pragma once

#include "settingsstore.h"

// The settings store on QSettings: one INI file per application, where QSettings keeps the native
// per-user file on Linux, $XDG_CONFIG_HOME/<organization>/<application>.conf. The section
// "General" maps to the file's top level, which QSettings writes as [General]; other sections
// become groups. Reading never changes the file. The first write creates the file and its folders
// readable by their owner only; later writes keep the file's mode. A file that cannot be read, or
// that is not a regular file, is never replaced.
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
