#include "platform/RegistryHive.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <ostream>

using platform::RegistryHive;

namespace {

// Written the way Wine saves a 64-bit prefix's system.reg.
const QByteArray sampleHive = QByteArrayLiteral(
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\Machine\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion] 1796689512\n"
    "#time=1d9e3f0a2b4c5d6\n"
    "\"CommonFilesDir\"=\"C:\\\\Program Files\\\\Common Files\"\n"
    "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\n"
    "\"ProgramFilesPath\"=str(2):\"%ProgramFiles%\"\n"
    "\"Escapes\"=\"q\\\"t\\tn\\nx\\x20ACo\\101e\\eu\\y\"\n"
    "\"Utf8\"=\"Caf\xC3\xA9\"\n"
    "\"Multi\"=str(7):\"a\\0b\\0\"\n"
    "\"Number\"=dword:0000abcd\n"
    "\"NoNul\"=hex(1):43,00,3a,00\n"
    "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
    "  16,17\n"
    "\"Expand\"=hex(2):25,00,54,00,\\\n"
    "  00,00\n"
    "\"Empty\"=hex:\n"
    "@=\"default\"\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion] 1796689512\n"
    "#time=1d9e3f0a2b4c5d6\n"
    "\"ProgramFilesDir\"=\"C:\\\\Program Files (x86)\"\n"
    "\n"
    "[Software\\\\Tovrel] 1796689512\n"
    "\"Only64\"=\"yes\"\n");

QByteArray utf16z(const QString &s)
{
    QByteArray out;
    for (QChar c : s)
        out.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return out.append('\0').append('\0');
}

struct ValueRow {
    const char *name;
    QString key;
    QString value;
    platform::DWORD type;
    QByteArray data;
};

void PrintTo(const ValueRow &row, std::ostream *os) { *os << row.name; }

class RegistryValues : public ::testing::TestWithParam<ValueRow> {};

TEST_P(RegistryValues, ReadsAsWineStoresThem)
{
    const ValueRow &row = GetParam();
    for (const QByteArray &text : {sampleHive, QByteArray(sampleHive).replace("\n", "\r\n")}) {
        const std::optional<RegistryHive> hive = RegistryHive::parse(text);
        ASSERT_TRUE(hive);
        const std::optional<QString> key = hive->findKey(row.key);
        ASSERT_TRUE(key) << qPrintable(row.key);
        const std::optional<RegistryHive::Value> value = hive->value(*key, row.value);
        ASSERT_TRUE(value);
        EXPECT_EQ(value->type, row.type);
        EXPECT_EQ(value->data.toHex(' '), row.data.toHex(' '));
    }
}

const QString currentVersion = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion");

INSTANTIATE_TEST_SUITE_P(
    Table, RegistryValues,
    ::testing::Values(
        ValueRow{"String", currentVersion, QStringLiteral("ProgramFilesDir"), platform::REG_SZ,
                 utf16z(QStringLiteral("C:\\Program Files"))},
        ValueRow{"NamesIgnoreCase", QStringLiteral("SOFTWARE\\microsoft\\WINDOWS\\currentversion"),
                 QStringLiteral("programfilesdir"), platform::REG_SZ, utf16z(QStringLiteral("C:\\Program Files"))},
        ValueRow{"ExpandNotExpanded", currentVersion, QStringLiteral("ProgramFilesPath"), platform::REG_EXPAND_SZ,
                 utf16z(QStringLiteral("%ProgramFiles%"))},
        ValueRow{"Escapes", currentVersion, QStringLiteral("Escapes"), platform::REG_SZ,
                 utf16z(QStringLiteral("q\"t\tn\nx\u20ACoAe\x1Buy"))},
        ValueRow{"Utf8Bytes", currentVersion, QStringLiteral("Utf8"), platform::REG_SZ,
                 utf16z(QStringLiteral("Caf\u00E9"))},
        ValueRow{"MultiString", currentVersion, QStringLiteral("Multi"), platform::REG_MULTI_SZ,
                 QByteArray("a\0\0\0b\0\0\0\0\0", 10)},
        ValueRow{"Dword", currentVersion, QStringLiteral("Number"), platform::REG_DWORD, QByteArray("\xcd\xab\0\0", 4)},
        ValueRow{"Hex1WithoutNul", currentVersion, QStringLiteral("NoNul"), platform::REG_SZ, QByteArray("C\0:\0", 4)},
        ValueRow{"HexContinued", currentVersion, QStringLiteral("Blob"), platform::REG_BINARY,
                 QByteArray::fromHex("000102030405060708090a0b0c0d0e0f1011121314151617")},
        ValueRow{"HexTypedContinued", currentVersion, QStringLiteral("Expand"), platform::REG_EXPAND_SZ,
                 QByteArray("%\0T\0\0\0", 6)},
        ValueRow{"EmptyHex", currentVersion, QStringLiteral("Empty"), platform::REG_BINARY, QByteArray()},
        ValueRow{"DefaultValue", currentVersion, QString(), platform::REG_SZ, utf16z(QStringLiteral("default"))}),
    [](const auto &row) { return std::string(row.param.name); });

