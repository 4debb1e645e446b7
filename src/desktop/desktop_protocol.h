// The desktop window is a small program of its own, started by the
// scenario builder only when there is a display, so that a console start
// never loads the windowing libraries (and the builder itself needs no
// dynamic loader). The two talk over a socket pair: the builder's requests
// one byte each, a message's texts as a 32-bit length and the bytes; the
// window program answers each request with the same byte once it is done.
#pragma once

#include <cstdint>

namespace sb::desktop {

// The window program's file name.
inline constexpr const char* programName = "scenario-builder-desktop";
// The descriptor of the window program's end of the socket pair.
inline constexpr int channelDescriptor = 3;

enum Request : char {
    // Sent by the window program once the display is open; it ends without
    // a word when it cannot open it.
    ready = 'R',
    // Shows the status window Form1 with "Attendere"; answered once painted.
    showStatus = 'S',
    // A modal box: the title and the text follow; answered once closed (OK,
    // Return or the window's close button).
    message = 'M',
    // Takes the windows down and ends; answered just before it ends. The end
    // of the channel does the same.
    close = 'Q',
};

// A text's length before its bytes: a box's text is one line.
using TextLength = std::uint32_t;
inline constexpr TextLength longestText = 1 << 20;

}  // namespace sb::desktop
