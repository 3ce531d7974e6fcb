#include "reporting_engine/report/Report.h"

#include "platform/PrinterDialog.h"
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/base/OutputFile.h"
#include "reporting_engine/base/Twips.h"
#include "reporting_engine/base/WriteFailure.h"
#include "reporting_engine/model/PaperCatalog.h"
#include "reporting_engine/model/ReportDesign.h"
#include "reporting_engine/print/CupsPrinter.h"
#include "reporting_engine/print/PrinterProfiles.h"
#include "reporting_engine/render/PageSink.h"
#include "reporting_engine/render/PngPageSink.h"
#include "reporting_engine/report/JobSpooler.h"
#include "reporting_engine/report/PdfPageSink.h"

#include <QDir>

#include <cmath>
#include <optional>

namespace engine {

struct Report::Private {
    explicit Private(QString title)
        : design(std::move(title), [this](const char *setting, double value) { notifySetting(setting, value); })
    {
    }

    std::function<void(const QString &, double)> settingHook;
    ReportDesign design;
    PrintDestination destination;
    std::shared_ptr<platform::PrinterDialog> dialog;
    std::function<bool()> cancelled;
    PrintOutcome outcome;
    QString creator;
    std::optional<PrinterProfiles> profiles;
    bool ignoresPlacement = false;
    PrintJobPlan jobPlan;

    CupsJobRequest jobFor(const QString &queue, const QString &spoolPath, const PrinterProfile &profile) const;
    // One per destination; each runs the report and returns what became of it.
    PrintOutcome savePdf(Report &report, const QString &path);
    PrintOutcome savePng(Report &report, const QString &path);
    PrintOutcome print(Report &report, QString queue, bool showPrintDialog);
    PrintOutcome submitJob(Report &report, const QString &queue);
    PrintOutcome saveInsteadOfPrinting(Report &report);

    void notifySetting(const char *setting, double value) const
    {
        if (settingHook)
            settingHook(QLatin1String(setting), value);
    }

