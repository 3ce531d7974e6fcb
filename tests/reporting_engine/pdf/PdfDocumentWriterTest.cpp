// The streaming PDF writer, checked with the tools a user's viewer is built on
// (qpdf, poppler) rather than by reading our own bytes back.
#include "postal/codes/PostnetSymbology.h"
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/model/BarSymbology.h"
#include "reporting_engine/model/FilledBox.h"
#include "reporting_engine/pdf/PdfDocumentWriter.h"
#include "reporting_engine/pdf/PdfSyntax.h"
#include "reporting_engine/pdf/TrueTypeFont.h"
#include "reporting_engine/render/FontFace.h"
#include "reporting_engine/render/PageCanvas.h"
#include "reporting_engine/render/PngPageSink.h"
#include "reporting_engine/report/PdfPageSink.h"
#include "reporting_engine/report/Report.h"
#include "support/PdfReport.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainterPath>
#include <QProcess>
#include <QRawFont>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

using engine::EngineError;
using engine::FontFace;
using engine::PageCanvas;
using engine::PdfDocumentWriter;

namespace {

struct ToolResult {
    int exitCode = -1;
    QString output;
};

ToolResult runTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAll())};
}

// Sizes of every page, as pdfinfo reports them (points).
std::vector<QSizeF> pageSizes(const QString &path, int pages)
{
    std::vector<QSizeF> sizes;
    const QString out = runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                            QString::number(pages), path})
                            .output;
    const QRegularExpression re(QStringLiteral("Page\\s+\\d+ size:\\s+([\\d.]+) x ([\\d.]+) pts"));
    for (auto it = re.globalMatch(out); it.hasNext();) {
        const auto m = it.next();
        sizes.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    return sizes;
}

// One page of a document: what to draw, given the faces a test made.
using Drawing = std::function<void(PageCanvas &)>;

void writeDocument(QIODevice &device, const std::vector<std::pair<QSizeF, Drawing>> &pages)
{
    PdfDocumentWriter writer(device, QStringLiteral("Test"));
    for (const auto &[size, draw] : pages) {
        PageCanvas &canvas = writer.beginPage(size);
        draw(canvas);
        writer.endPage();
    }
    writer.finish();
}

class PdfDocumentWriterTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString write(const QString &name, const std::vector<std::pair<QSizeF, Drawing>> &pages)
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        writeDocument(file, pages);
        file.close();
        return file.fileName();
    }

    QTemporaryDir m_dir;
    FontFace m_serif{QStringLiteral("Times New Roman"), 12, false, false};
    FontFace m_sansBold{QStringLiteral("Arial"), 8, true, false};
};

constexpr QSizeF envelope(13680, 5940); // No. 10, landscape
constexpr QSizeF letter(12240, 15840);
constexpr QSizeF a4(11906, 16838);

TEST_F(PdfDocumentWriterTest, PagesOfDifferentSizesPassQpdfCheckAndKeepTheirSizes)
{
    const std::vector<QSizeF> sizes{envelope, letter, a4, envelope};
    std::vector<std::pair<QSizeF, Drawing>> pages;
    for (const QSizeF &size : sizes) {
        pages.emplace_back(size, [this](PageCanvas &c) {
            c.save();
            c.clipRect(QRectF(720, 720, 4000, 2000));
            c.fillRect(QRectF(720, 720, 20, 200));
            c.fillRect(QRectF(760, 720, 20, 100));
            c.drawText(QPointF(720, 1400), QStringLiteral("Clipped text"), m_serif);
            c.restore();
        });
    }
    const QString pdf = write(QStringLiteral("sizes.pdf"), pages);

    const ToolResult check = runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    EXPECT_EQ(check.exitCode, 0) << check.output.toStdString();
    EXPECT_EQ(testsupport::PdfReport(pdf).pageCount(), int(sizes.size()));
    const std::vector<QSizeF> got = pageSizes(pdf, int(sizes.size()));
    ASSERT_EQ(got.size(), sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        EXPECT_NEAR(got[i].width(), sizes[i].width() / 20, 0.01) << "page " << i + 1;
        EXPECT_NEAR(got[i].height(), sizes[i].height() / 20, 0.01) << "page " << i + 1;
    }
}

