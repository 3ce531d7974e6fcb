#include "cli/PrinterCommand.h"

#include "cli/OptionParser.h"
#include "cli/PrintJobReport.h"
#include "envelope_report/EnvelopeLayout.h"
#include "envelope_report/EnvelopeProduct.h"
#include "envelope_report/rptCalibration.h"
#include "reporting_engine/CupsPrinter.h"
#include "reporting_engine/PaperCatalog.h"
#include "reporting_engine/PrinterProfiles.h"
#include "reporting_engine/Report.h"

#include <QDir>

#include <exception>
#include <optional>

namespace cli {

const char PrinterCommand::usageLine[] =
    "Usage: envelope printers\n"
    "       envelope printer-profile QUEUE [--offset-x IN] [--offset-y IN] [--rotate 0|180] [--source KEYWORD] [--reset]\n"
    "       envelope calibrate (--printer QUEUE [--wait [SECONDS]] | --pdf FILE)\n";

namespace {

const char helpText[] =
    "  printers            every printer: the default marked, whether it has the No. 10 envelope, the paper\n"
    "                      source an envelope would be sent to and why, and its profile\n"
    "  printer-profile     shows a printer's profile; with options, changes it (in your own printers.conf):\n"
    "    --offset-x IN     move what is printed this many inches to the right (negative: to the left)\n"
    "    --offset-y IN     ... and down (negative: up), to make up for where the feeder puts the envelope\n"
    "    --rotate 0|180    180 for a feeder that takes envelopes the other way round\n"
    "    --source KEYWORD  one of the printer's own paper sources, instead of the one chosen by meaning\n"
    "    --reset           forget your profile of this printer (the system's, if any, applies again)\n"
    "  calibrate           prints an envelope with rulers and crosses to measure the offset with, as the\n"
    "                      printer takes it (its profile's source, but not its offset or turn); or --pdf FILE\n\n"
    "Profiles are read from /etc/korva-envelope/printers.conf and $XDG_CONFIG_HOME/korva-envelope/printers.conf\n"
    "(~/.config by default); a printer's entry in yours wins. Exit status: 0 done, 1 failed, 2 bad usage.\n";

using UsageError = OptionParser::UsageError;

QByteArray envelopeMedia() { return engine::PaperCatalog::paper(envelope::EnvelopeLayout::paperSize)->cupsMedia; }

engine::CupsJobRequest envelopeRequest(const engine::PrinterProfile &profile)
{
    engine::CupsJobRequest request;
    request.options.emplace_back("media", envelopeMedia());
    request.paperSource = envelope::EnvelopeLayout::paperSource;
    request.sourceOverride = profile.source.toUtf8();
    return request;
}

// The envelope's boxes must stay on the paper wherever the profile moves them.
void checkFitsTheEnvelope(const engine::PrinterProfile &profile)
{
    const auto paper = engine::PaperCatalog::paper(envelope::EnvelopeLayout::paperSize);
    const QSizeF page(paper->heightTwips, paper->widthTwips); // landscape
    std::vector<std::pair<QString, QRectF>> boxes;
    for (const envelope::EnvelopeLayout::Box &box : envelope::EnvelopeLayout::boxes())
        boxes.emplace_back(box.name, box.rectTwips);
    engine::Report::checkPlacement(profile.placement(), page, boxes);
}

QString describeProfile(const engine::PrinterProfile &profile, const engine::PrinterProfiles &profiles)
{
    if (profile.storedIn.isEmpty()) {
        return QStringLiteral("none stored (%1, %2)")
            .arg(QDir::toNativeSeparators(profiles.files().system), QDir::toNativeSeparators(profiles.files().user));
    }
    return QStringLiteral("%1 (from %2)").arg(profile.describe(), QDir::toNativeSeparators(profile.storedIn));
}

} // namespace

struct PrinterCommand::Private {
    EnvelopeCommand::Io io;

