// SPDX-License-Identifier: MIT
#include "qsettingscopy.h"

#include "filedescriptor.h"
#include "systemerror.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <QFile>
#include <QMap>
#include <QSettings>
#include <QStringDecoder>
#include <QStringList>
#include <QTemporaryFile>
#include <sys/mman.h>

namespace platform::qsettingscopy {

namespace {

// The section that QSettings keeps at the file's top level, and the separator of its groups.
constexpr QStringView topLevel = u"General";
constexpr QChar groupSeparator = u'/';
constexpr QChar byteOrderMark = u'\uFEFF';
// The copy QSettings edits in the caller's folder (QTemporaryFile fills in the Xs), beside its
// lock and temporary files, and the ending of the name the edited copy is read back under.
constexpr QLatin1StringView copyTemplate("copy-XXXXXX.conf");
constexpr QLatin1StringView editedEnding(".edited");
// One more block than the copy and the name take, in the room asked for after a failed save.
constexpr off_t probeMargin = 4096;

// UTF-8 as it is: QString::fromStdString would drop a leading byte-order mark.
QString fromUtf8(const std::string& text)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

QString entryName(const std::string& section, const std::string& key)
{
    const QString group = fromUtf8(section);
    QString name = fromUtf8(key);
    if (group.isEmpty() || group.compare(topLevel, Qt::CaseInsensitive) == 0) {
        return name;
    }
    return group + groupSeparator + name;
}

// Writes all of `bytes` to the open `file`.
bool writeWhole(QFile& file, std::string_view bytes)
{
    const auto size = static_cast<qint64>(bytes.size());
    return file.write(bytes.data(), size) == size && file.flush();
}

// Every entry of the file at `path`, as QSettings reads it. A line of a file written by hand
// may have an empty key, whose value QSettings keeps but will not tell.
QMap<QString, QVariant> entries(const QString& path)
{
    const QSettings settings(path, QSettings::IniFormat);
    QMap<QString, QVariant> all;
    for (const QString& key : settings.allKeys()) {
        if (!key.isEmpty()) {
            all.insert(key, settings.value(key));
        }
    }
    return all;
}

// Why a save in `folder` failed, as the system tells it: QSettings keeps the system's reason to
// itself, or (writing a file cut short by a full disk) never learns it. The save needed more room
// than `needed`, the copy it replaced and the name it added: asking for that much in the same
// folder, while the file it cut short still stands, meets the same full disk or quota.
std::string whySaveFailed(const QString& folder, off_t needed)
{
    QFile probe(folder + u"/probe"_qs);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        return probe.errorString().toStdString();
    }
    const int error = ::posix_fallocate(probe.handle(), 0, needed + probeMargin);
    probe.remove();
    return error != 0 ? systemReason(error)
                      : "QSettings saved a file without every entry, and the system gave no reason";
}

} // namespace

std::optional<std::string> readText(std::string_view file, const std::string& section,
                                    const std::string& key)
{
    // A file in memory, reached by the kernel's name for its descriptor: reading needs no folder
    // and no room on any disk.
    const FileDescriptor memory(::memfd_create("corvane-settings", MFD_CLOEXEC));
    QFile copy;
    if (memory.get() < 0 || !copy.open(memory.get(), QIODevice::WriteOnly) ||
        !writeWhole(copy, file)) {
        return std::nullopt;
    }
    const QVariant value =
        QSettings(QString::fromStdString(descriptorPath(memory.get())), QSettings::IniFormat)
            .value(entryName(section, key));
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString().toStdString();
    case QMetaType::QStringList:
        return value.toStringList().join(u", ").toStdString();
    case QMetaType::QByteArray:
        return fromUtf8(value.toByteArray().toStdString()).toStdString();
    default:
        return std::nullopt;
    }
}

std::variant<std::string, core::Failure> edit(const std::string& folder, std::string_view file,
                                              const std::string& section, const std::string& key,
                                              const std::string& value)
{
    const QString in = QString::fromLatin1(folder);
    const auto failed = [](std::string why) {
        return core::Failure{"QSettings could not save the new file", std::move(why)};
    };
    // Names of their own for the copy and the edited file: QSettings keeps what it read and saved
    // by the file's name for as long as the process lives, and would answer from that.
    QTemporaryFile copy(in + u'/' + copyTemplate);
    copy.setAutoRemove(false);
    // Readable and writable by its owner whatever the umask: QSettings saves with the copy's mode.
    if (!copy.open() || !copy.setPermissions(QFile::ReadOwner | QFile::WriteOwner) ||
        !writeWhole(copy, file)) {
        return failed(copy.errorString().toStdString());
    }
    copy.close();
    const QString entry = entryName(section, key);
    // Qt 6.4 writes U+FEFF as it is, but its INI reader decodes each run of plain characters as
    // a text of its own and drops one that starts a run. A name holding one is given to QSettings
    // as its bytes, which it writes as @ByteArray(...) with every byte escaped and reads back
    // whole.
    const QString text = fromUtf8(value);
    const QVariant stored = text.contains(byteOrderMark) ? QVariant(text.toUtf8()) : QVariant(text);
    QMap<QString, QVariant> expected = entries(copy.fileName());
    expected.insert(entry, stored);
    QSettings(copy.fileName(), QSettings::IniFormat).setValue(entry, stored);
    // Read back under another name: QSettings would answer from what it keeps of the file it
    // saved.
    const QString edited = copy.fileName() + editedEnding;
    if (std::rename(QFile::encodeName(copy.fileName()).constData(),
                    QFile::encodeName(edited).constData()) != 0) {
        return failed(systemReason(errno));
    }
    if (entries(edited) != expected) {
        return failed(whySaveFailed(in, static_cast<off_t>(file.size() + value.size())));
    }
    return edited.mid(in.size() + 1).toStdString();
}

} // namespace platform::qsettingscopy