TEST_F(PdfDocumentWriterTest, ManyPagesMakeADocumentEveryToolReads)
{
    // More pages than one node of the page tree holds, and than one level of nodes.
    std::vector<std::pair<QSizeF, Drawing>> pages(4200, {envelope, [this](PageCanvas &c) {
                                                             c.drawText(QPointF(720, 720), QStringLiteral("Page"), m_serif);
                                                         }});
    const QString pdf = write(QStringLiteral("many.pdf"), pages);
    const ToolResult check = runTool(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    EXPECT_EQ(check.exitCode, 0) << check.output.toStdString();
    EXPECT_EQ(testsupport::PdfReport(pdf).pageCount(), 4200);
    const ToolResult last = runTool(QStringLiteral("pdftotext"),
                                    {QStringLiteral("-f"), QStringLiteral("4200"), QStringLiteral("-l"), QStringLiteral("4200"), pdf,
                                     QStringLiteral("-")});
    EXPECT_EQ(last.output.trimmed(), QStringLiteral("Page"));
}

struct WordCase {
    const char *name;
    const char *family;
    double points;
    bool bold;
    QPointF baseline; // twips
    const char *word;
};

void PrintTo(const WordCase &row, std::ostream *os) { *os << row.name; }


class PdfWordPlacementTest : public PdfDocumentWriterTest, public ::testing::WithParamInterface<WordCase> {};

TEST_P(PdfWordPlacementTest, WordIsFoundWhereItWasDrawn)
{
    const WordCase &c = GetParam();
    const FontFace face(QString::fromLatin1(c.family), c.points, c.bold, false);
    const QString word = QString::fromUtf8(c.word);
    const QString pdf = write(QStringLiteral("word.pdf"),
                              {{envelope, [&](PageCanvas &canvas) { canvas.drawText(c.baseline, word, face); }}});

    const auto words = testsupport::PdfReport(pdf).words();
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0].text, word);
    const QRectF box = words[0].box;
    EXPECT_NEAR(box.left(), c.baseline.x() / 20, 0.5);
    EXPECT_NEAR(box.right(), (c.baseline.x() + face.advance(word)) / 20, 0.5);
    EXPECT_NEAR(box.top(), (c.baseline.y() - face.ascent()) / 20, 0.5);
    EXPECT_NEAR(box.bottom(), (c.baseline.y() + face.descent()) / 20, 0.5);
}

INSTANTIATE_TEST_SUITE_P(
    Faces, PdfWordPlacementTest,
    ::testing::Values(WordCase{"SerifAddress", "Times New Roman", 12, false, {6300, 3200}, "Nowheresville"},
                      WordCase{"BoldName", "Times New Roman", 14.5, true, {360, 700}, "Vask"},
                      WordCase{"SmallSansDigits", "Arial", 8, false, {6300, 5700}, "92901-1234"},
                      WordCase{"NearTheTopLeft", "Arial", 10, false, {20, 240}, "Edge"},
                      WordCase{"Accents", "Times New Roman", 12, false, {2000, 3000}, "Zoë"}),
    [](const auto &row) { return std::string(row.param.name); });

TEST_F(PdfDocumentWriterTest, TextBeyondAsciiExtractsAsItWasWritten)
{
    const QString line = QStringLiteral("Café Müller — Åsa Øster, naïve");
    const QString pdf = write(QStringLiteral("text.pdf"), {{envelope, [&](PageCanvas &c) {
                                                               c.drawText(QPointF(720, 1440), line, m_serif);
                                                               c.drawText(QPointF(720, 2000), line, m_sansBold);
                                                           }}});
    QStringList lines;
    for (const QString &l : testsupport::PdfReport(pdf).text().split(QLatin1Char('\n')))
        if (!l.trimmed().isEmpty()) // the page ends in a form feed
            lines << l.trimmed();
    EXPECT_EQ(lines, QStringList({line, line}));
}

