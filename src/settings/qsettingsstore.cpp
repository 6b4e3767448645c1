// SPDX-License-Identifier: MIT
#include "qsettingsstore.h"

#include "settingsfile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryFile>
#include <unistd.h>

using settingsfile::Kind;
using settingsfile::systemReason;

namespace {

// QSettings writes keys outside any group under [General], and escapes a group literally named
// "General" to [%General]; so that section is kept at the top level.
const QString generalSection = QStringLiteral("General");

QString settingsKey(const QString& section, const QString& key)
{
    return section == generalSection ? key : section + QLatin1Char('/') + key;
}

QString couldNotWrite(const QString& fileName)
{
    return QStringLiteral("Could not write %1").arg(QDir::toNativeSeparators(fileName));
}

// QSettings reports only "access error". Find the system's reason by trying the steps of a write
// without changing anything: open a temporary file beside the target.
QString reasonWriteFails(const QString& fileName)
{
    QSaveFile probe(fileName);
    if (!probe.open(QIODevice::WriteOnly)) {
        return probe.errorString();
    }
    probe.cancelWriting();
    return QStringLiteral("the file could not be written");
}

// The errno of opening `fileName` for reading, or 0 when it opens.
int readError(const QString& fileName)
{
    const int descriptor =
        ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return errno;
    }
    ::close(descriptor);
    return 0;
}

// The entry as text. A hand-edited file may hold other kinds of value: an unquoted list with
// commas reads back as the text that was typed, bytes as UTF-8; anything else (a rectangle, a
// serialised variant, an invalid one) is no name, and the default stands in for it.
QString textOf(const QVariant& value, const QString& defaultValue)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QStringList:
        return value.toStringList().join(QStringLiteral(", "));
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return defaultValue;
    }
}

// Writes the first entry of a file that does not exist yet. QSettings would create it with the
// umask's mode, readable by everyone; so the entry is written into a new file beside it that only
// its owner can read, which then takes the file's name in one step. Killed at any moment, this
// leaves either no file or the whole one (and, killed before that step, the new file beside it).
std::optional<Failure> createFile(const QString& fileName, const QString& target,
                                  const QString& key, const QString& value)
{
    const QString folder = QFileInfo(target).absolutePath();
    if (auto failure = settingsfile::makePrivateFolders(folder)) {
        return failure;
    }
    QTemporaryFile seed(target + QStringLiteral(".XXXXXX"));
    if (!seed.open()) {
        return Failure{couldNotWrite(fileName), seed.errorString()};
    }
    // QTemporaryFile asks for 0600, which the umask may narrow further.
    if (!seed.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        return Failure{couldNotWrite(fileName), seed.errorString()};
    }
    seed.close();
    {
        QSettings settings(seed.fileName(), QSettings::IniFormat);
        settings.setValue(key, value);
        settings.sync();
        if (settings.status() != QSettings::NoError) {
            return Failure{couldNotWrite(fileName), reasonWriteFails(seed.fileName())};
        }
    }
    if (std::rename(QFile::encodeName(seed.fileName()).constData(),
                    QFile::encodeName(target).constData()) != 0) {
        return Failure{couldNotWrite(fileName), systemReason(errno)};
    }
    seed.setAutoRemove(false);
    return std::nullopt;
}

// Replaces the entry in a file that exists, through QSettings: it keeps the other entries and
// writes the whole file anew beside the old one, then renames it over; the old file's mode stays.
std::optional<Failure> updateFile(const QString& fileName, const QString& key, const QString& value)
{
    settingsfile::removeAbandonedLock(fileName);
    QSettings settings(fileName, QSettings::IniFormat);
    const settingsfile::FileIdentity before = settingsfile::identityOf(fileName);

    settings.setValue(key, value);
    settings.sync();

    switch (settings.status()) {
    case QSettings::NoError:
        return std::nullopt;
    case QSettings::FormatError: {
        // Part of the file did not parse, when it was read or only while it was merged for the
        // write. QSettings keeps the first error and records no later one, so whether the write
        // went through shows only in the file: a written file is a new one.
        const settingsfile::FileIdentity after = settingsfile::identityOf(fileName);
        if (after.exists && after != before) {
            return std::nullopt;
        }
        break;
    }
    case QSettings::AccessError:
        break;
    }
    return Failure{couldNotWrite(fileName), reasonWriteFails(fileName)};
}

} // namespace

QSettingsStore::QSettingsStore(QString organization) : organization_(std::move(organization)) {}

QString QSettingsStore::fileName(const QString& application) const
{
    // Named as QSettings names the native format's per-user file on freedesktop systems. The
    // store opens this one file and no other: QSettings would read fallback files as well, and
    // would open them while it is being made, before the file could be looked at.
    const QString configHome =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QFileInfo(configHome + QLatin1Char('/') + organization_ + QLatin1Char('/') +
                     application + QStringLiteral(".conf"))
        .absoluteFilePath();
}

QString QSettingsStore::GetSetting(const QString& application, const QString& section,
                                   const QString& key, const QString& defaultValue) const
{
    const QString file = fileName(application);
    // A FIFO would hold the start up until something wrote to it, a device might never end.
    if (settingsfile::resolve(file).kind == Kind::Other) {
        return defaultValue;
    }
    const QSettings settings(file, QSettings::IniFormat);
    return textOf(settings.value(settingsKey(section, key), defaultValue), defaultValue);
}

std::optional<Failure> QSettingsStore::SaveSetting(const QString& application,
                                                   const QString& section, const QString& key,
                                                   const QString& value)
{
    const QString file = fileName(application);
    // Symbolic links are followed: the file they lead to is the one written.
    const settingsfile::Resolved target = settingsfile::resolve(file);
    switch (target.kind) {
    case Kind::Missing:
        return createFile(file, target.path, settingsKey(section, key), value);
    case Kind::RegularFile:
        break;
    case Kind::Folder:
        return Failure{couldNotWrite(file), systemReason(EISDIR)};
    case Kind::Other:
        return Failure{couldNotWrite(file), QStringLiteral("it is not a regular file")};
    case Kind::Unresolvable:
        return Failure{couldNotWrite(file), systemReason(target.error)};
    }
    // What the program cannot read, it does not replace: the entries in it would be lost unseen.
    if (const int error = readError(target.path); error != 0) {
        return Failure{couldNotWrite(file), systemReason(error)};
    }
    return updateFile(file, settingsKey(section, key), value);
}
