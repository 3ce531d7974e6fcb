// The engine's report: its event order, its settings and its outputs.
#include "platform/PrinterDialog.h"
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/model/PaperCatalog.h"
#include "reporting_engine/report/PdfPageSink.h"
#include "reporting_engine/report/Report.h"
#include "support/PdfReport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>

using engine::EngineError;
using engine::PrintDestination;
using engine::Report;
using engine::Section;
using engine::TextBox;
using engine::TextStyle;

namespace {

// Records every event it receives; hands out a fixed number of records.
class RecordingReport final : public Report {
public:
    RecordingReport(QStringList &log, int records) : Report(QStringLiteral("Recorder")), m_log(log), m_records(records)
    {
        auto &detail = addSection(QStringLiteral("Detail"), 1440);
        detail.add<engine::TextBox>(QStringLiteral("fldText"), QRectF(720, 720, 4000, 400), engine::TextStyle{});
        m_log << QStringLiteral("Initialize");
    }
    ~RecordingReport() override { m_log << QStringLiteral("Terminate"); }

    std::function<void()> onReportStart;

protected:
    void reportStart() override
    {
        m_log << QStringLiteral("ReportStart");
        m_left = m_records;
        if (onReportStart)
            onReportStart();
    }
    void dataInitialize() override { m_log << QStringLiteral("DataInitialize"); }
    void fetchData(bool &eof) override
    {
        m_log << QStringLiteral("FetchData(%1)").arg(eof ? QStringLiteral("True") : QStringLiteral("False"));
        textBox(QStringLiteral("fldText")).setText(QStringLiteral("record %1").arg(m_records - m_left + 1));
        eof = --m_left <= 0;
    }

private:
    QStringList &m_log;
    int m_records;
    int m_left = 0;
};

QStringList oneRun(int records)
{
    QStringList l{QStringLiteral("ReportStart"), QStringLiteral("DataInitialize")};
    for (int i = 0; i < records; ++i)
        l << QStringLiteral("FetchData(False)");
    return l;
}

TEST(ReportEvents, OneRunThenRelease)
{
    QTemporaryDir dir;
    QStringList log;
    {
        RecordingReport report(log, 1);
        report.setDestination(PrintDestination::pdfFile(dir.filePath(QStringLiteral("one.pdf"))));
        report.PrintReport(false);
        EXPECT_EQ(report.lastOutcome().pages, 1);
    }
    EXPECT_EQ(log, QStringList{QStringLiteral("Initialize")} + oneRun(1) + QStringList{QStringLiteral("Terminate")});
}

TEST(ReportEvents, PrintedTwiceRunsTheWholeSequenceTwice)
{
    QTemporaryDir dir;
    QStringList log;
    {
        RecordingReport report(log, 1);
        report.setDestination(PrintDestination::pdfFile(dir.filePath(QStringLiteral("twice.pdf"))));
        report.PrintReport(false);
        report.PrintReport(false);
    }
    EXPECT_EQ(log, QStringList{QStringLiteral("Initialize")} + oneRun(1) + oneRun(1) + QStringList{QStringLiteral("Terminate")});
}

TEST(ReportEvents, EveryFetchPrintsOnePageUntilEof)
{
    QTemporaryDir dir;
    QStringList log;
    const QString path = dir.filePath(QStringLiteral("three.pdf"));
    {
        RecordingReport report(log, 3);
        report.setDestination(PrintDestination::pdfFile(path));
        report.PrintReport(false);
        EXPECT_EQ(report.lastOutcome().pages, 3);
    }
    EXPECT_EQ(log.count(QStringLiteral("FetchData(False)")), 3);
    testsupport::PdfReport pdf(path);
    EXPECT_EQ(pdf.pageCount(), 3);
    // The values written in the call that ends the data are printed.
    EXPECT_TRUE(pdf.text().contains(QStringLiteral("record 3")));
}

TEST(ReportEvents, AFailingHandlerLeavesNoOutputBehind)
{
    QTemporaryDir dir;
    QStringList log;
    const QString path = dir.filePath(QStringLiteral("never.pdf"));
    RecordingReport report(log, 1);
    report.onReportStart = [&report] { report.printerSettings().setPaperSize(4242); };
    report.setDestination(PrintDestination::pdfFile(path));
    EXPECT_THROW(report.PrintReport(false), EngineError);
    EXPECT_FALSE(log.contains(QStringLiteral("DataInitialize")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

struct RefusedSetting {
    const char *name;
    std::function<void(Report &)> apply;
    const char *mentioned; // the refused value must be named in the message
};

void PrintTo(const RefusedSetting &row, std::ostream *os) { *os << row.name; }

class RefusedSettings : public ::testing::TestWithParam<RefusedSetting> {};

TEST_P(RefusedSettings, ThrowNamingTheValueAndKeepThePreviousOne)
{
    QStringList log;
    RecordingReport report(log, 1);
    const QSizeF before = report.pageSizeTwips();
    try {
        GetParam().apply(report);
        FAIL() << "accepted";
    } catch (const EngineError &e) {
        EXPECT_TRUE(e.message().contains(QLatin1String(GetParam().mentioned))) << e.what();
    }
    EXPECT_EQ(report.pageSizeTwips(), before);
    EXPECT_EQ(report.pageSettings().leftMargin(), 1440);
}

INSTANTIATE_TEST_SUITE_P(
    Engine, RefusedSettings,
    ::testing::Values(
        RefusedSetting{"PaperSize", [](Report &r) { r.printerSettings().setPaperSize(4242); }, "4242"},
        RefusedSetting{"PaperSource", [](Report &r) { r.printerSettings().setPaperSource(99); }, "99"},
        RefusedSetting{"Orientation", [](Report &r) { r.pageSettings().setOrientation(3); }, "3"},
        RefusedSetting{"NegativeMargin", [](Report &r) { r.pageSettings().setLeftMargin(-1); }, "-1"},
        RefusedSetting{"BarcodeStyle",
                       [](Report &r) {
                           r.sections().front()->add<engine::Barcode>(QStringLiteral("bar"), QRectF(), QStringLiteral("F"),
                                                                       engine::TextStyle{});
                           r.barcode(QStringLiteral("bar")).setStyle(77);
                       },
                       "77"},
        RefusedSetting{"UnknownControl", [](Report &r) { r.textBox(QStringLiteral("fldNowhere")); }, "fldNowhere"},
        RefusedSetting{"WrongKindOfControl", [](Report &r) { r.barcode(QStringLiteral("fldText")); }, "fldText"},
        RefusedSetting{"UnknownField", [](Report &r) { r.fields().item(QStringLiteral("Missing")); }, "Missing"}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(ReportPage, EnvelopeCodesGiveALandscapeNumberTenPage)
{
    QStringList log;
    RecordingReport report(log, 1);
    EXPECT_EQ(report.pageSizeTwips(), QSizeF(12240, 15840)); // a new report prints on Letter
    report.printerSettings().setPaperSize(20);
    report.pageSettings().setOrientation(engine::PaperCatalog::orientationLandscape);
    EXPECT_EQ(report.pageSizeTwips(), QSizeF(13680, 5940));
}

TEST(ReportPage, PdfPageHasTheReportsSizeAndEmbedsItsFonts)
{
    QTemporaryDir dir;
    QStringList log;
    const QString path = dir.filePath(QStringLiteral("page.pdf"));
    RecordingReport report(log, 1);
    report.onReportStart = [&report] {
        report.printerSettings().setPaperSize(20);
        report.pageSettings().setOrientation(2);
    };
    report.setDestination(PrintDestination::pdfFile(path));
    report.PrintReport(false);
    testsupport::PdfReport pdf(path);
    EXPECT_EQ(pdf.pageSizePoints(), QSizeF(684, 297));
    EXPECT_FALSE(pdf.fonts().isEmpty());
    EXPECT_TRUE(pdf.allFontsEmbedded());
}

TEST(ReportOutput, PdfIntoAMissingFolderFailsNamingIt)
{
    QStringList log;
    RecordingReport report(log, 1);
    report.setDestination(PrintDestination::pdfFile(QStringLiteral("/nonexistent-folder/x.pdf")));
    try {
        report.PrintReport(false);
        FAIL() << "no error";
    } catch (const EngineError &e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("/nonexistent-folder"))) << e.what();
    }
}

// Answers the printer dialog as a user would, without showing anything.
class ScriptedPrinterDialog final : public platform::PrinterDialog {
public:
    explicit ScriptedPrinterDialog(std::optional<QString> answer) : m_answer(std::move(answer)) {}
    std::optional<QString> choosePrinter(const QString &title) override
    {
        asked << title;
        return m_answer;
    }
    QStringList asked;

private:
    std::optional<QString> m_answer;
};

// This test program runs against no CUPS scheduler (see CMakeLists.txt).
class NoPrinterHere : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
    }
    void TearDown() override { QDir::setCurrent(previous); }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    QTemporaryDir dir;
    QString previous;
    QStringList log;
};

TEST_F(NoPrinterHere, OutputFallsBackToNumberedPdfFilesNamedAfterTheTitle)
{
    RecordingReport report(log, 1);
    report.PrintReport(false);
    EXPECT_TRUE(report.lastOutcome().fellBackToFile);
    // The engine says it through the outcome; the front end prints it, once.
    EXPECT_TRUE(report.lastOutcome().note.startsWith(QStringLiteral("No printer is available: \"Recorder\" was saved as ")));
    report.PrintReport(false);
    EXPECT_EQ(files(), (QStringList{QStringLiteral("Recorder-2.pdf"), QStringLiteral("Recorder.pdf")}));
    EXPECT_EQ(testsupport::PdfReport(dir.filePath(QStringLiteral("Recorder.pdf"))).pageCount(), 1);
}

// The clerk answers the dialog before the job is made: cancelling runs nothing.
TEST_F(NoPrinterHere, CancelledDialogComesBeforeTheRun)
{
    auto dialog = std::make_shared<ScriptedPrinterDialog>(std::nullopt);
    RecordingReport report(log, 1);
    report.setPrinterDialog(dialog);
    report.PrintReport(true);
    EXPECT_EQ(report.lastOutcome().kind, engine::PrintOutcome::Kind::Cancelled);
    EXPECT_EQ(dialog->asked, QStringList{QStringLiteral("Recorder")});
    EXPECT_FALSE(log.contains(QStringLiteral("FetchData(False)")));
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(NoPrinterHere, DialogIsNotShownWhenPrintingWithoutOne)
{
    auto dialog = std::make_shared<ScriptedPrinterDialog>(QStringLiteral("anything"));
    RecordingReport report(log, 1);
    report.setPrinterDialog(dialog);
    report.PrintReport(false);
    EXPECT_TRUE(dialog->asked.isEmpty());
    EXPECT_EQ(files(), QStringList{QStringLiteral("Recorder.pdf")});
}

TEST_F(NoPrinterHere, QueueChosenInTheDialogThatCannotPrintIsAnError)
{
    RecordingReport report(log, 1);
    report.setPrinterDialog(std::make_shared<ScriptedPrinterDialog>(QStringLiteral("front-desk")));
    try {
        report.PrintReport(true);
        FAIL() << "printed";
    } catch (const EngineError &e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("front-desk"))) << e.what();
    }
    EXPECT_TRUE(files().isEmpty());
}

struct CancelRow {
    const char *name;
    bool toPdfFile; // else the default printer, which is none here: the fallback PDF
    int cancelAtCheck; // the check that first answers true; three pages give three checks, then one before saving
    int fetches;       // FetchData calls made before the run stops
};

void PrintTo(const CancelRow &row, std::ostream *os) { *os << row.name; }

class CancelledRun : public NoPrinterHere, public ::testing::WithParamInterface<CancelRow> {};

TEST_P(CancelledRun, StopsAndSavesNothing)
{
    const CancelRow &row = GetParam();
    RecordingReport report(log, 3);
    if (row.toPdfFile)
        report.setDestination(PrintDestination::pdfFile(dir.filePath(QStringLiteral("out.pdf"))));
    int checks = 0;
    report.setCancelCheck([&] { return ++checks >= row.cancelAtCheck; });
    try {
        report.PrintReport(false);
        FAIL() << "not cancelled";
    } catch (const EngineError &e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("\"Recorder\" was cancelled"))) << e.what();
    }
    EXPECT_EQ(checks, row.cancelAtCheck);
    EXPECT_EQ(log.count(QStringLiteral("FetchData(False)")), row.fetches);
    EXPECT_TRUE(files().isEmpty()) << qPrintable(files().join(u' '));
}

