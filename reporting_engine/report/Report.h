#pragma once

#include "reporting_engine/EngineExport.h"
#include "reporting_engine/base/PagePlacement.h"
#include "reporting_engine/model/Barcode.h"
#include "reporting_engine/model/Fields.h"
#include "reporting_engine/model/PageSettings.h"
#include "reporting_engine/model/PrinterSettings.h"
#include "reporting_engine/model/Section.h"
#include "reporting_engine/model/TextBox.h"
#include "reporting_engine/model/TextStyle.h"
#include "reporting_engine/print/PrintDestination.h"
#include "reporting_engine/print/PrintOutcome.h"
#include "reporting_engine/print/PrinterProfiles.h"
#include "reporting_engine/report/PrintJobPlan.h"

#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace platform {
class PrinterDialog;
}

namespace engine {

class PageSink;

// The base of every report. A report's design (page, print width, sections and
// their controls) is made by the derived class's constructor, which is also its
// Initialize event; its destructor is its Terminate event. Each run calls
// reportStart, dataInitialize, then fetchData until a call leaves eof true; every
// fetchData call prints one page, with the values that call wrote.
class ENGINE_EXPORT Report {
public:
    // The report's title names the print job and the fallback PDF file.
    explicit Report(QString title);
    virtual ~Report();
    Report(const Report &) = delete;
    Report &operator=(const Report &) = delete;

    PageSettings &pageSettings();
    const PageSettings &pageSettings() const;
    PrinterSettings &printerSettings();
    const PrinterSettings &printerSettings() const;

    double printWidth() const;
    void setPrintWidth(double twips);

    // The base style "Normal": Arial, 10 point, regular.
    const TextStyle &normalStyle() const;

    Section &addSection(const QString &name, double heightTwips);
    const std::vector<std::unique_ptr<Section>> &sections() const;

    // Controls by name; an unknown name, or a control of another kind, throws EngineError.
    Control &control(const QString &name) const;
    TextBox &textBox(const QString &name) const;
    Barcode &barcode(const QString &name) const;

    Fields &fields();
    const Fields &fields() const;

    // The named text box's text never shrinks below pointSize to fit its box: what does
    // not fit then is clipped at the box's edge. Without it, text shrinks to 60% of its size.
    void setMinimumTextSize(const QString &textBoxName, double pointSize);
    // The named control must stay inside area (page twips, as laid out) wherever a printer's
    // profile moves the page; checkPlacement and printing refuse a placement that moves it out,
    // naming the area by areaName.
    void setPlacementArea(const QString &controlName, const QRectF &area, const QString &areaName);

    // The page as it prints now: the paper of the printer settings turned by the orientation.
    QSizeF pageSizeTwips() const;

    void setDestination(const PrintDestination &destination);
    const PrintDestination &destination() const;
    // The dialog PrintReport(true) shows; without one it prints to the destination as set.
    void setPrinterDialog(std::shared_ptr<platform::PrinterDialog> dialog);

    // The program the report's PDFs say they were made by (their creator); none by default.
    void setCreator(const QString &creator);
    // The printer profiles a job is shaped by (see PrinterProfiles); without them
    // every printer gets the pages as laid out, from the source the report asks for.
    void setPrinterProfiles(const PrinterProfiles &profiles);
    // A printer's profile moves and turns what is sent to it; a report that
    // measures the printer (a calibration page) is printed as laid out.
    void setIgnoresPrinterPlacement(bool ignores);

    // Called with every page and printer setting, in order, before it takes
    // effect; may throw to refuse it, as a printer driver may. A trace for tests
    // and diagnosis.
    void setSettingHook(std::function<void(const QString &setting, double value)> hook);

    // Asked after every page and once more just before the finished output is
    // saved or sent to the printer: true cancels the run, which then throws
    // EngineError and leaves nothing saved or submitted.
    void setCancelCheck(std::function<bool()> cancelled);

    // How a run sent to a printer is split into jobs (see PrintJobPlan); by default
    // it is one job, named after the report, submitted once the whole run is made.
    // With several jobs, those submitted before a failure stay submitted. A report may
    // set it from its events up to its first page.
    void setJobPlan(PrintJobPlan plan);

    // Runs the report and prints it; returns when done. Throws EngineError on any failure,
    // leaving no partial output behind.
    void PrintReport(bool showPrintDialog);
    const PrintOutcome &lastOutcome() const;

    // Throws EngineError naming the first control that this placement would put
    // off the page as the report has it now.
    void checkPlacement(const PagePlacement &placement) const;
    // The same for named boxes on a page of this size, before any report is made.
    static void checkPlacement(const PagePlacement &placement, const QSizeF &pageTwips,
                               const std::vector<std::pair<QString, QRectF>> &boxes);

    // Runs the report's events and hands each record's page to the sink; returns the page count.
    int run(PageSink &sink);

protected:
    // Asks the cancel check now, as a run does after every page: a report that
    // reads a long input asks it between records too, so one check cancels alike.
    void throwIfCancelled() const;

    virtual void reportStart() {}
    virtual void dataInitialize() {}
    // The default has no data: one empty page.
    virtual void fetchData(bool &eof) { eof = true; }
    // Once PrintReport is over: completed is false when it failed (it rethrows then) or
    // the printer dialog was dismissed. It must not throw.
    virtual void reportEnd(bool completed) { (void)completed; }

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