    void out(const QString &text) const { std::fputs(qUtf8Printable(text + QLatin1Char('\n')), io.out); }
    void err(const QString &text) const { std::fputs(qUtf8Printable(QStringLiteral("envelope: ") + text + QLatin1Char('\n')), io.err); }

    int showHelp() const
    {
        std::fputs(usageLine, io.out);
        std::fputs(helpText, io.out);
        return EnvelopeCommand::exitOk;
    }

    int printers() const
    {
        const engine::PrinterProfiles profiles = envelope::EnvelopeProduct::printerProfiles();
        const auto destinations = engine::CupsPrinter::destinations();
        if (destinations.empty())
            out(QStringLiteral("No printers: CUPS has no destination (envelopes are then saved as Envelope.pdf)."));
        int status = EnvelopeCommand::exitOk;
        for (const engine::CupsDestination &listed : destinations) {
            out(listed.name + (listed.isDefault ? QStringLiteral(" (default)") : QString()));
            try {
                const engine::PrinterProfile profile = profiles.profile(listed.name);
                const engine::CupsJobRequest request = envelopeRequest(profile);
                const engine::CupsDestination dest = engine::CupsPrinter::destination(listed.name, envelopeMedia());
                out(QStringLiteral("  No. 10 envelope: %1").arg(dest.offersMedia ? QStringLiteral("offered") : QStringLiteral("not among its sizes")));
                const engine::MediaSourceChoice choice = engine::CupsPrinter::chooseSource(dest, request);
                out(QStringLiteral("  envelope source: %1 (%2)")
                        .arg(choice.keyword.isEmpty() ? QStringLiteral("its default tray") : QString::fromUtf8(choice.keyword), choice.reason));
                out(QStringLiteral("  profile: %1").arg(describeProfile(profile, profiles)));
            } catch (const std::exception &e) {
                out(QStringLiteral("  cannot tell: %1").arg(QString::fromUtf8(e.what())));
                status = EnvelopeCommand::exitFatal;
            }
        }
        return status;
    }

    int printerProfile(QStringList arguments) const
    {
        if (arguments.size() < 3 || arguments.at(2).startsWith(QLatin1Char('-')))
            throw UsageError{QStringLiteral("printer-profile needs the printer's queue name")};
        const QString queue = arguments.takeAt(2);
        const QCommandLineOption offsetX(QStringLiteral("offset-x"), QString(), QStringLiteral("IN"));
        const QCommandLineOption offsetY(QStringLiteral("offset-y"), QString(), QStringLiteral("IN"));
        const QCommandLineOption rotate(QStringLiteral("rotate"), QString(), QStringLiteral("DEGREES"));
        const QCommandLineOption source(QStringLiteral("source"), QString(), QStringLiteral("KEYWORD"));
        const QCommandLineOption reset(QStringLiteral("reset"));
        OptionParser parser({offsetX, offsetY, rotate, source, reset});
        arguments.removeAt(1);
        if (!parser.parse(arguments))
            return showHelp();
        parser.requireValue(source, "a paper source keyword");
        // Offsets are a few hundredths of an inch; more than the envelope itself is a typing slip.
        constexpr double maxInches = 9.5;
        std::optional<double> x, y;
        if (parser.isSet(offsetX))
            x = parser.number(offsetX, -maxInches, maxInches, "a number of inches");
        if (parser.isSet(offsetY))
            y = parser.number(offsetY, -maxInches, maxInches, "a number of inches");
        if (parser.isSet(rotate) && parser.value(rotate) != QLatin1String("0") && parser.value(rotate) != QLatin1String("180"))
            throw UsageError{QStringLiteral("--rotate \"%1\": give 0 or 180").arg(parser.value(rotate))};
        const bool changing = x || y || parser.isSet(rotate) || parser.isSet(source) || parser.isSet(reset);

        const engine::PrinterProfiles profiles = envelope::EnvelopeProduct::printerProfiles();
        engine::PrinterProfile profile = profiles.profile(queue); // a damaged file stops here, unchanged
        const engine::CupsDestination dest = engine::CupsPrinter::destination(queue, envelopeMedia());
        if (changing) {
            if (parser.isSet(reset))
                profile = engine::PrinterProfile();
            if (x)
                profile.offsetXInches = *x;
            if (y)
                profile.offsetYInches = *y;
            if (parser.isSet(rotate))
                profile.rotation = parser.value(rotate).toInt();
            if (parser.isSet(source))
                profile.source = parser.value(source);
            engine::CupsPrinter::chooseSource(dest, envelopeRequest(profile)); // refuses a source it does not offer
            checkFitsTheEnvelope(profile);
            profiles.save(dest.name, profile);
            profile = profiles.profile(dest.name);
        }
        out(QStringLiteral("%1: %2").arg(dest.name, describeProfile(profile, profiles)));
        return EnvelopeCommand::exitOk;
    }

