// The desktop window program: the status window Form1 and the message box,
// drawn with FLTK, on the builder's request (desktop_protocol.h). The
// builder starts it only when there is a display (see
// run/desktop_platform.cpp).
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "desktop/desktop_protocol.h"

// After the standard headers: the X headers define macros such as None and Status.
#include <FL/Fl.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Widget.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

namespace {

// Form1 is laid out in twips; the screen is taken at 96 dots an inch, 15
// twips a pixel. 15 is odd, so no whole twips value falls halfway between two
// pixels and rounding to the nearest needs no tie rule.
constexpr int twipsPerPixel = 15;

constexpr int pixels(int twips) { return (twips + twipsPerPixel / 2) / twipsPerPixel; }

struct PixelRect {
    int x, y, w, h;
};

// Edges are rounded and sizes taken between the rounded edges, so controls
// that meet in twips still meet in pixels.
constexpr PixelRect fromTwips(int left, int top, int width, int height) {
    return {pixels(left), pixels(top), pixels(left + width) - pixels(left), pixels(top + height) - pixels(top)};
}

constexpr int formWidth = pixels(4200);
constexpr int formHeight = pixels(2688);
constexpr PixelRect label1 = fromTwips(960, 960, 2652, 792);
static_assert(formWidth == 280 && formHeight == 179);
static_assert(label1.x == 64 && label1.y == 64 && label1.w == 177 && label1.h == 53);

// 24 points at 96 dots an inch.
constexpr int labelFontPixels = 24 * 96 / 72;
// A bold sans-serif face; it may run wider than the label was laid out for,
// so the size steps down until the word fits the label, but not below this.
constexpr Fl_Font labelFont = FL_HELVETICA_BOLD;
constexpr int smallestLabelFontPixels = 12;

constexpr const char* labelText = "Attendere";

// Bounds the wait for the first paint: the run must not hang on a display
// that never exposes the window.
constexpr auto paintTimeout = std::chrono::seconds(5);
constexpr long longestTestHoldMs = 60'000;

// A line of text drawn from the widget's top-left corner and clipped to it,
// as a label that does not size itself. Drawn by hand so the text is taken
// literally: the toolkit's own labels read '@' and '&' as markup.
class StaticText final : public Fl_Widget {
public:
    StaticText(int x, int y, int w, int h, std::string text, Fl_Font font, Fl_Fontsize size)
        : Fl_Widget(x, y, w, h), text_(std::move(text)), font_(font), size_(size) {
        box(FL_FLAT_BOX);
    }

    bool painted() const { return painted_; }

