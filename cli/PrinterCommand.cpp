#include "cli/PrinterCommand.h"

#include "cli/CommandUsage.h"
#include "cli/ExitStatus.h"
#include "cli/OptionParser.h"
#include "cli/PrintJobReport.h"
#include "envelope_report/EnvelopeLayout.h"
#include "envelope_report/EnvelopeProduct.h"
#include "envelope_report/rptCalibration.h"
#include "reporting_engine/model/PaperCatalog.h"
#include "reporting_engine/print/CupsPrinter.h"
#include "reporting_engine/print/PrinterProfiles.h"
#include "reporting_engine/report/Report.h"

#include <QDir>

#include <exception>
#include <functional>
#include <optional>

namespace cli {

const char PrinterCommand::usageLine[] =
    "Usage: envelope printers\n"
    "       envelope printer-profile QUEUE [--offset-x IN] [--offset-y IN] [--rotate 0|180] [--source KEYWORD]\n"
    "                       [--media-type KEYWORD] [--reset]\n"
    "       envelope calibrate (--printer QUEUE [--wait [SECONDS]] | --pdf FILE)\n";

namespace {

const char helpText[] =
    "  printers            every printer: the default marked, whether it has the No. 10 envelope, its paper\n"
    "                      sources, the source and media type an envelope would be sent with and why, and\n"
    "                      its profile\n"
    "  printer-profile     shows a printer's profile; with options, changes it (in your own printers.conf):\n"
    "    --offset-x IN     move what is printed this many inches to the right (negative: to the left)\n"
    "    --offset-y IN     ... and down (negative: up), to make up for where the feeder puts the envelope\n"
    "    --rotate 0|180    180 for a feeder that takes envelopes the other way round\n"
    "    --source KEYWORD  one of the printer's own paper sources, instead of the one chosen by meaning\n"
    "    --media-type KEYWORD  one of the printer's own media types, instead of the one chosen by meaning\n"
    "    --reset           forget your profile of this printer (the system's, if any, applies again)\n"
    "  calibrate           prints an envelope with rulers and crosses to measure the offset with, as the\n"
    "                      printer takes it (its profile's source and media type, but not its offset or\n"
    "                      turn); or --pdf FILE\n\n"
    "Profiles are read from /etc/korva-envelope/printers.conf and $XDG_CONFIG_HOME/korva-envelope/printers.conf\n"
    "(~/.config by default); a printer's entry in yours wins. Exit status: 0 done, 1 failed, 2 bad usage.\n";

using UsageError = OptionParser::UsageError;

QByteArray envelopeMedia() { return engine::PaperCatalog::paper(envelope::EnvelopeLayout::paperSize)->cupsMedia; }

engine::CupsJobRequest envelopeRequest(const engine::PrinterProfile &profile)
{
    engine::CupsJobRequest request;
    const auto paper = engine::PaperCatalog::paper(envelope::EnvelopeLayout::paperSize);
    request.options.emplace_back("media", paper->cupsMedia);
    request.mediaType = paper->cupsMediaType;
    request.paperSource = envelope::EnvelopeLayout::paperSource;
    request.sourceOverride = profile.source.toUtf8();
    request.mediaTypeOverride = profile.mediaType.toUtf8();
    return request;
}

// The envelope's boxes must stay on the paper wherever the profile moves them, and the
// addressee block where the postal service's readers look for it.
void checkFitsTheEnvelope(const engine::PrinterProfile &profile)
{
    const auto paper = engine::PaperCatalog::paper(envelope::EnvelopeLayout::paperSize);
    const QSizeF page(paper->heightTwips, paper->widthTwips); // landscape
    std::vector<std::pair<QString, QRectF>> boxes;
    for (const envelope::EnvelopeLayout::Box &box : envelope::EnvelopeLayout::boxes())
        boxes.emplace_back(box.name, box.rectTwips);
    engine::Report::checkPlacement(profile.placement(), page, boxes);
    envelope::EnvelopeLayout::checkReaderPlacement(envelope::EnvelopeLayout::boxes(), profile.placement());
}

QString describeProfile(const engine::PrinterProfile &profile, const engine::PrinterProfiles &profiles)
{
    if (profile.storedIn.isEmpty()) {
        return QStringLiteral("none stored (%1, %2)")
            .arg(QDir::toNativeSeparators(profiles.files().system), QDir::toNativeSeparators(profiles.files().user));
    }
    return QStringLiteral("%1 (from %2)").arg(profile.describe(), QDir::toNativeSeparators(profile.storedIn));
}

// What printer-profile QUEUE was asked to change; nothing, to show the profile.
struct ProfileChange {
    QString queue;
    std::optional<double> offsetXInches;
    std::optional<double> offsetYInches;
    std::optional<int> rotation;
    std::optional<QString> source;
    std::optional<QString> mediaType;
    bool reset = false;

