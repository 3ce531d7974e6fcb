#pragma once

#include <QString>

#include <cstdio>

namespace cli {

// Where a command writes: its output (help, listings) and its messages. The
// program gives its standard streams; tests give files of their own.
struct CommandIo {
    std::FILE *out = stdout;
    std::FILE *err = stderr;

    // How the program's messages begin: "envelope: TEXT".
    static QString message(const QString &text);

    // A message line on err.
    void say(const QString &text) const;
    // A line as it is: on out, or on err.
    void writeOut(const QString &line) const;
    void writeErr(const QString &line) const;
};

} // namespace cli
