#pragma once

#include "reporting_engine/base/PagePlacement.h"
#include "reporting_engine/pdf/PdfDocumentWriter.h"
#include "reporting_engine/print/CupsPrinter.h"
#include "reporting_engine/render/PageSink.h"
#include "reporting_engine/report/PrintJobPlan.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace engine {

// Receives a run's pages for a printer and sends them as the plan's jobs: each
// job's pages go into a spool PDF of their own, submitted once its last page is
// made (after the cancel check), then removed, so no more than one job is ever
// held. With the plan's wait, a job is followed to its end before the next is
// submitted, and the last one before finish() returns.
class JobSpooler final : public PageSink {
public:
    struct Setup {
        // Read as the pages come: the report may set it up until its first page.
        const PrintJobPlan *plan = nullptr;
        PdfDocumentWriter::Info info{QString()}; // the report's title and creator
        PagePlacement placement;        // the printer's own
        std::function<void()> throwIfCancelled;
        // Submits one spool file under the title; throws EngineError.
        std::function<CupsJob(const QString &spoolPath, const QString &title)> submit;
    };

    explicit JobSpooler(Setup setup);
    ~JobSpooler() override;

    void addPage(const ReportDesign &design) override;
    void finish() override;

    // How a followed job ended, for the user: "was aborted; job: …; printer: …".
    static QString describeEnd(const CupsJobEnd &end, int waitSeconds);

    // The jobs submitted so far, in order.
    const std::vector<PrintJobPart> &jobs() const;
    // The first job's CUPS answer (its queue and paper source).
    const CupsJob &firstJob() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
