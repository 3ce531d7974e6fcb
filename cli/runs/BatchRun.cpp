#include "cli/runs/BatchRun.h"

#include "cli/ExitStatus.h"
#include "cli/PrintJobReport.h"
#include "reporting_engine/base/EngineError.h"

#include <QDir>

#include <unistd.h>

namespace cli {
namespace {

QString describeOutcome(const engine::PrintOutcome &outcome, const QString &pngDir)
{
    switch (outcome.kind) {
    case engine::PrintOutcome::Kind::Printed:
        if (outcome.jobIds.size() > 1)
            return QStringLiteral("sent to %1 as %2 jobs, %3").arg(outcome.queue).arg(outcome.jobIds.size()).arg(PrintJobReport::jobList(outcome.jobIds));
        return QStringLiteral("sent to %1 as job %2").arg(outcome.queue).arg(outcome.jobId);
    case engine::PrintOutcome::Kind::SavedPdf:
        return (outcome.fellBackToFile ? QStringLiteral("no printer, saved to %1") : QStringLiteral("saved to %1"))
            .arg(QDir::toNativeSeparators(outcome.files.value(0)));
    case engine::PrintOutcome::Kind::SavedPng:
        return QStringLiteral("%1 PNG files in %2").arg(outcome.files.size()).arg(QDir::toNativeSeparators(pngDir));
    case engine::PrintOutcome::Kind::Cancelled:
        return QStringLiteral("cancelled");
    case engine::PrintOutcome::Kind::NotPrinted:
        break;
    }
    return QStringLiteral("nothing printed");
}

} // namespace

BatchRun::BatchRun(const CommandIo &io, QString command, OutputOptions::Output output, JobOptions::Jobs jobs)
    : m_io(io), m_command(std::move(command)), m_output(std::move(output)), m_jobs(std::move(jobs)),
      m_meter(io.err, ::isatty(::fileno(io.err)) == 1)
{
}

envelope::BatchEnvelopeReport::Listener BatchRun::listener()
{
    envelope::BatchEnvelopeReport::Listener listener;
    ProgressMeter &meter = m_meter;
    const auto where = [](const envelope::AddresseeRecord &r) {
        return r.line > 0 ? QStringLiteral("record %1 (line %2)").arg(r.number).arg(r.line)
                          : QStringLiteral("record %1").arg(r.number);
    };
    listener.badRecord = [&meter, where](const envelope::AddresseeRecord &r, const QStringList &problems) {
        meter.note(CommandIo::message(QStringLiteral("%1: %2").arg(where(r), problems.join(QStringLiteral("; ")))));
    };
    listener.recordWarning = [&meter, where](const envelope::AddresseeRecord &r, const QStringList &warnings) {
        meter.note(CommandIo::message(QStringLiteral("%1: warning: %2").arg(where(r), warnings.join(QStringLiteral("; ")))));
    };
    listener.progress = [&meter](const envelope::BatchEnvelopeReport::Tally &t, double fraction) {
        meter.update(t.printed + t.skipped, fraction);
    };
    listener.interrupted = &InterruptGuard::raised;
    listener.warning = [&meter](const QString &text) { meter.note(CommandIo::message(text)); };
    return listener;
}

int BatchRun::run(envelope::BatchEnvelopeReport &report)
{
    try {
        report.setDestination(m_output.destination);
        // Followed by the run itself, job by job, so that the journal says how each ended.
        report.setJobs(m_jobs.envelopesPerJob, m_output.waitSeconds);
        report.setJournalPath(m_jobs.journal);
        report.PrintReport(false);
    } catch (const std::exception &e) {
        m_sent = report.tally().sent;
        return fail(e, report.journalPath());
    }
    return summarise(report);
}

int BatchRun::summarise(const envelope::BatchEnvelopeReport &report)
{
    const envelope::BatchEnvelopeReport::Tally &tally = report.tally();
    const engine::PrintOutcome &outcome = report.lastOutcome();
    m_meter.clear();
    m_io.say(QStringLiteral("%1 done: %2 printed, %3 skipped, %4 bad, %5 pages in %6 s; %7; journal %8")
                 .arg(m_command)
                 .arg(tally.printed)
                 .arg(tally.skipped)
                 .arg(tally.bad)
                 .arg(outcome.pages)
                 .arg(m_meter.elapsedSeconds(), 0, 'f', 1)
                 .arg(describeOutcome(outcome, m_output.pngDir), QDir::toNativeSeparators(report.journalPath())));
    return PrintJobReport::report(outcome, m_output.waitSeconds, m_io);
}

int BatchRun::stop(const QString &why)
{
    m_meter.clear();
    m_io.say(QStringLiteral("%1 stopped: %2").arg(m_command, why));
    return ExitStatus::failed;
}

int BatchRun::fail(const std::exception &e, const QString &journal)
{
    m_meter.clear();
    const bool wholeOutput = m_output.destination.kind != engine::PrintDestination::Kind::PngFile;
    QString made = m_sent > 0   ? QStringLiteral("%1 envelope(s) were sent").arg(m_sent)
                   : wholeOutput ? QStringLiteral("nothing was printed or saved")
                                 : QStringLiteral("the PNG files made so far stay in %1").arg(m_output.pngDir);
    if (!journal.isEmpty())
        made += QStringLiteral("; journal %1").arg(QDir::toNativeSeparators(journal));
    if (InterruptGuard::raised()) {
        m_io.say(QStringLiteral("%1 interrupted after %2 s; %3").arg(m_command).arg(m_meter.elapsedSeconds(), 0, 'f', 1).arg(made));
        return ExitStatus::interrupted;
    }
    m_io.say(QStringLiteral("error: %1").arg(QString::fromUtf8(e.what())));
    m_io.say(QStringLiteral("%1 failed after %2 s; %3").arg(m_command).arg(m_meter.elapsedSeconds(), 0, 'f', 1).arg(made));
    return ExitStatus::failed;
}

} // namespace cli
