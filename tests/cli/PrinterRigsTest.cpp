// The envelope on printers whose drivers nobody here wrote: a maker's PPD must get
// its envelope feeder and No. 10 size, the IPP Everywhere printer the tray that
// feeds without stopping (HP's "tray-1", not its hand-fed twin "manual") and a
// page that lands where the layout puts it; a printer profile moves what that
// printer receives by exactly its offset.
#include "support/CupsTestQueue.h"
#include "support/EnvelopeProcess.h"
#include "support/PdfReport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using testsupport::EnvelopeProcess;

struct RigCase {
    const char *name;
    const char *queue;
    const char *inputSlot; // PPD queues: the InputSlot and size the driver's output selects
    const char *pageSize;
    const char *source;    // the IPP Everywhere printer: the media-source it was sent
    const char *mediaType; // the driver's MediaType, or the media-type the printer was sent ("": none)
};

void PrintTo(const RigCase &c, std::ostream *os) { *os << c.name; }

class RigFixture : public ::testing::Test {
protected:
    testsupport::EnvelopeRun print(const char *queue, const QString &title, const QByteArray &profile = {})
    {
        if (!profile.isEmpty()) {
            QDir().mkpath(dir.filePath(QStringLiteral("korva-envelope")));
            QFile f(dir.filePath(QStringLiteral("korva-envelope/printers.conf")));
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(profile);
        }
        const EnvelopeProcess envelope(dir.path(), {QStringLiteral("XDG_CONFIG_HOME=") + dir.path()});
        return envelope.run({QStringLiteral("--printer"), QLatin1String(queue), QStringLiteral("--wait"), QStringLiteral("60"),
                             QStringLiteral("--name"), title});
    }

    // Where the addressee's name landed in the document the printer received, in
    // points on the envelope seen landscape: CUPS turns the page onto the portrait
    // No. 10 the printer feeds (its x is the envelope's height less our y).
    std::optional<QRectF> nameBox(const QString &title)
    {
        const testsupport::ReceivedJob job = testsupport::lastReceivedJob();
        if (!job.error.isEmpty() || job.documentPath.isEmpty()) {
            ADD_FAILURE() << "no document received: " << job.error.toStdString();
            return std::nullopt;
        }
        const testsupport::PdfReport received(job.documentPath);
        const QSizeF page = received.pageSizePoints();
        for (const auto &word : received.words()) {
            if (word.text != title)
                continue;
            const QRectF &b = word.box;
            return page.width() < page.height() ? QRectF(b.top(), page.width() - b.right(), b.height(), b.width()) : b;
        }
        ADD_FAILURE() << title.toStdString() << " not found in " << job.documentPath.toStdString();
        return std::nullopt;
    }

    QTemporaryDir dir;
};

class PrinterRig : public RigFixture, public ::testing::WithParamInterface<RigCase> {};

TEST_P(PrinterRig, EnvelopeReachesTheEnvelopeSource)
{
    const RigCase &c = GetParam();
    if (!testsupport::cupsRigReady(c.queue))
        return;
    const testsupport::CupsTestQueueLock lock(c.queue);
    ASSERT_TRUE(lock.isLocked());
    const testsupport::EnvelopeRun run = print(c.queue, QStringLiteral("Rigtest"));
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.stdErr);

    if (c.inputSlot) {
        const auto output = testsupport::FilterOutput::read(c.queue);
        ASSERT_TRUE(output.error().isEmpty()) << output.error().toStdString();
        EXPECT_EQ(output.feature("InputSlot"), QByteArray(c.inputSlot));
        EXPECT_EQ(output.pageSize(), QByteArray(c.pageSize));
        EXPECT_EQ(output.feature("MediaType"), QByteArray(c.mediaType));
        return;
    }
    const testsupport::ReceivedJob job = testsupport::lastReceivedJob();
    ASSERT_TRUE(job.error.isEmpty()) << job.error.toStdString();
    ASSERT_TRUE(job.mediaCol);
    EXPECT_EQ(job.mediaCol->source, QLatin1String(c.source));
    EXPECT_EQ(job.mediaCol->type, QLatin1String(c.mediaType));
    ASSERT_TRUE(job.mediaCol->size);
    EXPECT_NEAR(job.mediaCol->size->width(), testsupport::no10Size.width(), 1);
    EXPECT_NEAR(job.mediaCol->size->height(), testsupport::no10Size.height(), 1);
    // 1:1 on a printer with margins: the name starts at the layout's 6300, 2970 twips.
    const auto box = nameBox(QStringLiteral("Rigtest"));
    ASSERT_TRUE(box);
    EXPECT_NEAR(box->left(), 6300 / 20.0, 0.5);
    EXPECT_NEAR(box->top(), 2970 / 20.0, 0.5);
}

INSTANTIATE_TEST_SUITE_P(
    Rigs, PrinterRig,
    ::testing::Values(RigCase{"HpLaserJet4250", testsupport::cupsHp4250Queue, "EnvelopeFeeder", "Env10", nullptr, "Envelope"},
                      RigCase{"LexmarkT652", testsupport::cupsVendor2Queue, "EnvFeeder", "Comm10", nullptr, "Envelope"},
                      RigCase{"KyoceraFs1700", testsupport::cupsKyoceraQueue, "EF1", "Env10", nullptr, ""},
                      RigCase{"IppEverywhere", testsupport::cupsEverywhereQueue, nullptr, nullptr, "tray-1", "envelope"}),
    [](const auto &param) { return std::string(param.param.name); });

TEST_F(RigFixture, ProfileMovesWhatThePrinterReceivesByItsOffset)
{
    const char *queue = testsupport::cupsEverywhereQueue;
    if (!testsupport::cupsRigReady(queue))
        return;
    const testsupport::CupsTestQueueLock lock(queue);
    ASSERT_TRUE(lock.isLocked());
    const testsupport::EnvelopeRun plain = print(queue, QStringLiteral("Unmoved"));
    ASSERT_EQ(plain.exitCode, 0) << qPrintable(plain.stdErr);
    const auto before = nameBox(QStringLiteral("Unmoved"));
    const testsupport::EnvelopeRun moved =
        print(queue, QStringLiteral("Moved"), "[envelope-everywhere]\noffset-x = 0.25\noffset-y = -0.1\n");
    ASSERT_EQ(moved.exitCode, 0) << qPrintable(moved.stdErr);
    const auto after = nameBox(QStringLiteral("Moved"));
    ASSERT_TRUE(before && after);
    EXPECT_NEAR(after->left() - before->left(), 0.25 * 72, 0.2);
    EXPECT_NEAR(after->top() - before->top(), -0.1 * 72, 0.2);
}

} // namespace