    void draw() override {
        fl_push_clip(x(), y(), w(), h());
        fl_color(color());
        fl_rectf(x(), y(), w(), h());
        fl_font(font_, size_);
        fl_color(FL_FOREGROUND_COLOR);
        fl_draw(text_.c_str(), static_cast<int>(text_.size()), x(), y() + fl_height() - fl_descent());
        fl_pop_clip();
        painted_ = true;
    }

private:
    std::string text_;
    Fl_Font font_;
    Fl_Fontsize size_;
    bool painted_ = false;
};

int textWidth(std::string_view text) {
    return static_cast<int>(std::ceil(fl_width(text.data(), static_cast<int>(text.size()))));
}

Fl_Fontsize fittingLabelSize() {
    int size = labelFontPixels;
    while (size > smallestLabelFontPixels) {
        fl_font(labelFont, size);
        if (textWidth(labelText) <= label1.w) break;
        --size;
    }
    return size;
}

void hideWindow(Fl_Widget*, void* window) { static_cast<Fl_Window*>(window)->hide(); }

// A modal box with the prompt and a single OK button; returns once it is
// closed, by OK, Return or the window's close button.
void showMessageBox(const std::string& title, const std::string& prompt) {
    constexpr int margin = 20;
    constexpr int gap = 16;
    constexpr int buttonWidth = 80;
    constexpr int buttonHeight = 25;
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    const int promptWidth = textWidth(prompt);
    const int promptHeight = fl_height();
    const int width = std::max({promptWidth, buttonWidth, 160}) + 2 * margin;
    const int height = margin + promptHeight + gap + buttonHeight + margin;

    Fl_Window box(width, height);
    box.copy_label(title.c_str());
    StaticText text(margin, margin, promptWidth, promptHeight, prompt, FL_HELVETICA, FL_NORMAL_SIZE);
    Fl_Return_Button ok((width - buttonWidth) / 2, margin + promptHeight + gap, buttonWidth, buttonHeight, "OK");
    ok.callback(hideWindow, &box);
    box.end();
    box.set_modal();
    box.show();
    while (box.shown()) Fl::wait();
}

long testHoldMs() {
    const char* text = std::getenv("SB_TEST_HOLD_WINDOW_MS");
    if (text == nullptr) return 0;
    char* end = nullptr;
    const long ms = std::strtol(text, &end, 10);
    if (end == text || *end != '\0') return 0;
    return std::clamp(ms, 0L, longestTestHoldMs);
}

// The status window once shown.
std::unique_ptr<Fl_Window> form;

void showStatus() {
    if (form) return;
    // No position: the window manager places the window.
    form = std::make_unique<Fl_Window>(formWidth, formHeight, "Form1");
    auto* label = new StaticText(label1.x, label1.y, label1.w, label1.h, labelText, labelFont,
                                 fittingLabelSize());  // owned by the form
    form->end();
    form->show();

    // The builder processes no events once the work starts, so the label
    // must be on the screen before it hears back.
    const auto deadline = std::chrono::steady_clock::now() + paintTimeout;
    while (!label->painted() && std::chrono::steady_clock::now() < deadline) Fl::wait(0.05);
    Fl::flush();
    XSync(fl_display, False);

    if (const long hold = testHoldMs(); hold > 0) std::this_thread::sleep_for(std::chrono::milliseconds(hold));
}

// The channel to the builder.
constexpr int channel = sb::desktop::channelDescriptor;

bool readExactly(void* data, std::size_t size) {
    auto* at = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got = ::read(channel, at, size);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        at += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

std::optional<std::string> readText() {
    sb::desktop::TextLength length = 0;
    if (!readExactly(&length, sizeof length) || length > sb::desktop::longestText) return std::nullopt;
    std::string text(length, '\0');
    if (!readExactly(text.data(), text.size())) return std::nullopt;
    return text;
}

void answer(char request) {
    // The builder may be gone; there is no one left to tell.
    while (::send(channel, &request, 1, MSG_NOSIGNAL) < 0 && errno == EINTR) {
    }
}

}  // namespace

int main() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') return 1;
    // Opened here rather than by the toolkit, which ends the process with a
    // message when it cannot connect; the builder then stays on the console.
    Display* display = XOpenDisplay(name);
    if (display == nullptr) return 1;
    fl_open_display(display);
    answer(sb::desktop::ready);

    // Requests until the builder asks to close, or its end of the channel
    // goes (it ended, however it ended), or something not from it arrives.
    char request = 0;
    bool open = true;
    while (open && readExactly(&request, 1)) {
        switch (request) {
            case sb::desktop::showStatus:
                showStatus();
                answer(request);
                break;
            case sb::desktop::message: {
                const std::optional<std::string> title = readText();
                const std::optional<std::string> text = title ? readText() : std::nullopt;
                open = text.has_value();
                if (open) {
                    showMessageBox(*title, *text);
                    answer(request);
                }
                break;
            }
            default:
                open = false;
                break;
        }
    }
    // Gone before the builder ends, whatever its exit status.
    if (form) {
        form->hide();
        Fl::flush();
        form.reset();
    }
    XSync(fl_display, False);
    if (request == sb::desktop::close) answer(sb::desktop::close);
    return 0;
}
