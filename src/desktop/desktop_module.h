// The desktop window layer, built as a module of its own that the program
// opens only when there is a display, so that a console start never loads
// the windowing libraries. Its interface is plain C: nothing of either
// side's C++ runtime crosses it.
#pragma once

extern "C" {

struct sb_desktop;

// Opens the display named by DISPLAY; null when it does not open (having
// printed nothing).
typedef sb_desktop* (*sb_desktop_open_fn)(void);
// Shows the status window Form1 with "Attendere", painted before returning.
typedef void (*sb_desktop_show_status_fn)(sb_desktop*);
// A modal box titled title with the text and one OK button; returns once
// the box is closed (OK, Return or the window's close button).
typedef void (*sb_desktop_message_fn)(sb_desktop*, const char* title, const char* text);
// Takes the windows down.
typedef void (*sb_desktop_close_fn)(sb_desktop*);

}  // extern "C"

// The module's file name, and the names of its functions.
#define SB_DESKTOP_MODULE_NAME "scenario-builder-desktop.so"
#define SB_DESKTOP_OPEN "sb_desktop_open"
#define SB_DESKTOP_SHOW_STATUS "sb_desktop_show_status"
#define SB_DESKTOP_MESSAGE "sb_desktop_message"
#define SB_DESKTOP_CLOSE "sb_desktop_close"
