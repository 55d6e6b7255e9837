// Helper of the real-window smoke test: asks a window to close the way a window manager's close
// button does (a WM_DELETE_WINDOW message), which xdotool cannot send without a window manager.
//
//   window_close <window id>     exit 0 when the request was sent
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_close <window id>\n");
        return 2;
    }
    const Window window = Window(std::strtoul(argv[1], nullptr, 0));
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "window_close: no display\n");
        return 2;
    }
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &e);
    XSync(display, False);
    XCloseDisplay(display);
    return sent ? 0 : 1;
}
