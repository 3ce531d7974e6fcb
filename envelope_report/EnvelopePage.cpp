#include "envelope_report/EnvelopePage.h"

#include "envelope_report/EnvelopeLayout.h"
#include "envelope_report/EnvelopeProduct.h"
#include "platform/QtPrinterDialog.h"
#include "postal/codes/IntelligentMailSymbology.h"
#include "postal/codes/PostnetSymbology.h"
#include "postal/addresses/ReaderRules.h"
#include "reporting_engine/model/BarSymbology.h"
#include "reporting_engine/report/Report.h"

#include <mutex>

namespace envelope {
namespace {

const QString addressBox = QStringLiteral("fldAddress");

const QString barcodeField = QStringLiteral("FooterBarCode");
const QString barcodeBox = QStringLiteral("barPostNet");

// The engine knows no symbology: the envelope's style codes select the postal ones.
void registerSymbologies()
{
    static std::once_flag once;
    std::call_once(once, [] {
        engine::BarSymbology::registerStyle(EnvelopeLayout::postnetStyle, std::make_shared<postal::PostnetSymbology>());
        engine::BarSymbology::registerStyle(EnvelopeLayout::intelligentMailStyle,
                                            std::make_shared<postal::IntelligentMailSymbology>());
    });
}

} // namespace

EnvelopePage::EnvelopePage(engine::Report &report) : m_report(report)
{
    registerSymbologies();
    EnvelopeProduct::applyTo(m_report);
    m_report.setPrinterDialog(platform::QtPrinterDialog::ifScreenAvailable());
    // The design's page is Letter with one-inch margins (the engine's new page);
    // setUpPaper turns it into the envelope at every run.
    m_report.setPrintWidth(EnvelopeLayout::printWidthTwips);
    EnvelopeLayout::checkIntelligentMailPlacement(EnvelopeLayout::boxes(), EnvelopeLayout::intelligentMailBox());
    EnvelopeLayout::checkReaderPlacement(EnvelopeLayout::boxes());
    engine::Section &detail = m_report.addSection(QStringLiteral("Detail"), EnvelopeLayout::detailHeightTwips);
    for (const EnvelopeLayout::Box &box : EnvelopeLayout::boxes()) {
        if (box.kind == EnvelopeLayout::Box::Kind::Barcode)
            detail.add<engine::Barcode>(box.name, box.rectTwips, box.dataField, box.style);
        else
            detail.add<engine::TextBox>(box.name, box.rectTwips, box.style);
    }
    // The readers' smallest type; a block that needs less is cut at the box's edge and
    // reported (AddresseeBox). The return address is not read by machines.
    m_report.setMinimumTextSize(addressBox, postal::ReaderRules::minimumPointSize);
    // Where the readers look for the block, wherever a printer's profile moves the page.
    const auto paper = engine::PaperCatalog::paper(EnvelopeLayout::paperSize);
    m_report.setPlacementArea(addressBox, postal::ReaderRules::ocrReadArea(QSizeF(paper->heightTwips, paper->widthTwips)),
                              QStringLiteral("the OCR read area"));
}

void EnvelopePage::setUpPaper(bool intelligentMail)
{
    m_report.pageSettings().setLeftMargin(0);
    m_report.pageSettings().setTopMargin(0);
    m_report.pageSettings().setRightMargin(0);
    m_report.pageSettings().setBottomMargin(0);
    m_report.printerSettings().setPaperSize(EnvelopeLayout::paperSize);
    m_report.printerSettings().setPaperSource(EnvelopeLayout::paperSource);
    m_report.pageSettings().setOrientation(EnvelopeLayout::orientation);
    engine::Barcode &barcode = m_report.barcode(barcodeBox);
    barcode.setStyle(intelligentMail ? EnvelopeLayout::intelligentMailStyle : EnvelopeLayout::postnetStyle);
    barcode.setGeometry(intelligentMail ? EnvelopeLayout::intelligentMailBox() : EnvelopeLayout::boxes()[1].rectTwips);
}

void EnvelopePage::addFields() { m_report.fields().add(barcodeField); }

void EnvelopePage::fill(const QString &addressBlock, const QVariant &barcodeValue)
{
    m_report.textBox(addressBox).setText(addressBlock);
    m_report.textBox(QStringLiteral("fldReturnAddressName")).setText(m_from.name);
    m_report.textBox(QStringLiteral("fldReturnAddress")).setText(m_from.lines);
    m_report.fields().item(barcodeField).value = barcodeValue;
}

const QString &EnvelopePage::addressBlock() const { return m_report.textBox(addressBox).text(); }

} // namespace envelope