struct ViewRow {
    const char *name;
    QString key;
    RegistryHive::View view;
    bool win64;
    std::optional<QString> expected; // the token of the key found
};

void PrintTo(const ViewRow &row, std::ostream *os) { *os << row.name; }

class RegistryViews : public ::testing::TestWithParam<ViewRow> {};

TEST_P(RegistryViews, FindsTheKeyOfTheView)
{
    const ViewRow &row = GetParam();
    QByteArray text = sampleHive;
    if (!row.win64)
        text.replace("#arch=win64\n", "");
    const std::optional<RegistryHive> hive = RegistryHive::parse(text);
    ASSERT_TRUE(hive);
    EXPECT_EQ(hive->isWin64(), row.win64);
    EXPECT_EQ(hive->findKey(row.key, row.view), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegistryViews,
    ::testing::Values(
        ViewRow{"NativeView", currentVersion, RegistryHive::View::Native, true,
                QStringLiteral("software\\microsoft\\windows\\currentversion")},
        ViewRow{"Wow32Redirected", currentVersion, RegistryHive::View::Wow32, true,
                QStringLiteral("software\\wow6432node\\microsoft\\windows\\currentversion")},
        ViewRow{"Wow32WithoutRedirectedKey", QStringLiteral("Software\\Tovrel"), RegistryHive::View::Wow32, true,
                QStringLiteral("software\\tovrel")},
        ViewRow{"Win32PrefixNeverRedirects", currentVersion, RegistryHive::View::Wow32, false,
                QStringLiteral("software\\microsoft\\windows\\currentversion")},
        ViewRow{"ParentOnlyImplied", QStringLiteral("Software\\Microsoft"), RegistryHive::View::Native, true,
                QStringLiteral("software\\microsoft")},
        ViewRow{"SeparatorsCollapse", QStringLiteral("\\Software\\\\Tovrel\\"), RegistryHive::View::Native, true,
                QStringLiteral("software\\tovrel")},
        ViewRow{"Missing", QStringLiteral("Software\\Nowhere"), RegistryHive::View::Wow32, true, std::nullopt}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(RegistryHive, RejectsWhatIsNotAHive)
{
    for (const QByteArray &text : {QByteArray(), QByteArray("REGEDIT4\n[HKEY_LOCAL_MACHINE]\n"),
                                   QByteArray("WINE REGISTRY Version 1\n"), QByteArray("\xFF\xFEW\0I\0N\0E\0", 10)})
        EXPECT_FALSE(RegistryHive::parse(text)) << text.toHex().constData();
}

TEST(RegistryHive, SkipsBrokenLinesAndKeepsTheRest)
{
    const QByteArray text = "WINE REGISTRY Version 2\n"
                            "\"BeforeAnyKey\"=\"x\"\n"
                            "[Software\\\\A] 1\n"
                            "\"Unterminated\"=\"abc\n"
                            "\"BadHex\"=hex:0g,01\n"
                            "\"BadDword\"=dword:xyz\n"
                            "\"Unknown\"=something\n"
                            "\"Good\"=\"ok\"\n"
                            "[Software\\\\Broken\n"
                            "\"Lost\"=\"x\"\n"
                            "\"Cut\"=hex:01,02,\\\n";
    const std::optional<RegistryHive> hive = RegistryHive::parse(text);
    ASSERT_TRUE(hive);
    const QString key = hive->findKey(QStringLiteral("Software\\A")).value();
    for (const char *name : {"BeforeAnyKey", "Unterminated", "BadHex", "BadDword", "Unknown", "Lost", "Cut"})
        EXPECT_FALSE(hive->value(key, QString::fromLatin1(name))) << name;
    EXPECT_TRUE(hive->value(key, QStringLiteral("Good")));
}

TEST(RegistryHive, SurvivesEveryTruncationAndGarbage)
{
    for (qsizetype n = 0; n <= sampleHive.size(); ++n) {
        const std::optional<RegistryHive> hive = RegistryHive::parse(QByteArrayView(sampleHive).first(n));
        if (hive)
            (void)hive->findKey(currentVersion, RegistryHive::View::Wow32);
    }
    QRandomGenerator random(4);
    for (int round = 0; round < 300; ++round) {
        QByteArray text = sampleHive;
        for (int flips = 0; flips < 8; ++flips)
            text[random.bounded(int(text.size()))] = char(random.bounded(256));
        const std::optional<RegistryHive> hive = RegistryHive::parse(text);
        if (hive)
            (void)hive->value(hive->findKey(currentVersion).value_or(QString()), QStringLiteral("Blob"));
    }
}

// Hives of a few megabytes that once took minutes or all memory; each row's key
// and value must still be read, and soon.
struct LargeRow {
    const char *name;
    QByteArray body; // after the header
    QString key;
    QString parent; // a key Wine left out that exists all the same
    QString value;
    QByteArray data;
};

void PrintTo(const LargeRow &row, std::ostream *os) { *os << row.name; }

class LargeHives : public ::testing::TestWithParam<LargeRow> {};

TEST_P(LargeHives, ReadInBoundedTimeAndMemory)
{
    const LargeRow &row = GetParam();
    QElapsedTimer timer;
    timer.start();
    const std::optional<RegistryHive> hive = RegistryHive::parse("WINE REGISTRY Version 2\n" + row.body);
    ASSERT_TRUE(hive);
    const std::optional<QString> key = hive->findKey(row.key);
    ASSERT_TRUE(key);
    EXPECT_TRUE(hive->findKey(row.parent));
    const std::optional<RegistryHive::Value> value = hive->value(*key, row.value);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->data.size(), row.data.size());
    EXPECT_EQ(value->data.left(16).toHex(' '), row.data.left(16).toHex(' '));
    EXPECT_EQ(value->data.right(16).toHex(' '), row.data.right(16).toHex(' '));
    EXPECT_LT(timer.elapsed(), 20000) << "ms";
}

INSTANTIATE_TEST_SUITE_P(
    Table, LargeHives,
    ::testing::Values(
        // Every parent of a key was stored whole: memory quadratic in the depth.
        LargeRow{"KeyOfAMillionLevels", "[" + QByteArray("k\\\\").repeated(1 << 20) + "end]\n\"V\"=dword:00000001\n",
                 QStringLiteral("k\\").repeated(1 << 20) + QStringLiteral("END"), QStringLiteral("k\\").repeated(1 << 19),
                 QStringLiteral("v"), QByteArray("\x01\0\0\0", 4)},
        // The value was copied whole for every continued line: quadratic time.
        LargeRow{"HexValueOverTwoMillionLines", "[A]\n\"Blob\"=hex:" + QByteArray("01,\\\n  ").repeated(2 << 20) + "02\n",
                 QStringLiteral("a"), QString(), QStringLiteral("blob"), QByteArray(2 << 20, '\x01') + '\x02'}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(RegistryHive, LoadsNothingFromAMissingFile)
{
    EXPECT_FALSE(RegistryHive::load(QStringLiteral("/nonexistent/system.reg")));
}

} // namespace