TEST_F(PdfDocumentWriterTest, FontsAreEmbeddedAsSubsetsOnceForAllPages)
{
    std::vector<std::pair<QSizeF, Drawing>> pages(100, {envelope, [this](PageCanvas &c) {
                                                            c.drawText(QPointF(720, 720), QStringLiteral("Return"), m_serif);
                                                            c.drawText(QPointF(720, 1440), QStringLiteral("12345"), m_sansBold);
                                                        }});
    // The same font at another size shares the serif's embedded font.
    const FontFace smallSerif(QStringLiteral("Times New Roman"), 9, false, false);
    pages.emplace_back(envelope, [&](PageCanvas &c) { c.drawText(QPointF(720, 720), QStringLiteral("small"), smallSerif); });
    const QString pdf = write(QStringLiteral("fonts.pdf"), pages);

    const testsupport::PdfReport inspector(pdf);
    EXPECT_TRUE(inspector.allFontsEmbedded());
    const QStringList fonts = inspector.fonts();
    ASSERT_EQ(fonts.size(), 2) << fonts.join(QLatin1Char(' ')).toStdString();
    const QRegularExpression subsetName(QStringLiteral("^[A-Z]{6}\\+\\S+$"));
    for (const QString &f : fonts)
        EXPECT_TRUE(subsetName.match(f).hasMatch()) << f.toStdString();
    const QString table = runTool(QStringLiteral("pdffonts"), {pdf}).output;
    EXPECT_EQ(table.count(QStringLiteral("CID TrueType")), 2);
    EXPECT_EQ(table.count(QStringLiteral(" yes yes yes ")), 2) << table.toStdString(); // embedded, subset, ToUnicode
}

// A report like the envelope: fixed return address, a changing addressee, a POSTNET barcode.
class EnvelopeLikeReport final : public engine::Report {
public:
    explicit EnvelopeLikeReport(int records) : Report(QStringLiteral("Envelope")), m_records(records)
    {
        auto &detail = addSection(QStringLiteral("Detail"), 5760);
        detail.add<engine::TextBox>(QStringLiteral("fldAddress"), QRectF(6300, 2970, 3510, 1080),
                                    engine::TextStyle{QStringLiteral("Times New Roman"), {}, {}, {}});
        detail.add<engine::Barcode>(QStringLiteral("barPostNet"), QRectF(6300, 4050, 3510, 360), QStringLiteral("Zip"),
                                    engine::TextStyle{QStringLiteral("Arial"), 8.0, false, false});
        detail.add<engine::TextBox>(QStringLiteral("fldReturn"), QRectF(360, 360, 3510, 1080),
                                    engine::TextStyle{QStringLiteral("Times New Roman"), {}, {}, {}});
        fields().add(QStringLiteral("Zip"));
        printerSettings().setPaperSize(20);
        pageSettings().setOrientation(2);
        engine::BarSymbology::registerStyle(15, std::make_shared<postal::PostnetSymbology>());
        barcode(QStringLiteral("barPostNet")).setStyle(15);
    }

protected:
    void fetchData(bool &eof) override
    {
        ++m_done;
        textBox(QStringLiteral("fldReturn")).setText(QStringLiteral("Circuit Clerk\r\n200 S. 9th St.\r\nSpringfield IL 62701"));
        textBox(QStringLiteral("fldAddress"))
            .setText(QStringLiteral("Resident %1\r\n%2 Main St.\r\nSpringfield IL %3").arg(m_done).arg(100 + m_done * 7).arg(62700 + m_done % 97));
        fields().item(QStringLiteral("Zip")).value = 62700 + m_done % 97;
        eof = m_done >= m_records;
    }

private:
    int m_records;
    int m_done = 0;
};

