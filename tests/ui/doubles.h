// SPDX-License-Identifier: MIT
// Stand-ins for the window's services that record what the window asked of them.
#pragma once

#include "launcher/sitelauncher.h"
#include "settings/settingsstore.h"
#include "ui/messages.h"

#include <QMap>
#include <QStringList>
#include <QWidget>
#include <tuple>

struct SettingAddress
{
    QString application;
    QString section;
    QString key;

    bool operator==(const SettingAddress&) const = default;
    bool operator<(const SettingAddress& other) const
    {
        return std::tie(application, section, key) <
               std::tie(other.application, other.section, other.key);
    }
};

class FakeStore final : public SettingsStore
{
public:
    QMap<SettingAddress, QString> entries;
    mutable QList<SettingAddress> reads;
    QList<QPair<SettingAddress, QString>> writes;
    // When set, every write fails with it and changes nothing.
    std::optional<Failure> refuseWrites;

    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       const QString& defaultValue) const override
    {
        const SettingAddress address{application, section, key};
        reads.append(address);
        return entries.value(address, defaultValue);
    }

    std::optional<Failure> SaveSetting(const QString& application, const QString& section,
                                       const QString& key, const QString& value) override
    {
        const SettingAddress address{application, section, key};
        writes.append({address, value});
        if (refuseWrites) {
            return refuseWrites;
        }
        entries.insert(address, value);
        return std::nullopt;
    }
};

class FakeLauncher final : public SiteLauncher
{
public:
    QStringList opened;
    std::optional<Failure> refuse;

    std::optional<Failure> openSite(const QString& url) override
    {
        opened.append(url);
        return refuse;
    }
};

class FakeMessages final : public Messages
{
public:
    struct Shown
    {
        QString kind;
        QString text;
        bool parentVisible;
    };
    QList<Shown> shown;

    void plain(QWidget* parent, const QString& text) override
    {
        record(QStringLiteral("plain"), parent, text);
    }
    void failure(QWidget* parent, const QString& text) override
    {
        record(QStringLiteral("failure"), parent, text);
    }

private:
    void record(const QString& kind, QWidget* parent, const QString& text)
    {
        shown.append({kind, text, parent != nullptr && parent->isVisible()});
    }
};