    int calibrate(QStringList arguments) const
    {
        const QCommandLineOption printer(QStringLiteral("printer"), QString(), QStringLiteral("QUEUE"));
        const QCommandLineOption pdf(QStringLiteral("pdf"), QString(), QStringLiteral("FILE"));
        const QCommandLineOption wait(QStringLiteral("wait"), QString(), QStringLiteral("SECONDS"));
        OptionParser parser({printer, pdf, wait});
        parser.allowBareOption(QStringLiteral("wait"), QString::number(PrintJobReport::defaultWaitSeconds));
        arguments.removeAt(1);
        if (!parser.parse(arguments))
            return showHelp();
        parser.requireValue(printer, "a queue name");
        parser.requireValue(pdf, "a file name");
        if (parser.isSet(printer) == parser.isSet(pdf))
            throw UsageError{QStringLiteral("calibrate needs either --printer QUEUE or --pdf FILE")};
        if (parser.isSet(wait) && parser.isSet(pdf))
            throw UsageError{QStringLiteral("--wait goes with --printer, not with --pdf")};
        std::optional<int> waitSeconds;
        if (parser.isSet(wait))
            waitSeconds = static_cast<int>(parser.number(wait, 0, 86400, "a number of seconds"));

        envelope::rptCalibration report;
        report.setIgnoresPrinterPlacement(true); // the rulers measure the printer as it is
        report.setDestination(parser.isSet(pdf) ? engine::PrintDestination::pdfFile(parser.value(pdf))
                                                : engine::PrintDestination::printer(parser.value(printer)));
        report.PrintReport(false);
        const engine::PrintOutcome outcome = report.lastOutcome();
        if (outcome.kind == engine::PrintOutcome::Kind::SavedPdf)
            err(QStringLiteral("calibration envelope saved as %1").arg(QDir::toNativeSeparators(outcome.files.value(0))));
        return PrintJobReport::report(outcome, waitSeconds, io);
    }
};

bool PrinterCommand::handles(const QString &word)
{
    return word == QLatin1String("printers") || word == QLatin1String("printer-profile") || word == QLatin1String("calibrate");
}

PrinterCommand::PrinterCommand(EnvelopeCommand::Io io) : d(std::make_unique<Private>())
{
    d->io = io;
}

PrinterCommand::~PrinterCommand() = default;

int PrinterCommand::run(const QStringList &arguments)
{
    const QString word = arguments.at(1);
    try {
        if (word == QLatin1String("printers")) {
            if (arguments.size() > 2) {
                if (arguments.at(2) == QLatin1String("--help") || arguments.at(2) == QLatin1String("-h"))
                    return d->showHelp();
                throw UsageError{QStringLiteral("printers takes no arguments")};
            }
            return d->printers();
        }
        if (word == QLatin1String("printer-profile"))
            return d->printerProfile(arguments);
        return d->calibrate(arguments);
    } catch (const UsageError &e) {
        d->err(e.message);
        std::fputs(usageLine, d->io.err);
        return EnvelopeCommand::exitUsage;
    } catch (const std::exception &e) {
        d->err(QStringLiteral("error: %1").arg(QString::fromUtf8(e.what())));
        return EnvelopeCommand::exitFatal;
    }
}

} // namespace cli
