// The CSV reader: RFC 4180 records, header, BOM, line numbers, and errors for malformed input.
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/records/CsvRecordReader.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <ostream>

using engine::CsvRecordReader;

namespace {

struct Read {
    QStringList header;
    std::vector<QStringList> records;
    std::vector<qint64> lines;
};

Read readAll(const QByteArray &bytes)
{
    auto reader = CsvRecordReader::fromBytes(bytes);
    Read out;
    out.header = reader->header();
    while (reader->next()) {
        out.records.push_back(reader->record());
        out.lines.push_back(reader->recordLine());
    }
    return out;
}

QString errorOf(const QByteArray &bytes, qint64 maxRecordBytes = CsvRecordReader::defaultMaxRecordBytes)
{
    try {
        auto reader = CsvRecordReader::fromBytes(bytes, maxRecordBytes);
        while (reader->next()) {
        }
    } catch (const engine::EngineError &e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

QStringList L(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *i : items)
        out << QString::fromUtf8(i);
    return out;
}

struct GoodRow {
    const char *name;
    QByteArray bytes;
    std::vector<QStringList> records;
    std::vector<qint64> lines;
};

void PrintTo(const GoodRow &row, std::ostream *os) { *os << row.name; }

class WellFormed : public ::testing::TestWithParam<GoodRow> {};

TEST_P(WellFormed, GivesTheRecordsAndTheirLines)
{
    const Read r = readAll(GetParam().bytes);
    EXPECT_EQ(r.header, L({"a", "b", "c"}));
    EXPECT_EQ(r.records, GetParam().records);
    EXPECT_EQ(r.lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Csv, WellFormed,
    ::testing::Values(
        GoodRow{"Plain", "a,b,c\n1,2,3\n4,5,6\n", {L({"1", "2", "3"}), L({"4", "5", "6"})}, {2, 3}},
        GoodRow{"CrLf", "a,b,c\r\n1,2,3\r\n4,5,6\r\n", {L({"1", "2", "3"}), L({"4", "5", "6"})}, {2, 3}},
        GoodRow{"NoTrailingNewline", "a,b,c\n1,2,3\n4,5,6", {L({"1", "2", "3"}), L({"4", "5", "6"})}, {2, 3}},
        GoodRow{"Bom", "\xEF\xBB\xBF" "a,b,c\n1,2,3\n", {L({"1", "2", "3"})}, {2}},
        GoodRow{"QuotedWithComma", "a,b,c\n\"Lee, Ann\",2,3\n", {L({"Lee, Ann", "2", "3"})}, {2}},
        GoodRow{"DoubledQuote", "a,b,c\n\"say \"\"hi\"\"\",2,3\n", {L({"say \"hi\"", "2", "3"})}, {2}},
        GoodRow{"EmbeddedCrLfCountsLines", "a,b,c\r\n\"x\r\ny\",2,3\r\n4,5,6\r\n", {L({"x\r\ny", "2", "3"}), L({"4", "5", "6"})}, {2, 4}},
        GoodRow{"EmbeddedLfInLaterField", "a,b,c\n1,\"p\nq\nr\",3\n4,5,6\n", {L({"1", "p\nq\nr", "3"}), L({"4", "5", "6"})}, {2, 5}},
        GoodRow{"EmptyFields", "a,b,c\n,,\n\"\",x,\n", {L({"", "", ""}), L({"", "x", ""})}, {2, 3}},
        GoodRow{"SpacesKept", "a,b,c\n 1 ,2 , 3\n", {L({" 1 ", "2 ", " 3"})}, {2}},
        GoodRow{"BlankLinesSkipped", "a,b,c\n\n1,2,3\r\n\r\n\r\n4,5,6\n\n", {L({"1", "2", "3"}), L({"4", "5", "6"})}, {3, 6}},
        GoodRow{"Utf8", "a,b,c\nRen\xC3\xA9,\xE2\x82\xAC,\xF0\x9F\x93\xAE\n", {L({"Ren\u00e9", "\u20ac", "\U0001F4EE"})}, {2}},
        GoodRow{"HeaderOnly", "a,b,c\n", {}, {}}),
    [](const auto &row) { return std::string(row.param.name); });

struct BadRow {
    const char *name;
    QByteArray bytes;
    QStringList mentions;
};

void PrintTo(const BadRow &row, std::ostream *os) { *os << row.name; }

class Malformed : public ::testing::TestWithParam<BadRow> {};

TEST_P(Malformed, IsAnErrorNamingWhere)
{
    const QString error = errorOf(GetParam().bytes);
    for (const QString &m : GetParam().mentions)
        EXPECT_TRUE(error.contains(m)) << qPrintable(error) << " lacks " << qPrintable(m);
}

INSTANTIATE_TEST_SUITE_P(
    Csv, Malformed,
    ::testing::Values(
        BadRow{"UnterminatedQuote", "a,b,c\n1,2,3\n\"open,2,3\n4,5,6\n", L({"line 3", "record 2", "never closed"})},
        BadRow{"StrayQuoteInField", "a,b,c\n1,2,3\n4,x\"y,6\n", L({"line 3", "record 2", "quote"})},
        BadRow{"TextAfterClosingQuote", "a,b,c\n\"1\"x,2,3\n", L({"line 2", "record 1", "quote"})},
        BadRow{"TooManyFields", "a,b,c\n1,2,3\n4,5,6,7\n", L({"line 3", "record 2", "4 fields", "header has 3"})},
        BadRow{"TooFewFields", "a,b,c\n1,2\n", L({"line 2", "record 1", "2 fields"})},
        BadRow{"InvalidUtf8", "a,b,c\n1,2,3\n4,\xFF\xFE,6\n", L({"line 3", "record 2", "field 2", "UTF-8"})},
        BadRow{"TruncatedUtf8", "a,b,c\n\xC3,2,3\n", L({"line 2", "record 1", "UTF-8"})},
        BadRow{"OverlongUtf8", "a,b,c\n\xC0\xAF,2,3\n", L({"record 1", "UTF-8"})},
        BadRow{"InvalidUtf8InHeader", "a,\xFF,c\n1,2,3\n", L({"line 1", "header", "UTF-8"})},
        BadRow{"Empty", "", L({"empty", "header"})},
        BadRow{"OnlyBlankLines", "\n\r\n\n", L({"empty"})}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(CsvRecordReader, RecordsBeforeAnErrorComeFirst)
{
    auto reader = CsvRecordReader::fromBytes("a,b\n1,2\n3\n");
    ASSERT_TRUE(reader->next());
    EXPECT_EQ(reader->record(), L({"1", "2"}));
    EXPECT_THROW(reader->next(), engine::EngineError);
    EXPECT_THROW(reader->next(), engine::EngineError); // stays failed, never resumes misaligned
}

TEST(CsvRecordReader, RunawayQuoteIsStoppedAtTheLimit)
{
    QByteArray bytes = "a,b\n1,\"";
    bytes += QByteArray(200 * 1024, 'x');
    const QString error = errorOf(bytes, 64 * 1024);
    EXPECT_TRUE(error.contains(QLatin1String("line 2"))) << qPrintable(error);
    EXPECT_TRUE(error.contains(QLatin1String("quote left open"))) << qPrintable(error);
}

// Records and line breaks that straddle the reader's chunks, in a file far larger than one.
TEST(CsvRecordReader, LinesStayRightAcrossChunks)
{
    QByteArray bytes = "name,note\r\n";
    qint64 line = 2;
    std::vector<qint64> expected;
    for (int i = 0; i < 3000; ++i) {
        expected.push_back(line);
        const QByteArray note = i % 7 == 0 ? QByteArray("two\r\nlines") : QByteArray(i % 50 == 0 ? 20000 : 3, 'n');
        bytes += "person " + QByteArray::number(i) + ",\"" + note + "\"\r\n";
        line += i % 7 == 0 ? 2 : 1;
    }
    auto reader = CsvRecordReader::fromBytes(bytes);
    std::vector<qint64> lines;
    qint64 lastBytes = 0;
    while (reader->next()) {
        lines.push_back(reader->recordLine());
        EXPECT_EQ(reader->record().at(0), QStringLiteral("person %1").arg(reader->recordNumber() - 1));
        EXPECT_GE(reader->bytesRead(), lastBytes);
        lastBytes = reader->bytesRead();
    }
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(reader->bytesRead(), reader->totalBytes());
}

// Whatever the bytes, the reader gives records or an EngineError.
TEST(CsvRecordReader, ArbitraryBytesNeverCrash)
{
    QRandomGenerator rng(20240611);
    const char alphabet[] = {'a', ',', '"', '\r', '\n', ' ', '\xC3', '\xA9', '\xFF', '\0', '\xEF', '\xBB', '\xBF'};
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes;
        const int n = int(rng.bounded(200));
        for (int i = 0; i < n; ++i)
            bytes += alphabet[rng.bounded(int(sizeof alphabet))];
        try {
            auto reader = CsvRecordReader::fromBytes(bytes, 64);
            while (reader->next())
                ASSERT_EQ(reader->record().size(), reader->header().size());
        } catch (const engine::EngineError &) {
        }
    }
}

} // namespace