qint64 envelopeBytes(int records)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EnvelopeLikeReport report(records);
    engine::PdfPageSink sink(buffer, QStringLiteral("Envelope"));
    report.run(sink);
    EXPECT_EQ(sink.pageCount(), records);
    return buffer.size();
}

TEST(PdfPageSinkSize, EachFurtherEnvelopeAddsUnderTwoKilobytes)
{
    const qint64 one = envelopeBytes(1);
    const qint64 many = envelopeBytes(201);
    EXPECT_LT((many - one) / 200, 2048) << "one: " << one << " bytes, 201: " << many << " bytes";
}

// A report on the engine's new page (Letter, one-inch margins) with one mark:
// a text box or a filled box, in its second section.
class OneMarkReport final : public engine::Report {
public:
    explicit OneMarkReport(bool box) : Report(QStringLiteral("Mark"))
    {
        addSection(QStringLiteral("Header"), 720);
        auto &detail = addSection(QStringLiteral("Detail"), 2880);
        if (box)
            detail.add<engine::FilledBox>(QStringLiteral("boxMark"), QRectF(720, 144, 1440, 288));
        else
            detail.add<engine::TextBox>(QStringLiteral("Mark"), QRectF(720, 144, 2880, 400), engine::TextStyle{});
    }
};

struct PlacementCase {
    const char *name;
    engine::PagePlacement placement;
};

void PrintTo(const PlacementCase &row, std::ostream *os) { *os << row.name; }

class PdfPagePlacementTest : public PdfDocumentWriterTest, public ::testing::WithParamInterface<PlacementCase> {
protected:
    QRectF markBox(const QString &name, const engine::PagePlacement &placement)
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        OneMarkReport report(false);
        engine::PdfPageSink sink(file, QStringLiteral("Mark"), QString(), placement);
        report.run(sink);
        file.close();
        const testsupport::PdfReport pdf(file.fileName());
        EXPECT_EQ(pdf.pageSizePoints(), QSizeF(612, 792)); // the paper stays as it is
        const auto words = pdf.words();
        return words.size() == 1 ? words[0].box : QRectF();
    }
};

TEST_P(PdfPagePlacementTest, MovesTheTextByTheOffsetAfterTurningItAboutThePageCentre)
{
    const engine::PagePlacement &p = GetParam().placement;
    const QRectF plain = markBox(QStringLiteral("plain.pdf"), {});
    ASSERT_FALSE(plain.isNull());
    QRectF expected = p.rotated180 ? QRectF(612 - plain.right(), 792 - plain.bottom(), plain.width(), plain.height()) : plain;
    expected.translate(p.offsetXTwips / 20, p.offsetYTwips / 20);
    const QRectF placed = markBox(QStringLiteral("placed.pdf"), p);
    EXPECT_NEAR(placed.left(), expected.left(), 0.05);
    EXPECT_NEAR(placed.top(), expected.top(), 0.05);
    EXPECT_NEAR(placed.right(), expected.right(), 0.05);
    EXPECT_NEAR(placed.bottom(), expected.bottom(), 0.05);
}

INSTANTIATE_TEST_SUITE_P(Placements, PdfPagePlacementTest,
                         ::testing::Values(PlacementCase{"RightAndUp", {360, -144, false}},
                                           PlacementCase{"Turned", {0, 0, true}},
                                           PlacementCase{"TurnedThenMoved", {360, -144, true}}),
                         [](const auto &row) { return std::string(row.param.name); });

// The bounding box of a picture's dark pixels.
QRect darkPixels(const QImage &image)
{
    QRect dark;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                dark |= QRect(x, y, 1, 1);
    return dark;
}

// Where a filled box's black pixels are at 100 dpi, one pixel 14.4 twips.
struct BoxOutputCase {
    const char *name;
    bool pdf; // else a picture straight from the painter
};

void PrintTo(const BoxOutputCase &row, std::ostream *os) { *os << row.name; }

