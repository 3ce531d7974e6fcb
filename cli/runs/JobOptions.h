#pragma once

#include "cli/OptionParser.h"

#include <QList>
#include <QString>

namespace cli {

// What a run that journals its envelopes takes besides its output: --job-size N
// (jobs of N envelopes, with --printer only) and --journal FILE (where the journal goes).
class JobOptions {
public:
    struct Jobs {
        int envelopesPerJob = 0; // 0: one job
        QString journal;         // empty: the journal folder
    };

    static const char helpText[];

    QList<QCommandLineOption> all() const { return {m_jobSize, m_journal}; }
    // Throws OptionParser::UsageError; printing says whether the output is a printer.
    Jobs read(const OptionParser &parser, bool printing) const;

private:
    QCommandLineOption m_jobSize = OptionParser::withValue("job-size", "N");
    QCommandLineOption m_journal = OptionParser::withValue("journal", "FILE");
};

} // namespace cli