    void throwIfCancelled() const
    {
        if (cancelled && cancelled())
            throw EngineError(QStringLiteral("\"%1\" was cancelled; nothing was saved or printed.").arg(design.title()));
    }
};

Report::Report(QString title) : d(std::make_unique<Private>(std::move(title))) {}

Report::~Report() = default;

PageSettings &Report::pageSettings() { return d->design.pageSettings(); }
const PageSettings &Report::pageSettings() const { return d->design.pageSettings(); }
PrinterSettings &Report::printerSettings() { return d->design.printerSettings(); }
const PrinterSettings &Report::printerSettings() const { return d->design.printerSettings(); }
double Report::printWidth() const { return d->design.printWidth(); }
void Report::setPrintWidth(double twips) { d->design.setPrintWidth(twips); }
const TextStyle &Report::normalStyle() const { return d->design.normalStyle(); }
Section &Report::addSection(const QString &name, double heightTwips) { return d->design.addSection(name, heightTwips); }
const std::vector<std::unique_ptr<Section>> &Report::sections() const { return d->design.sections(); }
Control &Report::control(const QString &name) const { return d->design.control(name); }
TextBox &Report::textBox(const QString &name) const { return d->design.textBox(name); }
Barcode &Report::barcode(const QString &name) const { return d->design.barcode(name); }
Fields &Report::fields() { return d->design.fields(); }
void Report::setPlacementArea(const QString &controlName, const QRectF &area, const QString &areaName)
{
    d->design.setPlacementArea(controlName, area, areaName);
}
void Report::setMinimumTextSize(const QString &textBoxName, double pointSize)
{
    d->design.setMinimumPointSize(textBoxName, pointSize);
}
const Fields &Report::fields() const { return d->design.fields(); }
QSizeF Report::pageSizeTwips() const { return d->design.pageSizeTwips(); }

void Report::setDestination(const PrintDestination &destination) { d->destination = destination; }
const PrintDestination &Report::destination() const { return d->destination; }
void Report::setPrinterDialog(std::shared_ptr<platform::PrinterDialog> dialog) { d->dialog = std::move(dialog); }
void Report::setSettingHook(std::function<void(const QString &, double)> hook) { d->settingHook = std::move(hook); }
void Report::setCreator(const QString &creator) { d->creator = creator; }
void Report::setPrinterProfiles(const PrinterProfiles &profiles) { d->profiles = profiles; }
void Report::setIgnoresPrinterPlacement(bool ignores) { d->ignoresPlacement = ignores; }
void Report::setJobPlan(PrintJobPlan plan) { d->jobPlan = std::move(plan); }
void Report::setCancelCheck(std::function<bool()> cancelled) { d->cancelled = std::move(cancelled); }
const PrintOutcome &Report::lastOutcome() const { return d->outcome; }
void Report::throwIfCancelled() const { d->throwIfCancelled(); }

int Report::run(PageSink &sink)
{
    reportStart();
    dataInitialize();
    int pages = 0;
    bool eof = false;
    do {
        eof = false;
        fetchData(eof);
        sink.addPage(d->design);
        ++pages;
        d->throwIfCancelled();
    } while (!eof);
    sink.finish();
    return pages;
}

namespace {

bool hasZeroMargins(const PageSettings &page)
{
    return page.leftMargin() == 0 && page.rightMargin() == 0 && page.topMargin() == 0 && page.bottomMargin() == 0;
}

} // namespace

CupsJobRequest Report::Private::jobFor(const QString &queue, const QString &spoolPath, const PrinterProfile &profile) const
{
    CupsJobRequest job;
    job.queue = queue;
    job.title = design.title();
    job.documentPath = spoolPath;
    if (const auto paper = PaperCatalog::paper(design.printerSettings().paperSize())) {
        job.options.emplace_back("media", paper->cupsMedia);
        job.mediaType = paper->cupsMediaType;
    }
    // The page is laid out to the twip: the printer must not fit it to its own idea of the page.
    job.options.emplace_back("print-scaling", "none");
    job.paperSource = design.printerSettings().paperSource();
    job.sourceOverride = profile.source.toUtf8();
    job.mediaTypeOverride = profile.mediaType.toUtf8();
    job.zeroMargins = hasZeroMargins(design.pageSettings());
    return job;
}

void Report::checkPlacement(const PagePlacement &placement) const
{
    checkPlacement(placement, d->design.pageSizeTwips(), d->design.boxes());
    d->design.checkPlacementAreas(placement);
}

void Report::checkPlacement(const PagePlacement &placement, const QSizeF &pageTwips,
                            const std::vector<std::pair<QString, QRectF>> &boxes)
{
    const QTransform t = placement.transform(pageTwips);
    // A hair's tolerance: inches typed with three decimals don't land on whole twips.
    const QRectF page = QRectF(QPointF(0, 0), pageTwips).adjusted(-0.5, -0.5, 0.5, 0.5);
    for (const auto &[name, box] : boxes) {
        if (!page.contains(t.mapRect(box))) {
            throw EngineError(QStringLiteral("Moved %1 in right and %2 in down, %3 would lie off the page.")
                                  .arg(twips::toInches(placement.offsetXTwips))
                                  .arg(twips::toInches(placement.offsetYTwips))
                                  .arg(name));
        }
    }
}

namespace {

// Refuses a page the printer's placement would push off the paper, before it is made.
class PlacementCheck final : public PageSink {
public:
    PlacementCheck(PageSink &next, const PagePlacement &placement) : m_next(next), m_placement(placement) {}
    void addPage(const ReportDesign &design) override
    {
        Report::checkPlacement(m_placement, design.pageSizeTwips(), design.boxes());
        design.checkPlacementAreas(m_placement);
        m_next.addPage(design);
    }
    void finish() override { m_next.finish(); }

private:
    PageSink &m_next;
    PagePlacement m_placement;
};

} // namespace

void Report::PrintReport(bool showPrintDialog)
{
    d->outcome = PrintOutcome();
    const PrintDestination destination = d->destination;
    try {
        switch (destination.kind) {
        case PrintDestination::Kind::PdfFile:
            d->outcome = d->savePdf(*this, destination.target);
            break;
        case PrintDestination::Kind::PngFile:
            d->outcome = d->savePng(*this, destination.target);
            break;
        case PrintDestination::Kind::Printer:
            d->outcome = d->print(*this, destination.target, showPrintDialog);
            break;
        }
    } catch (...) {
        reportEnd(false);
        throw;
    }
    reportEnd(d->outcome.kind != PrintOutcome::Kind::Cancelled);
}

PrintOutcome Report::Private::savePdf(Report &report, const QString &path)
{
    OutputFile out(path, OutputFile::Policy::Replace);
    PdfPageSink sink(out.device(), {design.title(), creator}, QDir::toNativeSeparators(path));
    PrintOutcome saved;
    saved.pages = report.run(sink);
    throwIfCancelled();
    saved.kind = PrintOutcome::Kind::SavedPdf;
    saved.files << out.commit();
    return saved;
}

PrintOutcome Report::Private::savePng(Report &report, const QString &path)
{
    PngPageSink sink(path);
    PrintOutcome saved;
    saved.pages = report.run(sink);
    saved.kind = PrintOutcome::Kind::SavedPng;
    saved.files = sink.files();
    return saved;
}

PrintOutcome Report::Private::print(Report &report, QString queue, bool showPrintDialog)
{
    // The printer is chosen before the job is made: the clerk answers the
    // dialog first, and the printer's profile shapes the pages.
    if (showPrintDialog && dialog) {
        const std::optional<QString> chosen = dialog->choosePrinter(design.title());
        if (!chosen) {
            PrintOutcome dismissed;
            dismissed.kind = PrintOutcome::Kind::Cancelled;
            return dismissed;
        }
        queue = *chosen;
    }
    if (queue.isEmpty()) {
        if (const auto dflt = CupsPrinter::defaultDestination())
            queue = *dflt;
    }
    if (queue.isEmpty())
        return saveInsteadOfPrinting(report);
    return submitJob(report, queue);
}

PrintOutcome Report::Private::submitJob(Report &report, const QString &queue)
{
    // Read once per run; a damaged file stops the run before anything is made.
    const PrinterProfile profile = profiles ? profiles->profile(queue) : PrinterProfile();
    JobSpooler::Setup setup;
    setup.plan = &jobPlan;
    setup.info = {design.title(), creator};
    setup.placement = ignoresPlacement ? PagePlacement() : profile.placement();
    setup.throwIfCancelled = [this] { throwIfCancelled(); };
    setup.submit = [this, &queue, &profile](const QString &spoolPath, const QString &title) {
        CupsJobRequest request = jobFor(queue, spoolPath, profile);
        request.title = title;
        return CupsPrinter::submit(request);
    };
    // Each job is made whole before it reaches CUPS, so a failing job is never submitted.
    JobSpooler spooler(std::move(setup));
    PlacementCheck sink(spooler, ignoresPlacement ? PagePlacement() : profile.placement());
    PrintOutcome printed;
    printed.pages = report.run(sink);

    const CupsJob &job = spooler.firstJob();
    for (const PrintJobPart &part : spooler.jobs())
        printed.jobIds << part.jobId;
    printed.jobId = job.id;
    printed.queue = job.queue;
    printed.source = job.source;
    printed.mediaType = job.mediaType;
    printed.profile = profile;
    printed.kind = PrintOutcome::Kind::Printed;
    return printed;
}

PrintOutcome Report::Private::saveInsteadOfPrinting(Report &report)
{
    // No printer here: keep the output as a PDF named after the report, never over an existing file.
    const QString path = QDir::current().filePath(design.title() + QStringLiteral(".pdf"));
    OutputFile out(path, OutputFile::Policy::NeverReplace);
    PdfPageSink sink(out.device(), {design.title(), creator}, QDir::toNativeSeparators(path));
    PrintOutcome saved;
    saved.pages = report.run(sink);
    throwIfCancelled();
    const QString file = out.commit();
    saved.note = QStringLiteral("No printer is available: \"%1\" was saved as %2").arg(design.title(), QDir::toNativeSeparators(file));
    saved.kind = PrintOutcome::Kind::SavedPdf;
    saved.fellBackToFile = true;
    saved.files << file;
    return saved;
}

} // namespace engine
