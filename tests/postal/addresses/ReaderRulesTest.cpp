// The address readers' rules, each on the numbers it is given (the envelope's own: envelope_report).
#include "postal/addresses/ReaderRules.h"

#include "reporting_engine/base/Twips.h"

#include <gtest/gtest.h>

using postal::ReaderRules;
using engine::twips::fromInches;

namespace {

const auto byName = [](const auto &row) { return std::string(row.param.name); };

// Pub 28's own example lines (§35, App. A1) and the lines just over each limit.
struct LineRow {
    const char *name;
    const char *line;
    const char *problem; // nullptr: the readers take it
};

class LineLimits : public ::testing::TestWithParam<LineRow> {};

TEST_P(LineLimits, AtMostFortyCharactersAndEightWords)
{
    const QStringList problems = ReaderRules::lineProblems({QStringLiteral("MARY ROE"), QString::fromUtf8(GetParam().line)});
    if (!GetParam().problem)
        EXPECT_TRUE(problems.isEmpty()) << qPrintable(problems.join(QLatin1Char('|')));
    else
        EXPECT_EQ(problems, QStringList{QString::fromUtf8(GetParam().problem)});
}

INSTANTIATE_TEST_SUITE_P(
    Pub28, LineLimits,
    ::testing::Values(LineRow{"DeliveryLine", "102 MAIN ST APT 101", nullptr},
                      LineRow{"LastLine", "SYRACUSE NY 13212-1234", nullptr},
                      LineRow{"FortyCharacters", "1234567890 NORTHWEST BOULEVARD APT 12345", nullptr},
                      LineRow{"FortyOne", "1234567890 NORTHWEST BOULEVARD APT 123456", "line 2 is 41 characters; the address readers take 40"},
                      LineRow{"EightWords", "1 A B C D E F G", nullptr},
                      LineRow{"NineWords", "1 A B C D E F G H", "line 2 has 9 words; the address readers take 8"}),
    byName);

struct LastLineRow {
    const char *name;
    const char *city;
    const char *state;
    const char *problem;
};

class LastLine : public ::testing::TestWithParam<LastLineRow> {};

TEST_P(LastLine, IsCityStateAndZip)
{
    const QString p = ReaderRules::lastLineProblem(QString::fromUtf8(GetParam().city), QString::fromUtf8(GetParam().state));
    EXPECT_EQ(p, QString::fromUtf8(GetParam().problem));
}

INSTANTIATE_TEST_SUITE_P(
    Pub28, LastLine,
    ::testing::Values(LastLineRow{"Whole", "ANYTOWN", "NY", ""},
                      LastLineRow{"NoCity", " ", "NY", "the last line lacks the city (it is the city, the state and the ZIP code)"},
                      LastLineRow{"Neither", "", "", "the last line lacks the city and the state (it is the city, the state and the ZIP code)"}),
    byName);

// A No. 10 envelope fed landscape, 9.5 x 4.125 in.
const QSizeF letter(fromInches(9.5), fromInches(4.125));

QRectF inches(double left, double top, double width, double height)
{
    return QRectF(fromInches(left), fromInches(top), fromInches(width), fromInches(height));
}

struct AreaRow {
    const char *name;
    QRectF block;
    bool inside;
};

class ReadArea : public ::testing::TestWithParam<AreaRow> {};

TEST_P(ReadArea, HalfInchFromTheSidesFiveEighthsToTwoAndThreeQuartersAboveTheBottom)
{
    EXPECT_EQ(ReaderRules::readAreaProblem(GetParam().block, letter).isEmpty(), GetParam().inside);
}

INSTANTIATE_TEST_SUITE_P(
    Dmm202, ReadArea,
    ::testing::Values(AreaRow{"WholeArea", inches(0.5, 1.375, 8.5, 2.125), true},
                      AreaRow{"TopAboveTwoAndThreeQuarters", inches(4, 1.3, 2, 0.5), false},
                      AreaRow{"BottomInTheLowestFiveEighths", inches(4, 3.0, 2, 0.6), false},
                      AreaRow{"LeftOfTheHalfInch", inches(0.4, 2, 2, 0.5), false},
                      AreaRow{"RightOfTheHalfInch", inches(7.1, 2, 2, 0.5), false}),
    byName);

struct DistanceRow {
    const char *name;
    double gapInches;
    bool allowed;
};

class BarcodeDistance : public ::testing::TestWithParam<DistanceRow> {};

TEST_P(BarcodeDistance, AtMostFiveEighthsBelowTheLastLine)
{
    const double lastLine = fromInches(2.5);
    EXPECT_EQ(ReaderRules::barcodeDistanceProblem(lastLine, lastLine + fromInches(GetParam().gapInches)).isEmpty(), GetParam().allowed);
}

INSTANTIATE_TEST_SUITE_P(Dmm202, BarcodeDistance,
                         ::testing::Values(DistanceRow{"Close", 0.1, true}, DistanceRow{"FiveEighths", 0.625, true},
                                           DistanceRow{"FurtherAway", 0.7, false}),
                         byName);

} // namespace
