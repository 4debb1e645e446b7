// The lsp subcommand: a language server for the two source formats on
// standard input and output, until the editor says exit or closes the pipe.
#pragma once

#include <iosfwd>
#include <string>

namespace sb::tool {

// 0 after shutdown and exit, 1 when the session ended otherwise.
int runLsp(const std::string& version, std::ostream& err);

}  // namespace sb::tool
