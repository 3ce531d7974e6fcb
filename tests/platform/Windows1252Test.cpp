#include "platform/Windows1252.h"

#include <gtest/gtest.h>

#include <ostream>

using platform::Windows1252;

namespace {

struct CharRow {
    const char *name;
    unsigned char byte;
    char16_t unicode;
};

void PrintTo(const CharRow &row, std::ostream *os) { *os << row.name; }

class Windows1252Chars : public ::testing::TestWithParam<CharRow> {};

TEST_P(Windows1252Chars, MapsBothWays)
{
    const CharRow row = GetParam();
    const char byte = static_cast<char>(row.byte);
    EXPECT_EQ(Windows1252::toUnicode(QByteArrayView(&byte, 1)), QString(QChar(row.unicode)));
    EXPECT_EQ(Windows1252::fromUnicode(QString(QChar(row.unicode))), QByteArray(1, byte));
}

INSTANTIATE_TEST_SUITE_P(Table, Windows1252Chars,
                         ::testing::Values(CharRow{"Ascii", 'A', u'A'}, CharRow{"Nul", 0x00, u'\0'},
                                           CharRow{"Euro", 0x80, u'\u20AC'}, CharRow{"Undefined81", 0x81, u'\u0081'},
                                           CharRow{"Undefined9D", 0x9D, u'\u009D'},
                                           CharRow{"LeftDoubleQuote", 0x93, u'\u201C'},
                                           CharRow{"YDiaeresis", 0x9F, u'\u0178'},
                                           CharRow{"NoBreakSpace", 0xA0, u'\u00A0'},
                                           CharRow{"EAcute", 0xE9, u'\u00E9'}, CharRow{"YAcuteSmall", 0xFF, u'\u00FF'}),
                         [](const auto &row) { return std::string(row.param.name); });

TEST(Windows1252, EveryByteRoundTrips)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = Windows1252::toUnicode(all);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(Windows1252::fromUnicode(text), all);
}

struct UnmappableRow {
    const char *name;
    QString text;
    QByteArray expected;
};

void PrintTo(const UnmappableRow &row, std::ostream *os) { *os << row.name; }

class Windows1252Unmappable : public ::testing::TestWithParam<UnmappableRow> {};

TEST_P(Windows1252Unmappable, BecomesQuestionMark)
{
    EXPECT_EQ(Windows1252::fromUnicode(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Windows1252Unmappable,
    ::testing::Values(UnmappableRow{"LatinExtended", QStringLiteral("\u0100b"), "?b"},
                      UnmappableRow{"C1ControlWithGlyphAt0x80", QString(QChar(u'\u0080')), "?"},
                      UnmappableRow{"SurrogatePairIsOneChar", QString::fromUtf8("a\xF0\x9F\x93\xAE" "b"), "a?b"},
                      UnmappableRow{"LoneSurrogate", QString(QChar(char16_t(0xD800))) + QLatin1Char('x'), "?x"}),
    [](const auto &row) { return std::string(row.param.name); });

} // namespace