class FilledBoxOutputTest : public PdfDocumentWriterTest, public ::testing::WithParamInterface<BoxOutputCase> {};

TEST_P(FilledBoxOutputTest, PrintsBlackExactlyWhereItIsPlaced)
{
    OneMarkReport report(true);
    const QString png = path(QStringLiteral("box.png"));
    if (GetParam().pdf) {
        QFile file(path(QStringLiteral("box.pdf")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        engine::PdfPageSink sink(file, QStringLiteral("Box"));
        report.run(sink);
        file.close();
        const ToolResult r = runTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-png"),
                                                                   QStringLiteral("-singlefile"), file.fileName(), path(QStringLiteral("box"))});
        ASSERT_EQ(r.exitCode, 0) << r.output.toStdString();
    } else {
        engine::PngPageSink sink(png, 100);
        report.run(sink);
    }
    const QImage image(png);
    ASSERT_EQ(image.size(), QSize(850, 1100));
    // Margin 1 in, the first section 0.5 in, then the box's own place: (2160, 2304) twips, 1440 x 288.
    EXPECT_EQ(darkPixels(image), QRect(150, 160, 100, 20));
}

INSTANTIATE_TEST_SUITE_P(Outputs, FilledBoxOutputTest,
                         ::testing::Values(BoxOutputCase{"Pdf", true}, BoxOutputCase{"Picture", false}),
                         [](const auto &row) { return std::string(row.param.name); });

// Bars drawn as repeated shapes must land where rectangles would; rows the shapes cannot
// carry (uneven spacing, too many shapes) are drawn one bar at a time.
struct BarsCase {
    const char *name;
    std::vector<engine::BarcodeBar> bars; // twips, from the row's top-left corner
};

void PrintTo(const BarsCase &row, std::ostream *os) { *os << row.name; }

std::vector<engine::BarcodeBar> evenBars(int count, const std::function<double(int)> &heightOf)
{
    std::vector<engine::BarcodeBar> bars;
    for (int i = 0; i < count; ++i)
        bars.push_back({i * 72.0, 144 - heightOf(i), 29, heightOf(i)});
    return bars;
}

class BarRowTest : public PdfDocumentWriterTest, public ::testing::WithParamInterface<BarsCase> {};

