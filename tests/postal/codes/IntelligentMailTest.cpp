// The Intelligent Mail barcode: the bars the engine writes into a PDF, read back from
// poppler's rendering, against the postal service's published example and tolerances.
#include "postal/codes/IntelligentMailEncoder.h"
#include "postal/codes/IntelligentMailSymbology.h"
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/model/BarSymbology.h"
#include "reporting_engine/model/Barcode.h"
#include "reporting_engine/report/PdfPageSink.h"
#include "reporting_engine/report/Report.h"
#include "support/PdfReport.h"
#include "support/QtPrinting.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

namespace {

using engine::Barcode;
using postal::IntelligentMailEncoder;

constexpr int imbStyle = 1015;
constexpr double pointsPerInch = 72.0;
// Fine enough that one pixel is under a thousandth of an inch.
constexpr int dpi = 1200;

const QString publishedData = QStringLiteral("01234567094987654321-01234567891");
const QString publishedBars = QStringLiteral("AADTFFDFTDADTAADAATFDTDDAAADDTDTTDAFADADDDTFFFDDTTTADFAAADFTDAADA");

// One page with one Intelligent Mail barcode in a box of the given size, at (1 in, 1 in) of the section.
class ImbReport final : public engine::Report {
public:
    ImbReport(const QSizeF &boxTwips, const QString &data) : Report(QStringLiteral("IMb"))
    {
        auto &detail = addSection(QStringLiteral("Detail"), 5760);
        detail.add<Barcode>(QStringLiteral("barImb"), QRectF(QPointF(1440, 1440), boxTwips), QStringLiteral("Imb"),
                            engine::TextStyle{QStringLiteral("Arial"), 8.0, false, false});
        fields().add(QStringLiteral("Imb"));
        Barcode &bar = barcode(QStringLiteral("barImb"));
        engine::BarSymbology::registerStyle(imbStyle, std::make_shared<postal::IntelligentMailSymbology>());
        bar.setStyle(imbStyle);
        bar.setShowCaption(false); // only bars in the box, to count them
        fields().item(QStringLiteral("Imb")).value = data;
    }

