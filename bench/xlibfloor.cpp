// SPDX-License-Identifier: MIT
// xlib-floor: the least a program can do to show a window: a bare Xlib window of the login
// window's size that paints one rectangle on each expose, and ends on a close request.
#include <cstdio>
#include <X11/Xlib.h>

int main()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("xlib-floor: cannot open the display\n", stderr);
        return 1;
    }
    constexpr unsigned width = 460;
    constexpr unsigned height = 292;
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, width, height, 0,
                            BlackPixel(display, screen), BlackPixel(display, screen));
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XStoreName(display, window, "xlib-floor");
    XSelectInput(display, window, ExposureMask);
    const GC gc = XCreateGC(display, window, 0, nullptr);
    XSetForeground(display, gc, WhitePixel(display, screen));
    XMapWindow(display, window);

    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == Expose && event.xexpose.count == 0) {
            XFillRectangle(display, window, gc, 8, 216, 449, 33);
            XFlush(display);
        } else if (event.type == ClientMessage &&
                   static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
            break;
        }
    }
    XFreeGC(display, gc);
    XCloseDisplay(display);
    return 0;
}
