// The desktop layer: the status window Form1 and the fatal error's message box,
// for a user who started the program from a desktop and has no console.
#pragma once

#include <memory>

#include "run/platform.h"

namespace sb::run {

// The desktop layer when DISPLAY is set, the desktop window program is found
// (beside the program, in ../lib/scenario-builder/ of an installation, or
// where the package puts it, /usr/lib/scenario-builder/) and it opens the
// display; nullptr otherwise, having printed nothing, so the caller's console
// layer behaves exactly as without it. Without a display the window program
// is not even started, so a console start pays nothing for the desktop. The
// window program has ended, its windows down, when the layer goes (and
// before fatalError() ends the process).
//
// Its report() writes one line to err and shows it in a message box with one
// OK button, returning once the box is closed; fatalError() writes its prompt there
// too, then shows the message box and ends the process with status 3 once the
// box is closed.
//
// Test only: SB_TEST_HOLD_WINDOW_MS=n keeps the painted status window up for n
// milliseconds (at most a minute) before showStatus returns, so a test can
// look at it before any file is written. Not meant for users.
std::unique_ptr<Platform> openDesktopPlatform(LineSink err);

}  // namespace sb::run
