// The envelope report: its page setup, its addressee block and barcode field,
// its messages, and the envelope as it comes out of the PDF.
#include "envelope_report/EnvelopeLayout.h"
#include "envelope_report/rptEnvelope.h"
#include "reporting_engine/base/EngineError.h"
#include "support/PdfReport.h"
#include "support/RecordingMessagePresenter.h"
#include "support/WinePrefixFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

using envelope::rptEnvelope;
using testsupport::RecordingMessagePresenter;

namespace {

const QString caseElse = QStringLiteral("Case Else; no return address.");

struct Addressee {
    QString name, street1, street2, city, state;
    std::int32_t zip;
};

const Addressee sample{QStringLiteral("Orrin Vask"), QStringLiteral("123 Here Rd."), QString(), QStringLiteral("Nowheresville"),
                       QStringLiteral("AK"), 92901};

class EnvelopeFixture : public ::testing::Test {
protected:
    std::unique_ptr<rptEnvelope> makeReport(const Addressee &a = sample)
    {
        auto r = std::make_unique<rptEnvelope>(prefix.api(presenter));
        r->AddresseeName = a.name;
        r->AddresseeStreet1 = a.street1;
        r->AddresseeStreet2 = a.street2;
        r->AddresseeCity = a.city;
        r->AddresseeState = a.state;
        r->AddresseeZipCode = a.zip;
        r->setDestination(engine::PrintDestination::pdfFile(pdfPath()));
        return r;
    }
    QString pdfPath() const { return out.filePath(QStringLiteral("envelope.pdf")); }

