// Exit statuses of the companion tool.
#pragma once

namespace sb::tool {

inline constexpr int exitOk = 0;
inline constexpr int exitSourceError = 1;  // the compile recorded an error code
inline constexpr int exitUsage = 2;        // usage, input or output failure
inline constexpr int exitFatal = 3;        // " Errore n. 1250" or "1251" stopped the compile

}  // namespace sb::tool
