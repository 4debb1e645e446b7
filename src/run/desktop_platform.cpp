#include "run/desktop_platform.h"

#include <dlfcn.h>

#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "desktop/desktop_module.h"

namespace sb::run {

namespace {

// The module's functions, looked up once it is open.
struct DesktopModule {
    void* handle = nullptr;
    sb_desktop_open_fn open = nullptr;
    sb_desktop_show_status_fn showStatus = nullptr;
    sb_desktop_message_fn message = nullptr;
    sb_desktop_close_fn close = nullptr;
};

// Beside the program (a build folder, or a copy in a folder of one's own),
// or where an installation puts it.
std::vector<std::string> moduleCandidates() {
    std::vector<std::string> paths;
    try {
        const std::string folder = executableFolder();
        paths.push_back(folder + "/" SB_DESKTOP_MODULE_NAME);
        paths.push_back(folder + "/../lib/scenario-builder/" SB_DESKTOP_MODULE_NAME);
    } catch (const std::exception&) {
        // no folder: only where the package puts it
    }
    // A copy of the installed program in a folder of one's own still finds it.
    paths.push_back("/usr/lib/scenario-builder/" SB_DESKTOP_MODULE_NAME);
    return paths;
}

bool load(DesktopModule& module) {
    for (const std::string& path : moduleCandidates()) {
        module.handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module.handle != nullptr) break;
    }
    if (module.handle == nullptr) return false;
    module.open = reinterpret_cast<sb_desktop_open_fn>(::dlsym(module.handle, SB_DESKTOP_OPEN));
    module.showStatus = reinterpret_cast<sb_desktop_show_status_fn>(::dlsym(module.handle, SB_DESKTOP_SHOW_STATUS));
    module.message = reinterpret_cast<sb_desktop_message_fn>(::dlsym(module.handle, SB_DESKTOP_MESSAGE));
    module.close = reinterpret_cast<sb_desktop_close_fn>(::dlsym(module.handle, SB_DESKTOP_CLOSE));
    return module.open && module.showStatus && module.message && module.close;
}

// The application's default title: the executable's name.
std::string applicationTitle() {
    try {
        const std::string path = executablePath();
        return path.substr(path.find_last_of('/') + 1);
    } catch (const std::exception&) {
        return "scenario-builder";
    }
}

class DesktopPlatform final : public Platform {
public:
    DesktopPlatform(LineSink err, DesktopModule module, sb_desktop* desktop)
        : err_(std::move(err)), module_(module), desktop_(desktop) {}

    ~DesktopPlatform() override { module_.close(desktop_); }

    DesktopPlatform(const DesktopPlatform&) = delete;
    DesktopPlatform& operator=(const DesktopPlatform&) = delete;

    void showStatus() override { module_.showStatus(desktop_); }

    [[noreturn]] void fatalError(const std::string& code) override {
        const std::string prompt = fatalErrorPrompt(code);
        err_(prompt);
        module_.message(desktop_, applicationTitle().c_str(), prompt.c_str());
        // At once, as when the console layer ends: no destructors or exit handlers.
        std::_Exit(fatalExitStatus);
    }

    // A desktop user has no console: the line the run ends on is shown in a
    // box with one OK button as well, and the run ends once it is closed.
    void report(std::string_view line) override {
        err_(line);
        module_.message(desktop_, applicationTitle().c_str(), std::string(line).c_str());
    }

private:
    LineSink err_;
    DesktopModule module_;
    sb_desktop* desktop_;
};

}  // namespace

std::unique_ptr<Platform> openDesktopPlatform(LineSink err) {
    // Without a display nothing of the desktop is even loaded.
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') return nullptr;
    // A module once opened stays for the life of the process: the windowing
    // libraries' own start-up allocations stay theirs, and the run is short.
    DesktopModule module;
    if (!load(module)) return nullptr;
    sb_desktop* desktop = module.open();
    if (desktop == nullptr) return nullptr;
    return std::make_unique<DesktopPlatform>(std::move(err), module, desktop);
}

}  // namespace sb::run
