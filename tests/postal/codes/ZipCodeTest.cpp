// ZIP codes read from the forms they come in: how each prints and what its barcode encodes.
#include "postal/codes/ZipCode.h"

#include <gtest/gtest.h>

#include <ostream>

using postal::ZipCode;
using Fault = ZipCode::Fault;

namespace {

struct Row {
    const char *name;
    ZipCode zip;
    const char *printed;
    const char *routing; // "": no bars
    Fault fault;
};

void PrintTo(const Row &row, std::ostream *os) { *os << row.name; }

class Zips : public ::testing::TestWithParam<Row> {};

TEST_P(Zips, PrintAndRouteAsTheZipTheyAre)
{
    const Row &row = GetParam();
    EXPECT_EQ(row.zip.printed(), QString::fromUtf8(row.printed));
    EXPECT_EQ(row.zip.routingDigits(), QString::fromUtf8(row.routing));
    EXPECT_EQ(row.zip.fault(), row.fault);
    EXPECT_EQ(row.zip.isValid(), row.fault == Fault::None);
}

const auto name = [](const auto &row) { return std::string(row.param.name); };

ZipCode text(const char *t) { return ZipCode::fromText(QString::fromUtf8(t)); }
ZipCode numberText(const char *t) { return ZipCode::fromNumberText(QString::fromUtf8(t)); }
ZipCode routing(const char *t) { return ZipCode::fromRoutingDigits(QString::fromUtf8(t)); }

// A number has lost its leading zeros; 0 is the member never set.
INSTANTIATE_TEST_SUITE_P(
    Number, Zips,
    ::testing::Values(Row{"FiveDigits", ZipCode::fromNumber(92901), "92901", "92901", Fault::None},
                      Row{"LeadingZero", ZipCode::fromNumber(2134), "02134", "02134", Fault::None},
                      Row{"Smallest", ZipCode::fromNumber(1), "00001", "00001", Fault::None},
                      Row{"LargestFive", ZipCode::fromNumber(99999), "99999", "99999", Fault::None},
                      Row{"SmallestNine", ZipCode::fromNumber(100000), "00010-0000", "000100000", Fault::None},
                      Row{"ZipPlusFour", ZipCode::fromNumber(123456789), "12345-6789", "123456789", Fault::None},
                      Row{"ZipPlusFourLeadingZero", ZipCode::fromNumber(21341234), "02134-1234", "021341234", Fault::None},
                      Row{"LargestNine", ZipCode::fromNumber(999999999), "99999-9999", "999999999", Fault::None},
                      Row{"ZeroPrintsThePatternAndHasNoBars", ZipCode::fromNumber(0), "00000-0000", "", Fault::Missing},
                      Row{"Negative", ZipCode::fromNumber(-5), "-5", "", Fault::NotANumber},
                      Row{"TenDigits", ZipCode::fromNumber(1234567890), "1234567890", "", Fault::WrongDigitCount}),
    name);

// A settings file's value: a number written out.
INSTANTIATE_TEST_SUITE_P(
    NumberText, Zips,
    ::testing::Values(Row{"FiveDigits", numberText("62701"), "62701", "62701", Fault::None},
                      Row{"FiveWithLeadingZero", numberText("02134"), "02134", "02134", Fault::None},
                      Row{"LeadingZeroLost", numberText("2134"), "02134", "02134", Fault::None},
                      Row{"NineDigits", numberText("627011234"), "62701-1234", "627011234", Fault::None},
                      Row{"DefaultValue", numberText("000000000"), "00000-0000", "", Fault::Missing},
                      Row{"AlreadyHyphenated", numberText("62701-1234"), "62701-1234", "", Fault::NotANumber},
                      Row{"Empty", numberText(""), "", "", Fault::Missing},
                      Row{"Blanks", numberText(" 62701"), " 62701", "", Fault::NotANumber},
                      Row{"Letters", numberText("ABCDE"), "ABCDE", "", Fault::NotANumber},
                      Row{"TooLong", numberText("1234567890"), "1234567890", "", Fault::WrongDigitCount}),
    name);

// As written in an address: the digits are kept as they are.
INSTANTIATE_TEST_SUITE_P(
    Text, Zips,
    ::testing::Values(Row{"FiveDigits", text("97301"), "97301", "97301", Fault::None},
                      Row{"LeadingZeroKept", text("02134"), "02134", "02134", Fault::None},
                      Row{"NineDigits", text("973011234"), "97301-1234", "973011234", Fault::None},
                      Row{"ZipPlusFourWithHyphen", text("97301-1234"), "97301-1234", "973011234", Fault::None},
                      // Read as a number, these printed as "01234", disagreeing with their own bars.
                      Row{"ZerosBeforeThePlusFourKept", text("000001234"), "00000-1234", "000001234", Fault::None},
                      Row{"FourDigits", text("2134"), "2134", "", Fault::WrongDigitCount},
                      Row{"TenDigits", text("9730112345"), "9730112345", "", Fault::WrongDigitCount},
                      Row{"DeliveryPointIsNoAddressZip", text("12345678901"), "12345678901", "", Fault::WrongDigitCount},
                      Row{"Letters", text("9730l"), "9730l", "", Fault::NotANumber},
                      Row{"HyphenMisplaced", text("9730-11234"), "9730-11234", "", Fault::NotANumber},
                      Row{"Negative", text("-97301"), "-97301", "", Fault::NotANumber},
                      Row{"NonAsciiDigits", text("\u0669\u0667\u0663\u0660\u0661"), "\u0669\u0667\u0663\u0660\u0661", "",
                          Fault::NotANumber},
                      Row{"Empty", text(""), "", "", Fault::Missing}),
    name);

// A barcode's stored data: digits only, the delivery point after a ZIP+4.
INSTANTIATE_TEST_SUITE_P(
    RoutingDigits, Zips,
    ::testing::Values(Row{"Five", routing("12345"), "12345", "12345", Fault::None},
                      Row{"Nine", routing("021341234"), "02134-1234", "021341234", Fault::None},
                      Row{"ElevenWithDeliveryPoint", routing("12345678901"), "12345-6789-01", "12345678901", Fault::None},
                      Row{"Four", routing("1234"), "1234", "", Fault::WrongDigitCount},
                      Row{"Ten", routing("1234567890"), "1234567890", "", Fault::WrongDigitCount},
                      Row{"NonNumeric", routing("abcde"), "abcde", "", Fault::NotANumber},
                      Row{"Hyphenated", routing("12345-6789"), "12345-6789", "", Fault::NotANumber}),
    name);

TEST(ZipCodeTest, DeliveryPointIsKeptApartFromTheZipsDigits)
{
    const ZipCode zip = ZipCode::fromRoutingDigits(QStringLiteral("12345678901"));
    EXPECT_EQ(zip.digits(), QStringLiteral("123456789"));
    EXPECT_EQ(zip.deliveryPoint(), QStringLiteral("01"));
}

} // namespace
