// The calibration envelope as it comes out of the PDF: the envelope's page, and
// each cross's label beside the place it names.
#include "envelope_report/rptCalibration.h"
#include "support/PdfReport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>

namespace {

struct CrossRow {
    const char *name;
    const char *label;
    QPointF cross; // points
};

void PrintTo(const CrossRow &row, std::ostream *os) { *os << row.name; }

class CalibrationCross : public ::testing::TestWithParam<CrossRow> {
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        envelope::rptCalibration report;
        report.setDestination(engine::PrintDestination::pdfFile(dir->filePath(QStringLiteral("calibration.pdf"))));
        report.PrintReport(false);
    }
    static void TearDownTestSuite() { delete dir; }
    static testsupport::PdfReport pdf() { return testsupport::PdfReport(dir->filePath(QStringLiteral("calibration.pdf"))); }
    static QTemporaryDir *dir;
};

QTemporaryDir *CalibrationCross::dir = nullptr;

TEST_F(CalibrationCross, IsOneNo10EnvelopePage)
{
    EXPECT_EQ(pdf().pageCount(), 1);
    EXPECT_EQ(pdf().pageSizePoints(), QSizeF(9.5 * 72, 4.125 * 72));
}

TEST_P(CalibrationCross, LabelNamesItsCrossAndSitsBesideIt)
{
    const CrossRow &row = GetParam();
    const QStringList parts = QString::fromLatin1(row.label).split(QLatin1Char(' '));
    const auto words = pdf().words();
    // The label's words on one line, in order, starting with its first word.
    QRectF box;
    for (size_t i = 0; i + parts.size() <= words.size() && box.isNull(); ++i) {
        bool match = true;
        for (qsizetype k = 0; k < parts.size(); ++k)
            match = match && words[i + size_t(k)].text == parts[k]
                    && std::abs(words[i + size_t(k)].box.bottom() - words[i].box.bottom()) < 0.5;
        if (match)
            box = words[i].box.united(words[i + size_t(parts.size() - 1)].box);
    }
    ASSERT_FALSE(box.isNull()) << "no label " << row.label;
    // Beside the cross: not over its centre, and no farther from it than its arm and a little more.
    EXPECT_FALSE(box.contains(row.cross));
    const double dx = std::max({box.left() - row.cross.x(), 0.0, row.cross.x() - box.right()});
    const double dy = std::max({box.top() - row.cross.y(), 0.0, row.cross.y() - box.bottom()});
    EXPECT_LT(std::hypot(dx, dy), 0.15 * 72) << "label at " << box.left() << ", " << box.top();
}

INSTANTIATE_TEST_SUITE_P(
    Crosses, CalibrationCross,
    ::testing::Values(CrossRow{"AddressTopLeft", "4.375, 2.0625 in", {315, 148.5}},
                      CrossRow{"ReturnNameTopLeft", "0.25, 0.25 in", {18, 18}},
                      CrossRow{"ReturnAddressTopRight", "2.6875, 0.5 in", {193.5, 36}},
                      CrossRow{"BarcodeBottomRight", "6.8125, 3.0625 in", {490.5, 220.5}}),
    [](const auto &row) { return std::string(row.param.name); });

} // namespace
