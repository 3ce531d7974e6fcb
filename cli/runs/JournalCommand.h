#pragma once

#include "cli/CommandIo.h"

#include <QStringList>

namespace cli {

// `envelope journal prune --older-than DAYS`: removes the journals of old runs.
class JournalCommand {
public:
    explicit JournalCommand(CommandIo io = {});

    // arguments[0] is the program name and arguments[1] "journal", as in argv.
    int run(const QStringList &arguments);

private:
    CommandIo m_io;
};

} // namespace cli
