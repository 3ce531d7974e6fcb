#include "envelope_report/rptEnvelope.h"

#include "envelope_report/EnvelopeLayout.h"
#include "envelope_report/EnvelopeProduct.h"
#include "envelope_report/ZipFormatter.h"
#include "folders_settings/modFolderFunctions.h"
#include "folders_settings/modGetParentEXEPath.h"
#include "folders_settings/modINIFile.h"
#include "platform/MessagePresenterFactory.h"
#include "platform/QtPrinterDialog.h"
#include "platform/WindowsApi.h"
#include "reporting_engine/RecordSource.h"

#include <QCoreApplication>

#include <exception>

namespace envelope {
namespace {

const QString crlf = QStringLiteral("\r\n");
const QString fieldsSection = QStringLiteral("FIELDS");

// Leading and trailing blanks only; a tab is part of the value.
QString trimSpaces(const QString &s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && s.at(end - 1) == QLatin1Char(' '))
        --end;
    return s.mid(begin, end - begin);
}

} // namespace

// The host's message boxes carry its title, as on Windows: Qt's application name,
// which is the executable's name unless the host set another.
rptEnvelope::rptEnvelope()
    : rptEnvelope(platform::WindowsApi::fromEnvironment(
          platform::MessagePresenterFactory::forThisProcess(QCoreApplication::applicationName())))
{
}

rptEnvelope::rptEnvelope(std::shared_ptr<platform::WindowsApi> api) : engine::Report(QStringLiteral("Envelope")), m_api(std::move(api))
{
    EnvelopeProduct::applyTo(*this);
    setPrinterDialog(platform::QtPrinterDialog::ifScreenAvailable());
    loadDesign();
    ActiveReport_Initialize();
}

rptEnvelope::~rptEnvelope()
{
    // Closing a query cannot fail; should it all the same, say so rather than end
    // the program from a destructor.
    try {
        ActiveReport_Terminate();
    } catch (const std::exception &e) {
        m_api->MessageBox(QStringLiteral("Closing the record source failed: ") + QString::fromUtf8(e.what()));
    }
}

void rptEnvelope::loadDesign()
{
    // The design's page is Letter with one-inch margins (the engine's new page);
    // ActiveReport_ReportStart turns it into the envelope at every run.
    setPrintWidth(EnvelopeLayout::printWidthTwips);
    engine::Section &detail = addSection(QStringLiteral("Detail"), EnvelopeLayout::detailHeightTwips);
    for (const EnvelopeLayout::Box &box : EnvelopeLayout::boxes()) {
        if (box.kind == EnvelopeLayout::Box::Kind::Barcode)
            detail.add<engine::Barcode>(box.name, box.rectTwips, box.dataField, box.style);
        else
            detail.add<engine::TextBox>(box.name, box.rectTwips, box.style);
    }
}

void rptEnvelope::ActiveReport_Initialize()
{
    folders::modGetParentEXEPath exePath(*m_api);
    const QString hostName = exePath.GetParentEXEName().toUpper();
    ReturnAddressName.clear();
    ReturnAddress.clear();

    if (hostName == QLatin1String("KORVAMAIN")) {
        LoadReturnAddress(QStringLiteral("ARYSFT"), QStringLiteral("SFTFLG8"), QStringLiteral("County Circuit Clerk"), true);
    } else if (hostName == QLatin1String("KORVAPROBATION")) {
        LoadReturnAddress(QStringLiteral("PRBSFT"), QStringLiteral("SFTFLG1"), QStringLiteral("County Probation"), false);
    } else if (hostName == QLatin1String("KORVAJURY")) {
        folders::modFolderFunctions folders(*m_api);
        folders::modINIFile ini(*m_api);
        const QString commissioner = ini.GetINIValue(folders.GetClientTablesFolder() + QStringLiteral("JURSFT.INI"), fieldsSection,
                                                     QStringLiteral("SFTCMM"), QStringLiteral("N"));
        LoadReturnAddress(QStringLiteral("JURSFT"), QStringLiteral("SFTFLG1"), QStringLiteral("County Jury"),
                          commissioner != QLatin1String("Y"));
    } else if (hostName == QLatin1String("KORVAPUBLICDEFENDER")) {
        LoadReturnAddress(QStringLiteral("DEFSFT"), QStringLiteral("SFTRTNADR"), QStringLiteral("Public Defender"), true);
    } else {
        m_api->MessageBox(QStringLiteral("Case Else; no return address."));
    }
}