    testsupport::WinePrefixFixture prefix;
    std::shared_ptr<RecordingMessagePresenter> presenter = std::make_shared<RecordingMessagePresenter>();
    QTemporaryDir out;
};

struct BlockRow {
    const char *name;
    Addressee addressee;
    const char *block;
};

void PrintTo(const BlockRow &row, std::ostream *os) { *os << row.name; }

class AddresseeBlock : public EnvelopeFixture, public ::testing::WithParamInterface<BlockRow> {};

TEST_P(AddresseeBlock, IsBuiltShownAndPrintedAsGiven)
{
    const BlockRow &row = GetParam();
    auto report = makeReport(row.addressee);
    report->PrintReport(false);

    const QString block = QString::fromUtf8(row.block);
    EXPECT_EQ(report->textBox(QStringLiteral("fldAddress")).text(), block);
    EXPECT_EQ(presenter->texts(), (QStringList{caseElse, QStringLiteral("Addressee:  ") + block, QStringLiteral("NewEOF:  True")}));
    for (const auto &m : presenter->messages)
        EXPECT_TRUE(m.caption.isEmpty()) << "a message of its own caption: " << qPrintable(m.caption);
    // The field holds the number itself, not the text of the block.
    const QVariant field = report->fields().item(QStringLiteral("FooterBarCode")).value;
    EXPECT_EQ(field.typeId(), QMetaType::Int);
    EXPECT_EQ(field.toInt(), row.addressee.zip);
}

INSTANTIATE_TEST_SUITE_P(
    Envelope, AddresseeBlock,
    ::testing::Values(
        BlockRow{"Sample", sample, "Orrin Vask\r\n123 Here Rd.\r\nNowheresville, AK 92901"},
        BlockRow{"SecondStreetLine",
                 {QStringLiteral("Ann Lee"), QStringLiteral("Suite 4"), QStringLiteral("9 Elm St."), QStringLiteral("Salem"),
                  QStringLiteral("OR"), 97301},
                 "Ann Lee\r\nSuite 4\r\n9 Elm St.\r\nSalem, OR 97301"},
        BlockRow{"SecondStreetLineOneBlank",
                 {QStringLiteral("Ann Lee"), QStringLiteral("Suite 4"), QStringLiteral(" "), QStringLiteral("Salem"), QStringLiteral("OR"),
                  97301},
                 "Ann Lee\r\nSuite 4\r\n \r\nSalem, OR 97301"},
        BlockRow{"AllEmptyZipZero", {QString(), QString(), QString(), QString(), QString(), 0}, "\r\n\r\n,  00000-0000"},
        BlockRow{"ZipPlusFour",
                 {QStringLiteral("Bo"), QStringLiteral("1 A St."), QString(), QStringLiteral("Reno"), QStringLiteral("NV"), 895011234},
                 "Bo\r\n1 A St.\r\nReno, NV 89501-1234"},
        BlockRow{"LeadingZeroZip",
                 {QStringLiteral("Cy"), QStringLiteral("2 B St."), QString(), QStringLiteral("Boston"), QStringLiteral("MA"), 2134},
                 "Cy\r\n2 B St.\r\nBoston, MA 02134"},
        BlockRow{"NothingTrimmed",
                 {QStringLiteral("  Di  "), QStringLiteral("3 C St. "), QString(), QStringLiteral(" Troy"), QStringLiteral("ny"), 12180},
                 "  Di  \r\n3 C St. \r\n Troy, ny 12180"}),
    [](const auto &row) { return std::string(row.param.name); });

// Reaches the report's data event the way the engine does, with eof already set.
class EofProbe final : public rptEnvelope {
public:
    using rptEnvelope::rptEnvelope;
    void fetchWithEof(bool &eof) { fetchData(eof); }
};

TEST_F(EnvelopeFixture, EofOnEntryWritesNothingAndShowsNothing)
{
    EofProbe report(prefix.api(presenter));
    presenter->messages.clear();
    bool eof = true;
    report.fetchWithEof(eof);
    EXPECT_TRUE(eof);
    EXPECT_TRUE(presenter->messages.empty());
    EXPECT_EQ(report.textBox(QStringLiteral("fldAddress")).text(), QStringLiteral("fldAddress"));
}

TEST_F(EnvelopeFixture, ReportStartMakesThePageSettingsInOrderEveryRun)
{
    auto report = makeReport();
    QStringList seen;
    report->setSettingHook([&seen](const QString &setting, double value) { seen << QStringLiteral("%1=%2").arg(setting).arg(value); });
    EXPECT_EQ(report->pageSizeTwips(), QSizeF(12240, 15840)); // the design's Letter page until a run starts
    EXPECT_EQ(report->pageSettings().leftMargin(), 1440);
    const QStringList seven{QStringLiteral("LeftMargin=0"), QStringLiteral("TopMargin=0"), QStringLiteral("RightMargin=0"),
                            QStringLiteral("BottomMargin=0"), QStringLiteral("PaperSize=20"), QStringLiteral("PaperSource=5"),
                            QStringLiteral("Orientation=2")};
    report->PrintReport(false);
    EXPECT_EQ(seen, seven);
    EXPECT_EQ(report->barcode(QStringLiteral("barPostNet")).style(), envelope::EnvelopeLayout::postnetStyle); // the eighth, made last
    report->PrintReport(false);
    EXPECT_EQ(seen, seven + seven);
    EXPECT_EQ(report->pageSizeTwips(), QSizeF(13680, 5940));
    EXPECT_EQ(report->printWidth(), report->pageSizeTwips().width());
}

TEST_F(EnvelopeFixture, ARefusedPaperSizeEndsTheRunWithTheMarginsAlreadyZero)
{
    auto report = makeReport();
    report->setSettingHook([](const QString &setting, double) {
        if (setting == QLatin1String("PaperSize"))
            throw engine::EngineError(QStringLiteral("The printer refuses paper size 20."));
    });
    presenter->messages.clear();
    EXPECT_THROW(report->PrintReport(false), engine::EngineError);
    EXPECT_EQ(report->pageSettings().leftMargin(), 0);
    EXPECT_EQ(report->pageSettings().bottomMargin(), 0);
    EXPECT_EQ(report->printerSettings().paperSize(), 1);
    EXPECT_EQ(report->printerSettings().paperSource(), 7);
    EXPECT_EQ(report->pageSettings().orientation(), 1);
    EXPECT_EQ(report->barcode(QStringLiteral("barPostNet")).style(), 0);
    EXPECT_TRUE(presenter->messages.empty()); // the data events never ran
    EXPECT_FALSE(QFile::exists(pdfPath()));
}

TEST_F(EnvelopeFixture, DesignPlacesTheFourControlsInOrder)
{
    auto report = makeReport();
    ASSERT_EQ(report->sections().size(), 1u);
    const engine::Section &detail = *report->sections().front();
    EXPECT_EQ(detail.name(), QStringLiteral("Detail"));
    EXPECT_EQ(detail.height(), 5760);
    QStringList names;
    for (const auto &c : detail.controls())
        names << c->name();
    EXPECT_EQ(names, (QStringList{QStringLiteral("fldAddress"), QStringLiteral("barPostNet"), QStringLiteral("fldReturnAddressName"),
                                  QStringLiteral("fldReturnAddress")}));
    EXPECT_EQ(report->control(QStringLiteral("barPostNet")).geometry().top(),
              report->control(QStringLiteral("fldAddress")).geometry().bottom());
    EXPECT_EQ(report->control(QStringLiteral("fldReturnAddress")).geometry().top(),
              report->control(QStringLiteral("fldReturnAddressName")).geometry().bottom());
}

TEST_F(EnvelopeFixture, PrintedEnvelopeHasItsLinesInsideTheAddresseeBox)
{
    auto report = makeReport();
    report->PrintReport(false);
    testsupport::PdfReport pdf(pdfPath());
    EXPECT_EQ(pdf.pageCount(), 1);
    EXPECT_EQ(pdf.pageSizePoints(), QSizeF(684, 297));
    EXPECT_TRUE(pdf.allFontsEmbedded());
    EXPECT_EQ(pdf.creator(), QStringLiteral("Korva envelope printer")); // the engine names no product itself

    const QRectF addressBox(6300 / 20.0, 2970 / 20.0, 3510 / 20.0, 1080 / 20.0); // points
    const QStringList expected{QStringLiteral("Orrin"), QStringLiteral("Vask"), QStringLiteral("123"), QStringLiteral("Here"),
                               QStringLiteral("Rd."), QStringLiteral("Nowheresville,"), QStringLiteral("AK"), QStringLiteral("92901")};
    QStringList inside;
    for (const auto &w : pdf.words()) {
        if (addressBox.adjusted(-0.5, -0.5, 0.5, 0.5).contains(w.box))
            inside << w.text;
    }
    EXPECT_EQ(inside, expected);
}

// mail.conf chooses the barcode; without one the envelope keeps its POSTNET bars.
struct BarcodeRow {
    const char *name;
    const char *mailConf; // nullptr: none
    QRectF barsTwips;     // where the bars must be
    size_t bars;
    const char *digits;   // the line under them
};

void PrintTo(const BarcodeRow &row, std::ostream *os) { *os << row.name; }

class PostalBarcode : public EnvelopeFixture, public ::testing::WithParamInterface<BarcodeRow> {
protected:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", QFile::encodeName(out.filePath(QStringLiteral("config")))); }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }
};

TEST_P(PostalBarcode, PrintsItsBarsUnderTheAddresseeBlock)
{
    if (GetParam().mailConf) {
        ASSERT_TRUE(QDir().mkpath(out.filePath(QStringLiteral("config/korva-envelope"))));
        QFile conf(out.filePath(QStringLiteral("config/korva-envelope/mail.conf")));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write(QByteArray(GetParam().mailConf) + "serial-file = " + QFile::encodeName(out.filePath(QStringLiteral("serial"))) + "\n");
    }
    auto report = makeReport();
    report->PrintReport(false);
    testsupport::PdfReport pdf(pdfPath());
    const QRectF t = GetParam().barsTwips;
    const QRectF points(t.left() / 20, t.top() / 20, t.width() / 20, t.height() / 20);
    EXPECT_EQ(pdf.barsInside(points, 600).size(), GetParam().bars);
    QStringList under;
    for (const auto &w : pdf.words())
        if (w.box.top() >= points.top() && w.box.bottom() <= points.top() + 20 && w.box.left() >= points.left() - 0.5)
            under << w.text;
    EXPECT_EQ(under, QStringList{QLatin1String(GetParam().digits)});
}

INSTANTIATE_TEST_SUITE_P(
    Envelope, PostalBarcode,
    ::testing::Values(BarcodeRow{"DefaultPostnet", nullptr, QRectF(6300, 4050, 3510, 180), 32, "92901"},
                      // The first serial of a new counter is 0.
                      BarcodeRow{"IntelligentMailFromMailConf",
                                 "[KORVAJURY]\nbarcode = postnet\n[default]\nbarcode = imb\nmailer-id = 123456\nservice-type = 270\n",
                                 QRectF(6300, 4091, 4218, 209), 65, "00270123456000000000-92901"}),
    [](const auto &row) { return std::string(row.param.name); });

// An envelope that is not made gives its serial back: the next one gets it.
TEST_F(EnvelopeFixture, ACancelledEnvelopeGivesItsSerialBack)
{
    auto report = makeReport();
    report->mailSettings.barcode = QStringLiteral("imb");
    report->mailSettings.mailerId = QStringLiteral("123456");
    report->mailSettings.serviceType = QStringLiteral("270");
    report->mailSettings.serialFile = out.filePath(QStringLiteral("serial"));
    // Cancelled after its page is made, so after its serial is handed out.
    report->setCancelCheck([] { return true; });
    EXPECT_THROW(report->PrintReport(false), engine::EngineError);

    report->setCancelCheck({});
    report->PrintReport(false);
    QStringList words;
    for (const auto &w : testsupport::PdfReport(pdfPath()).words())
        words << w.text;
    EXPECT_TRUE(words.contains(QLatin1String("00270123456000000000-92901"))) << qPrintable(words.join(u' '));
}

TEST(EnvelopeLayoutTest, RefusesAnIntelligentMailBoxInThePostalClearZone)
{
    EXPECT_NO_THROW(envelope::EnvelopeLayout::checkIntelligentMailPlacement(envelope::EnvelopeLayout::boxes(),
                                                                            envelope::EnvelopeLayout::intelligentMailBox()));
    try {
        // Lowered to 4.7 in from the envelope's left, 3.4 in from its top: its bottom enters the bottom 5/8 in.
        envelope::EnvelopeLayout::checkIntelligentMailPlacement(envelope::EnvelopeLayout::boxes(), QRectF(6768, 4896, 4230, 400));
        ADD_FAILURE() << "accepted";
    } catch (const engine::EngineError &e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("4.700, 3.400 to 7.638, 3.678 in"))) << qPrintable(e.message());
        EXPECT_TRUE(e.message().contains(QLatin1String("clear zone (4.750, 3.500 to 9.500, 4.125 in)"))) << qPrintable(e.message());
    }
}

} // namespace

