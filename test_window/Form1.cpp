#include "test_window/Form1.h"

#include "envelope_report/rptEnvelope.h"
#include "platform/WindowsApi.h"

#include <QApplication>
#include <QPushButton>

#include <cmath>
#include <cstdio>
#include <exception>

namespace testwindow {
namespace {

int twipsToPixels(double twips, int dpi) { return static_cast<int>(std::lround(twips * dpi / 1440.0)); }

} // namespace

Form1::Form1(Options options, QWidget *parent)
    : QWidget(parent), m_options(std::move(options)), m_cmdVeltrane(new QPushButton(this))
{
    setWindowTitle(QStringLiteral("Form1"));
    const int dx = logicalDpiX();
    const int dy = logicalDpiY();
    resize(twipsToPixels(4680, dx), twipsToPixels(3195, dy));
    m_cmdVeltrane->setObjectName(QStringLiteral("cmdVeltrane"));
    m_cmdVeltrane->setGeometry(twipsToPixels(90, dx), twipsToPixels(210, dy), twipsToPixels(1245, dx), twipsToPixels(345, dy));
    m_cmdVeltrane->setFocus(); // first and only stop in the tab order
    connect(m_cmdVeltrane, &QPushButton::clicked, this, &Form1::cmdVeltrane_Click);

    if (!m_options.onFatal) {
        m_options.onFatal = [this](const QString &message) {
            m_options.api->MessageBox(message);
            QCoreApplication::exit(1);
        };
    }
}

Form1::~Form1() = default;

void Form1::cmdVeltrane_Click()
{
    // Nothing is trapped on the way: any error ends the program with its message.
    try {
        auto report = std::make_unique<envelope::rptEnvelope>(m_options.api);
        report->setDestination(m_options.destination);
        report->AddresseeName = QStringLiteral("Orrin Vask");
        report->AddresseeStreet1 = QStringLiteral("123 Here Rd.");
        report->AddresseeStreet2 = QString();
        report->AddresseeCity = QStringLiteral("Nowheresville");
        report->AddresseeState = QStringLiteral("AK");
        report->AddresseeZipCode = 92901;
        m_options.api->MessageBox(QStringLiteral("Calling .PrintReport..."));
        report->PrintReport(false);
        if (const QString &note = report->lastOutcome().note; !note.isEmpty())
            std::fprintf(stderr, "%s\n", qUtf8Printable(note));
        m_options.api->MessageBox(QStringLiteral("Done calling .PrintReport!"));
        report.reset();
    } catch (const std::exception &e) {
        m_options.onFatal(QString::fromUtf8(e.what()));
    }
}

} // namespace testwindow