    // The barcode's box on the page, in points, with a little room around it.
    QRectF boxPoints() const
    {
        const QRectF box = control(QStringLiteral("barImb")).geometry().translated(pageSettings().leftMargin(),
                                                                                  pageSettings().topMargin());
        return QRectF(box.topLeft() / 20.0, box.size() / 20.0).adjusted(-2, -2, 2, 2);
    }
};

QString writePdf(engine::Report &report, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    engine::PdfPageSink sink(file, QStringLiteral("IMb"));
    report.run(sink);
    return path;
}

struct Range {
    double low;
    double high;
};

void expectWithin(double inches, Range r, const char *what, int bar)
{
    EXPECT_GE(inches, r.low) << what << " of bar " << bar;
    EXPECT_LE(inches, r.high) << what << " of bar " << bar;
}

TEST(IntelligentMailTest, PublishedExampleReadsBackFromThePdfAtPostalSize)
{
    QTemporaryDir dir;
    ImbReport report(QSizeF(4320, 360), publishedData);
    const QString pdf = writePdf(report, dir.filePath(QStringLiteral("imb.pdf")));
    const QRectF area = report.boxPoints();
    const std::vector<QRectF> bars = testsupport::PdfReport(pdf).barsInside(area, dpi);
    ASSERT_EQ(bars.size(), 65u);

    double top = bars.front().top(), bottom = bars.front().bottom();
    for (const QRectF &b : bars) {
        top = std::min(top, b.top());
        bottom = std::max(bottom, b.bottom());
    }
    const double slack = 2.0 * pointsPerInch / dpi; // two pixels
    QString letters;
    for (const QRectF &b : bars) {
        const bool ascends = b.top() - top < slack;
        const bool descends = bottom - b.bottom() < slack;
        letters += ascends && descends ? u'F' : ascends ? u'A' : descends ? u'D' : u'T';
    }
    EXPECT_EQ(letters, publishedBars);
    ASSERT_EQ(letters.size(), publishedBars.size());

    double trackerTop = 0, trackerBottom = 0, extended = 0;
    for (qsizetype i = 0; i < letters.size(); ++i) {
        const QRectF &b = bars[size_t(i)];
        const int n = int(i);
        const double height = b.height() / pointsPerInch;
        expectWithin(b.width() / pointsPerInch, {0.015, 0.025}, "width", n);
        if (i > 0)
            expectWithin(pointsPerInch / (b.left() - bars[size_t(i) - 1].left()), {20, 24}, "bars per inch", n);
        switch (letters[i].unicode()) {
        case u'F':
            expectWithin(height, {0.125, 0.165}, "full height", n);
            break;
        case u'T':
            expectWithin(height, {0.039, 0.057}, "tracker height", n);
            trackerTop = b.top();
            trackerBottom = b.bottom();
            break;
        default:
            expectWithin(height, {0.057, 0.125}, "ascender or descender height", n);
            extended = height;
        }
    }
    for (qsizetype i = 0; i < letters.size(); ++i) { // every bar holds the tracker
        EXPECT_LE(bars[size_t(i)].top(), trackerTop + slack) << i;
        EXPECT_GE(bars[size_t(i)].bottom(), trackerBottom - slack) << i;
    }
    const double length = (bars.back().right() - bars.front().left()) / pointsPerInch;
    EXPECT_GE(length, 2.667);
    EXPECT_LE(length, 3.225);
    std::cout << "measured: length " << length << " in, " << 64 / ((bars.back().left() - bars.front().left()) / pointsPerInch)
              << " bars/in, bar " << bars.front().width() / pointsPerInch << " in, full " << (bottom - top) / pointsPerInch
              << " in, ascender/descender " << extended << " in, tracker " << (trackerBottom - trackerTop) / pointsPerInch
              << " in\n";
}

TEST(IntelligentMailTest, BoxTooSmallForTheSymbolIsRefusedNotClipped)
{
    QTemporaryDir dir;
    ImbReport report(QSizeF(3510, 360), publishedData); // POSTNET's box: narrower than the symbol
    try {
        writePdf(report, dir.filePath(QStringLiteral("imb.pdf")));
        ADD_FAILURE() << "no error";
    } catch (const engine::EngineError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("barImb"))) << e.message().toStdString();
    }
}

TEST(IntelligentMailTest, EncoderRefusesDataThatIsNoTrackingAndRoutingCode)
{
    const struct {
        const char *name;
        QString data;
        const char *reason;
    } rows[] = {
        {"empty", QString(), "tracking code"},
        {"tracking of 19 digits", QStringLiteral("0123456709498765432-01234567891"), "tracking code"},
        {"tracking of 21 digits", QStringLiteral("012345670949876543210"), "tracking code"},
        {"letter in tracking", QStringLiteral("0123456709498765432x-01234"), "tracking code"},
        {"barcode identifier 05", QStringLiteral("05234567094987654321-01234567891"), "second digit"},
        {"routing of 4 digits", QStringLiteral("01234567094987654321-0123"), "routing code"},
        {"routing of 10 digits", QStringLiteral("01234567094987654321-0123456789"), "routing code"},
        {"routing of 12 digits", QStringLiteral("01234567094987654321-012345678912"), "routing code"},
        {"letter in routing", QStringLiteral("01234567094987654321-0123a"), "routing code"},
        {"second hyphen", QStringLiteral("01234567094987654321-01234-5678"), "routing code"},
        {"fullwidth digit", QStringLiteral("0123456709498765432\uFF11"), "tracking code"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        try {
            IntelligentMailEncoder::barStates(row.data);
            ADD_FAILURE() << "no error";
        } catch (const engine::EngineError &e) {
            EXPECT_TRUE(e.message().contains(QLatin1Char('"') + row.data + QLatin1Char('"'))) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QLatin1String(row.reason))) << e.message().toStdString();
        }
    }
}

} // namespace
