// Serials from the office's PostgreSQL: disjoint for programs reserving at once, the
// sequence made when missing, the unused tail given back as the file counter gives it.
#include "postal/codes/ImbSerialDatabase.h"
#include "support/SerialReservers.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace {

using postal::ImbSerialDatabase;
using testsupport::TestDatabase;

class ImbSerialDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const auto why = TestDatabase::unavailable(TestDatabase::Backend::PostgreSQL)) {
            if (TestDatabase::required(TestDatabase::Backend::PostgreSQL))
                FAIL() << why->toStdString();
            GTEST_SKIP() << why->toStdString();
        }
        db.emplace(TestDatabase::Backend::PostgreSQL);
    }
    // A Mailer ID of one test alone (ctest runs the tests at once, on one database), its
    // sequence dropped first.
    QString freshMailerId(const char *id)
    {
        const QString mailerId = QString::fromLatin1(id);
        EXPECT_TRUE(db->write(QStringLiteral("DROP SEQUENCE IF EXISTS ") + ImbSerialDatabase::sequenceName(mailerId)));
        return mailerId;
    }
    std::optional<TestDatabase> db;
};

TEST_F(ImbSerialDatabaseTest, TwoProgramsReservingAtOnceGetDisjointRanges)
{
    const QString mailerId = freshMailerId("654321");
    const quint64 total = testsupport::reserveInTwoProgramsAtOnce(db->url(), mailerId);
    EXPECT_EQ(ImbSerialDatabase(mailerId, db->url(), QStringLiteral("tests")).reserve(1).first, total);
}

TEST_F(ImbSerialDatabaseTest, ReleaseGivesBackTheUnusedTailOnlyWhenNoOneReservedSince)
{
    const QString mailerId = freshMailerId("654322");
    ImbSerialDatabase mine(mailerId, db->url(), QStringLiteral("tests"));
    ImbSerialDatabase theirs(mailerId, db->url(), QStringLiteral("tests"));
    const auto first = mine.reserve(10);
    EXPECT_EQ(first.first, 0u); // a new sequence has handed out none
    EXPECT_TRUE(mine.release(first, 3));
    const auto second = mine.reserve(10);
    EXPECT_EQ(second.first, 3u);
    const auto other = theirs.reserve(5);
    EXPECT_EQ(other.first, 13u);
    EXPECT_FALSE(mine.release(second, 0)) << "serials after it are someone else's";
    EXPECT_TRUE(theirs.release(other, 0));
    EXPECT_EQ(mine.reserve(1).first, 13u);
    EXPECT_EQ(mine.serialText(13), QStringLiteral("000000013"));
}

} // namespace
