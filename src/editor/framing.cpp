#include "editor/framing.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <ostream>
#include <poll.h>
#include <unistd.h>

#include "editor/language_server.h"

namespace sb::editor {

namespace {

// A header block longer than this is no header.
constexpr std::size_t headerLimit = 8192;

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

bool FrameReader::readMore() {
    if (at_ > 0 && at_ * 2 >= buffer_.size()) {
        buffer_.erase(0, at_);
        at_ = 0;
    }
    char chunk[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        buffer_.append(chunk, static_cast<std::size_t>(n));
        return true;
    }
}

bool FrameReader::ready() {
    if (at_ < buffer_.size()) return true;
    pollfd waiting{fd_, POLLIN, 0};
    return ::poll(&waiting, 1, 0) > 0;
}

FrameReader::Frame FrameReader::next() {
    std::size_t end;
    while ((end = buffer_.find("\r\n\r\n", at_)) == std::string::npos) {
        if (buffer_.size() - at_ > headerLimit) return {Status::Broken, {}, "a header block without its blank line"};
        if (!readMore()) return {Status::End, {}, {}};
    }
    std::optional<std::size_t> length;
    std::string_view headers(buffer_.data() + at_, end - at_);
    while (!headers.empty()) {
        const std::size_t lineEnd = std::min(headers.find("\r\n"), headers.size());
        const std::string_view line = headers.substr(0, lineEnd);
        headers.remove_prefix(std::min(lineEnd + 2, headers.size()));
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) return {Status::Broken, {}, "a header line without a colon"};
        if (lowered(line.substr(0, colon)) != "content-length") continue;
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        std::size_t parsed = 0;
        const auto [stop, error] = std::from_chars(value.data(), value.data() + value.size(), parsed);
        if (error != std::errc() || stop != value.data() + value.size() || value.empty())
            return {Status::Broken, {}, "a Content-Length that is not a length"};
        length = parsed;
    }
    if (!length) return {Status::Broken, {}, "a header block without Content-Length"};
    at_ = end + 4;
    if (*length > limit_) {
        // Skipped unread, so the session goes on after it.
        std::size_t left = *length;
        for (;;) {
            const std::size_t taken = std::min(left, buffer_.size() - at_);
            at_ += taken;
            left -= taken;
            if (left == 0) break;
            buffer_.clear();
            at_ = 0;
            if (!readMore()) return {Status::End, {}, {}};
        }
        return {Status::TooLarge, {}, "a message of " + std::to_string(*length) + " bytes is above the limit of " +
                                          std::to_string(limit_) + " bytes"};
    }
    while (buffer_.size() - at_ < *length) {
        if (!readMore()) return {Status::End, {}, {}};
    }
    Frame frame{Status::Message, buffer_.substr(at_, *length), {}};
    at_ += *length;
    return frame;
}

bool writeFrame(int fd, const nlohmann::json& message) {
    const std::string body = message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    const std::string bytes = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

int serve(int in, int out, std::ostream& log, const std::string& version) {
    LanguageServer server(version);
    FrameReader reader(in);
    // Messages that wait together are handled together: a cancellation
    // reaches its request, and a burst of edits is compiled once.
    constexpr std::size_t batchLimit = 64;
    for (;;) {
        std::vector<std::string> batch;
        std::vector<nlohmann::json> early;  // replies to frames that were no message
        FrameReader::Frame last;
        do {
            last = reader.next();
            if (last.status == FrameReader::Status::Message) batch.push_back(std::move(last.body));
            else if (last.status == FrameReader::Status::TooLarge)
                early.push_back({{"jsonrpc", "2.0"}, {"id", nullptr}, {"error", {{"code", -32600}, {"message", last.problem}}}});
        } while ((last.status == FrameReader::Status::Message || last.status == FrameReader::Status::TooLarge) &&
                 batch.size() < batchLimit && reader.ready());
        for (const nlohmann::json& id : cancellationsIn(batch)) server.cancel(id);
        for (const nlohmann::json& reply : early) {
            if (!writeFrame(out, reply)) return server.exitStatus();
        }
        for (const std::string& body : batch) {
            for (const nlohmann::json& reply : server.handle(body)) {
                if (!writeFrame(out, reply)) return server.exitStatus();
            }
            if (server.exited()) return server.exitStatus();
        }
        for (const nlohmann::json& message : server.flush()) {
            if (!writeFrame(out, message)) return server.exitStatus();
        }
        if (last.status == FrameReader::Status::Broken) {
            log << "scenario-tool lsp: the input is not the protocol's framing (" << last.problem << "); stopping\n";
            return 1;
        }
        if (last.status == FrameReader::Status::End) return server.exitStatus();
    }
}

}  // namespace sb::editor
