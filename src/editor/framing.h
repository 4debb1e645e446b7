// The protocol's framing on a pipe: each message a "Content-Length: N"
// header block, a blank line, and N bytes of JSON.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

#include <nlohmann/json.hpp>

namespace sb::editor {

// The largest message read; a larger one is skipped and answered with an
// error (a source may hold 64 MiB, and JSON escapes can double it).
inline constexpr std::size_t messageSizeLimit = std::size_t{256} << 20;

class FrameReader {
public:
    enum class Status : unsigned char { Message, End, Broken, TooLarge };
    struct Frame {
        Status status = Status::End;
        std::string body;     // Message
        std::string problem;  // Broken, TooLarge
    };

    explicit FrameReader(int fd, std::size_t limit = messageSizeLimit) : fd_(fd), limit_(limit) {}
    // The next message; waits for it.
    Frame next();
    // Whether more input waits already (so the next() will not wait long).
    bool ready();

private:
    bool readMore();  // false at the end of input or on a read error
    int fd_;
    std::size_t limit_;
    std::string buffer_;
    std::size_t at_ = 0;
};

// Writes one message; false when the other end is gone.
bool writeFrame(int fd, const nlohmann::json& message);

// Serves one client on a pair of pipes until exit or the end of input;
// returns the exit status (0 after shutdown and exit, else 1). Problems
// that end the session are told on log.
int serve(int in, int out, std::ostream& log, const std::string& version);

}  // namespace sb::editor
