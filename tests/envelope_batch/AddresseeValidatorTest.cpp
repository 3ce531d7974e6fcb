// What makes an addressee bad, and how its ZIP prints (the ZIP's own forms: ZipCodeTest).
#include "envelope_batch/AddresseeValidator.h"

#include <gtest/gtest.h>

#include <ostream>

using envelope::AddresseeRecord;
using envelope::AddresseeValidator;

namespace {

struct Row {
    const char *name;
    AddresseeRecord record;
    QString zipText;
    QVariant barcode;  // null: no bars
    const char *problem; // nullptr: good
};

void PrintTo(const Row &row, std::ostream *os) { *os << row.name; }

AddresseeRecord rec(const char *zip, const char *name = "Ann Lee", const char *street1 = "9 Elm St.", const char *street2 = "",
                    const char *city = "Salem")
{
    AddresseeRecord r;
    r.number = 1;
    r.name = QString::fromUtf8(name);
    r.street1 = QString::fromUtf8(street1);
    r.street2 = QString::fromUtf8(street2);
    r.city = QString::fromUtf8(city);
    r.state = QStringLiteral("OR");
    r.zip = QString::fromUtf8(zip);
    return r;
}

AddresseeRecord withImb(AddresseeRecord r, const char *imb)
{
    r.imb = QString::fromUtf8(imb);
    return r;
}

class Validation : public ::testing::TestWithParam<Row> {};

TEST_P(Validation, JudgesTheRecord)
{
    const auto v = AddresseeValidator::check(GetParam().record);
    EXPECT_EQ(v.zipText, GetParam().zipText);
    EXPECT_EQ(v.barcodeValue, GetParam().barcode);
    if (GetParam().problem) {
        ASSERT_FALSE(v.good());
        EXPECT_TRUE(v.problems.join(QLatin1Char('|')).contains(QLatin1String(GetParam().problem))) << qPrintable(v.problems.join(QLatin1Char('|')));
    } else {
        EXPECT_TRUE(v.good()) << qPrintable(v.problems.join(QLatin1Char('|')));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Addressee, Validation,
    ::testing::Values(
        Row{"FiveDigits", rec("97301"), QStringLiteral("97301"), QStringLiteral("97301"), nullptr},
        Row{"ZipPlusFourWithHyphen", rec("97301-1234"), QStringLiteral("97301-1234"), QStringLiteral("973011234"), nullptr},
        Row{"FourDigitsAsGiven", rec("2134"), QStringLiteral("2134"), QVariant(), "has 4 digits"},
        Row{"Letters", rec("9730l"), QStringLiteral("9730l"), QVariant(), "not a number"},
        Row{"MissingZip", rec(""), QString(), QVariant(), "ZIP code is missing"},
        Row{"MissingName", rec("97301", ""), QStringLiteral("97301"), QVariant(), "name is missing"},
        Row{"FourLinesFit", rec("97301", "Ann Lee", "9 Elm St.", "Apt 2"), QStringLiteral("97301"), QStringLiteral("97301"), nullptr},
        Row{"LineBreakInStreetMakesFive", rec("97301", "Ann Lee", "9 Elm St.\r\nRear", "Apt 2"), QStringLiteral("97301"), QVariant(),
            "takes 5 lines"},
        Row{"LoneLfCountsToo", rec("97301", "Ann\nLee", "9 Elm St.", "Apt\n2"), QStringLiteral("97301"), QVariant(), "takes 6 lines"},
        Row{"BreakInCityLine", rec("97301", "Ann Lee", "9 Elm St.", "", "Salem\rEast"), QStringLiteral("97301"),
            QStringLiteral("97301"), nullptr},
        // A batch's tracking code is judged by the encoder's rules; it does not change the routing digits.
        Row{"GivenTrackingCode", withImb(rec("97301"), "01234567094987654321"), QStringLiteral("97301"), QStringLiteral("97301"), nullptr},
        Row{"TrackingCodeSecondDigitOver4", withImb(rec("97301"), "05234567094987654321"), QStringLiteral("97301"), QVariant(),
            "second digit must be 0 to 4"},
        Row{"TrackingCodeWithRouting", withImb(rec("97301"), "01234567094987654321-97301"), QStringLiteral("97301"), QVariant(),
            "must be 20 digits"},
        // The installed fonts print these; nothing has a glyph for U+1F642 or the unassigned U+0378.
        Row{"ArabicName", rec("97301", "محمد علي"), QStringLiteral("97301"), QStringLiteral("97301"), nullptr},
        Row{"NameNoFontPrints", rec("97301", "Zoë Ånström 李小龙 🙂"), QStringLiteral("97301"), QVariant(),
            "the name has characters no installed font can print: U+1F642"},
        Row{"StreetNoFontPrints", rec("97301", "Ann Lee", "9 Elm \xcd\xb8St."), QStringLiteral("97301"), QVariant(),
            "the street has characters no installed font can print: U+0378"},
        // DMM 202.1.2: never below 8 pt, so a line too wide for the box at 8 pt is bad.
        Row{"TooWideAtEightPoint", rec("97301", "Ann Lee", "12345 North Southwest Extraordinarily Long Boulevard Apartment 1234"),
            QStringLiteral("97301"), QVariant(), "line 2 is 67 characters; at 8 pt the box holds about 49"},
        Row{"NoCity", rec("97301", "Ann Lee", "9 Elm St.", "", ""), QStringLiteral("97301"), QVariant(), "the last line lacks the city"}),
    [](const auto &row) { return std::string(row.param.name); });

// What the readers may stumble on; the record still prints with its barcode.
struct WarningRow {
    const char *name;
    AddresseeRecord record;
    AddresseeValidator::Options options;
    const char *warning;
    const char *rule;
};

void PrintTo(const WarningRow &row, std::ostream *os) { *os << row.name; }

AddresseeRecord inState(AddresseeRecord r, const char *state)
{
    r.state = QString::fromUtf8(state);
    return r;
}

class Warnings : public ::testing::TestWithParam<WarningRow> {};

TEST_P(Warnings, ListTheRuleAndStillPrint)
{
    const auto v = AddresseeValidator::check(GetParam().record, GetParam().options);
    EXPECT_TRUE(v.good()) << qPrintable(v.problems.join(QLatin1Char('|')));
    EXPECT_TRUE(v.warnings.join(QLatin1Char('|')).contains(QString::fromUtf8(GetParam().warning))) << qPrintable(v.warnings.join(QLatin1Char('|')));
    EXPECT_EQ(v.rules, QStringList{QString::fromUtf8(GetParam().rule)});
}

using Style = envelope::AddressStyle::Kind;

INSTANTIATE_TEST_SUITE_P(
    Addressee, Warnings,
    ::testing::Values(
        WarningRow{"LongerThanTheReadersTake", rec("97301", "Ann Lee", "9 Elm St.", "Building 12 Floor 3 Room 4567 Door B East"), {},
                   "line 3 is 41 characters; the address readers take 40", "line length"},
        WarningRow{"ZipOfAnotherState", inState(rec("02108"), "NY"), {}, "the ZIP code 02108 is in MA, not in NY", "ZIP and state"},
        WarningRow{"StateNameCounts", inState(rec("02108"), "New York"), {Style::Pub28, false}, "is in MA, not in NY", "ZIP and state"},
        WarningRow{"NoState", inState(rec("97301"), "Oz"), {}, "the state \"Oz\" is no USPS state code or name", "ZIP and state"},
        // The USPS reads Latin letters (postal::LatinDeliveryLines): the lines it sorts by, not the name.
        WarningRow{"NonLatinDeliveryLine", rec("97301", "Ivan Petrov", "ул. Ленина 5"), {},
                   "\"ул. Ленина 5\" has letters other than Latin", "Latin letters"}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(ValidationWarnings, ANonLatinNameIsNoDeliveryLine)
{
    EXPECT_TRUE(AddresseeValidator::check(rec("97301", "Иван Петров")).warnings.isEmpty());
}

TEST(Pub28Block, IsUpperCaseAbbreviatedWithTheStateCode)
{
    AddresseeRecord r = rec("99501", "Orrin Vask", "123 Here Road", "Apartment 4", "Anchorage");
    r.state = QStringLiteral("Alaska");
    const auto v = AddresseeValidator::check(r, {Style::Pub28, false});
    EXPECT_EQ(v.addressBlock, QStringLiteral("ORRIN VASK\r\n123 HERE RD\r\nAPT 4\r\nANCHORAGE AK 99501"));
    EXPECT_TRUE(v.warnings.isEmpty()) << qPrintable(v.warnings.join(QLatin1Char('|')));
}

} // namespace