void rptEnvelope::LoadReturnAddress(const QString &settingsBaseName, const QString &enablingKey, const QString &officeTitle,
                                    bool nameLineWanted)
{
    folders::modFolderFunctions folders(*m_api);
    folders::modINIFile ini(*m_api);
    const QString file = folders.GetClientTablesFolder() + settingsBaseName + QStringLiteral(".INI");
    const auto read = [&](const char *key, const QString &dflt = QString()) {
        return ini.GetINIValue(file, fieldsSection, QLatin1String(key), dflt);
    };

    if (ini.GetINIValue(file, fieldsSection, enablingKey, QString()) != QLatin1String("Y"))
        return;

    if (nameLineWanted) {
        ReturnAddressName = trimSpaces(read("SFTCLK"));
        ReturnAddress = trimSpaces(read("SFTCO")) + QLatin1Char(' ') + officeTitle + crlf;
    } else {
        ReturnAddressName = trimSpaces(read("SFTCO")) + QLatin1Char(' ') + officeTitle;
    }
    ReturnAddress += read("SFTSTR") + crlf;
    const QString zip = read("SFTZIP", QStringLiteral("000000000"));
    const QString city = read("SFTCTY");
    const QString state = read("SFTSTA");
    ReturnAddress += city + QLatin1Char(' ') + state + QStringLiteral(", ") + ZipFormatter::format(zip);
}

void rptEnvelope::ActiveReport_ReportStart()
{
    // Each setting goes through the engine afresh; a refused one ends the handler
    // there with the earlier ones in force.
    pageSettings().setLeftMargin(0);
    pageSettings().setTopMargin(0);
    pageSettings().setRightMargin(0);
    pageSettings().setBottomMargin(0);
    printerSettings().setPaperSize(EnvelopeLayout::paperSize);
    printerSettings().setPaperSource(EnvelopeLayout::paperSource);
    pageSettings().setOrientation(EnvelopeLayout::orientation);
    barcode(QStringLiteral("barPostNet")).setStyle(engine::Barcode::stylePostnet);
}

void rptEnvelope::ActiveReport_DataInitialize()
{
    if (!SQL.isEmpty()) {
        m_api->MessageBox(QStringLiteral("Should not see this; no SQL."));
        // A record source from an earlier run is closed before it is replaced, so
        // its query and the connection's resources are not left open.
        if (m_recordSource)
            m_recordSource->close();
        m_recordSource = std::make_unique<engine::RecordSource>();
        m_recordSource->open(SQL);
        if (m_recordSource->endOfData())
            m_api->MessageBox(QStringLiteral("No record found."), QStringLiteral("Print an Envelope"));
    }
    fields().add(QStringLiteral("FooterBarCode"));
}

void rptEnvelope::ActiveReport_FetchData(bool &eof)
{
    if (eof)
        return;
    writeAddressBlock(ZipFormatter::format(static_cast<std::int64_t>(AddresseeZipCode)));
    m_api->MessageBox(QStringLiteral("Addressee:  ") + textBox(QStringLiteral("fldAddress")).text());
    writeReturnAddressAndBarcode(QVariant::fromValue<qint32>(AddresseeZipCode));
    eof = true;
    m_api->MessageBox(QStringLiteral("NewEOF:  ") + (eof ? QStringLiteral("True") : QStringLiteral("False")));
}

void rptEnvelope::writeAddressBlock(const QString &zipText)
{
    // Built line by line through the text box, each step reading back what it wrote.
    const QString address = QStringLiteral("fldAddress");
    textBox(address).setText(AddresseeName + crlf);
    textBox(address).setText(textBox(address).text() + AddresseeStreet1 + crlf);
    if (!AddresseeStreet2.isEmpty())
        textBox(address).setText(textBox(address).text() + AddresseeStreet2 + crlf);
    textBox(address).setText(textBox(address).text() + AddresseeCity + QStringLiteral(", ") + AddresseeState + QLatin1Char(' ') + zipText);
}

void rptEnvelope::writeReturnAddressAndBarcode(const QVariant &barcodeValue)
{
    textBox(QStringLiteral("fldReturnAddressName")).setText(ReturnAddressName);
    textBox(QStringLiteral("fldReturnAddress")).setText(ReturnAddress);
    fields().item(QStringLiteral("FooterBarCode")).value = barcodeValue;
}

void rptEnvelope::ActiveReport_Terminate()
{
    // With nothing held (never run, or SQL set only after the run) there is nothing to close.
    if (!SQL.isEmpty() && m_recordSource) {
        m_recordSource->close();
        m_recordSource.reset();
    }
}

} // namespace envelope
