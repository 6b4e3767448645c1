// SPDX-License-Identifier: MIT
// Stores and reads the last-user entry through the program's own store, in a process of its own,
// for the tests that kill writers at random moments or race several of them. The configuration
// folder comes from XDG_CONFIG_HOME, as for the program.
//
//   settingswriter write    stores each name read from stdin (UTF-8, separated by NUL bytes),
//                           printing "saving N T" before and "saved N T" after the N-th write
//   settingswriter read D   prints the stored name, or D when there is none
#include "settings/qsettingsstore.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <QByteArray>
#include <QList>
#include <QString>
#include <string>

namespace {

const QString application = QStringLiteral("Corvane");
const QString section = QStringLiteral("General");
const QString key = QStringLiteral("LastUser");

// One line per step, with the time on the system's monotonic clock in microseconds, which all
// processes share: the tests tell from it whether the writes of several writers overlapped.
void say(const char* what, qsizetype index)
{
    const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    std::printf("%s %lld %lld\n", what, static_cast<long long>(index),
                static_cast<long long>(now.count()));
    std::fflush(stdout);
}

int write(QSettingsStore& store)
{
    const std::string input{std::istreambuf_iterator<char>(std::cin),
                            std::istreambuf_iterator<char>()};
    const QList<QByteArray> names = QByteArray::fromStdString(input).split('\0');
    for (qsizetype i = 0; i < names.size(); ++i) {
        say("saving", i);
        if (const auto failure =
                store.SaveSetting(application, section, key, QString::fromUtf8(names[i]))) {
            std::fprintf(stderr, "settingswriter: %s\n", qPrintable(failure->text()));
            return 1;
        }
        say("saved", i);
    }
    return 0;
}

int read(const QSettingsStore& store, const char* defaultValue)
{
    const QByteArray name =
        store.GetSetting(application, section, key, QString::fromUtf8(defaultValue)).toUtf8();
    std::fwrite(name.constData(), 1, static_cast<std::size_t>(name.size()), stdout);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QSettingsStore store(application);
    if (argc == 2 && std::strcmp(argv[1], "write") == 0) {
        return write(store);
    }
    if (argc == 3 && std::strcmp(argv[1], "read") == 0) {
        return read(store, argv[2]);
    }
    std::fputs("usage: settingswriter write < names | settingswriter read DEFAULT\n", stderr);
    return 2;
}