    bool changesAnything() const { return offsetXInches || offsetYInches || rotation || source || mediaType || reset; }

    void applyTo(engine::PrinterProfile &profile) const
    {
        if (reset)
            profile = engine::PrinterProfile();
        if (offsetXInches)
            profile.offsetXInches = *offsetXInches;
        if (offsetYInches)
            profile.offsetYInches = *offsetYInches;
        if (rotation)
            profile.rotation = *rotation;
        if (source)
            profile.source = *source;
        if (mediaType)
            profile.mediaType = *mediaType;
    }
};

struct Calibration {
    engine::PrintDestination destination;
    std::optional<int> waitSeconds;
};

const CommandUsage usage(QStringLiteral("envelope"), PrinterCommand::usageLine, QString::fromLatin1(helpText));

// printer-profile QUEUE [options]; false when help is asked for.
bool parseProfileChange(QStringList arguments, ProfileChange &change)
{
    if (arguments.size() < 3 || arguments.at(2).startsWith(QLatin1Char('-')))
        throw UsageError{QStringLiteral("printer-profile needs the printer's queue name")};
    change.queue = arguments.takeAt(2);
    const QCommandLineOption offsetX = OptionParser::withValue("offset-x", "IN");
    const QCommandLineOption offsetY = OptionParser::withValue("offset-y", "IN");
    const QCommandLineOption rotate = OptionParser::withValue("rotate", "DEGREES");
    const QCommandLineOption source = OptionParser::withValue("source", "KEYWORD");
    const QCommandLineOption mediaType = OptionParser::withValue("media-type", "KEYWORD");
    const QCommandLineOption reset(QStringLiteral("reset"));
    OptionParser parser({offsetX, offsetY, rotate, source, mediaType, reset});
    arguments.removeAt(1);
    if (!parser.parse(arguments))
        return false;
    parser.requireValue(source, "a paper source keyword");
    parser.requireValue(mediaType, "a media type keyword");
    // Offsets are a few hundredths of an inch; more than the envelope itself is a typing slip.
    constexpr double maxInches = 9.5;
    if (parser.isSet(offsetX))
        change.offsetXInches = parser.number(offsetX, -maxInches, maxInches, "a number of inches");
    if (parser.isSet(offsetY))
        change.offsetYInches = parser.number(offsetY, -maxInches, maxInches, "a number of inches");
    if (parser.isSet(rotate)) {
        if (parser.value(rotate) != QLatin1String("0") && parser.value(rotate) != QLatin1String("180"))
            throw UsageError{QStringLiteral("--rotate \"%1\": give 0 or 180").arg(parser.value(rotate))};
        change.rotation = parser.value(rotate).toInt();
    }
    if (parser.isSet(source))
        change.source = parser.value(source);
    if (parser.isSet(mediaType))
        change.mediaType = parser.value(mediaType);
    change.reset = parser.isSet(reset);
    return true;
}

// calibrate (--printer QUEUE [--wait [SECONDS]] | --pdf FILE); false when help is asked for.
bool parseCalibration(QStringList arguments, Calibration &calibration)
{
    const QCommandLineOption printer = OptionParser::withValue("printer", "QUEUE");
    const QCommandLineOption pdf = OptionParser::withValue("pdf", "FILE");
    const QCommandLineOption wait = OptionParser::withValue("wait", "SECONDS");
    OptionParser parser({printer, pdf, wait});
    PrintJobReport::allowBareWait(parser, wait);
    arguments.removeAt(1);
    if (!parser.parse(arguments))
        return false;
    parser.requireValue(printer, "a queue name");
    parser.requireValue(pdf, "a file name");
    if (parser.isSet(printer) == parser.isSet(pdf))
        throw UsageError{QStringLiteral("calibrate needs either --printer QUEUE or --pdf FILE")};
    calibration.waitSeconds = PrintJobReport::waitSeconds(parser, wait, {&pdf}, QStringLiteral("--printer"));
    calibration.destination = parser.isSet(pdf) ? engine::PrintDestination::pdfFile(parser.value(pdf))
                                                : engine::PrintDestination::printer(parser.value(printer));
    return true;
}

} // namespace

struct PrinterCommand::Private {
    CommandIo io;

