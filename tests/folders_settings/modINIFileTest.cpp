#include "folders_settings/modINIFile.h"

#include "support/TestWinePrefix.h"
#include "support/RecordingMessagePresenter.h"

#include <gtest/gtest.h>

#include <ostream>

using folders::modINIFile;
using testsupport::TestWinePrefix;

namespace {

const QString file = QStringLiteral("C:\\Program Files\\Tovrel Associates, Ltd\\Common Files\\Tables\\Client\\ARYSFT.INI");

QByteArray utf16File(const QString &text)
{
    QByteArray bytes("\xFF\xFE");
    for (const QChar c : text)
        bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return bytes;
}

struct ValueRow {
    const char *name;
    QByteArray contents; // empty: no file
    QString key;
    QString defaultValue;
    QString expected;
};

void PrintTo(const ValueRow &row, std::ostream *os) { *os << row.name; }

class IniValue : public ::testing::TestWithParam<ValueRow> {};

TEST_P(IniValue, ReturnsWhatThePlatformPlaced)
{
    const ValueRow &row = GetParam();
    TestWinePrefix prefix;
    if (!row.contents.isEmpty())
        prefix.writeRaw(QStringLiteral("drive_c/Program Files/Tovrel Associates, Ltd/Common Files/Tables/Client/ARYSFT.INI"),
                        row.contents);
    const auto presenter = std::make_shared<testsupport::RecordingMessagePresenter>();
    const auto api = prefix.api(presenter);
    const QString section = QStringLiteral("FIELDS");
    const QString key = row.key;
    const QString defaultValue = row.defaultValue;
    EXPECT_EQ(modINIFile(*api).GetINIValue(file, section, key, defaultValue), row.expected);
    EXPECT_EQ(section, QStringLiteral("FIELDS"));
    EXPECT_EQ(key, row.key);
    EXPECT_EQ(defaultValue, row.defaultValue);
    EXPECT_TRUE(presenter->messages.empty());
}

const QByteArray fields = "[FIELDS]\r\nSFTCLK=  Jane Roe  \r\nSFTCO=Sangamon\r\nSFTFLG8=\r\n"
                           "SFTCTY=Sp\xE9" "cial\r\nSFTSTR=\"  12 Main St  \"\r\n";

INSTANTIATE_TEST_SUITE_P(
    Table, IniValue,
    ::testing::Values(
        ValueRow{"Value", fields, QStringLiteral("SFTCO"), QString(), QStringLiteral("Sangamon")},
        ValueRow{"NotTrimmedFurther", fields, QStringLiteral("SFTSTR"), QString(), QStringLiteral("  12 Main St  ")},
        ValueRow{"Windows1252", fields, QStringLiteral("SFTCTY"), QString(), QStringLiteral("Sp\u00E9cial")},
        ValueRow{"Utf16", utf16File(QStringLiteral("[FIELDS]\r\nSFTCTY=Sp\u00E9cial \u0141\r\n")), QStringLiteral("SFTCTY"),
                 QString(), QStringLiteral("Sp\u00E9cial ?")},
        ValueRow{"EmptyValueBeatsDefault", fields, QStringLiteral("SFTFLG8"), QStringLiteral("N"), QString()},
        ValueRow{"MissingKeyGivesDefault", fields, QStringLiteral("SFTZIP"), QStringLiteral("000000000"),
                 QStringLiteral("000000000")},
        ValueRow{"MissingFileGivesDefault", QByteArray(), QStringLiteral("SFTCMM"), QStringLiteral("N"), QStringLiteral("N")},
        ValueRow{"MissingFileEmptyDefault", QByteArray(), QStringLiteral("SFTCMM"), QString(), QString()},
        ValueRow{"Longest8191", "[FIELDS]\nK=" + QByteArray(8191, 'x') + "\n", QStringLiteral("K"), QString(),
                 QString(8191, QLatin1Char('x'))},
        ValueRow{"LongerCutTo8191", "[FIELDS]\nK=" + QByteArray(8191, 'y') + "zz\n", QStringLiteral("K"), QString(),
                 QString(8191, QLatin1Char('y'))}),
    [](const auto &row) { return std::string(row.param.name); });

} // namespace
