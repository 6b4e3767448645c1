// SPDX-License-Identifier: MIT
#include "settingsfile.h"

#include <cerrno>
#include <cstring>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStringList>
#include <sys/stat.h>

namespace settingsfile {

namespace {

// 40 is the kernel's own limit on symbolic links followed in one lookup (MAXSYMLINKS).
constexpr int maxLinksFollowed = 40;
// Only the owner may list, enter or change a folder the store makes.
constexpr mode_t privateFolderMode = S_IRWXU;

Kind kindOf(mode_t mode)
{
    if (S_ISREG(mode)) {
        return Kind::RegularFile;
    }
    if (S_ISDIR(mode)) {
        return Kind::Folder;
    }
    return Kind::Other;
}

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

} // namespace

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

Resolved resolve(const QString& path)
{
    QString current = path;
    for (int followed = 0; followed <= maxLinksFollowed; ++followed) {
        struct stat st
        {};
        if (::lstat(native(current).constData(), &st) != 0) {
            // A missing part of the path, or a plain file where a folder should be: nothing is
            // there, and creating it will say precisely what is in the way.
            if (errno == ENOENT || errno == ENOTDIR) {
                return {current, Kind::Missing, 0};
            }
            return {current, Kind::Unresolvable, errno};
        }
        if (!S_ISLNK(st.st_mode)) {
            return {current, kindOf(st.st_mode), 0};
        }
        // The target as an absolute path; a relative one counts from the link's folder. A link
        // that went away meanwhile is looked at again.
        const QString target = QFileInfo(current).symLinkTarget();
        if (!target.isEmpty()) {
            current = target;
        }
    }
    return {current, Kind::Unresolvable, ELOOP};
}

std::optional<Failure> makePrivateFolders(const QString& folder)
{
    // The missing folders, the deepest first.
    QStringList missing;
    QString current = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    while (!QFileInfo::exists(current) && !QFileInfo(current).isSymLink()) {
        missing.prepend(current);
        const QString parent = QFileInfo(current).path();
        if (parent == current) {
            break;
        }
        current = parent;
    }
    for (const QString& path : missing) {
        const QByteArray name = native(path);
        if (::mkdir(name.constData(), privateFolderMode) != 0) {
            const int error = errno;
            // Made meanwhile by another process: it is theirs, and its mode stays as they chose.
            if (error == EEXIST && QFileInfo(path).isDir()) {
                continue;
            }
            return Failure{QStringLiteral("Could not create the folder %1")
                               .arg(QDir::toNativeSeparators(path)),
                           systemReason(error)};
        }
        // The umask may have taken bits away; the owner keeps full use of what it made.
        if (::chmod(name.constData(), privateFolderMode) != 0) {
            return Failure{QStringLiteral("Could not make the folder %1 private")
                               .arg(QDir::toNativeSeparators(path)),
                           systemReason(errno)};
        }
    }
    return std::nullopt;
}

void removeAbandonedLock(const QString& file)
{
    QLockFile lock(file + QStringLiteral(".lock"));
    if (lock.tryLock(0)) {
        lock.unlock();
        return;
    }
    qint64 pid = 0;
    QString host;
    QString application;
    if (lock.error() == QLockFile::LockFailedError &&
        !lock.getLockInfo(&pid, &host, &application)) {
        // Removed only if no process holds the lock's native lock, which a live writer takes
        // the moment it has made the file.
        lock.removeStaleLockFile();
    }
}

FileIdentity identityOf(const QString& path)
{
    struct stat st
    {};
    if (::stat(native(path).constData(), &st) != 0) {
        return {};
    }
    return {st.st_dev, st.st_ino, true};
}

} // namespace settingsfile
