// The paper source a job asks for, chosen by meaning from what real printers report:
// their queues' media-source-supported, with the drivers' words as the queue's
// strings file gives them (data/*.strings, fetched from real PPD queues), and
// driverless printers' trays (printer-input-tray) as they describe them.
#include "reporting_engine/model/PaperCatalog.h"
#include "reporting_engine/print/MediaSourceChooser.h"
#include "reporting_engine/print/PrinterStrings.h"

#include <QFile>

#include <gtest/gtest.h>

using engine::MediaSourceChooser;
using engine::ReadyMedia;

namespace {

const QSize no10(10478, 24130);
const QSize letter(21590, 27940);

struct ChoiceCase {
    const char *name;
    int code;
    std::vector<const char *> supported;
    const char *strings = nullptr; // the queue's strings file in data/, or none: keywords alone
    std::vector<ReadyMedia> ready = {};
    std::vector<const char *> trays = {}; // printer-input-tray values
    QByteArray chosen = {};
    bool usedDefault = false;
    bool feedsManually = false;
    bool noChoice = false;
};

void PrintTo(const ChoiceCase &c, std::ostream *os) { *os << c.name; }

engine::PrinterStrings stringsFile(const char *name)
{
    QFile file(QStringLiteral(ENVELOPE_SOURCE_DIR "/tests/reporting_engine/print/data/")
               + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return engine::PrinterStrings::parse(file.readAll());
}

class MediaSourceChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(MediaSourceChoice, FollowsTheRule)
{
    const ChoiceCase &c = GetParam();
    const engine::PrinterStrings strings = c.strings ? stringsFile(c.strings) : engine::PrinterStrings();
    engine::PaperSources printer;
    for (const char *keyword : c.supported)
        printer.supported.push_back({QByteArray(keyword), strings.text("media-source", keyword)});
    printer.ready = c.ready;
    for (const char *value : c.trays) {
        const auto tray = engine::InputTray::parse(value);
        ASSERT_TRUE(tray) << value;
        printer.trays.push_back(*tray);
    }
    const auto choice = MediaSourceChooser::choose(c.code, no10, printer);
    EXPECT_EQ(choice.keyword, c.chosen) << choice.reason.toStdString();
    EXPECT_EQ(choice.usedDefault, c.usedDefault);
    EXPECT_EQ(choice.feedsManually, c.feedsManually);
    EXPECT_EQ(choice.noChoice, c.noChoice);
    EXPECT_FALSE(choice.reason.isEmpty());
}

constexpr int envelopeFeeder = engine::PaperCatalog::sourceEnvelopeFeeder;

// HP Color LaserJet Pro M477fdw: "manual" and "tray-1" are its one 50-sheet tray.
const std::vector<const char *> hpM477fdwTrays{
    "type=sheetFeedManual;mediafeed=0;mediaxfeed=0;maxcapacity=50;level=-2;status=0;name=manual;",
    "type=sheetFeedAutoNonRemovableTray;mediafeed=0;mediaxfeed=0;maxcapacity=50;level=-2;status=0;name=tray-1;",
    "type=sheetFeedAutoNonRemovableTray;mediafeed=0;mediaxfeed=0;maxcapacity=250;level=-2;status=0;name=tray-2;"};

INSTANTIATE_TEST_SUITE_P(
    RealPrinters, MediaSourceChoice,
    ::testing::Values(
        ChoiceCase{"HpLaserJet4250", envelopeFeeder,
                   {"auto", "tray-1", "tray-2", "tray-3-500", "tray-3-1500", "tray-4-500", "tray-4-1500", "tray-5-500",
                    "tray-5-1500", "envelope-feeder", "tray-1-man"},
                   "hp-laserjet-4250.strings", {}, {}, "envelope-feeder"},
        ChoiceCase{"HpLaserJet4050", envelopeFeeder, {"auto", "top", "middle", "bottom", "large-capacity", "envelope"}, nullptr, {}, {}, "envelope"},
        ChoiceCase{"HpLaserJetProM402", envelopeFeeder, {"auto", "tray-1", "tray-2", "tray-3", "manual-feed"}, nullptr, {}, {}, "manual-feed"},
        ChoiceCase{"LexmarkT652", envelopeFeeder,
                   {"tray-1", "tray-2", "tray-3", "tray-4", "tray-5", "by-pass-tray", "env-feeder", "manual-paper", "manual-env"},
                   "lexmark-t652.strings", {}, {}, "env-feeder"},
        ChoiceCase{"KyoceraFs1700", envelopeFeeder, {"internal", "pf-7-e", "pf-20-a", "pf-20-b", "ef-1", "mf-1", "mf"},
                   "kyocera-fs-1700.strings", {}, {}, "ef-1"},
        ChoiceCase{"KyoceraFs1700ByItsKeywordsAlone", envelopeFeeder, {"internal", "pf-7-e", "pf-20-a", "pf-20-b", "ef-1", "mf-1", "mf"},
                   nullptr, {}, {}, "ef-1"},
        ChoiceCase{"Utax300ciMultiPurposeFeeder", envelopeFeeder, {"pf-5120-a", "pf-5120-b", "pf-5130-a", "pf-5130-b", "mf-1", "pf-5140"},
                   "utax-300ci.strings", {}, {}, "mf-1"},
        ChoiceCase{"Utax300ciByItsKeywordsAlone", envelopeFeeder, {"pf-5120-a", "pf-5120-b", "pf-5130-a", "pf-5130-b", "mf-1", "pf-5140"},
                   nullptr, {}, {}, "mf-1"},
        ChoiceCase{"SamsungScx6x22TopIsTheMultiPurposeTray", envelopeFeeder, {"auto", "top", "middle", "bottom"},
                   "samsung-scx-6x22.strings", {}, {}, "top"},
        ChoiceCase{"OkiC9300FrontIsTheMultiPurposeTray", envelopeFeeder,
                   {"front", "top", "bottom", "tray-3", "tray-4", "tray-5", "plain", "letterhead", "transparency", "labels",
                    "bond", "recycled", "cardstock", "rough", "glossy"},
                   "oki-c9300.strings", {}, {}, "front"},
        ChoiceCase{"OkiC5700EnvelopeIsATypeNotATray", envelopeFeeder,
                   {"front", "top", "bottom", "plain", "letterhead", "transparency", "labels", "bond", "recycled", "cardstock",
                    "rough", "envelope"},
                   "oki-c5700.strings", {}, {}, "front"},
        ChoiceCase{"HpM477fdwFeedsTray1WithoutStopping", envelopeFeeder, {"auto", "manual", "tray-1", "tray-2"}, nullptr, {},
                   hpM477fdwTrays, "tray-1"},
        ChoiceCase{"HpM477fdwLoadedManualStillWins", envelopeFeeder, {"auto", "manual", "tray-1", "tray-2"}, nullptr,
                   {{"manual", no10}}, hpM477fdwTrays, "manual", false, true},
        ChoiceCase{"XeroxB235HandFedEnvelopeSlotIsTheLastResort", envelopeFeeder, {"auto", "tray-1", "envelope"}, nullptr, {},
                   {"type=sheetFeedAutoRemovableTray;maxcapacity=250;name=tray-1;",
                    "type=sheetFeedManual;mediafeed=0;mediaxfeed=0;maxcapacity=1;level=-2;status=0;name=envelope;"},
                   "envelope", false, true},
        ChoiceCase{"RicohMpC3003", envelopeFeeder, {"multi-tray", "1-tray", "2-tray", "auto"}, nullptr, {}, {}, "multi-tray"},
        ChoiceCase{"CanonEnvelopeCassette", envelopeFeeder, {"auto", "tray-1", "env-cas", "tray-3", "mpt"}, nullptr, {}, {}, "env-cas"},
        ChoiceCase{"EpsonMpTray", envelopeFeeder, {"msi", "top", "bottom"}, nullptr, {}, {}, "msi"},
        ChoiceCase{"ToshibaSheetFeedBypass", envelopeFeeder, {"auto", "top", "bottom", "pedestal-upper-cassette", "sheet-feed-bypass"},
                   nullptr, {}, {}, "sheet-feed-bypass"},
        ChoiceCase{"IppEverywhereEnvelopesLoadedInTheByPassTray", envelopeFeeder, {"auto", "main", "by-pass-tray", "manual"}, nullptr,
                   {{"main", letter}, {"by-pass-tray", no10}}, {}, "by-pass-tray"},
        ChoiceCase{"LoadedEnvelopesBeatTheEnvelopeName", envelopeFeeder, {"envelope", "main"}, nullptr, {{"main", no10}}, {}, "main"},
        ChoiceCase{"LoadedTurnedOrRoundedIsLoaded", envelopeFeeder, {"main", "tray-2"}, nullptr, {{"tray-2", QSize(24130, 10477)}}, {}, "tray-2"},
        ChoiceCase{"ManualEnvelopeBeforeTheByPassTray", envelopeFeeder, {"main", "by-pass-tray", "manual-env"}, nullptr, {}, {}, "manual-env"},
        ChoiceCase{"DefaultTrayWhenNothingFits", envelopeFeeder, {"auto", "main", "tray-2"}, nullptr, {{"main", letter}}, {}, "", true},
        // A queue CUPS made for a one-tray printer offers no source, though the printer says where paper is.
        ChoiceCase{"NothingSentWhenTheQueueOffersNoSource", envelopeFeeder, {}, nullptr, {{"main", no10}}, {}, "", false, false, true},
        ChoiceCase{"ManualEnvelopeFeedPrefersTheManualOne", 6, {"envelope", "manual-env", "by-pass-tray"}, nullptr, {}, {}, "manual-env"},
        ChoiceCase{"UpperTray", 1, {"auto", "top", "bottom"}, nullptr, {}, {}, "top"},
        ChoiceCase{"LowerTrayNumbered", 2, {"auto", "tray-1", "tray-2"}, nullptr, {}, {}, "tray-2"},
        ChoiceCase{"ManualFeedOnTheByPassTray", 4, {"main", "by-pass-tray"}, nullptr, {}, {}, "by-pass-tray"},
        ChoiceCase{"AutomaticSelection", 7, {"auto", "main"}, nullptr, {}, {}, "auto"},
        ChoiceCase{"AutomaticSelectionWithoutAuto", 7, {"main"}, nullptr, {}, {}, ""}),
    [](const auto &param) { return std::string(param.param.name); });

} // namespace
