#include "platform/ExecutableLocator.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

using platform::ExecutableLocator;

namespace {

TEST(ExecutableLocator, FindsTheRunningTestProgram)
{
    EXPECT_EQ(ExecutableLocator().path(), QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath());
}

struct LinkRow {
    const char *name;
    const char *target;
    bool targetExists;
    const char *expected;
};

void PrintTo(const LinkRow &row, std::ostream *os) { *os << row.name; }

class ExecutableLinks : public ::testing::TestWithParam<LinkRow> {};

TEST_P(ExecutableLinks, NamesThePathItRanFrom)
{
    const LinkRow &row = GetParam();
    QTemporaryDir dir;
    const QString target = dir.filePath(QString::fromUtf8(row.target));
    if (row.targetExists) {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::link(target, dir.filePath(QStringLiteral("exe"))));
    EXPECT_EQ(ExecutableLocator::readExecutableLink(dir.filePath(QStringLiteral("exe"))),
              dir.filePath(QString::fromUtf8(row.expected)));
}

INSTANTIATE_TEST_SUITE_P(Table, ExecutableLinks,
                         ::testing::Values(LinkRow{"Plain", "korvajury", true, "korvajury"},
                                           LinkRow{"Replaced", "korvajury (deleted)", false, "korvajury"},
                                           LinkRow{"NamedLikeThat", "odd (deleted)", true, "odd (deleted)"}),
                         [](const auto &row) { return std::string(row.param.name); });

TEST(ExecutableLocator, NothingWithoutALink)
{
    EXPECT_TRUE(ExecutableLocator::readExecutableLink(QStringLiteral("/nonexistent/exe")).isEmpty());
}

} // namespace
