// SPDX-License-Identifier: MIT
// corvane-firstframe: starts a program and measures, from outside it, how long it takes from
// exec to the first frame it paints on the X server, and its peak resident memory (VmHWM) at
// that moment.
//
//   corvane-firstframe [--timeout-ms N] [--close] -- PROGRAM [ARGUMENT...]
//
// Prints "<milliseconds> <VmHWM in kB>" and exits 0; exits 2 when no frame came in time and 1 on
// any other failure. With --close it then asks the window to close, as a window manager would,
// and waits for the program to end; otherwise it terminates the program.
//
// A fast client can create and map its window before a passive observer could find it, so this
// tool holds the window manager's role (SubstructureRedirect on the root) from before the exec
// until the first map request, starts watching that window for damage, maps it itself and lets
// the role go. It does that with the server grabbed, so that whatever damage the mapping itself
// causes (the server painting a background colour) happens before any request of the program is
// served: such damage carries a serial below the ungrab's, and only later damage, the program's
// own drawing, counts as its first frame. Every drawing operation is reported (raw rectangles),
// so a frame that follows the server's background is never merged into it.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <vector>
#include <X11/extensions/Xdamage.h>
#include <X11/Xlib.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int exitMeasured = 0;
constexpr int exitFailed = 1;
constexpr int exitTimedOut = 2;
constexpr int defaultTimeoutMs = 10000;
// How long a program asked to close may take before it is terminated.
constexpr auto closeGrace = std::chrono::seconds(5);

// The program being measured; reaped at most once.
class Child
{
public:
    explicit Child(pid_t pid) : pid_(pid) {}
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { end(); }

    pid_t pid() const { return pid_; }

    bool exited(std::chrono::milliseconds within)
    {
        const auto deadline = Clock::now() + within;
        while (!reaped_) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                reaped_ = true;
            } else if (Clock::now() >= deadline) {
                break;
            } else {
                ::poll(nullptr, 0, 10);
            }
        }
        return reaped_;
    }

    // Terminates the program unless it has ended already.
    void end()
    {
        if (exited(std::chrono::milliseconds(0))) {
            return;
        }
        ::kill(pid_, SIGTERM);
        if (!exited(closeGrace)) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            reaped_ = true;
        }
    }

private:
    pid_t pid_;
    bool reaped_ = false;
};

struct Options
{
    int timeoutMs = defaultTimeoutMs;
    bool close = false;
    std::vector<char*> command;
};

std::optional<Options> parse(int argc, char* argv[])
{
    Options options;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--timeout-ms" && i + 1 < argc) {
            options.timeoutMs = std::atoi(argv[++i]);
        } else if (arg == "--close") {
            options.close = true;
        } else if (arg == "--") {
            ++i;
            break;
        } else {
            return std::nullopt;
        }
    }
    for (; i < argc; ++i) {
        options.command.push_back(argv[i]);
    }
    if (options.command.empty() || options.timeoutMs <= 0) {
        return std::nullopt;
    }
    options.command.push_back(nullptr);
    return options;
}

// The process's peak resident set in kB, from /proc/PID/status.
long peakResidentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

void askToClose(Display* display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

// Grants a configure request unchanged, as a window manager that places nothing would.
void grantConfigure(Display* display, const XConfigureRequestEvent& request)
{
    XWindowChanges changes{};
    changes.x = request.x;
    changes.y = request.y;
    changes.width = request.width;
    changes.height = request.height;
    changes.border_width = request.border_width;
    changes.sibling = request.above;
    changes.stack_mode = request.detail;
    XConfigureWindow(display, request.window, static_cast<unsigned>(request.value_mask), &changes);
}

} // namespace

int main(int argc, char* argv[])
{
    const auto options = parse(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: %s [--timeout-ms N] [--close] -- PROGRAM [ARGUMENT...]\n",
                     argv[0]);
        return exitFailed;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "corvane-firstframe: cannot open the display\n");
        return exitFailed;
    }
    int damageEventBase = 0;
    int damageErrorBase = 0;
    if (!XDamageQueryExtension(display, &damageEventBase, &damageErrorBase)) {
        std::fprintf(stderr, "corvane-firstframe: the X server has no DAMAGE extension\n");
        return exitFailed;
    }
    const Window root = DefaultRootWindow(display);
    XWindowAttributes rootAttributes{};
    XGetWindowAttributes(display, root, &rootAttributes);
    if ((rootAttributes.all_event_masks & SubstructureRedirectMask) != 0) {
        std::fprintf(stderr, "corvane-firstframe: a window manager runs; measure without one\n");
        return exitFailed;
    }
    XSelectInput(display, root, SubstructureRedirectMask);
    XSync(display, False);

    pid_t pid = 0;
    const auto started = Clock::now();
    if (const int error = ::posix_spawnp(&pid, options->command[0], nullptr, nullptr,
                                         options->command.data(), environ);
        error != 0) {
        std::fprintf(stderr, "corvane-firstframe: cannot start %s: %s\n", options->command[0],
                     std::strerror(error));
        return exitFailed;
    }
    Child child(pid);

    const auto deadline = started + std::chrono::milliseconds(options->timeoutMs);
    Window watched = None;
    unsigned long ungrabSerial = 0;
    std::optional<Clock::time_point> frame;
    while (!frame && Clock::now() < deadline) {
        while (!frame && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapRequest && watched == None) {
                watched = event.xmaprequest.window;
                XGrabServer(display);
                XDamageCreate(display, watched, XDamageReportRawRectangles);
                XSelectInput(display, root, NoEventMask);
                XMapWindow(display, watched);
                ungrabSerial = NextRequest(display);
                XUngrabServer(display);
                XSync(display, False);
            } else if (event.type == MapRequest) {
                XMapWindow(display, event.xmaprequest.window);
            } else if (event.type == ConfigureRequest) {
                grantConfigure(display, event.xconfigurerequest);
            } else if (event.type == damageEventBase + XDamageNotify) {
                const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
                if (damage.drawable == watched && damage.serial >= ungrabSerial) {
                    frame = Clock::now();
                }
            }
        }
        if (!frame) {
            if (child.exited(std::chrono::milliseconds(0))) {
                std::fprintf(stderr, "corvane-firstframe: %s ended before it painted\n",
                             options->command[0]);
                return exitFailed;
            }
            pollfd connection{ConnectionNumber(display), POLLIN, 0};
            ::poll(&connection, 1, 5);
        }
    }
    if (!frame) {
        child.end();
        std::fprintf(stderr, "corvane-firstframe: no frame from %s within %d ms\n",
                     options->command[0], options->timeoutMs);
        return exitTimedOut;
    }
    const long peakKb = peakResidentKb(pid);
    const double milliseconds = std::chrono::duration<double, std::milli>(*frame - started).count();

    if (options->close) {
        askToClose(display, watched);
        if (!child.exited(closeGrace)) {
            std::fprintf(stderr, "corvane-firstframe: %s did not close when asked\n",
                         options->command[0]);
            return exitFailed;
        }
    } else {
        child.end();
    }
    XCloseDisplay(display);
    std::printf("%.3f %ld\n", milliseconds, peakKb);
    return exitMeasured;
}
