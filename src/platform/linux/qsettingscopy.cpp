// SPDX-License-Identifier: MIT
#include "qsettingscopy.h"

#include <QDir>
#include <QFile>
#include <QMetaEnum>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

namespace platform::qsettingscopy {

namespace {

// The section that QSettings keeps at the file's top level, and the separator of its groups.
constexpr QStringView topLevel = u"General";
constexpr QChar groupSeparator = u'/';
// The private folder's name under the temporary files' folder; QTemporaryDir fills in the Xs.
constexpr QLatin1StringView folderTemplate("/corvane-settings-XXXXXX");
constexpr QLatin1StringView copyName("settings.conf");
constexpr QFileDevice::Permissions ownerOnly =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

QString entryName(const std::string& section, const std::string& key)
{
    const QString group = QString::fromStdString(section);
    QString name = QString::fromStdString(key);
    if (group.isEmpty() || group.compare(topLevel, Qt::CaseInsensitive) == 0) {
        return name;
    }
    return group + groupSeparator + name;
}

// A folder of the program's own holding a copy of the file: QSettings works there, its lock and
// its temporary files with it. The folder goes, with everything in it, when this does.
class PrivateCopy
{
public:
    explicit PrivateCopy(std::string_view bytes)
    {
        const QString temporaryFiles = QDir::tempPath();
        // QDir::tempPath() is empty when TMPDIR names no folder.
        if (temporaryFiles.isEmpty()) {
            failure_ = core::Failure{"Could not find the folder for temporary files",
                                     "TMPDIR names no folder"};
            return;
        }
        folder_.emplace(temporaryFiles + folderTemplate);
        // The owner's full use of the folder and the copy whatever the umask, which QTemporaryDir
        // and QFile apply: QSettings writes in both.
        if (!folder_->isValid()) {
            failure_ =
                core::Failure{"Could not make a private folder in " + temporaryFiles.toStdString(),
                              folder_->errorString().toStdString()};
            return;
        }
        QFile folder(folder_->path());
        if (!folder.setPermissions(ownerOnly)) {
            failure_ = core::Failure{"Could not make " + folder_->path().toStdString() + " private",
                                     folder.errorString().toStdString()};
            return;
        }
        path_ = folder_->filePath(copyName);
        QFile file(path_);
        const auto size = static_cast<qint64>(bytes.size());
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
            !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner) ||
            file.write(bytes.data(), size) != size || !file.flush()) {
            failure_ = core::Failure{"Could not write the private copy " + path_.toStdString(),
                                     file.errorString().toStdString()};
        }
    }

    const std::optional<core::Failure>& failure() const { return failure_; }
    const QString& path() const { return path_; }

    std::variant<std::string, core::Failure> bytes() const
    {
        QFile file(path_);
        QByteArray content;
        if (file.open(QIODevice::ReadOnly)) {
            content = file.readAll();
        }
        if (file.error() != QFileDevice::NoError) {
            return core::Failure{"Could not read the private copy " + path_.toStdString(),
                                 file.errorString().toStdString()};
        }
        return content.toStdString();
    }

private:
    std::optional<QTemporaryDir> folder_;
    QString path_;
    std::optional<core::Failure> failure_;
};

} // namespace

std::optional<std::string> readText(std::string_view file, const std::string& section,
                                    const std::string& key)
{
    const PrivateCopy copy(file);
    if (copy.failure()) {
        return std::nullopt;
    }
    const QVariant value =
        QSettings(copy.path(), QSettings::IniFormat).value(entryName(section, key));
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString().toStdString();
    case QMetaType::QStringList:
        return value.toStringList().join(u", ").toStdString();
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray()).toStdString();
    default:
        return std::nullopt;
    }
}

std::variant<std::string, core::Failure> withText(std::string_view file, const std::string& section,
                                                  const std::string& key, const std::string& value)
{
    const PrivateCopy copy(file);
    if (copy.failure()) {
        return *copy.failure();
    }
    QSettings::Status status = QSettings::NoError;
    {
        QSettings settings(copy.path(), QSettings::IniFormat);
        settings.setValue(entryName(section, key), QString::fromStdString(value));
        settings.sync();
        status = settings.status();
    }
    auto edited = copy.bytes();
    const auto* bytes = std::get_if<std::string>(&edited);
    // QSettings keeps the first status it met: a damaged file is FormatError, and it still saves
    // what it could read, so a save that failed after that shows only as a copy left unchanged.
    if (bytes != nullptr && status != QSettings::NoError &&
        (status != QSettings::FormatError || *bytes == file)) {
        return core::Failure{"QSettings could not save the private copy " +
                                 copy.path().toStdString(),
                             std::string("its status is ") +
                                 QMetaEnum::fromType<QSettings::Status>().valueToKey(status)};
    }
    return edited;
}

} // namespace platform::qsettingscopy
