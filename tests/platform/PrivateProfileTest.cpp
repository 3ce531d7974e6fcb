#include "platform/PrivateProfile.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

using platform::PrivateProfile;

namespace {

struct LookupRow {
    const char *name;
    QByteArray file;
    const char *section;
    const char *key;
    std::optional<QString> expected;
};

void PrintTo(const LookupRow &row, std::ostream *os) { *os << row.name; }

class ProfileLookup : public ::testing::TestWithParam<LookupRow> {};

TEST_P(ProfileLookup, FollowsWindowsRules)
{
    const LookupRow &row = GetParam();
    EXPECT_EQ(PrivateProfile::parse(row.file).value(QString::fromLatin1(row.section), QString::fromLatin1(row.key)), row.expected);
}

std::optional<QString> text(const char *s) { return QString::fromUtf8(s); }

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileLookup,
    ::testing::Values(
        LookupRow{"Plain", "[FIELDS]\r\nSFTCLK=Jane Roe\r\n", "FIELDS", "SFTCLK", text("Jane Roe")},
        LookupRow{"BlanksAndTabsTrimmed", "  [ FIELDS ] \n\t SFTCLK \t=\t Jane Roe \t\n", "FIELDS", "SFTCLK",
                  text("Jane Roe")},
        LookupRow{"NamesIgnoreCase", "[fields]\nsftclk=x\n", "FIELDS", "SftClk", text("x")},
        LookupRow{"VerticalTabIsABlank", "\v[\vS\v]\v\n\vK\v=\vx\v\n\v;K2=hidden\n", "S", "K", text("x")},
        LookupRow{"VerticalTabBeforeSemicolonIsAComment", "[S]\n\v;K=hidden\n", "S", "\v;K", std::nullopt},
        LookupRow{"LengthKeptIn16Bits", "[S]\nK=" + QByteArray(65537, 'v') + "\n", "S", "K", text("v")},
        LookupRow{"FirstEqualsSplits", "[S]\nK=a=b\n", "S", "K", text("a=b")},
        LookupRow{"NoInlineComments", "[S]\nK=value ;x\n", "S", "K", text("value ;x")},
        LookupRow{"CommentLineNeverFound", "[S]\n;K=hidden\n", "S", ";K", std::nullopt},
        LookupRow{"LineWithoutEqualsIsNoKey", "[S]\nK\n", "S", "K", std::nullopt},
        LookupRow{"BeforeFirstSectionUnreadable", "K=x\n[S]\n", "S", "K", std::nullopt},
        LookupRow{"FirstKeyWins", "[S]\nK=one\nk=two\n", "S", "K", text("one")},
        LookupRow{"OnlyFirstSectionSearched", "[S]\nA=1\n[s]\nK=2\n", "S", "K", std::nullopt},
        LookupRow{"TextAfterBracketIgnored", "[S] trailing\nK=x\n", "S", "K", text("x")},
        LookupRow{"SectionWithoutBracket", "[Open \nK=x\n", "Open", "K", text("x")},
        LookupRow{"DoubleQuotesRemoved", "[S]\nK=\" padded \"\n", "S", "K", text(" padded ")},
        LookupRow{"SingleQuotesRemoved", "[S]\nK='Y'\n", "S", "K", text("Y")},
        LookupRow{"MixedQuotesStay", "[S]\nK=\"Y'\n", "S", "K", text("\"Y'")},
        LookupRow{"LoneQuoteStays", "[S]\nK=\"\n", "S", "K", text("\"")},
        LookupRow{"EmptyValue", "[S]\nK=\n", "S", "K", text("")},
        LookupRow{"AnyRunOfLineBreaks", "[S]\r\r\n\nA=1\rK=2\n\r", "S", "K", text("2")},
        LookupRow{"NoFinalLineBreak", "[S]\nK=last", "S", "K", text("last")},
        LookupRow{"Windows1252Bytes", "[S]\nK=Caf\xE9 \x93q\x94\n", "S", "K", text("Caf\u00E9 \u201Cq\u201D")},
        LookupRow{"Utf8BomSticksToFirstLine", "\xEF\xBB\xBF[S]\nK=x\n", "S", "K", std::nullopt},
        LookupRow{"Utf16LittleEndian", QByteArray("\xFF\xFE[\0S\0]\0\r\0\n\0K\0=\0\xE9\0\x01\x01\n\0", 22), "S", "K",
                  text("\u00E9\u0101")},
        LookupRow{"Utf16OddByteDropped", QByteArray("\xFF\xFE[\0S\0]\0\n\0K\0=\0x\0y", 17), "S", "K", text("x")}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(PrivateProfile, LoadsNothingFromMissingFilesAndFolders)
{
    QTemporaryDir dir;
    EXPECT_FALSE(PrivateProfile::load(dir.path()));
    EXPECT_FALSE(PrivateProfile::load(dir.filePath(QStringLiteral("MISSING.INI"))));
}

TEST(PrivateProfile, SurvivesAnyBytes)
{
    QRandomGenerator random(7);
    for (int round = 0; round < 500; ++round) {
        QByteArray bytes(random.bounded(200), '\0');
        for (char &b : bytes)
            b = "[]=;'\"\r\n \tK\xFF\xFE"[random.bounded(13)];
        (void)PrivateProfile::parse(bytes).value(QStringLiteral("K"), QStringLiteral("K"));
    }
}

} // namespace
