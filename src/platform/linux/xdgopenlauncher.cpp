// SPDX-License-Identifier: MIT
#include "xdgopenlauncher.h"

#include "filedescriptor.h"
#include "systemerror.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

constexpr std::string_view opener = "xdg-open";

// The startup-notification and activation tokens that would let the started program take the
// focus. Without them the desktop's focus-stealing prevention keeps the focus on the login window
// while the browser opens behind or beside it.
constexpr std::array<std::string_view, 2> focusTokens = {"DESKTOP_STARTUP_ID=",
                                                         "XDG_ACTIVATION_TOKEN="};

// The exit status of the go-between child when it could not start the opener's process.
constexpr int forkFailed = 1;
// The opener's process when exec failed (the shell's "command not found" status).
constexpr int execFailed = 127;

// The first executable regular file called `name` in the folders of PATH, as execvp would find it.
std::string findOnPath(std::string_view name)
{
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "";
    while (!folders.empty()) {
        const std::size_t end = folders.find(':');
        std::string_view folder = folders.substr(0, end);
        folders = end == std::string_view::npos ? std::string_view() : folders.substr(end + 1);
        // An empty entry is the current folder.
        std::string candidate = folder.empty() ? std::string(".") : std::string(folder);
        candidate.append("/").append(name);
        struct stat st
        {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

// The environment without the focus tokens.
std::vector<char*> environmentWithoutFocusTokens()
{
    std::vector<char*> kept;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view variable = *entry;
        bool token = false;
        for (const std::string_view prefix : focusTokens) {
            token = token || variable.starts_with(prefix);
        }
        if (!token) {
            kept.push_back(*entry);
        }
    }
    kept.push_back(nullptr);
    return kept;
}

// In the opener's own process, between fork and exec: only async-signal-safe calls. Never
// returns; an exec that fails sends its errno through `report`.
[[noreturn]] void becomeOpener(const char* program, char* const* arguments,
                               char* const* environment, const rlimit& coreLimit, int report)
{
    ::setsid();
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // The program ignores SIGPIPE, and an ignored signal stays ignored across exec; a shell
    // cannot even trap it again. The browser gets the default back.
    struct sigaction byDefault
    {};
    byDefault.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &byDefault, nullptr);
    ::setrlimit(RLIMIT_CORE, &coreLimit);
    const int input = ::open("/dev/null", O_RDONLY);
    if (input >= 0 && input != STDIN_FILENO) {
        ::dup2(input, STDIN_FILENO);
        ::close(input);
    }
    ::execve(program, arguments, environment);
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(report, &error, sizeof error);
    ::_exit(execFailed);
}

} // namespace

XdgOpenLauncher::XdgOpenLauncher(rlimit coreLimitForStarted)
    : coreLimitForStarted_(coreLimitForStarted)
{}

std::optional<core::Failure> XdgOpenLauncher::openSite(const std::string& url)
{
    const std::string what = "Could not open " + url;
    const std::string program = findOnPath(opener);
    if (program.empty()) {
        return core::Failure{what, std::string(opener) + " was not found on PATH"};
    }
    // Everything the child needs is made before the fork: after it, only async-signal-safe calls.
    std::string urlArgument = url;
    std::string programArgument = program;
    const std::array<char*, 3> arguments{programArgument.data(), urlArgument.data(), nullptr};
    const std::vector<char*> environment = environmentWithoutFocusTokens();

    std::array<int, 2> pipeEnds{};
    if (::pipe2(pipeEnds.data(), O_CLOEXEC) != 0) {
        return core::Failure{what, systemReason(errno)};
    }
    FileDescriptor reading(pipeEnds[0]);
    FileDescriptor reporting(pipeEnds[1]);

    // Forked twice: the go-between ends at once, so the opener is adopted by init, not ours.
    const pid_t goBetween = ::fork();
    if (goBetween < 0) {
        return core::Failure{what, systemReason(errno)};
    }
    if (goBetween == 0) {
        const pid_t openerProcess = ::fork();
        if (openerProcess == 0) {
            becomeOpener(program.c_str(), arguments.data(), environment.data(),
                         coreLimitForStarted_, reporting.get());
        }
        if (openerProcess < 0) {
            const int error = errno;
            [[maybe_unused]] const ssize_t written = ::write(reporting.get(), &error, sizeof error);
            ::_exit(forkFailed);
        }
        ::_exit(0);
    }
    reporting.close();
    int status = 0;
    while (::waitpid(goBetween, &status, 0) < 0 && errno == EINTR) {
    }
    // The report's end closes when the opener's exec succeeds, or carries exec's errno.
    int error = 0;
    ssize_t count = 0;
    while ((count = ::read(reading.get(), &error, sizeof error)) < 0 && errno == EINTR) {
    }
    if (count == static_cast<ssize_t>(sizeof error)) {
        return core::Failure{what, systemReason(error)};
    }
    return std::nullopt;
}

} // namespace platform
