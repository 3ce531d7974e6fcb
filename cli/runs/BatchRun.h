#pragma once

#include "cli/CommandIo.h"
#include "cli/InterruptGuard.h"
#include "cli/OutputOptions.h"
#include "cli/ProgressMeter.h"
#include "cli/runs/JobOptions.h"
#include "envelope_batch/BatchEnvelopeReport.h"

#include <exception>

namespace cli {

// One run of many envelopes as the commands that make them (batch, reprint) show it:
// bad records and progress above the bar, Ctrl-C, then the one summary line naming the
// journal, what became of the print jobs, or what went wrong.
class BatchRun {
public:
    // command: the word the summary begins with ("batch", "reprint").
    BatchRun(const CommandIo &io, QString command, OutputOptions::Output output, JobOptions::Jobs jobs);

    envelope::BatchEnvelopeReport::Listener listener();
    // Sends the report to the output as jobs and journals it; returns the exit status.
    int run(envelope::BatchEnvelopeReport &report);
    // A failure before the run; returns the exit status.
    int fail(const std::exception &e, const QString &journal = QString());
    // A run that ends before it starts, with its reason.
    int stop(const QString &why);

private:
    int summarise(const envelope::BatchEnvelopeReport &report);

    const InterruptGuard m_interrupts;
    CommandIo m_io;
    QString m_command;
    OutputOptions::Output m_output;
    JobOptions::Jobs m_jobs;
    ProgressMeter m_meter;
    qint64 m_sent = 0;
};

} // namespace cli
