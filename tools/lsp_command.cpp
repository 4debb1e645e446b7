#include "tools/lsp_command.h"

#include <csignal>
#include <unistd.h>

#include "editor/framing.h"

namespace sb::tool {

int runLsp(const std::string& version, std::ostream& err) {
    // An editor that goes away closes the pipe: a failed write ends the
    // session, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    return editor::serve(STDIN_FILENO, STDOUT_FILENO, err, version);
}

}  // namespace sb::tool
