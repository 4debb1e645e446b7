#include "faults/strace_trace.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <optional>

namespace faulttest {

namespace {

constexpr std::string_view unfinishedMark = "<unfinished ...>";

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

bool isOctal(char c) { return c >= '0' && c <= '7'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Resolves the C-style escapes strace writes in strings and path decorations.
std::string unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out.push_back(text[i]);
            continue;
        }
        const char e = text[++i];
        switch (e) {
        case 'n': out.push_back('\n'); break;
        case 't': out.push_back('\t'); break;
        case 'r': out.push_back('\r'); break;
        case 'v': out.push_back('\v'); break;
        case 'f': out.push_back('\f'); break;
        case 'x': {
            int value = 0;
            int digits = 0;
            while (digits < 2 && i + 1 < text.size() && hexValue(text[i + 1]) >= 0) {
                value = value * 16 + hexValue(text[++i]);
                ++digits;
            }
            out.push_back(static_cast<char>(value));
            break;
        }
        default:
            if (isOctal(e)) {
                int value = e - '0';
                for (int digits = 1; digits < 3 && i + 1 < text.size() && isOctal(text[i + 1]); ++digits) {
                    value = value * 8 + (text[++i] - '0');
                }
                out.push_back(static_cast<char>(value));
            } else {
                out.push_back(e);  // \" \\ and anything else stand for themselves
            }
        }
    }
    return out;
}

// Splits "name(arg, arg) = result" into its parts; nothing for text that is no call.
std::optional<TracedCall> parseCall(int pid, std::string_view text) {
    const std::size_t open = text.find('(');
    if (open == std::string_view::npos || open == 0) return std::nullopt;
    TracedCall call;
    call.pid = pid;
    call.name = std::string(text.substr(0, open));
    for (const char c : call.name) {
        if (!std::islower(static_cast<unsigned char>(c)) && !std::isdigit(static_cast<unsigned char>(c)) && c != '_') {
            return std::nullopt;
        }
    }
    std::string current;
    int depth = 0;
    std::size_t i = open + 1;
    bool closed = false;
    while (i < text.size() && !closed) {
        const char c = text[i];
        if (c == '"') {
            std::size_t j = i + 1;
            while (j < text.size() && text[j] != '"') j += text[j] == '\\' ? 2 : 1;
            j = std::min(j, text.size() - 1);
            current.append(text.substr(i, j + 1 - i));
            i = j + 1;
        } else if (c == '<') {
            // A -yy decoration: a path that may hold commas and brackets.
            std::size_t j = text.find('>', i);
            if (j == std::string_view::npos) j = text.size() - 1;
            current.append(text.substr(i, j + 1 - i));
            i = j + 1;
        } else if (c == ',' && depth == 0) {
            call.args.emplace_back(trim(current));
            current.clear();
            ++i;
        } else if (c == ')' && depth == 0) {
            closed = true;
            ++i;
        } else {
            if (c == '(' || c == '[' || c == '{') ++depth;
            if (c == ')' || c == ']' || c == '}') --depth;
            current.push_back(c);
            ++i;
        }
    }
    if (!closed) return std::nullopt;
    if (!call.args.empty() || !trim(current).empty()) call.args.emplace_back(trim(current));
    const std::string_view rest = text.substr(i);
    const std::size_t equals = rest.find(" = ");
    call.result = equals == std::string_view::npos ? "?" : std::string(trim(rest.substr(equals + 3)));
    call.injected = call.result.find("(INJECTED)") != std::string::npos;
    call.text = std::string(text);
    return call;
}

// The path inside a -yy decoration ("3</a/b>" gives /a/b), if the argument has one.
std::optional<std::string> decoration(std::string_view arg) {
    const std::size_t open = arg.find('<');
    const std::size_t close = arg.rfind('>');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) return std::nullopt;
    std::string path = unescape(arg.substr(open + 1, close - open - 1));
    constexpr std::string_view deleted = " (deleted)";
    if (path.size() > deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0) {
        path.resize(path.size() - deleted.size());
    }
    return path;
}

std::string resolve(const std::string& folder, const std::string& name) {
    std::string joined = name.empty() ? folder : name.front() == '/' ? name : folder + "/" + name;
    std::string normal = std::filesystem::path(joined).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
    return normal;
}

// How the arguments of the calls that touch files are laid out, one letter per
// argument: f a descriptor, d a directory descriptor the next path is relative
// to, p a path, - anything else.
struct Shape {
    std::string_view call;
    std::string_view args;
};

