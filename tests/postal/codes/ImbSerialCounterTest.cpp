// The Intelligent Mail serial counter: ranges unique across programs printing at once,
// damaged files refused and kept, the wrap at the largest serial, and giving back.
#include "postal/codes/ImbSerialCounter.h"
#include "reporting_engine/base/EngineError.h"
#include "support/QtPrinting.h"
#include "support/SerialReservers.h"

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using postal::ImbSerialCounter;

// 6-digit Mailer IDs count 9-digit serials, 9-digit ones 6-digit serials.
const QString sixDigitMailer = QStringLiteral("123456");
const QString nineDigitMailer = QStringLiteral("912345678");

class ImbSerialCounterTest : public ::testing::Test {
protected:
    QString file() const { return m_dir.filePath(QStringLiteral("imb-serial")); }

    void put(const QByteArray &content) const
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(content), content.size());
    }

    QByteArray content() const
    {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    }

    QTemporaryDir m_dir;
};

TEST_F(ImbSerialCounterTest, TwoProgramsReservingAtOnceGetDisjointRanges)
{
    const quint64 total = testsupport::reserveInTwoProgramsAtOnce(file(), sixDigitMailer);
    // No serial lost either: the counter stands right after the last range.
    EXPECT_EQ(content(), QByteArray::number(total) + '\n');
}

TEST_F(ImbSerialCounterTest, DamagedFileIsRefusedNamingItAndKeptAsItWas)
{
    const struct {
        const char *name;
        QByteArray content;
    } rows[] = {
        {"empty", QByteArray()},
        {"only a newline", QByteArrayLiteral("\n")},
        {"letters", QByteArrayLiteral("abc\n")},
        {"blank inside", QByteArrayLiteral("12 34\n")},
        {"negative", QByteArrayLiteral("-5\n")},
        {"two lines", QByteArrayLiteral("12\n34\n")},
        {"CR LF", QByteArrayLiteral("12\r\n")},
        {"NUL byte", QByteArray("12\0003\n", 5)},
        {"more digits than a serial has", QByteArrayLiteral("1234567890\n")},
        {"a long run of digits", QByteArray(100000, '7')},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        put(row.content);
        ImbSerialCounter counter(sixDigitMailer, file());
        try {
            counter.reserve(1);
            ADD_FAILURE() << "no error";
        } catch (const engine::EngineError &e) {
            EXPECT_TRUE(e.message().contains(file())) << e.message().toStdString();
        }
        EXPECT_EQ(content(), row.content);
    }
}

TEST_F(ImbSerialCounterTest, ReservesAfterTheFileAndWrapsToZeroAtTheLargestSerialWithAWarning)
{
    const struct {
        const char *name;
        QByteArray before;
        quint64 count;
        quint64 first;
        QByteArray after;
        bool warns;
    } rows[] = {
        {"no file yet", {}, 3, 0, "3\n", false},
        {"no trailing newline", "42", 8, 42, "50\n", false},
        {"leading zeros", "000042\n", 1, 42, "43\n", false},
        {"ends on the largest serial", "999990\n", 10, 999990, "0\n", true},
        {"does not fit before it", "999995\n", 10, 0, "10\n", true},
        {"the whole range at once", "5\n", 1000000, 0, "0\n", true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(file());
        if (!row.before.isNull())
            put(row.before);
        ImbSerialCounter counter(nineDigitMailer, file());
        const ImbSerialCounter::Range range = counter.reserve(row.count);
        EXPECT_EQ(range.first, row.first);
        EXPECT_EQ(range.count, row.count);
        EXPECT_EQ(!range.warning.isEmpty(), row.warns) << range.warning.toStdString();
        EXPECT_EQ(content(), row.after);
    }
}

TEST_F(ImbSerialCounterTest, ReleaseGivesBackTheUnusedTailOnlyWhenNoOneReservedSince)
{
    put("100\n");
    ImbSerialCounter mine(sixDigitMailer, file());
    ImbSerialCounter theirs(sixDigitMailer, file());

    const auto first = mine.reserve(10);
    EXPECT_TRUE(mine.release(first, 3));
    EXPECT_EQ(content(), "103\n");

    const auto second = mine.reserve(10);
    EXPECT_EQ(second.first, 103u);
    const auto other = theirs.reserve(5);
    EXPECT_EQ(other.first, 113u);
    EXPECT_FALSE(mine.release(second, 0)) << "serials after it are someone else's";
    EXPECT_EQ(content(), "118\n");

    EXPECT_TRUE(theirs.release(other, 0));
    EXPECT_EQ(content(), "113\n");
    EXPECT_FALSE(theirs.release(theirs.reserve(2), 2)) << "all used: nothing to give back";
    EXPECT_EQ(content(), "115\n");
}

TEST(ImbSerialCounter, MailerIdDecidesTheSerialWidthAndTheDefaultFile)
{
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    ImbSerialCounter six(sixDigitMailer);
    EXPECT_EQ(six.path(), state.filePath(QStringLiteral("korva-envelope/imb-serial-123456")));
    EXPECT_EQ(six.serialText(42), QStringLiteral("000000042"));
    EXPECT_EQ(six.reserve(1).first, 0u) << "its folder is made on first use";
    EXPECT_TRUE(QFile::exists(six.path()));
    EXPECT_EQ(ImbSerialCounter(nineDigitMailer).serialText(42), QStringLiteral("000042"));
    qunsetenv("XDG_STATE_HOME");

    for (const char *bad : {"12345", "1234567", "923456", "812345678", "12345a", ""}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(ImbSerialCounter(QString::fromLatin1(bad), QStringLiteral("/tmp/x")), engine::EngineError);
    }
}

} // namespace
