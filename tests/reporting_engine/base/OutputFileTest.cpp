// Output files appear whole or not at all, and never replace what the user did not name.
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/base/OutputFile.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using engine::OutputFile;

namespace {

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList filesIn(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

TEST(OutputFile, NothingUnderTheFinalNameUntilCommitted)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.pdf"));
    {
        OutputFile out(path, OutputFile::Policy::Replace);
        out.device().write("half");
        EXPECT_FALSE(QFile::exists(path));
    } // abandoned: as when the run fails
    EXPECT_EQ(filesIn(dir), QStringList());
}

TEST(OutputFile, ReplaceOverwritesTheNamedFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.pdf"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    OutputFile out(path, OutputFile::Policy::Replace);
    out.device().write("new");
    EXPECT_EQ(out.commit(), path);
    EXPECT_EQ(contents(path), "new");
    EXPECT_EQ(filesIn(dir), QStringList{QStringLiteral("out.pdf")});
}

TEST(OutputFile, ReplaceNeverWritesThroughASymbolicLink)
{
    QTemporaryDir dir;
    const QString victim = dir.filePath(QStringLiteral("victim.txt"));
    QFile v(victim);
    ASSERT_TRUE(v.open(QIODevice::WriteOnly));
    v.write("keep me");
    v.close();
    const QString path = dir.filePath(QStringLiteral("out.pdf"));
    ASSERT_TRUE(QFile::link(victim, path));
    OutputFile out(path, OutputFile::Policy::Replace);
    out.device().write("new");
    out.commit();
    EXPECT_EQ(contents(victim), "keep me");
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(contents(path), "new");
}

TEST(OutputFile, NeverReplacePicksTheNextFreeName)
{
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("Envelope.pdf"));
    QStringList written;
    for (int i = 0; i < 3; ++i) {
        OutputFile out(base, OutputFile::Policy::NeverReplace);
        out.device().write(QByteArray::number(i));
        written << QFileInfo(out.commit()).fileName();
    }
    EXPECT_EQ(written, (QStringList{QStringLiteral("Envelope.pdf"), QStringLiteral("Envelope-2.pdf"), QStringLiteral("Envelope-3.pdf")}));
    EXPECT_EQ(contents(base), "0");
    EXPECT_EQ(contents(dir.filePath(QStringLiteral("Envelope-3.pdf"))), "2");
}

TEST(OutputFile, NeverReplaceTreatsADanglingLinkAsTaken)
{
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("Envelope.pdf"));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("elsewhere")), base));
    OutputFile out(base, OutputFile::Policy::NeverReplace);
    out.device().write("x");
    EXPECT_EQ(QFileInfo(out.commit()).fileName(), QStringLiteral("Envelope-2.pdf"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("elsewhere"))));
}

TEST(OutputFile, MissingFolderIsRefusedUpFront)
{
    EXPECT_THROW(OutputFile(QStringLiteral("/no/such/folder/out.pdf"), OutputFile::Policy::Replace), engine::EngineError);
}

} // namespace

namespace {

struct ModeCase {
    const char *name;
    mode_t umask;
    int existingMode; // -1: no file there before
    OutputFile::Policy policy;
    mode_t expected;
};

void PrintTo(const ModeCase &c, std::ostream *os) { *os << c.name; }

class OutputFileMode : public ::testing::TestWithParam<ModeCase> {};

// Colleagues sharing a folder read what is saved there: the mode every tool gives.
TEST_P(OutputFileMode, IsWhatAnyToolWouldGive)
{
    const ModeCase &c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.pdf"));
    if (c.existingMode >= 0) {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.close();
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(c.existingMode)), 0);
    }
    const mode_t previous = ::umask(c.umask);
    OutputFile out(path, c.policy);
    out.device().write("%PDF-");
    const QString saved = out.commit();
    ::umask(previous);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(saved).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    NewAndReplaced, OutputFileMode,
    ::testing::Values(ModeCase{"NewUnderUmask022", 022, -1, OutputFile::Policy::Replace, 0644},
                      ModeCase{"NewUnderUmask002", 002, -1, OutputFile::Policy::Replace, 0664},
                      ModeCase{"ReplacedKeepsItsMode", 022, 0600, OutputFile::Policy::Replace, 0600},
                      ModeCase{"FallbackNameIsNew", 027, 0600, OutputFile::Policy::NeverReplace, 0640}),
    [](const auto &param) { return std::string(param.param.name); });

} // namespace
