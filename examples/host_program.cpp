// A host program printing one envelope into the PDF file named on its command
// line. Its executable's name (KorvaMain, KorvaProbation, KorvaJury or
// KorvaPublicDefender) chooses the office whose return address it prints.
#include <envelope_report/rptEnvelope.h>
#include <reporting_engine/EngineError.h>

#include <QGuiApplication>

#include <cstdio>
#include <exception>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.pdf\n", argv[0]);
        return 2;
    }
    // The report lays out text with Qt's font database, which needs a
    // QGuiApplication (a GUI host has its QApplication); no window opens.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString pdf = QGuiApplication::arguments().value(1);

    try {
        // The return address is read now, from $WINEPREFIX's settings files.
        envelope::rptEnvelope report;
        report.AddresseeName = QStringLiteral("Orrin Vask");
        report.AddresseeStreet1 = QStringLiteral("123 Here Rd.");
        report.AddresseeCity = QStringLiteral("Nowheresville");
        report.AddresseeState = QStringLiteral("AK");
        report.AddresseeZipCode = 92901;
        report.setDestination(engine::PrintDestination::pdfFile(pdf));
        report.PrintReport(false);
    } catch (const engine::EngineError &e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], qUtf8Printable(e.message()));
        return 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
    return 0;
}