TEST_P(BarRowTest, EveryBarIsFoundWhereItWasPlacedAndNoTextWithIt)
{
    const QPointF topLeft(1440, 1440);
    const auto &bars = GetParam().bars;
    const QString pdf = write(QStringLiteral("bars.pdf"), {{envelope, [&](PageCanvas &c) { c.fillBars(topLeft, bars); }}});

    const testsupport::PdfReport report(pdf);
    EXPECT_EQ(report.text().trimmed(), QString());
    const std::vector<QRectF> found = report.barsInside(QRectF(60, 60, 500, 20), 600);
    ASSERT_EQ(found.size(), bars.size());
    constexpr double pixel = 72.0 / 600;
    for (size_t i = 0; i < bars.size(); ++i) {
        const QRectF want = QRectF(topLeft.x() + bars[i].left, topLeft.y() + bars[i].top, bars[i].width, bars[i].height);
        const QRectF got = found[i];
        EXPECT_NEAR(got.left(), want.left() / 20, pixel) << "bar " << i;
        EXPECT_NEAR(got.right(), want.right() / 20, pixel) << "bar " << i;
        EXPECT_NEAR(got.top(), want.top() / 20, pixel) << "bar " << i;
        EXPECT_NEAR(got.bottom(), want.bottom() / 20, pixel) << "bar " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BarRowTest,
    ::testing::Values(BarsCase{"FourStates", evenBars(65, [](int i) { return std::array{144.0, 96.0, 48.0, 120.0}[size_t(i * 7 % 4)]; })},
                      BarsCase{"OneBar", evenBars(1, [](int) { return 144.0; })},
                      BarsCase{"UnevenSpacing", {{0, 0, 29, 144}, {72, 72, 29, 72}, {200, 0, 29, 144}}},
                      BarsCase{"MoreShapesThanCodes", evenBars(96, [](int i) { return 40.0 + i; })}),
    [](const auto &row) { return std::string(row.param.name); });

// The same text on two pages, the second time right-aligned in a wide box.
class RestyledReport final : public engine::Report {
public:
    RestyledReport() : Report(QStringLiteral("Restyled"))
    {
        addSection(QStringLiteral("Detail"), 1440).add<engine::TextBox>(QStringLiteral("Mark"), QRectF(0, 0, 5760, 400), engine::TextStyle{});
    }

protected:
    void fetchData(bool &eof) override
    {
        eof = ++m_pages == 2;
        if (eof) {
            engine::TextStyle right;
            right.alignment = Qt::AlignRight | Qt::AlignTop;
            textBox(QStringLiteral("Mark")).setStyle(right);
        }
    }

private:
    int m_pages = 0;
};

class PageRendererTest : public PdfDocumentWriterTest {};

TEST_F(PageRendererTest, AStyleChangedBetweenPagesIsLaidOutAgain)
{
    RestyledReport report;
    engine::PngPageSink sink(path(QStringLiteral("restyled.png")), 100);
    report.run(sink);
    ASSERT_EQ(sink.files().size(), 2);
    const QRect left = darkPixels(QImage(sink.files()[0]));
    const QRect right = darkPixels(QImage(sink.files()[1]));
    ASSERT_FALSE(left.isNull());
    EXPECT_GT(right.left(), left.right()) << "the second page kept the first page's layout";
}

// A device that accepts a number of bytes, then fails like a full disk.
class FullDevice final : public QBuffer {
public:
    explicit FullDevice(qint64 room) : m_room(room) {}

protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        if (pos() + len > m_room) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        return QBuffer::writeData(data, len);
    }

private:
    qint64 m_room;
};

struct FailureCase {
    const char *name;
    qint64 room;
    int pages;
};

void PrintTo(const FailureCase &row, std::ostream *os) { *os << row.name; }


class PdfWriteFailureTest : public PdfDocumentWriterTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(PdfWriteFailureTest, DeviceThatCannotWriteRaisesEngineError)
{
    const FailureCase &c = GetParam();
    FullDevice device(c.room);
    ASSERT_TRUE(device.open(QIODevice::WriteOnly));
    std::vector<std::pair<QSizeF, Drawing>> pages(size_t(c.pages), {envelope, [this](PageCanvas &canvas) {
                                                                        for (int i = 0; i < 52; ++i)
                                                                            canvas.fillRect(QRectF(6300 + i * 30.3, 4050, 14, 180));
                                                                        canvas.drawText(QPointF(720, 720), QStringLiteral("Text"), m_serif);
                                                                    }});
    try {
        writeDocument(device, pages);
        FAIL() << "a device with room for " << c.room << " bytes took " << device.size();
    } catch (const EngineError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("No space left on device"))) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Devices, PdfWriteFailureTest,
                         ::testing::Values(FailureCase{"FullFromTheStart", 0, 1},
                                           FailureCase{"FullWhilePagesAreWritten", 100000, 2000},
                                           FailureCase{"FullAtTheFonts", 2000, 1}),
                         [](const auto &row) { return std::string(row.param.name); });

TEST_F(PdfDocumentWriterTest, FileOnAFullDiskRaisesEngineError)
{
    QFile full(QStringLiteral("/dev/full"));
    if (!full.open(QIODevice::WriteOnly))
        GTEST_SKIP() << "no /dev/full here";
    EXPECT_THROW(writeDocument(full, {{envelope, [this](PageCanvas &c) {
                                           c.drawText(QPointF(720, 720), QStringLiteral("Lost"), m_serif);
                                       }}}),
                 EngineError);
}