constexpr Shape shapes[] = {
    {"open", "p"},        {"creat", "p"},      {"openat", "dp"},   {"openat2", "dp"},
    {"read", "f"},        {"pread64", "f"},    {"readv", "f"},     {"preadv", "f"},
    {"preadv2", "f"},     {"write", "f"},      {"pwrite64", "f"},  {"writev", "f"},
    {"pwritev", "f"},     {"pwritev2", "f"},   {"fsync", "f"},     {"fdatasync", "f"},
    {"syncfs", "f"},      {"sync_file_range", "f"}, {"ftruncate", "f"}, {"fallocate", "f"},
    {"close", "f"},       {"fchmod", "f"},     {"flock", "f"},     {"fcntl", "f"},
    {"rename", "pp"},     {"renameat", "dpdp"}, {"renameat2", "dpdp"}, {"link", "pp"},
    {"linkat", "dpdp"},   {"unlink", "p"},     {"unlinkat", "dp"}, {"mkdir", "p"},
    {"mkdirat", "dp"},    {"rmdir", "p"},       {"getdents64", "f"},
};

}  // namespace

std::string unquote(std::string_view quoted) {
    const std::size_t open = quoted.find('"');
    if (open == std::string_view::npos) return std::string(quoted);
    std::size_t close = open + 1;
    while (close < quoted.size() && quoted[close] != '"') close += quoted[close] == '\\' ? 2 : 1;
    close = std::min(close, quoted.size());
    return unescape(quoted.substr(open + 1, close - open - 1));
}

std::vector<TracedCall> parseTrace(std::string_view record) {
    std::vector<TracedCall> calls;
    std::map<int, std::string> unfinished;  // per process, the first half of a call it is inside
    std::size_t start = 0;
    while (start < record.size()) {
        std::size_t end = record.find('\n', start);
        if (end == std::string_view::npos) end = record.size();
        std::string_view line = trim(record.substr(start, end - start));
        start = end + 1;

        int pid = 0;
        if (line.rfind("[pid", 0) == 0) line = trim(line.substr(4));
        std::size_t digits = 0;
        while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits]))) ++digits;
        if (digits > 0 && (digits == line.size() || line[digits] == ' ' || line[digits] == ']')) {
            pid = std::stoi(std::string(line.substr(0, digits)));
            line.remove_prefix(digits);
            if (!line.empty() && line.front() == ']') line.remove_prefix(1);
            line = trim(line);
        }
        if (line.empty() || line.rfind("---", 0) == 0 || line.rfind("+++", 0) == 0) continue;

        std::string text;
        if (line.rfind("<... ", 0) == 0) {
            const std::size_t resumed = line.find(" resumed>");
            if (resumed == std::string_view::npos) continue;
            const std::string_view rest = line.substr(resumed + 9);
            const auto half = unfinished.find(pid);
            if (half != unfinished.end()) {
                text = half->second + std::string(rest);
                unfinished.erase(half);
            } else {
                text = std::string(line.substr(5, resumed - 5)) + "(" + std::string(rest);
            }
        } else if (line.size() >= unfinishedMark.size() &&
                   line.substr(line.size() - unfinishedMark.size()) == unfinishedMark) {
            unfinished[pid] = std::string(trim(line.substr(0, line.size() - unfinishedMark.size())));
            continue;
        } else {
            text = std::string(line);
        }
        if (auto call = parseCall(pid, text)) calls.push_back(std::move(*call));
    }
    // Calls their process never came back from.
    for (const auto& [pid, half] : unfinished) {
        if (auto call = parseCall(pid, half + ") = ?")) calls.push_back(std::move(*call));
    }
    return calls;
}

std::vector<std::string> pathsOf(const TracedCall& call, const std::string& workingFolder) {
    std::vector<std::string> paths;
    for (const Shape& shape : shapes) {
        if (shape.call != call.name) continue;
        std::string folder = workingFolder;  // what the next path is relative to
        for (std::size_t i = 0; i < shape.args.size() && i < call.args.size(); ++i) {
            const std::string& arg = call.args[i];
            switch (shape.args[i]) {
            case 'f':
                if (auto path = decoration(arg)) paths.push_back(*path);
                break;
            case 'd':
                folder = decoration(arg).value_or(workingFolder);
                break;
            case 'p':
                paths.push_back(resolve(folder, unquote(arg)));
                folder = workingFolder;
                break;
            default:
                break;
            }
        }
    }
    return paths;
}

}  // namespace faulttest
