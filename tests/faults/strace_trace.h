// Reading strace's record of a run (written with -f -yy): the system calls
// each process made, and the paths each call worked on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace faulttest {

struct TracedCall {
    int pid = 0;
    std::string name;               // the system call, e.g. "openat"
    std::vector<std::string> args;  // each argument as strace printed it
    std::string result;             // what follows " = "; "?" when the process died inside the call
    bool injected = false;          // strace tampered with the call's result
    std::string text;               // the whole call, the halves of an interrupted one joined
};

// Every system call of the record, in order. Signal and exit lines are left
// out; a call split by another process's output is joined into one; a call a
// process never came back from ends with result "?".
std::vector<TracedCall> parseTrace(std::string_view record);

// The paths the call works on, absolute: descriptors as decorated by -yy and
// path arguments, relative ones resolved against their directory descriptor
// or, for calls without one, against the working folder. Empty for calls that
// take no path or descriptor of a file (and for those this reader does not know).
std::vector<std::string> pathsOf(const TracedCall& call, const std::string& workingFolder);

// The text of a string as strace quotes it ("a\"b\303" gives a"b and byte 0303).
std::string unquote(std::string_view quoted);

}  // namespace faulttest