TEST_F(PdfDocumentWriterTest, AbandonedDocumentStopsWithoutWritingTheEnd)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        PdfDocumentWriter writer(buffer, QStringLiteral("Abandoned"));
        for (int i = 0; i < 200; ++i) {
            writer.beginPage(envelope).drawText(QPointF(720, 720), QStringLiteral("Page"), m_serif);
            writer.endPage();
        }
    }
    EXPECT_FALSE(buffer.data().contains("%%EOF"));
}

// The subset keeps the outlines of the glyphs used, composite parts included, at their own ids.
struct SubsetCase {
    const char *name;
    const char *family;
    bool bold;
    const char *text;
};

void PrintTo(const SubsetCase &row, std::ostream *os) { *os << row.name; }


class TrueTypeSubsetTest : public ::testing::TestWithParam<SubsetCase> {};

TEST_P(TrueTypeSubsetTest, KeepsTheUsedOutlinesAtTheirIdsAndDropsTheRest)
{
    const SubsetCase &c = GetParam();
    const FontFace face(QString::fromLatin1(c.family), 12, c.bold, false);
    const QRawFont &original = face.rawFont();
    const engine::TrueTypeFont font(original);
    std::vector<bool> used(size_t(font.glyphCount()), false);
    const FontFace::Glyphs glyphs = face.glyphs(QString::fromUtf8(c.text));
    for (const quint32 g : glyphs.indexes)
        used[g] = true;

    const QByteArray data = font.subset(used);
    // The whole file sums to the magic number once checkSumAdjustment is set.
    quint32 sum = 0;
    for (qsizetype i = 0; i + 3 < data.size(); i += 4)
        sum += (quint32(quint8(data[i])) << 24) | (quint32(quint8(data[i + 1])) << 16) | (quint32(quint8(data[i + 2])) << 8)
               | quint8(data[i + 3]);
    EXPECT_EQ(data.size() % 4, 0);
    EXPECT_EQ(sum, 0xB1B0AFBAu);

    QRawFont subset(data, original.pixelSize());
    ASSERT_TRUE(subset.isValid());
    for (const quint32 g : glyphs.indexes)
        EXPECT_EQ(subset.pathForGlyph(g), original.pathForGlyph(g)) << "glyph " << g;
    // A glyph nobody drew is empty in the subset.
    const quint32 unused = original.glyphIndexesForString(QStringLiteral("Q")).value(0);
    ASSERT_FALSE(used[unused]);
    EXPECT_TRUE(subset.pathForGlyph(unused).isEmpty());
    EXPECT_LT(data.size(), original.fontTable("glyf").size() / 4);
}

INSTANTIATE_TEST_SUITE_P(Fonts, TrueTypeSubsetTest,
                         ::testing::Values(SubsetCase{"SerifWithComposites", "Times New Roman", false, "Café Zoë — Ñ"},
                                           SubsetCase{"SansBoldDigits", "Arial", true, "0123456789-"}),
                         [](const auto &row) { return std::string(row.param.name); });

struct NumberCase {
    double value;
    int decimals;
    const char *text;
};

TEST(PdfNumbers, AreShortFixedPointWithoutTrailingZeros)
{
    const NumberCase cases[] = {{0, 2, "0"},           {12.5, 2, "12.5"},   {-3, 2, "-3"},        {0.05, 4, "0.05"},
                                {-0.05, 4, "-0.05"},   {297, 4, "297"},     {1.005, 3, "1.005"},  {6300.004, 2, "6300"},
                                {-0.001, 2, "0"},      {1234.5678, 2, "1234.57"}, {0.0001, 4, "0.0001"}, {99.999, 2, "100"},
                                {2e12, 2, "1000000000"}};
    for (const NumberCase &c : cases) {
        std::string out;
        engine::pdfsyntax::appendNumber(out, c.value, c.decimals);
        EXPECT_EQ(out, c.text) << c.value << " with " << c.decimals << " decimals";
    }
}

} // namespace
