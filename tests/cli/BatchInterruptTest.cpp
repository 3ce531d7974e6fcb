// The installed command interrupted in the middle of a large batch: it ends with
// status 130 and leaves neither the PDF nor a temporary file behind.
#include "support/WinePrefixFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <ostream>

#include <signal.h>

namespace {

const QString envelopeBinary = QStringLiteral(ENVELOPE_BINARY_DIR "/cli/envelope");

struct SignalRow {
    const char *name;
    int signal;
};

void PrintTo(const SignalRow &row, std::ostream *os) { *os << row.name; }

class Interrupted : public ::testing::TestWithParam<SignalRow> {};

TEST_P(Interrupted, LeavesNothingBehind)
{
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("big.csv"));
    {
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("name,street1,city,state,zip\n");
        for (int i = 0; i < 400000; ++i)
            f.write("Person " + QByteArray::number(i) + ",1 Main St.,Salem,OR,97301\n");
    }
    testsupport::WinePrefixFixture prefix;
    QProcess p;
    QStringList env = QProcess::systemEnvironment();
    prefix.exportTo(env);
    env << QStringLiteral("QT_QPA_PLATFORM=offscreen");
    p.setEnvironment(env);
    p.start(envelopeBinary, {QStringLiteral("batch"), QStringLiteral("--csv"), csv, QStringLiteral("--pdf"), dir.filePath(QStringLiteral("out.pdf"))});
    p.setReadChannel(QProcess::StandardError);
    ASSERT_TRUE(p.waitForStarted());
    // The report says "Case Else" once made, when the signal handling is in place and the run begins.
    QByteArray err;
    while (!err.contains("Case Else") && p.waitForReadyRead(10000))
        err += p.readAllStandardError();
    ASSERT_TRUE(err.contains("Case Else")) << err.constData();
    p.waitForFinished(300); // well into the pages
    ASSERT_EQ(p.state(), QProcess::Running) << "the batch ended before it could be interrupted";
    ::kill(static_cast<pid_t>(p.processId()), GetParam().signal);
    ASSERT_TRUE(p.waitForFinished(30000));
    err += p.readAllStandardError();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 130) << err.constData();
    EXPECT_TRUE(err.contains("interrupted")) << err.constData();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("big.csv")});
}

INSTANTIATE_TEST_SUITE_P(Batch, Interrupted, ::testing::Values(SignalRow{"SIGINT", SIGINT}, SignalRow{"SIGTERM", SIGTERM}),
                         [](const auto &row) { return std::string(row.param.name); });

} // namespace
