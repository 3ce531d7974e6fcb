#include "reporting_engine/report/JobSpooler.h"

#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/model/ReportDesign.h"
#include "reporting_engine/report/PdfPageSink.h"

#include <QDir>
#include <QTemporaryFile>

namespace engine {

struct JobSpooler::Private {
    Setup setup;
    std::vector<PrintJobPart> jobs;
    CupsJob first;
    int pagesMade = 0;
    // The job being made.
    std::unique_ptr<QTemporaryFile> spool;
    std::unique_ptr<PdfPageSink> pdf;
    int firstPage = 0;

    QString spoolName() const
    {
        return QStringLiteral("the print job \"%1\" (spooled in %2)")
            .arg(setup.info.title, QDir::toNativeSeparators(QDir::tempPath()));
    }

    void startJob()
    {
        spool = std::make_unique<QTemporaryFile>(QDir::temp().filePath(QStringLiteral("report-spool-XXXXXX.pdf")));
        if (!spool->open())
            throw EngineError(QStringLiteral("Cannot make %1: %2.").arg(spoolName(), spool->errorString()));
        pdf = std::make_unique<PdfPageSink>(*spool, setup.info, spoolName(), setup.placement);
        firstPage = pagesMade + 1;
    }

    // Follows the last job submitted to its end; one that did not complete stops the run.
    void followLastJob()
    {
        if (!setup.plan->waitSeconds || jobs.empty() || jobs.back().end.state != CupsJobEnd::State::StillPending)
            return;
        PrintJobPart &part = jobs.back();
        part.end = CupsPrinter::waitForJob(part.queue, part.jobId, *setup.plan->waitSeconds);
        if (setup.plan->ended)
            setup.plan->ended(part);
        if (part.end.state != CupsJobEnd::State::Completed)
            throw EngineError(describeFailure(part));
    }

    QString describeFailure(const PrintJobPart &part) const
    {
        return QStringLiteral("Job %1 \"%2\" (pages %3 to %4) on %5 %6; nothing more was sent.")
            .arg(part.jobId)
            .arg(part.title)
            .arg(part.firstPage)
            .arg(part.lastPage)
            .arg(part.queue, describeEnd(part.end, *setup.plan->waitSeconds));
    }

    void submitJob()
    {
        pdf->finish(); // flushes the spool file and reports a failure
        setup.throwIfCancelled();
        followLastJob();
        PrintJobPart part;
        part.firstPage = firstPage;
        part.lastPage = pagesMade;
        part.title = setup.plan->title ? setup.plan->title(part.firstPage, part.lastPage) : setup.info.title;
        const CupsJob job = setup.submit(spool->fileName(), part.title);
        pdf.reset();
        spool.reset(); // CUPS holds its own copy now
        if (jobs.empty())
            first = job;
        part.queue = job.queue;
        part.jobId = job.id;
        jobs.push_back(part);
        if (setup.plan->submitted)
            setup.plan->submitted(jobs.back());
    }
};

JobSpooler::JobSpooler(Setup setup) : d(std::make_unique<Private>())
{
    d->setup = std::move(setup);
}

JobSpooler::~JobSpooler() = default;

void JobSpooler::addPage(const ReportDesign &design)
{
    if (!d->pdf)
        d->startJob();
    d->pdf->addPage(design);
    ++d->pagesMade;
    const int perJob = d->setup.plan->pagesPerJob;
    if (perJob > 0 && d->pagesMade - d->firstPage + 1 >= perJob)
        d->submitJob();
}

void JobSpooler::finish()
{
    if (d->pdf)
        d->submitJob();
    d->followLastJob();
}

QString JobSpooler::describeEnd(const CupsJobEnd &end, int waitSeconds)
{
    using State = CupsJobEnd::State;
    QString text = end.state == State::Completed  ? QStringLiteral("completed")
                   : end.state == State::Aborted  ? QStringLiteral("was aborted")
                   : end.state == State::Canceled ? QStringLiteral("was canceled")
                                                  : QStringLiteral("had not ended after %1 s").arg(waitSeconds);
    if (!end.jobReasons.isEmpty())
        text += QStringLiteral("; job: ") + end.jobReasons;
    if (!end.printerReasons.isEmpty())
        text += QStringLiteral("; printer: ") + end.printerReasons;
    return text;
}

const std::vector<PrintJobPart> &JobSpooler::jobs() const { return d->jobs; }
const CupsJob &JobSpooler::firstJob() const { return d->first; }

} // namespace engine
