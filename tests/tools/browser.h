// A real browser for the route page: Debian's Chromium, headless, each run
// with a fresh profile and no network. Its console goes to stderr, so a
// script error or a stray console message shows there.
#pragma once

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "support/test_support.h"

namespace browsertest {

// The full path of a program on PATH, or empty.
inline std::string onPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

inline std::string chromiumPath() {
    if (::access("/usr/bin/chromium", X_OK) == 0) return "/usr/bin/chromium";
    return onPath("chromium");
}

// A file as a URL; bytes outside the unreserved set are percent-encoded.
inline std::string fileUrl(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : path) {
        const auto b = static_cast<unsigned char>(c);
        if (std::isalnum(b) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            url += c;
        } else {
            url += '%';
            url += hex[b >> 4];
            url += hex[b & 0xF];
        }
    }
    return url;
}

// Runs Chromium on one URL with the flags every run needs and the extra
// ones given (--dump-dom, --screenshot=..., ...).
inline sbtest::Finished chromium(const std::vector<std::string>& extra, const std::string& url,
                                 const std::string& workingFolder) {
    sbtest::TempFolder profile;
    std::vector<std::string> args{"--headless",
                                  "--no-sandbox",
                                  "--disable-gpu",
                                  "--disable-quic",
                                  "--no-first-run",
                                  "--disable-background-networking",
                                  "--disable-component-update",
                                  "--disable-sync",
                                  "--user-data-dir=" + profile.path(),
                                  "--enable-logging=stderr",
                                  "--v=0"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(url);
    return sbtest::runProcess(chromiumPath(), args, workingFolder);
}

// The lines a page's console wrote (messages, uncaught errors).
inline std::vector<std::string> consoleLines(const std::string& err) {
    std::vector<std::string> lines;
    std::stringstream in(err);
    for (std::string line; std::getline(in, line);) {
        if (line.find(":CONSOLE") != std::string::npos) lines.push_back(line);
    }
    return lines;
}

// data-kind values of a document and how often each occurs.
inline std::map<std::string, std::size_t> kindCounts(const std::string& document) {
    std::map<std::string, std::size_t> counts;
    const std::string key = "data-kind=\"";
    for (std::size_t at = document.find(key); at != std::string::npos; at = document.find(key, at + 1)) {
        const std::size_t start = at + key.size();
        ++counts[document.substr(start, document.find('"', start) - start)];
    }
    return counts;
}

// Pixels per colour ("#RRGGBB") of a PNG, as ImageMagick's histogram counts them.
inline std::map<std::string, long> colourCounts(const std::string& png, const std::string& workingFolder) {
    const sbtest::Finished run =
        sbtest::runProcess(onPath("convert"), {png, "-format", "%c", "histogram:info:-"}, workingFolder);
    std::map<std::string, long> counts;
    std::stringstream in(run.out);
    for (std::string line; std::getline(in, line);) {
        const std::size_t colon = line.find(':');
        const std::size_t hash = line.find('#');
        if (colon == std::string::npos || hash == std::string::npos || hash + 7 > line.size()) continue;
        counts[line.substr(hash, 7)] += std::stol(line.substr(0, colon));
    }
    return counts;
}

}  // namespace browsertest