namespace {

// The single envelope: Pub 28 style on request; an address too wide at 8 pt prints cut at
// the box's edge with one message of its own, after the design's.
struct StyleRow {
    const char *name;
    const char *style;
    Addressee addressee;
    const char *block;
    const char *warning; // nullptr: the design's messages only
};

void PrintTo(const StyleRow &row, std::ostream *os) { *os << row.name; }

class SingleEnvelopeRules : public EnvelopeFixture, public ::testing::WithParamInterface<StyleRow> {};

TEST_P(SingleEnvelopeRules, PrintTheBlockInItsStyleAndWarnOnceWhenItIsCut)
{
    auto report = makeReport(GetParam().addressee);
    report->setAddressStyle(QString::fromUtf8(GetParam().style));
    report->PrintReport(false);
    const QString block = QString::fromUtf8(GetParam().block);
    QStringList expected{caseElse, QStringLiteral("Addressee:  ") + block, QStringLiteral("NewEOF:  True")};
    if (GetParam().warning)
        expected.insert(1, QString::fromUtf8(GetParam().warning));
    EXPECT_EQ(presenter->texts(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Envelope, SingleEnvelopeRules,
    ::testing::Values(
        StyleRow{"Pub28",
                 "pub28",
                 {QStringLiteral("Orrin Vask"), QStringLiteral("123 Here Road"), QStringLiteral("Apartment 4"), QStringLiteral("Anchorage"),
                  QStringLiteral("Alaska"), 99501},
                 "ORRIN VASK\r\n123 HERE RD\r\nAPT 4\r\nANCHORAGE AK 99501",
                 nullptr},
        StyleRow{"TooWideAtEightPoint",
                 "",
                 {QStringLiteral("Lena Marsh"), QStringLiteral("12345 North Southwest Extraordinarily Long Boulevard Apartment 1234"),
                  QString(), QStringLiteral("Salem"), QStringLiteral("OR"), 97301},
                 "Lena Marsh\r\n12345 North Southwest Extraordinarily Long Boulevard Apartment 1234\r\nSalem, OR 97301",
                 "The address does not fit its box at the smallest size the postal service's readers take and is cut at the box's "
                 "edge: line 2 is 67 characters; at 8 pt the box holds about 49."}),
    [](const auto &row) { return std::string(row.param.name); });

} // namespace
