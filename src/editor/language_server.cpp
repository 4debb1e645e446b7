#include "editor/language_server.h"

#include <algorithm>
#include <new>
#include <optional>

#include "editor/answers.h"

namespace sb::editor {

namespace {

using nlohmann::json;

// JSON-RPC and protocol error codes.
constexpr int parseError = -32700;
constexpr int invalidRequest = -32600;
constexpr int methodNotFound = -32601;
constexpr int invalidParams = -32602;
constexpr int internalError = -32603;
constexpr int serverNotInitialized = -32002;
constexpr int requestCancelled = -32800;

json errorReply(const json& id, int code, const std::string& message) {
    return json{{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

// The document and position of a request's params.
std::string uriIn(const json& params) { return params.at("textDocument").at("uri").get<std::string>(); }
Position positionIn(const json& params) {
    const json& p = params.at("position");
    return Position{p.at("line").get<int>(), p.at("character").get<int>()};
}

// A JSON-RPC id: a number or a string.
bool validId(const json& id) { return id.is_number_integer() || id.is_string(); }

}  // namespace

std::vector<json> cancellationsIn(const std::vector<std::string>& bodies) {
    std::vector<json> ids;
    // A quick look before parsing: most batches hold no cancellation.
    if (std::none_of(bodies.begin(), bodies.end(), [](const std::string& b) { return b.find("$/cancelRequest") != std::string::npos; }))
        return ids;
    std::vector<json> cancels;
    std::set<std::string> requests;
    for (const std::string& body : bodies) {
        const json message = json::parse(body, nullptr, false);
        if (!message.is_object()) continue;
        if (message.value("method", "") == "$/cancelRequest" && message.contains("params") &&
            message["params"].is_object() && message["params"].contains("id"))
            cancels.push_back(message["params"]["id"]);
        else if (message.contains("id") && message.contains("method"))
            requests.insert(message["id"].dump());
    }
    // Only requests still waiting in the batch can be cancelled.
    for (json& id : cancels) {
        if (requests.count(id.dump()) != 0) ids.push_back(std::move(id));
    }
    return ids;
}

std::vector<json> LanguageServer::handle(std::string_view body) {
    const json message = json::parse(body, nullptr, false);
    if (message.is_discarded()) return {errorReply(nullptr, parseError, "the message is not JSON")};
    if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
        // A reply from the client to nothing we asked is ignored.
        if (message.is_object() && message.contains("id") && !message.contains("method") &&
            (message.contains("result") || message.contains("error")))
            return {};
        const json id = message.is_object() && message.contains("id") && validId(message["id"]) ? message["id"] : json();
        return {errorReply(id, invalidRequest, "a request needs a method name")};
    }
    const std::string method = message["method"].get<std::string>();
    const json params = message.contains("params") ? message["params"] : json::object();
    if (!message.contains("id")) {
        try {
            notice(method, params);
        } catch (const std::exception&) {
            // A notification has no reply: a malformed one is dropped.
        }
        return {};
    }
    const json id = message["id"];
    if (!validId(id)) return {errorReply(nullptr, invalidRequest, "a request's id is a number or a string")};
    if (cancelled_.erase(id.dump()) != 0) return {errorReply(id, requestCancelled, "cancelled")};
    if (!initialized_ && method != "initialize") return {errorReply(id, serverNotInitialized, "initialize comes first")};
    if (shutDown_) return {errorReply(id, invalidRequest, "the server is shut down: only exit is expected")};
    try {
        if (method == "initialize" && initialized_) return {errorReply(id, invalidRequest, "already initialized")};
        std::optional<json> result = answer(method, params);
        if (!result) return {errorReply(id, methodNotFound, "no method " + method)};
        return {json{{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(*result)}}};
    } catch (const json::exception& problem) {
        return {errorReply(id, invalidParams, std::string("the parameters do not fit: ") + problem.what())};
    } catch (const std::bad_alloc&) {
        return {errorReply(id, internalError, "out of memory")};
    } catch (const std::exception& problem) {
        return {errorReply(id, internalError, problem.what())};
    }
}

std::optional<json> LanguageServer::answer(const std::string& method, const json& params) {
    if (method == "initialize") {
        initialized_ = true;
        return json{{"capabilities",
                     {{"positionEncoding", "utf-16"},
                      {"textDocumentSync", {{"openClose", true}, {"change", 1}}},
                      {"hoverProvider", true},
                      {"completionProvider", {{"triggerCharacters", json::array({",", "("})}}},
                      {"documentSymbolProvider", true},
                      {"definitionProvider", true}}},
                    {"serverInfo", {{"name", "scenario-tool"}, {"version", version_}}}};
    }
    if (method == "shutdown") {
        shutDown_ = true;
        return nullptr;
    }
    if (method == "textDocument/hover" || method == "textDocument/completion" ||
        method == "textDocument/documentSymbol" || method == "textDocument/definition") {
        const std::string uri = uriIn(params);
        const PairAnalysis* pair = workspace_.analysis(uri);
        const EditorText* text = workspace_.text(uri);
        const std::string path = pathOfUri(uri);
        const bool listResult = method != "textDocument/hover";
        if (pair == nullptr || text == nullptr) return listResult ? json::array() : json();
        if (method == "textDocument/hover") return hoverAt(*pair, path, positionIn(params));
        if (method == "textDocument/completion") return completionAt(*pair, path, *text, positionIn(params));
        if (method == "textDocument/documentSymbol") return documentSymbols(*pair, path, *text);
        return definitionAt(*pair, path, positionIn(params), workspace_);
    }
    return std::nullopt;
}

void LanguageServer::notice(const std::string& method, const json& params) {
    if (method == "exit") {
        exited_ = true;
        return;
    }
    if (!initialized_ || shutDown_) return;
    if (method == "textDocument/didOpen") {
        const json& document = params.at("textDocument");
        workspace_.open(document.at("uri").get<std::string>(), document.at("text").get<std::string>(),
                        document.value("version", 0));
    } else if (method == "textDocument/didChange") {
        const json& changes = params.at("contentChanges");
        // Whole-text sync: the last change holds the document.
        if (!changes.is_array() || changes.empty()) return;
        workspace_.change(uriIn(params), changes.back().at("text").get<std::string>(),
                          params.at("textDocument").value("version", 0));
    } else if (method == "textDocument/didClose") {
        workspace_.close(uriIn(params));
    }
}

std::vector<json> LanguageServer::flush() {
    std::vector<json> out;
    for (json& params : workspace_.takePublications()) {
        out.push_back(json{{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"}, {"params", std::move(params)}});
    }
    return out;
}

}  // namespace sb::editor
