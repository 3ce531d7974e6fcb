// The command-line front end, called in-process with an argument list.
#include "cli/EnvelopeCommand.h"
#include "cli/ExitStatus.h"
#include "support/CapturedStreams.h"
#include "support/PdfReport.h"
#include "support/RecordingMessagePresenter.h"
#include "support/WinePrefixFixture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>

using cli::EnvelopeCommand;
using cli::ExitStatus;

namespace {

using Captured = testsupport::CapturedStreams;

class EnvelopeCommandTest : public ::testing::Test {
protected:
    int run(const QStringList &args)
    {
        EnvelopeCommand command(prefix.api(presenter), captured.io());
        return command.run(QStringList{QStringLiteral("envelope")} + args);
    }
    QString file(const char *name) const { return dir.filePath(QLatin1String(name)); }

    testsupport::WinePrefixFixture prefix;
    std::shared_ptr<testsupport::RecordingMessagePresenter> presenter = std::make_shared<testsupport::RecordingMessagePresenter>();
    Captured captured;
    QTemporaryDir dir;
};

TEST_F(EnvelopeCommandTest, PdfOfTheSampleEnvelope)
{
    ASSERT_EQ(run({QStringLiteral("--pdf"), file("out.pdf")}), ExitStatus::ok) << qPrintable(captured.err());
    testsupport::PdfReport pdf(file("out.pdf"));
    EXPECT_EQ(pdf.pageCount(), 1);
    EXPECT_EQ(pdf.pageSizePoints(), QSizeF(684, 297));
    EXPECT_EQ(presenter->texts(),
              (QStringList{QStringLiteral("Case Else; no return address."),
                           QStringLiteral("Addressee:  Orrin Vask\r\n123 Here Rd.\r\nNowheresville, AK 92901"),
                           QStringLiteral("NewEOF:  True")}));
}

TEST_F(EnvelopeCommandTest, AddresseeFromOptions)
{
    ASSERT_EQ(run({QStringLiteral("--pdf"), file("o.pdf"), QStringLiteral("--name"), QStringLiteral("Ann Lee"), QStringLiteral("--street1"),
                   QStringLiteral("9 Elm St."), QStringLiteral("--street2"), QStringLiteral("Apt 2"), QStringLiteral("--city"),
                   QStringLiteral("Salem"), QStringLiteral("--state"), QStringLiteral("OR"), QStringLiteral("--zip"),
                   QStringLiteral("973011234")}),
              ExitStatus::ok);
    EXPECT_EQ(presenter->texts().value(1), QStringLiteral("Addressee:  Ann Lee\r\n9 Elm St.\r\nApt 2\r\nSalem, OR 97301-1234"));
}

TEST_F(EnvelopeCommandTest, PngOfTheEnvelope)
{
    ASSERT_EQ(run({QStringLiteral("--png"), file("out.png")}), ExitStatus::ok);
    const QImage image(file("out.png"));
    ASSERT_FALSE(image.isNull());
    EXPECT_NEAR(double(image.width()) / image.height(), 13680.0 / 5940.0, 0.01);
}

TEST_F(EnvelopeCommandTest, HelpGoesToStandardOutput)
{
    EXPECT_EQ(run({QStringLiteral("--help")}), ExitStatus::ok);
    EXPECT_TRUE(captured.out().startsWith(QLatin1String("Usage: envelope")));
    EXPECT_TRUE(presenter->messages.empty());
}

struct UsageRow {
    const char *name;
    QStringList args;
    const char *mentioned;
};

void PrintTo(const UsageRow &row, std::ostream *os) { *os << row.name; }

class BadUsage : public EnvelopeCommandTest, public ::testing::WithParamInterface<UsageRow> {};

TEST_P(BadUsage, ExitsTwoWithAUsageLineAndPrintsNothing)
{
    EXPECT_EQ(run(GetParam().args), ExitStatus::usage);
    EXPECT_TRUE(captured.err().contains(QLatin1String(GetParam().mentioned))) << qPrintable(captured.err());
    EXPECT_TRUE(captured.err().contains(QLatin1String("Usage: envelope")));
    EXPECT_TRUE(presenter->messages.empty()); // no report was made
}

INSTANTIATE_TEST_SUITE_P(
    Cli, BadUsage,
    ::testing::Values(UsageRow{"UnknownOption", {QStringLiteral("--colour")}, "colour"},
                      UsageRow{"MissingValue", {QStringLiteral("--zip")}, "zip"},
                      UsageRow{"ZipNotANumber", {QStringLiteral("--zip"), QStringLiteral("9290l")}, "9290l"},
                      UsageRow{"ZipTooLarge", {QStringLiteral("--zip"), QStringLiteral("99999999999")}, "99999999999"},
                      UsageRow{"TwoOutputs", {QStringLiteral("--pdf"), QStringLiteral("a.pdf"), QStringLiteral("--png"), QStringLiteral("a.png")}, "only one"},
                      UsageRow{"EmptyPdfName", {QStringLiteral("--pdf"), QString()}, "--pdf"},
                      UsageRow{"Repeated", {QStringLiteral("--name"), QStringLiteral("A"), QStringLiteral("--name"), QStringLiteral("B")}, "more than once"},
                      UsageRow{"StrayArgument", {QStringLiteral("extra")}, "extra"},
                      UsageRow{"DatabaseWithoutSql", {QStringLiteral("--database"), QStringLiteral("sqlite:/tmp/x.db")}, "--sql"},
                      UsageRow{"UnknownBarcode", {QStringLiteral("--barcode"), QStringLiteral("code128")}, "--barcode \"code128\""},
                      UsageRow{"MailerIdNineNotStartingWith9", {QStringLiteral("--mailer-id"), QStringLiteral("123456789")}, "--mailer-id \"123456789\""},
                      UsageRow{"ServiceTypeNotThreeDigits", {QStringLiteral("--service-type"), QStringLiteral("27")}, "--service-type \"27\""},
                      UsageRow{"BarcodeIdSecondDigit", {QStringLiteral("--barcode-id"), QStringLiteral("05")}, "--barcode-id \"05\""},
                      UsageRow{"SerialTooLongForMailerId", {QStringLiteral("--mailer-id"), QStringLiteral("912345678"), QStringLiteral("--serial"), QStringLiteral("1234567")}, "--serial \"1234567\""}),
    [](const auto &row) { return std::string(row.param.name); });

TEST_F(EnvelopeCommandTest, UnwritableOutputIsFatalAndNamesTheFile)
{
    EXPECT_EQ(run({QStringLiteral("--pdf"), QStringLiteral("/no/such/folder/out.pdf")}), ExitStatus::failed);
    EXPECT_TRUE(captured.err().contains(QLatin1String("/no/such/folder"))) << qPrintable(captured.err());
}

TEST_F(EnvelopeCommandTest, NameNoInstalledFontCanPrintIsFatalAndPrintsNothing)
{
    EXPECT_EQ(run({QStringLiteral("--pdf"), file("out.pdf"), QStringLiteral("--name"), QString::fromUtf8("Zoë 🙂")}), ExitStatus::failed);
    EXPECT_TRUE(captured.err().contains(QLatin1String("the name has characters no installed font can print: U+1F642")))
        << qPrintable(captured.err());
    EXPECT_FALSE(QFile::exists(file("out.pdf")));
}

TEST_F(EnvelopeCommandTest, UnknownPrinterIsFatal)
{
    EXPECT_EQ(run({QStringLiteral("--printer"), QStringLiteral("no-such-queue-here")}), ExitStatus::failed);
    EXPECT_TRUE(captured.err().contains(QLatin1String("no-such-queue-here"))) << qPrintable(captured.err());
}

TEST_F(EnvelopeCommandTest, MissingDatabaseIsFatalNamesItAndCreatesNothing)
{
    const QString missing = file("court.db");
    EXPECT_EQ(run({QStringLiteral("--sql"), QStringLiteral("SELECT 1"), QStringLiteral("--database"), QStringLiteral("sqlite:") + missing,
                   QStringLiteral("--pdf"), file("out.pdf")}),
              ExitStatus::failed);
    EXPECT_TRUE(captured.err().contains(missing)) << qPrintable(captured.err());
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_FALSE(QFile::exists(file("out.pdf")));
}

TEST_F(EnvelopeCommandTest, QueryWithoutADatabaseIsFatal)
{
    EXPECT_EQ(run({QStringLiteral("--sql"), QStringLiteral("SELECT 1"), QStringLiteral("--pdf"), file("out.pdf")}), ExitStatus::failed);
    EXPECT_TRUE(captured.err().contains(QLatin1String("no database connection is open"))) << qPrintable(captured.err());
    EXPECT_EQ(presenter->texts(), (QStringList{QStringLiteral("Case Else; no return address."), QStringLiteral("Should not see this; no SQL.")}));
}

} // namespace
