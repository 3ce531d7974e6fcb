#pragma once

#include <cstdio>

namespace cli {

// Where a command writes: its output (help, listings) and its messages. The
// program gives its standard streams; tests give files of their own.
struct CommandIo {
    std::FILE *out = stdout;
    std::FILE *err = stderr;
};

} // namespace cli
