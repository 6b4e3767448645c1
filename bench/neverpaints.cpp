// SPDX-License-Identifier: MIT
// never-paints: maps a window with a background colour, which the X server paints, and never
// draws anything itself. corvane-firstframe must time out on it: the server's own background is
// not the program's first frame.
#include <cstdio>
#include <X11/Xlib.h>

int main()
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("never-paints: cannot open the display\n", stderr);
        return 1;
    }
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 460, 292, 0,
                            WhitePixel(display, screen), WhitePixel(display, screen));
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XMapWindow(display, window);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage &&
            static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
            break;
        }
    }
    XCloseDisplay(display);
    return 0;
}
