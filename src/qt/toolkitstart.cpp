// SPDX-License-Identifier: MIT
#include "toolkitstart.h"

#include "core/exitcode.h"
#include "core/failure.h"
#include "failurereport.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <optional>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <unistd.h>
#include <utility>

namespace {

// A message and its context, whose strings Qt keeps only for the call.
struct HeldMessage
{
    QtMsgType type;
    QString text;
    QByteArray file;
    int line;
    QByteArray function;
    QByteArray category;
};

// Qt's message handler is a plain function, so what it holds back lives here, and only while a
// guard lives.
struct Held
{
    QtMessageHandler previous = nullptr;
    QList<HeldMessage> messages;
};
std::optional<Held> held;

// libxcb's codes, from <xcb/xcb.h>: a socket or stream error, a display name it cannot parse, a
// screen the server does not have.
constexpr int xcbConnectionError = 1;
constexpr int xcbParseError = 5;
constexpr int xcbInvalidScreen = 6;

// What Qt's X11 and Wayland plugins say when they cannot connect.
const QString x11Refused = QStringLiteral("could not connect to display");
const QString waylandRefused = QStringLiteral("Failed to create wl_display (");

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Why an X display cannot be reached, found by connecting once more through libxcb, as Qt's
// plugin did. The library is loaded only here, on the way out: it is Qt's plugin's, not ours.
std::string x11Reason(const std::string& display)
{
    if (display.empty()) {
        return "neither DISPLAY nor WAYLAND_DISPLAY is set";
    }
    void* library = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return "the X11 library libxcb.so.1 cannot be loaded";
    }
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    auto* connect = reinterpret_cast<Connect>(::dlsym(library, "xcb_connect"));
    auto* hasError = reinterpret_cast<HasError>(::dlsym(library, "xcb_connection_has_error"));
    if (connect == nullptr || hasError == nullptr) {
        return "the X11 library libxcb.so.1 is not usable";
    }
    // libxcb checks the screen's number against the server's screens only when asked for it.
    int screen = 0;
    errno = 0;
    void* connection = connect(display.c_str(), &screen);
    const int error = errno;
    switch (hasError(connection)) {
    case xcbConnectionError:
        return error != 0 ? std::strerror(error) : "the display's host cannot be reached";
    case xcbParseError:
        return "the display name is not valid";
    case xcbInvalidScreen:
        return "the display has no such screen";
    default:
        return "the display server refused the connection";
    }
}

// The program's own report of what Qt gave up on.
core::Failure failureOf(const QString& fatal)
{
    for (const HeldMessage& message : std::as_const(held->messages)) {
        if (message.text.contains(x11Refused)) {
            const std::string display = environment("DISPLAY");
            return {display.empty() ? "Could not connect to a display"
                                    : "Could not connect to the display " + display,
                    x11Reason(display)};
        }
        if (message.text.startsWith(waylandRefused)) {
            std::string display = environment("WAYLAND_DISPLAY");
            const QString reason =
                message.text.mid(waylandRefused.size()).chopped(message.text.endsWith(u')'));
            return {"Could not connect to the display " + (display.empty() ? "wayland-0" : display),
                    reason.toStdString()};
        }
    }
    // Qt's first sentence says what; the rest is advice that does not fit.
    return {"Could not start the windowing system", fatal.section(u'.', 0, 0).toStdString()};
}

void holdBack(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        printFailure(failureOf(text));
        ::_exit(core::toInt(core::ExitCode::StartupFailure));
    }
    held->messages.append(
        {type, text, context.file, context.line, context.function, context.category});
}

} // namespace

ToolkitStartGuard::ToolkitStartGuard()
{
    held.emplace();
    held->previous = qInstallMessageHandler(&holdBack);
}

ToolkitStartGuard::~ToolkitStartGuard()
{
    qInstallMessageHandler(held->previous);
    for (const HeldMessage& message : std::as_const(held->messages)) {
        const QMessageLogContext context(message.file.constData(), message.line,
                                         message.function.constData(),
                                         message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
    held.reset();
}