INSTANTIATE_TEST_SUITE_P(Report, CancelledRun,
                         ::testing::Values(CancelRow{"PdfAfterTheFirstPage", true, 1, 1},
                                           CancelRow{"PdfAfterTheLastPageBeforeSaving", true, 4, 3},
                                           CancelRow{"FallbackAfterTheFirstPage", false, 1, 1},
                                           CancelRow{"FallbackAfterTheLastPageBeforeSaving", false, 4, 3}),
                         [](const auto &row) { return std::string(row.param.name); });

} // namespace

namespace {

// Text too wide for its box shrinks to fit, but not below the box's smallest size, nor is
// text designed smaller made larger. Sizes read back from the PDF's words.
struct FloorRow {
    const char *name;
    double minimum;       // 0: none set
    double expectedPoints;
};

void PrintTo(const FloorRow &row, std::ostream *os) { *os << row.name; }

class TextSizeFloor : public ::testing::TestWithParam<FloorRow> {};

TEST_P(TextSizeFloor, ShrinksTextOnlyDownToTheBoxsSmallestSize)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("floor.pdf"));
    const QString wide = QStringLiteral("A line far too wide for the narrow box it is printed in, whatever its size");
    Report report(QStringLiteral("Floor"));
    Section &detail = report.addSection(QStringLiteral("Detail"), 1440);
    detail.add<TextBox>(QStringLiteral("Wide"), QRectF(0, 0, 1440, 720), TextStyle{}).setText(wide);
    detail.add<TextBox>(QStringLiteral("Fits"), QRectF(0, 720, 12000, 720), TextStyle{}).setText(QStringLiteral("Ten"));
    if (GetParam().minimum > 0)
        report.setMinimumTextSize(QStringLiteral("Wide"), GetParam().minimum);
    report.setDestination(PrintDestination::pdfFile(path));
    report.PrintReport(false);
    const auto words = testsupport::PdfReport(path).words();
    ASSERT_GE(words.size(), 2U);
    const double tenPoint = words.back().box.height(); // "Ten", never shrunk
    EXPECT_NEAR(words.front().box.height() / tenPoint * 10, GetParam().expectedPoints, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Report, TextSizeFloor,
                         ::testing::Values(FloorRow{"SixtyPercentWithoutOne", 0, 6}, FloorRow{"EightPoint", 8, 8},
                                           FloorRow{"NotEnlarged", 12, 10}),
                         [](const auto &row) { return std::string(row.param.name); });

} // namespace

