// The language server driven through its pipes as an editor drives it:
// the protocol's lifecycle and robustness, diagnostics equal to check's,
// and the answers about a pair with an accented station name.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "builtin/line_source.h"
#include "builtin/train_source.h"
#include "editor/server_process.h"
#include "support/test_support.h"

namespace {

using nlohmann::json;
using namespace editortest;

const std::string lineName = "VELDRA PALV_linea.txt";
const std::string trainName = "VELDRA PALV_2638-.txt";

std::string uriOf(const std::string& path) {
    std::string uri = "file://";
    for (const char c : path) uri += c == ' ' ? std::string("%20") : std::string(1, c);
    return uri;
}

json opened(const std::string& uri, const std::string& text) {
    return notification("textDocument/didOpen",
                        {{"textDocument", {{"uri", uri}, {"languageId", "scenario"}, {"version", 1}, {"text", text}}}});
}

json at(const std::string& uri, int line, int character) {
    return {{"textDocument", {{"uri", uri}}}, {"position", {{"line", line}, {"character", character}}}};
}

struct RobustnessCase {
    const char* name;
    bool initializeFirst;
    std::function<void(ServerProcess&)> act;
    // The reply expected to request 7 (its error code), or 0 for none.
    int errorCode;
    int exitStatus;  // after the input is closed, or -1 to skip the check
};

class Robustness : public testing::TestWithParam<RobustnessCase> {};

TEST_P(Robustness, AnErrorReplyOrACleanExit) {
    const RobustnessCase& c = GetParam();
    sbtest::TempFolder folder;
    ServerProcess server(folder.path());
    if (c.initializeFirst) server.initialize();
    c.act(server);
    if (c.errorCode != 0) {
        const auto reply = server.replyTo(7);
        ASSERT_TRUE(reply) << server.errorOutput();
        EXPECT_EQ((*reply)["error"]["code"], c.errorCode) << reply->dump();
    }
    server.closeInput();
    const int status = server.wait();
    if (c.exitStatus >= 0) EXPECT_EQ(status, c.exitStatus) << server.errorOutput();
    else EXPECT_GE(status, 0) << "killed or crashed";
}

const std::string hugeText(std::size_t{100} << 20, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, Robustness,
    testing::Values(
        RobustnessCase{"request_before_initialize", false,
                       [](ServerProcess& s) { s.send(request(7, "textDocument/hover", at("file:///x", 0, 0))); },
                       -32002, 1},
        RobustnessCase{"malformed_json", true, [](ServerProcess& s) {
                           s.sendBytes(frame("{\"jsonrpc\": \"2.0\", \"id\": 7, "));
                           const auto reply = s.next();
                           ASSERT_TRUE(reply);
                           EXPECT_EQ((*reply)["error"]["code"], -32700);
                           s.send(request(7, "no/such/method"));
                       }, -32601, 1},
        RobustnessCase{"unknown_method", true, [](ServerProcess& s) { s.send(request(7, "workspace/nothing")); },
                       -32601, 1},
        RobustnessCase{"params_that_do_not_fit", true,
                       [](ServerProcess& s) { s.send(request(7, "textDocument/hover", {{"textDocument", 3}})); },
                       -32602, 1},
        RobustnessCase{"cancelled_before_its_turn", true, [](ServerProcess& s) {
                           s.sendBytes(frame(request(7, "textDocument/documentSymbol", {{"textDocument", {{"uri", "file:///x"}}}}).dump()) +
                                       frame(notification("$/cancelRequest", {{"id", 7}}).dump()));
                       }, -32800, 1},
        RobustnessCase{"request_after_shutdown", true, [](ServerProcess& s) {
                           s.send(request(6, "shutdown"));
                           s.send(request(7, "textDocument/hover", at("file:///x", 0, 0)));
                       }, -32600, 0},
        RobustnessCase{"shutdown_then_exit", true, [](ServerProcess& s) {
                           s.send(request(6, "shutdown"));
                           s.send(notification("exit"));
                       }, 0, 0},
        RobustnessCase{"exit_without_shutdown", true, [](ServerProcess& s) { s.send(notification("exit")); }, 0, 1},
        RobustnessCase{"header_without_length", true,
                       [](ServerProcess& s) { s.sendBytes("Content-Type: text/plain\r\n\r\n{}"); }, 0, 1},
        RobustnessCase{"client_closes_mid_message", true,
                       [](ServerProcess& s) { s.sendBytes("Content-Length: 100\r\n\r\n{\"jsonrpc\""); }, 0, 1},
        RobustnessCase{"document_of_100_MB", true, [](ServerProcess& s) {
                           s.send(opened("file:///tmp/huge_linea.txt", hugeText));
                           const auto diagnostics = s.diagnosticsFor("file:///tmp/huge_linea.txt");
                           ASSERT_TRUE(diagnostics);
                           ASSERT_EQ(diagnostics->size(), 1u);
                           EXPECT_NE((*diagnostics)[0]["message"].get<std::string>().find("at most 64 MiB"), std::string::npos);
                           s.send(request(7, "textDocument/hover", at("file:///tmp/huge_linea.txt", 0, 0)));
                           const auto reply = s.replyTo(7);
                           ASSERT_TRUE(reply);
                           EXPECT_TRUE((*reply)["result"].is_null());
                       }, 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// Opens a pair whose line source drops a board and whose partner is read
// from disk; the diagnostics equal check's, position for position.
TEST(Diagnostics, EqualCheckAndNoteIntoTheOtherFile) {
    sbtest::TempFolder folder;
    std::string line = sb::builtin::builtInLineSourceText();
    const std::string board = "cartello_indicatore,  1250,   (FERMATA 1)";
    line.insert(line.find(board) + board.size(), "\r\ncartello_indicatore,  4200,   (MOLVERA)");
    sbtest::writeFile(folder.file(lineName), line);
    sbtest::writeFile(folder.file(trainName), sb::builtin::builtInTrainSourceText());
    const sbtest::Finished check = sbtest::runProcess(SB_TOOL_PATH, {"check", "--json", lineName, trainName}, folder.path());
    const json expected = json::parse(check.out)["diagnostics"];
    ASSERT_EQ(expected.size(), 1u) << check.out;

    ServerProcess server(folder.path());
    server.initialize();
    const std::string lineUri = uriOf(folder.file(lineName));
    server.send(opened(lineUri, line));
    const auto shown = server.diagnosticsFor(lineUri);
    ASSERT_TRUE(shown);
    ASSERT_EQ(shown->size(), 1u) << shown->dump();
    const json& d = (*shown)[0];
    EXPECT_EQ(d["range"]["start"]["line"], expected[0]["line"].get<int>() - 1);
    EXPECT_EQ(d["range"]["start"]["character"], expected[0]["column"].get<int>() - 1);
    EXPECT_EQ(d["range"]["end"]["character"], expected[0]["endColumn"].get<int>() - 1);
    EXPECT_EQ(d["severity"], 2);
    EXPECT_EQ(d["code"], expected[0]["code"]);
    EXPECT_EQ(d["message"], expected[0]["message"]);
    const json& note = d["relatedInformation"][0];
    EXPECT_EQ(note["location"]["uri"], uriOf(folder.file(trainName)));
    EXPECT_EQ(note["location"]["range"]["start"]["line"], expected[0]["notes"][0]["line"].get<int>() - 1);
    EXPECT_EQ(note["message"], expected[0]["notes"][0]["message"]);

    // Go to definition from the dropped board's place: the station's row.
    server.send(request(7, "textDocument/definition", at(lineUri, d["range"]["start"]["line"], 35)));
    const auto definition = server.replyTo(7);
    ASSERT_TRUE(definition);
    EXPECT_EQ((*definition)["result"][0]["uri"], uriOf(folder.file(trainName))) << definition->dump();
}

// A train source alone: what it holds is checked, and an information
// names the line source looked for.
TEST(Diagnostics, ASourceWithoutPartnerSaysWhichNameWasLookedFor) {
    sbtest::TempFolder folder;
    ServerProcess server(folder.path());
    server.initialize();
    const std::string uri = uriOf(folder.file(trainName));
    server.send(opened(uri, sb::builtin::builtInTrainSourceText() + "pendenza, 100, 2\n"));
    const auto shown = server.diagnosticsFor(uri);
    ASSERT_TRUE(shown);
    ASSERT_FALSE(shown->empty());
    const json& last = shown->back();
    EXPECT_EQ(last["severity"], 3);
    EXPECT_NE(last["message"].get<std::string>().find("VELDRA PALV_linea.txt"), std::string::npos) << last.dump();
}

// An accented station name: the editor's UTF-8 becomes the file's
// Windows-1252 for the compile and comes back as UTF-8, positions in
// UTF-16 units.
TEST(Answers, AccentedNamesHoverAndCompleteInTheEditorsCharacters) {
    sbtest::TempFolder folder;
    std::string train = sb::builtin::builtInTrainSourceText();
    const std::size_t name = train.find("MOLVERA");
    train.replace(name, 7, "MOLVERÀ");
    sbtest::writeFile(folder.file(lineName), sb::builtin::builtInLineSourceText());
    ServerProcess server(folder.path());
    server.initialize();
    const std::string trainUri = uriOf(folder.file(trainName));
    server.send(opened(trainUri, train));
    const int row = static_cast<int>(std::count(train.begin(), train.begin() + static_cast<long>(name), '\n'));
    const int column = static_cast<int>(name - train.rfind('\n', name) - 1);
    server.send(request(7, "textDocument/hover", at(trainUri, row, column + 3)));
    const auto hover = server.replyTo(7);
    ASSERT_TRUE(hover);
    EXPECT_NE((*hover)["result"]["contents"]["value"].get<std::string>().find("MOLVERÀ"), std::string::npos) << hover->dump();
    EXPECT_EQ((*hover)["result"]["range"]["end"]["character"], column + 7);

    // A board's label offers the station, accent kept.
    const std::string lineUri = uriOf(folder.file(lineName));
    server.send(opened(lineUri, sb::builtin::builtInLineSourceText()));
    const std::string lineText = sb::builtin::builtInLineSourceText();
    const int boardRow = static_cast<int>(std::count(lineText.begin(), lineText.begin() + static_cast<long>(lineText.find("cartello_indicatore")), '\n'));
    server.send(request(8, "textDocument/completion", at(lineUri, boardRow, 30)));
    const auto completion = server.replyTo(8);
    ASSERT_TRUE(completion);
    EXPECT_NE(completion->dump().find("(MOLVERÀ)"), std::string::npos) << completion->dump();
}

}  // namespace
