// Which delivery lines the USPS machines read: Latin letters, with or without accents.
#include "postal/addresses/LatinDeliveryLines.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct Row {
    const char *name;
    const char *line;
    bool warned;
};

void PrintTo(const Row &row, std::ostream *os) { *os << row.name; }

class DeliveryLines : public ::testing::TestWithParam<Row> {};

TEST_P(DeliveryLines, AreWarnedAboutWhenALetterIsNotLatin)
{
    const QString line = QString::fromUtf8(GetParam().line);
    const QString warning = postal::LatinDeliveryLines::warning({QStringLiteral("Salem"), line});
    EXPECT_EQ(!warning.isEmpty(), GetParam().warned) << qPrintable(warning);
}

INSTANTIATE_TEST_SUITE_P(
    Postal, DeliveryLines,
    ::testing::Values(Row{"Plain", "9 Elm St. Apt #2", false}, Row{"Accented", "Łódź, ul. Żółć 7", false},
                      Row{"CombiningMarks", "Nguye\xcc\x82\xcc\x83n Hue\xcc\x9b\xcc\x81", false},
                      Row{"Greek", "Οδός Σωκράτη 3", true}, Row{"Cyrillic", "ул. Ленина 5", true},
                      Row{"Arabic", "شارع 9", true}, Row{"OneChineseLetter", "9 Elm St. 李", true}),
    [](const auto &row) { return std::string(row.param.name); });

} // namespace
