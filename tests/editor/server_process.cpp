#include "editor/server_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "support/test_support.h"

namespace editortest {

using nlohmann::json;

ServerProcess::ServerProcess(const std::string& workingFolder, const std::string& tool) {
    std::signal(SIGPIPE, SIG_IGN);
    int toServer[2];
    int fromServer[2];
    if (::pipe2(toServer, O_CLOEXEC) != 0 || ::pipe2(fromServer, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    errPath_ = workingFolder + "/server-stderr";
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork");
    if (child == 0) {
        const int err = ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err < 0 || ::dup2(toServer[0], 0) < 0 || ::dup2(fromServer[1], 1) < 0 || ::dup2(err, 2) < 0 ||
            ::chdir(workingFolder.c_str()) != 0)
            ::_exit(126);
        const char* argv[] = {tool.c_str(), "lsp", nullptr};
        ::execv(tool.c_str(), const_cast<char* const*>(argv));
        ::_exit(127);
    }
    pid_ = child;
    ::close(toServer[0]);
    ::close(fromServer[1]);
    in_ = toServer[1];
    out_ = fromServer[0];
}

ServerProcess::~ServerProcess() {
    closeInput();
    if (pid_ > 0) wait(std::chrono::seconds(5));
    if (out_ >= 0) ::close(out_);
}

void ServerProcess::sendBytes(const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(in_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // the server is gone; what it said tells why
        done += static_cast<std::size_t>(n);
    }
}

void ServerProcess::send(const json& message) { sendBytes(frame(message.dump())); }

std::optional<json> ServerProcess::next(std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const std::size_t headerEnd = buffer_.find("\r\n\r\n");
        if (headerEnd != std::string::npos) {
            const std::size_t length = std::stoul(buffer_.substr(buffer_.find(':') + 1));
            if (buffer_.size() >= headerEnd + 4 + length) {
                json message = json::parse(buffer_.substr(headerEnd + 4, length));
                buffer_.erase(0, headerEnd + 4 + length);
                return message;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd waiting{out_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&waiting, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
        char chunk[1 << 16];
        const ssize_t n = ::read(out_, chunk, sizeof chunk);
        if (n <= 0) return std::nullopt;
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

std::optional<json> ServerProcess::replyTo(int id) {
    while (auto message = next()) {
        if (message->contains("id") && (*message)["id"] == id) return message;
    }
    return std::nullopt;
}

std::optional<json> ServerProcess::diagnosticsFor(const std::string& uri) {
    while (auto message = next()) {
        if (message->value("method", "") == "textDocument/publishDiagnostics" && (*message)["params"]["uri"] == uri)
            return (*message)["params"]["diagnostics"];
    }
    return std::nullopt;
}

void ServerProcess::closeInput() {
    if (in_ >= 0) ::close(in_);
    in_ = -1;
}

int ServerProcess::wait(std::chrono::milliseconds limit) {
    if (pid_ <= 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            pid_ = -1;
            return -1;
        }
        // Keep the pipe drained so a writing server never blocks.
        next(std::chrono::milliseconds(10));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ServerProcess::errorOutput() const { return sbtest::readFile(errPath_); }

void ServerProcess::initialize() {
    send(request(0, "initialize", {{"capabilities", json::object()}}));
    replyTo(0);
    send(notification("initialized"));
}

json request(int id, const std::string& method, const json& params) {
    return json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}};
}

json notification(const std::string& method, const json& params) {
    return json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
}

std::string frame(const std::string& body) { return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body; }

}  // namespace editortest
