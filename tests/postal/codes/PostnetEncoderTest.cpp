#include "postal/codes/PostnetEncoder.h"
#include "reporting_engine/base/EngineError.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>

#include <QHash>

#include <cmath>
#include <limits>
#include <ostream>

namespace {

using engine::BarcodeSymbol;
using postal::PostnetEncoder;

constexpr double twipsPerInch = 1440.0;

// The USPS digit table, 1 = tall bar; kept apart from the encoder so the bars are checked
// against the postal definition rather than against the code that made them.
QChar digitForPattern(const QString &pattern)
{
    static const QHash<QString, QChar> table{
        {QStringLiteral("00011"), u'1'}, {QStringLiteral("00101"), u'2'}, {QStringLiteral("00110"), u'3'},
        {QStringLiteral("01001"), u'4'}, {QStringLiteral("01010"), u'5'}, {QStringLiteral("01100"), u'6'},
        {QStringLiteral("10001"), u'7'}, {QStringLiteral("10010"), u'8'}, {QStringLiteral("10100"), u'9'},
        {QStringLiteral("11000"), u'0'}};
    return table.value(pattern, u'?');
}

// Tall or short by the midpoint of the USPS nominal heights (0.125 and 0.050 in).
QString tallShortPattern(const BarcodeSymbol &symbol)
{
    QString pattern;
    for (const auto &bar : symbol.bars)
        pattern += bar.height > 0.0875 * twipsPerInch ? u'1' : u'0';
    return pattern;
}

struct Zip {
    const char *name;
    const char *digits;
    const char *humanReadable;
    int checkDigit;
    int barCount;
};

const Zip zips[] = {
    {"five digits", "92901", "92901", 9, 32},
    {"leading zero", "02138", "02138", 6, 32},
    {"all zeros", "00000", "00000", 0, 32},
    {"all nines", "99999", "99999", 5, 32},
    {"ZIP+4", "123456789", "12345-6789", 5, 52},
    {"ZIP+4 with leading zero", "021341234", "02134-1234", 0, 52},
    {"delivery point", "12345678901", "12345-6789-01", 4, 62},
};

TEST(PostnetEncoderTest, BarsDecodeToDigitsAndCheckDigit)
{
    for (const Zip &zip : zips) {
        SCOPED_TRACE(zip.name);
        const QString digits = QLatin1String(zip.digits);
        const BarcodeSymbol symbol = PostnetEncoder::encode(digits);
        EXPECT_EQ(symbol.digits, digits);
        EXPECT_EQ(symbol.humanReadable, QLatin1String(zip.humanReadable));
        ASSERT_EQ(static_cast<int>(symbol.bars.size()), zip.barCount);

        const QString pattern = tallShortPattern(symbol);
        EXPECT_EQ(pattern.front(), u'1') << "left frame bar";
        EXPECT_EQ(pattern.back(), u'1') << "right frame bar";
        QString decoded;
        for (qsizetype i = 1; i + 5 < pattern.size(); i += 5)
            decoded += digitForPattern(pattern.mid(i, 5));
        EXPECT_EQ(decoded, digits + QChar(u'0' + zip.checkDigit)) << pattern.toStdString();
        EXPECT_EQ(symbol.checkDigit, zip.checkDigit);

        int sum = 0;
        for (QChar c : decoded)
            sum += c.digitValue();
        EXPECT_EQ(sum % 10, 0);
    }
}

TEST(PostnetEncoderTest, BarsHaveUspsPhysicalSize)
{
    for (const Zip &zip : zips) {
        SCOPED_TRACE(zip.name);
        const BarcodeSymbol symbol = PostnetEncoder::encode(QLatin1String(zip.digits));
        const auto &bars = symbol.bars;
        ASSERT_GE(bars.size(), 2u);

        const double baseline = bars.front().top + bars.front().height;
        for (std::size_t i = 0; i < bars.size(); ++i) {
            SCOPED_TRACE(i);
            const auto &bar = bars[i];
            EXPECT_NEAR(bar.width / twipsPerInch, 0.020, 0.005);
            const bool tall = bar.height > 0.0875 * twipsPerInch;
            EXPECT_NEAR(bar.height / twipsPerInch, tall ? 0.125 : 0.050, 0.010);
            EXPECT_NEAR(bar.top + bar.height, baseline, 1e-9) << "bars share one baseline";
            if (i > 0) {
                const double barsPerInch = twipsPerInch / (bar.left - bars[i - 1].left);
                EXPECT_NEAR(barsPerInch, 22.0, 2.0);
            }
        }
        const double overallBarsPerInch =
            twipsPerInch * static_cast<double>(bars.size() - 1) / (bars.back().left - bars.front().left);
        EXPECT_NEAR(overallBarsPerInch, 22.0, 2.0);

        EXPECT_DOUBLE_EQ(bars.front().left, 0.0);
        EXPECT_NEAR(symbol.width, bars.back().left + bars.back().width, 1e-9);
        EXPECT_NEAR(symbol.height, baseline, 1e-9);
        EXPECT_NEAR(symbol.height / twipsPerInch, 0.125, 0.010);
        if (symbol.digits.size() <= 9) {
            // The envelope's barcode box; the bars are printed at true size, never squeezed into it.
            EXPECT_LE(symbol.width, 3510.0);
            EXPECT_LE(symbol.height, 360.0);
        }
    }
}

TEST(PostnetEncoderTest, EncodeRejectsAnythingButFiveNineOrElevenDigits)
{
    const struct {
        const char *name;
        QString input;
    } rows[] = {
        {"empty", QString()},
        {"four digits", QStringLiteral("1234")},
        {"ten digits", QStringLiteral("1234567890")},
        {"letter", QStringLiteral("12a45")},
        {"hyphenated ZIP+4", QStringLiteral("12345-678")},
        {"fullwidth digits", QStringLiteral("\uFF19\uFF12\uFF19\uFF10\uFF11")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        try {
            PostnetEncoder::encode(row.input);
            ADD_FAILURE() << "no error";
        } catch (const engine::EngineError &e) {
            EXPECT_TRUE(e.message().contains(QLatin1Char('"') + row.input + QLatin1Char('"')))
                << e.message().toStdString();
        }
    }
}

// Each kind of value reaches the ZIP rule that reads it (the rules themselves: ZipCodeTest).
TEST(PostnetEncoderTest, DigitsForValue)
{
    const std::optional<QString> none;
    const struct {
        const char *name;
        QVariant value;
        std::optional<QString> digits;
    } rows[] = {
        {"five-digit ZIP", QVariant(92901), QStringLiteral("92901")},
        {"ZIP as unsigned", QVariant(92901u), QStringLiteral("92901")},
        {"ZIP as whole double", QVariant(92901.0), QStringLiteral("92901")},
        {"ZIP+4 as whole double", QVariant(21341234.0), QStringLiteral("021341234")},
        {"double far beyond any ZIP", QVariant(1e300), none},
        {"zero", QVariant(0), none},
        {"huge unsigned", QVariant(std::numeric_limits<qulonglong>::max()), none},
        {"fractional double", QVariant(92901.5), none},
        {"NaN", QVariant(std::nan("")), none},
        {"bool", QVariant(true), none},
        {"five-digit text", QVariant(QStringLiteral("12345")), QStringLiteral("12345")},
        {"hyphenated text", QVariant(QStringLiteral("12345-6789")), none},
        {"null", QVariant(), none},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<QString> digits = PostnetEncoder::digitsForValue(row.value);
        EXPECT_EQ(digits, row.digits);
        if (digits) { // whatever it accepts must encode
            EXPECT_EQ(PostnetEncoder::encode(*digits).digits, *digits);
        }
    }
}

} // namespace
