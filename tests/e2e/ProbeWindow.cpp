// Closing zep's window from outside: the WM_DELETE_WINDOW message of the X
// window-manager conventions, which SDL turns into a quit event. Needs Xlib.
#include "tests/e2e/ProbeWindow.h"
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdio>
#include <cstring>

int CloseGameWindow()
{
	Display *display = XOpenDisplay(nullptr);
	if (!display) {
		printf("cannot open the display\n");
		return 2;
	}
	Window root, parent, *children = nullptr;
	unsigned int count = 0;
	int closed = 0;
	Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
	Atom deletewindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
	if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
		for (unsigned int i = 0; i < count; i++) {
			XClassHint hint;
			if (!XGetClassHint(display, children[i], &hint)) continue;
			bool ours = hint.res_class && !strcmp(hint.res_class, "zep");
			XFree(hint.res_name);
			XFree(hint.res_class);
			if (!ours) continue;
			XEvent event;
			memset(&event, 0, sizeof event);
			event.xclient.type = ClientMessage;
			event.xclient.window = children[i];
			event.xclient.message_type = protocols;
			event.xclient.format = 32;
			event.xclient.data.l[0] = (long)deletewindow;
			event.xclient.data.l[1] = CurrentTime;
			XSendEvent(display, children[i], False, NoEventMask, &event);
			closed++;
		}
		XFree(children);
	}
	XCloseDisplay(display);
	printf(closed ? "closed the window\n" : "no zep window\n");
	return closed ? 0 : 1;
}