namespace {

// A control kept inside an area of the page wherever a printer's placement moves it; the
// area turns with the page. The box is 1 x 0.5 in at 2 in, 1 in on a Letter page with no margins.
struct AreaRow {
    const char *name;
    engine::PagePlacement placement;
    bool refused;
};

void PrintTo(const AreaRow &row, std::ostream *os) { *os << row.name; }

class PlacementArea : public ::testing::TestWithParam<AreaRow> {};

TEST_P(PlacementArea, RefusesAPlacementThatMovesTheControlOut)
{
    Report report(QStringLiteral("Area"));
    report.pageSettings().setLeftMargin(0);
    report.pageSettings().setTopMargin(0);
    report.addSection(QStringLiteral("Detail"), 2880).add<TextBox>(QStringLiteral("Box"), QRectF(2880, 1440, 1440, 720), TextStyle{});
    report.setPlacementArea(QStringLiteral("Box"), QRectF(2160, 1080, 2880, 1440), QStringLiteral("the window"));
    if (GetParam().refused)
        EXPECT_THROW(
            try { report.checkPlacement(GetParam().placement); } catch (const EngineError &e) {
                EXPECT_TRUE(e.message().contains(QLatin1String("Box would leave the window"))) << qPrintable(e.message());
                throw;
            },
            EngineError);
    else
        EXPECT_NO_THROW(report.checkPlacement(GetParam().placement));
}

INSTANTIATE_TEST_SUITE_P(Report, PlacementArea,
                         ::testing::Values(AreaRow{"AsLaidOut", {}, false}, AreaRow{"WithinTheArea", {360, -360, false}, false},
                                           AreaRow{"OutToTheRight", {1080, 0, false}, true},
                                           // Turned, the box and its area land on the far side together.
                                           AreaRow{"TurnedTogether", {0, 0, true}, false},
                                           AreaRow{"TurnedAndMovedOut", {0, 400, true}, true}),
                         [](const auto &row) { return std::string(row.param.name); });

} // namespace
