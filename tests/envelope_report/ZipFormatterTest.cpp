#include "envelope_report/ZipFormatter.h"

#include <gtest/gtest.h>

#include <ostream>

using envelope::ZipFormatter;

namespace {

struct NumberRow {
    const char *name;
    std::int64_t zip;
    const char *printed;
};

void PrintTo(const NumberRow &row, std::ostream *os) { *os << row.name; }

class ZipNumbers : public ::testing::TestWithParam<NumberRow> {};

TEST_P(ZipNumbers, PrintAsTheZipTheyAre)
{
    EXPECT_EQ(ZipFormatter::format(GetParam().zip), QString::fromLatin1(GetParam().printed));
}

INSTANTIATE_TEST_SUITE_P(Envelope, ZipNumbers,
                         ::testing::Values(NumberRow{"FiveDigits", 92901, "92901"}, NumberRow{"LeadingZero", 2134, "02134"},
                                           NumberRow{"Smallest", 1, "00001"}, NumberRow{"LargestFive", 99999, "99999"},
                                           NumberRow{"SmallestNine", 100000, "00010-0000"},
                                           NumberRow{"ZipPlusFour", 123456789, "12345-6789"},
                                           NumberRow{"ZipPlusFourLeadingZero", 21341234, "02134-1234"},
                                           NumberRow{"LargestNine", 999999999, "99999-9999"}, NumberRow{"Zero", 0, "00000-0000"},
                                           NumberRow{"Negative", -5, "-5"}, NumberRow{"TenDigits", 1234567890, "1234567890"}),
                         [](const auto &row) { return std::string(row.param.name); });

struct TextRow {
    const char *name;
    const char *read;
    const char *printed;
};

void PrintTo(const TextRow &row, std::ostream *os) { *os << row.name; }

class ZipTexts : public ::testing::TestWithParam<TextRow> {};

TEST_P(ZipTexts, NumbersAreFormattedAndEverythingElsePrintsAsRead)
{
    EXPECT_EQ(ZipFormatter::format(QString::fromLatin1(GetParam().read)), QString::fromLatin1(GetParam().printed));
}

INSTANTIATE_TEST_SUITE_P(Envelope, ZipTexts,
                         ::testing::Values(TextRow{"FiveDigits", "62701", "62701"}, TextRow{"FiveWithLeadingZero", "02134", "02134"},
                                           TextRow{"NineDigits", "627011234", "62701-1234"},
                                           TextRow{"DefaultValue", "000000000", "00000-0000"},
                                           TextRow{"AlreadyHyphenated", "62701-1234", "62701-1234"},
                                           TextRow{"Empty", "", ""}, TextRow{"Blanks", " 62701", " 62701"},
                                           TextRow{"Letters", "ABCDE", "ABCDE"}, TextRow{"TooLong", "1234567890", "1234567890"}),
                         [](const auto &row) { return std::string(row.param.name); });

} // namespace
