// `scenario-tool lsp` as an editor starts it: its standard input and
// output are pipes the test writes frames to and reads frames from.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace editortest {

class ServerProcess {
public:
    explicit ServerProcess(const std::string& workingFolder, const std::string& tool = SB_TOOL_PATH);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    void sendBytes(const std::string& bytes);
    void send(const nlohmann::json& message);
    // The next message, or nothing when none comes in time or output ended.
    std::optional<nlohmann::json> next(std::chrono::milliseconds wait = std::chrono::seconds(90));
    // The next reply to a request id, skipping notifications.
    std::optional<nlohmann::json> replyTo(int id);
    // The next diagnostics published for a URI.
    std::optional<nlohmann::json> diagnosticsFor(const std::string& uri);
    void closeInput();
    // The exit status, or -1 when it did not exit in time (it is then killed)
    // or ended on a signal.
    int wait(std::chrono::milliseconds limit = std::chrono::seconds(90));
    std::string errorOutput() const;

    // initialize and initialized.
    void initialize();

    int pid() const { return pid_; }

private:
    int pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string errPath_;
    std::string buffer_;
};

nlohmann::json request(int id, const std::string& method, const nlohmann::json& params = nlohmann::json::object());
nlohmann::json notification(const std::string& method, const nlohmann::json& params = nlohmann::json::object());
std::string frame(const std::string& body);

}  // namespace editortest
