// The language server's side of the protocol: JSON-RPC requests and
// notifications in, replies and diagnostics out. No I/O here: serve() in
// framing.h feeds it messages read from a pipe.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "editor/workspace.h"

namespace sb::editor {

class LanguageServer {
public:
    explicit LanguageServer(std::string version) : version_(std::move(version)) {}

    // One message's body; the messages to send back (replies, in order).
    std::vector<nlohmann::json> handle(std::string_view body);
    // The diagnostics due after the messages handled so far: sent once a
    // batch is handled, so quick edits are compiled once.
    std::vector<nlohmann::json> flush();
    // A request to be answered as cancelled when its turn comes.
    void cancel(const nlohmann::json& id) { cancelled_.insert(id.dump()); }

    bool exited() const { return exited_; }
    // 0 after shutdown then exit, 1 for an exit without shutdown.
    int exitStatus() const { return shutDown_ ? 0 : 1; }

private:
    // A request's result; nothing for a method the server does not know.
    std::optional<nlohmann::json> answer(const std::string& method, const nlohmann::json& params);
    void notice(const std::string& method, const nlohmann::json& params);

    std::string version_;
    Workspace workspace_;
    std::set<std::string> cancelled_;
    bool initialized_ = false;
    bool shutDown_ = false;
    bool exited_ = false;
};

// The request cancellations among a batch of bodies: $/cancelRequest ids.
std::vector<nlohmann::json> cancellationsIn(const std::vector<std::string>& bodies);

}  // namespace sb::editor
