// The printer commands: what each printer would do with an envelope, its profile
// set, shown and reset, and every bad input refused with the profile file unchanged.
#include "cli/EnvelopeCommand.h"
#include "cli/ExitStatus.h"
#include "cli/PrinterCommand.h"
#include "support/CapturedStreams.h"
#include "support/CupsTestQueue.h"
#include "support/PdfReport.h"
#include "support/RecordingMessagePresenter.h"
#include "support/WinePrefixFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using cli::EnvelopeCommand;
using cli::PrinterCommand;
using cli::ExitStatus;
using ::testing::HasSubstr;

namespace {

class PrinterCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }

    // A printer command by its word; else the single envelope, which reads the profiles too.
    int run(const QStringList &args)
    {
        const QStringList arguments = QStringList{QStringLiteral("envelope")} + args;
        if (PrinterCommand::handles(args.value(0)))
            return PrinterCommand(captured.io()).run(arguments);
        return EnvelopeCommand(prefix.api(presenter), captured.io()).run(arguments);
    }
    QString profileFile() const { return dir.filePath(QStringLiteral("korva-envelope/printers.conf")); }
    QByteArray profileText() const
    {
        QFile f(profileFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    void writeProfileText(const QByteArray &text) const
    {
        QDir().mkpath(QFileInfo(profileFile()).absolutePath());
        QFile f(profileFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QTemporaryDir dir;
    testsupport::WinePrefixFixture prefix;
    std::shared_ptr<testsupport::RecordingMessagePresenter> presenter = std::make_shared<testsupport::RecordingMessagePresenter>();
    testsupport::CapturedStreams captured;
    const QString queue = QString::fromLatin1(testsupport::cupsTestQueue);
};

TEST_F(PrinterCommandTest, ProfileIsSetShownAndReset)
{
    if (!testsupport::cupsTestQueuesReady())
        return;
    ASSERT_EQ(run({QStringLiteral("printer-profile"), queue, QStringLiteral("--offset-x"), QStringLiteral("0.05"),
                   QStringLiteral("--offset-y"), QStringLiteral("-0.02"), QStringLiteral("--source"), QStringLiteral("envelope")}),
              ExitStatus::ok)
        << qPrintable(captured.err());
    EXPECT_EQ(profileText(), QByteArray("[envelope-test]\noffset-x = 0.05\noffset-y = -0.02\nrotate = 0\nsource = envelope\n"));
    ASSERT_EQ(run({QStringLiteral("printer-profile"), queue, QStringLiteral("--rotate"), QStringLiteral("180")}), ExitStatus::ok);
    EXPECT_THAT(captured.out().toStdString(),
                HasSubstr("envelope-test: offset 0.05 in right, -0.02 in down, turned 180°, source envelope (from "));

    ASSERT_EQ(run({QStringLiteral("printer-profile"), queue, QStringLiteral("--reset")}), ExitStatus::ok);
    EXPECT_EQ(profileText(), QByteArray());
    ASSERT_EQ(run({QStringLiteral("printers")}), ExitStatus::ok);
    EXPECT_THAT(captured.out().toStdString(), HasSubstr("envelope-test\n  No. 10 envelope: offered\n"
                                                        "  paper sources: auto \"Automatic\", envelope \"Envelope Feeder\"\n"
                                                        "  envelope source: envelope \"Envelope Feeder\" (the printer's envelope feeder)\n"
                                                        "  envelope media type: none sent (the queue offers no choice of media type: the printer's own)\n"
                                                        "  profile: none stored ("));
}

struct BadInput {
    const char *name;
    std::vector<const char *> args; // QUEUE stands for the test queue
    int status;
    const char *message;
    bool needsCups;
};

void PrintTo(const BadInput &c, std::ostream *os) { *os << c.name; }

class PrinterCommandBadInput : public PrinterCommandTest, public ::testing::WithParamInterface<BadInput> {};

TEST_P(PrinterCommandBadInput, IsRefusedLeavingTheProfileAsItWas)
{
    const BadInput &c = GetParam();
    if (c.needsCups && !testsupport::cupsTestQueuesReady())
        return;
    const QByteArray before = "; mine\n[envelope-test]\noffset-x = 0.01\n";
    writeProfileText(before);
    QStringList args;
    for (const char *a : c.args)
        args << (QLatin1String(a) == QLatin1String("QUEUE") ? queue : QString::fromUtf8(a));
    EXPECT_EQ(run(args), c.status);
    EXPECT_THAT(captured.err().toStdString(), HasSubstr(c.message));
    EXPECT_EQ(profileText(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Printers, PrinterCommandBadInput,
    ::testing::Values(
        BadInput{"NoQueue", {"printer-profile"}, 2, "printer-profile needs the printer's queue name", false},
        BadInput{"OffsetNotANumber", {"printer-profile", "QUEUE", "--offset-x", "0,1"}, 2, "--offset-x \"0,1\" is not a number of inches", false},
        BadInput{"RotateNot0Or180", {"printer-profile", "QUEUE", "--rotate", "90"}, 2, "--rotate \"90\": give 0 or 180", false},
        BadInput{"CalibrateWithoutOutput", {"calibrate"}, 2, "calibrate needs either --printer QUEUE or --pdf FILE", false},
        BadInput{"WaitWithPdf", {"--pdf", "x.pdf", "--wait"}, 2, "--wait goes with printing", false},
        BadInput{"UnknownQueue", {"printer-profile", "no-such-queue", "--offset-x", "0.1"}, 1, "no-such-queue", true},
        BadInput{"OffsetPushesABoxOff", {"printer-profile", "QUEUE", "--offset-x", "2.7"}, 1,
                 "Moved 2.7 in right and 0 in down, fldAddress would lie off the page.", true},
        BadInput{"OffsetPushesTheBlockOutOfTheReadArea", {"printer-profile", "QUEUE", "--offset-y", "0.8"}, 1,
                 "Moved 0.01 in right and 0.8 in down, fldAddress: the address block (4.385, 2.862 to 6.822, 3.612 in) is not "
                 "wholly inside the OCR read area", true},
        BadInput{"SourceNotOffered", {"printer-profile", "QUEUE", "--source", "tray-9"}, 1,
                 "offers no paper source \"tray-9\"; it offers: ", true},
        BadInput{"MediaTypeNotOffered", {"printer-profile", "envelope-hp4250", "--media-type", "glossy"}, 1,
                 "Printer \"envelope-hp4250\" offers no media type \"glossy\"; it offers: light, none, stationery", true}),
    [](const auto &param) { return std::string(param.param.name); });

TEST_F(PrinterCommandTest, DamagedProfileFileIsNamedAndNothingIsPrinted)
{
    if (!testsupport::cupsTestQueuesReady())
        return;
    writeProfileText("[envelope-test]\noffset-x = left\n");
    EXPECT_EQ(run({QStringLiteral("--printer"), queue}), ExitStatus::failed);
    EXPECT_THAT(captured.err().toStdString(), HasSubstr(profileFile().toStdString() + " line 2: offset-x = \"left\" is not a number of inches"));
    EXPECT_THAT(captured.err().toStdString(), ::testing::Not(HasSubstr("printed on")));
}

TEST_F(PrinterCommandTest, CalibrationEnvelopeAsPdf)
{
    const QString pdf = dir.filePath(QStringLiteral("calibration.pdf"));
    ASSERT_EQ(run({QStringLiteral("calibrate"), QStringLiteral("--pdf"), pdf}), ExitStatus::ok) << qPrintable(captured.err());
    testsupport::PdfReport report(pdf);
    EXPECT_EQ(report.pageCount(), 1);
    EXPECT_EQ(report.pageSizePoints(), QSizeF(684, 297));
}

} // namespace
