// One fuzz input is the bytes an editor sends the language server in one
// session: frames, headers and JSON messages of any shape. The server
// must answer or end cleanly, whatever comes; its replies are discarded.
#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>

#include "editor/framing.h"
#include "fuzz_entry.h"

void fuzzOneInput(const std::uint8_t* data, std::size_t size) {
    // The input as a file the server reads to its end, whatever its size.
    const int in = ::memfd_create("lsp-input", MFD_CLOEXEC);
    const int out = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (in < 0 || out < 0) throw std::runtime_error("no memory file or /dev/null");
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(in, data + done, size - done);
        if (n <= 0) throw std::runtime_error("cannot write the memory file");
        done += static_cast<std::size_t>(n);
    }
    ::lseek(in, 0, SEEK_SET);
    std::ostringstream log;
    sb::editor::serve(in, out, log, "fuzz");
    ::close(in);
    ::close(out);
}
