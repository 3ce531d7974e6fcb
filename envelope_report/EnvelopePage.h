#pragma once

#include "envelope_report/ReturnAddress.h"

#include <QString>
#include <QVariant>

namespace engine {
class Report;
}

namespace envelope {

// The envelope on a report: lays its design onto the report, sets its paper up
// for a run, and fills its page from one addressee. The single envelope and the
// batch are both made of it, so they print the very same envelope.
class EnvelopePage {
public:
    // The report's title: it names the print job and the fallback PDF file.
    static QString reportTitle() { return QStringLiteral("Envelope"); }

    // Lays the design onto a report that has none yet, with the printer dialog
    // this process can show.
    explicit EnvelopePage(engine::Report &report);

    void setReturnAddress(ReturnAddress from) { m_from = std::move(from); }
    const ReturnAddress &returnAddress() const { return m_from; }

    // At the start of every run: no margins, the No. 10 envelope from the envelope
    // feeder, landscape, POSTNET bars or the Intelligent Mail barcode in its own box.
    // Each setting goes through the engine afresh; a refused one throws with the
    // earlier ones in force.
    void setUpPaper(bool intelligentMail = false);
    // Before the first page of every run: the field the barcode prints.
    void addFields();

    // The page for one addressee: its block as AddressBlock composed it, the return
    // address, and the barcode's value (one the barcode cannot encode prints no bars).
    void fill(const QString &addressBlock, const QVariant &barcodeValue);
    // What the addressee box shows now.
    const QString &addressBlock() const;

private:
    engine::Report &m_report;
    ReturnAddress m_from;
};

} // namespace envelope