    // The command the word names, as action; false when help is asked for.
    bool parse(const QStringList &arguments, std::function<int()> &action) const
    {
        const QString word = arguments.at(1);
        if (word == QLatin1String("printers")) {
            if (arguments.size() > 2) {
                if (arguments.at(2) == QLatin1String("--help") || arguments.at(2) == QLatin1String("-h"))
                    return false;
                throw UsageError{QStringLiteral("printers takes no arguments")};
            }
            action = [this] { return printers(); };
            return true;
        }
        if (word == QLatin1String("printer-profile")) {
            ProfileChange change;
            if (!parseProfileChange(arguments, change))
                return false;
            action = [this, change] { return showOrChangeProfile(change); };
            return true;
        }
        Calibration calibration;
        if (!parseCalibration(arguments, calibration))
            return false;
        action = [this, calibration] { return calibrate(calibration); };
        return true;
    }

    int printers() const
    {
        const engine::PrinterProfiles profiles = envelope::EnvelopeProduct::printerProfiles();
        const auto destinations = engine::CupsPrinter::destinations();
        if (destinations.empty())
            io.writeOut(QStringLiteral("No printers: CUPS has no destination (envelopes are then saved as Envelope.pdf)."));
        int status = ExitStatus::ok;
        for (const engine::CupsDestination &listed : destinations) {
            io.writeOut(listed.name + (listed.isDefault ? QStringLiteral(" (default)") : QString()));
            try {
                describePrinter(listed.name, profiles);
            } catch (const std::exception &e) {
                io.writeOut(QStringLiteral("  cannot tell: %1").arg(QString::fromUtf8(e.what())));
                status = ExitStatus::failed;
            }
        }
        return status;
    }

