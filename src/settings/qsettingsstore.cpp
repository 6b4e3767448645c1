// SPDX-License-Identifier: MIT
#include "qsettingsstore.h"

#include <cerrno>
#include <cstring>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>
#include <sys/stat.h>

namespace {

// QSettings writes keys outside any group under [General], and escapes a group literally named
// "General" to [%General]; so that section is kept at the top level.
const QString generalSection = QStringLiteral("General");

QString settingsKey(const QString& section, const QString& key)
{
    return section == generalSection ? key : section + QLatin1Char('/') + key;
}

// Identifies the file at a path; a successful write replaces the file by renaming a new one over
// it, so the identity changes.
struct FileIdentity
{
    dev_t device = 0;
    ino_t inode = 0;
    bool exists = false;

    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const QString& fileName)
{
    struct stat st
    {};
    if (::stat(QFile::encodeName(fileName).constData(), &st) != 0) {
        return {};
    }
    return {st.st_dev, st.st_ino, true};
}

// QSettings reports only "access error". Find the system's reason by trying the steps of a write
// without changing anything: create the folder, then open a temporary file beside the target.
QString reasonWriteFails(const QString& fileName)
{
    const QString folder = QFileInfo(fileName).absolutePath();
    if (!QFileInfo::exists(folder)) {
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0) {
            return QString::fromLocal8Bit(std::strerror(errno));
        }
    }
    QSaveFile probe(fileName);
    if (!probe.open(QIODevice::WriteOnly)) {
        return probe.errorString();
    }
    probe.cancelWriting();
    return QStringLiteral("the file could not be written");
}

} // namespace

QSettingsStore::QSettingsStore(QString organization) : organization_(std::move(organization)) {}

QString QSettingsStore::fileName(const QString& application) const
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, organization_, application)
        .fileName();
}

QString QSettingsStore::GetSetting(const QString& application, const QString& section,
                                   const QString& key, const QString& defaultValue) const
{
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organization_,
                             application);
    const QVariant value = settings.value(settingsKey(section, key), defaultValue);
    // An unquoted value with commas, as a person may write by hand, comes back as a list.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", "));
    }
    return value.toString();
}

std::optional<Failure> QSettingsStore::SaveSetting(const QString& application,
                                                   const QString& section, const QString& key,
                                                   const QString& value)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organization_, application);
    const QString file = settings.fileName();
    // A file that could not be read leaves its status in place, and QSettings then records no
    // later error: remember it so that the write's own outcome can still be told.
    const QSettings::Status readStatus = settings.status();
    const FileIdentity before = identityOf(file);

    settings.setValue(settingsKey(section, key), value);
    settings.sync();

    if (settings.status() == QSettings::NoError) {
        return std::nullopt;
    }
    if (readStatus != QSettings::NoError) {
        const FileIdentity after = identityOf(file);
        if (after.exists && after != before) {
            return std::nullopt;
        }
    }
    return Failure{QStringLiteral("Could not write %1").arg(QDir::toNativeSeparators(file)),
                   reasonWriteFails(file)};
}