    void describePrinter(const QString &queue, const engine::PrinterProfiles &profiles) const
    {
        const engine::PrinterProfile profile = profiles.profile(queue);
        const engine::CupsJobRequest request = envelopeRequest(profile);
        const engine::CupsDestination dest = engine::CupsPrinter::destination(queue, envelopeMedia());
        io.writeOut(QStringLiteral("  No. 10 envelope: %1").arg(dest.offersMedia ? QStringLiteral("offered") : QStringLiteral("not among its sizes")));
        QStringList sources;
        for (const engine::PrinterSource &source : dest.paper.supported)
            sources << withWords(source.keyword, dest.paper.supported);
        io.writeOut(QStringLiteral("  paper sources: %1").arg(sources.isEmpty() ? QStringLiteral("none named") : sources.join(QStringLiteral(", "))));
        for (const QString &note : dest.notes)
            io.writeOut(QStringLiteral("  note: %1").arg(note));
        const engine::MediaSourceChoice choice = engine::CupsPrinter::chooseSource(dest, request);
        io.writeOut(QStringLiteral("  envelope source: %1 (%2%3)")
                        .arg(choice.keyword.isEmpty() ? (choice.noChoice ? QStringLiteral("none sent") : QStringLiteral("its default tray"))
                                                      : withWords(choice.keyword, dest.paper.supported),
                             choice.reason,
                             choice.feedsManually ? QStringLiteral("; the printer will ask for each envelope") : QString()));
        const engine::MediaTypeChoice type = engine::CupsPrinter::chooseMediaType(dest, request);
        io.writeOut(QStringLiteral("  envelope media type: %1 (%2)")
                        .arg(type.keyword.isEmpty() ? QStringLiteral("none sent") : withWords(type.keyword, dest.mediaTypes),
                             type.reason));
        io.writeOut(QStringLiteral("  profile: %1").arg(describeProfile(profile, profiles)));
    }

    // ef-1 "Envelope Feeder": the keyword and the printer's own words for it.
    template <typename Choice>
    static QString withWords(const QByteArray &keyword, const std::vector<Choice> &choices)
    {
        for (const Choice &choice : choices) {
            if (choice.keyword == keyword && !choice.text.isEmpty())
                return QStringLiteral("%1 \"%2\"").arg(QString::fromUtf8(keyword), choice.text);
        }
        return QString::fromUtf8(keyword);
    }

    int showOrChangeProfile(const ProfileChange &change) const
    {
        const engine::PrinterProfiles profiles = envelope::EnvelopeProduct::printerProfiles();
        engine::PrinterProfile profile = profiles.profile(change.queue); // a damaged file stops here, unchanged
        const engine::CupsDestination dest = engine::CupsPrinter::destination(change.queue, envelopeMedia());
        if (change.changesAnything()) {
            change.applyTo(profile);
            // Refuse a source or media type the printer does not offer.
            engine::CupsPrinter::chooseSource(dest, envelopeRequest(profile));
            engine::CupsPrinter::chooseMediaType(dest, envelopeRequest(profile));
            checkFitsTheEnvelope(profile);
            profiles.save(dest.name, profile);
            profile = profiles.profile(dest.name);
        }
        io.writeOut(QStringLiteral("%1: %2").arg(dest.name, describeProfile(profile, profiles)));
        return ExitStatus::ok;
    }

    int calibrate(const Calibration &calibration) const
    {
        envelope::rptCalibration report;
        report.setIgnoresPrinterPlacement(true); // the rulers measure the printer as it is
        report.setDestination(calibration.destination);
        report.PrintReport(false);
        const engine::PrintOutcome outcome = report.lastOutcome();
        if (outcome.kind == engine::PrintOutcome::Kind::SavedPdf)
            io.say(QStringLiteral("calibration envelope saved as %1").arg(QDir::toNativeSeparators(outcome.files.value(0))));
        return PrintJobReport::report(outcome, calibration.waitSeconds, io);
    }
};

bool PrinterCommand::handles(const QString &word)
{
    return word == QLatin1String("printers") || word == QLatin1String("printer-profile") || word == QLatin1String("calibrate");
}

PrinterCommand::PrinterCommand(CommandIo io) : d(std::make_unique<Private>())
{
    d->io = io;
}

PrinterCommand::~PrinterCommand() = default;

int PrinterCommand::run(const QStringList &arguments)
{
    std::function<int()> action;
    if (const auto status = usage.parseOrReport([&] { return d->parse(arguments, action); }, d->io))
        return *status;
    try {
        return action();
    } catch (const std::exception &e) {
        d->io.say(QStringLiteral("error: %1").arg(QString::fromUtf8(e.what())));
        return ExitStatus::failed;
    }
}

} // namespace cli
