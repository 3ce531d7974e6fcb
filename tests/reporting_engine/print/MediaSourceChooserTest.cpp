// The paper source a job asks for, chosen by meaning from what real printers report
// (their queues' media-source-supported, with the drivers' texts where they help).
#include "reporting_engine/model/PaperCatalog.h"
#include "reporting_engine/print/MediaSourceChooser.h"

#include <gtest/gtest.h>

using engine::MediaSourceChooser;
using engine::ReadyMedia;

namespace {

const QSize no10(10478, 24130);
const QSize letter(21590, 27940);

struct Source {
    const char *keyword;
    const char *text = "";
};

struct ChoiceCase {
    const char *name;
    int code;
    std::vector<Source> supported;
    std::vector<ReadyMedia> ready;
    QByteArray chosen;
    bool usedDefault;
};

void PrintTo(const ChoiceCase &c, std::ostream *os) { *os << c.name; }

class MediaSourceChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(MediaSourceChoice, FollowsTheRule)
{
    const ChoiceCase &c = GetParam();
    std::vector<engine::PrinterSource> supported;
    for (const Source &s : c.supported)
        supported.push_back({QByteArray(s.keyword), QString::fromUtf8(s.text)});
    const auto choice = MediaSourceChooser::choose(c.code, no10, supported, c.ready);
    EXPECT_EQ(choice.keyword, c.chosen) << choice.reason.toStdString();
    EXPECT_EQ(choice.usedDefault, c.usedDefault);
    EXPECT_FALSE(choice.reason.isEmpty());
}

constexpr int envelopeFeeder = engine::PaperCatalog::sourceEnvelopeFeeder;

INSTANTIATE_TEST_SUITE_P(
    RealPrinters, MediaSourceChoice,
    ::testing::Values(
        ChoiceCase{"HpLaserJet4250", envelopeFeeder,
                   {{"auto"}, {"tray-1"}, {"tray-2"}, {"tray-3-500"}, {"envelope-feeder"}, {"tray-1-man"}}, {}, "envelope-feeder", false},
        ChoiceCase{"HpLaserJet4050", envelopeFeeder, {{"auto"}, {"top"}, {"middle"}, {"bottom"}, {"large-capacity"}, {"envelope"}}, {}, "envelope", false},
        ChoiceCase{"HpLaserJetProM402", envelopeFeeder, {{"auto"}, {"tray-1"}, {"tray-2"}, {"tray-3"}, {"manual-feed"}}, {}, "manual-feed", false},
        ChoiceCase{"LexmarkT652", envelopeFeeder,
                   {{"tray-1"}, {"tray-2"}, {"by-pass-tray"}, {"env-feeder"}, {"manual-paper"}, {"manual-env"}}, {}, "env-feeder", false},
        ChoiceCase{"KyoceraFsC5030nByItsText", envelopeFeeder,
                   {{"internal", "Cassette 1"}, {"pf-60-a", "Cassette 2"}, {"ef-1", "Envelope Feeder"}, {"mf-1", "Multi Purpose Feeder"}},
                   {}, "ef-1", false},
        ChoiceCase{"RicohMpC3003", envelopeFeeder,
                   {{"multi-tray", "Bypass Tray"}, {"1-tray", "Tray 1"}, {"2-tray", "Tray 2"}, {"auto"}}, {}, "multi-tray", false},
        ChoiceCase{"CanonEnvelopeCassette", envelopeFeeder, {{"auto"}, {"tray-1"}, {"env-cas"}, {"tray-3"}, {"mpt"}}, {}, "env-cas", false},
        ChoiceCase{"EpsonMpTray", envelopeFeeder, {{"msi", "MP Tray"}, {"top"}, {"bottom"}}, {}, "msi", false},
        ChoiceCase{"ToshibaSheetFeedBypass", envelopeFeeder,
                   {{"auto"}, {"top"}, {"bottom"}, {"pedestal-upper-cassette"}, {"sheet-feed-bypass"}}, {}, "sheet-feed-bypass", false},
        ChoiceCase{"OkiFrontTrayByItsText", envelopeFeeder, {{"top"}, {"bottom"}, {"front", "Multi-Purpose Tray"}}, {}, "front", false},
        ChoiceCase{"IppEverywhereEnvelopesLoadedInTheByPassTray", envelopeFeeder,
                   {{"auto"}, {"main"}, {"by-pass-tray"}, {"manual"}}, {{"main", letter}, {"by-pass-tray", no10}}, "by-pass-tray", false},
        ChoiceCase{"LoadedEnvelopesBeatTheEnvelopeName", envelopeFeeder, {{"envelope"}, {"main"}}, {{"main", no10}}, "main", false},
        ChoiceCase{"LoadedTurnedOrRoundedIsLoaded", envelopeFeeder, {{"main"}, {"tray-2"}}, {{"tray-2", QSize(24130, 10477)}}, "tray-2", false},
        ChoiceCase{"ManualEnvelopeBeforeTheByPassTray", envelopeFeeder, {{"main"}, {"by-pass-tray"}, {"manual-env"}}, {}, "manual-env", false},
        ChoiceCase{"DefaultTrayWhenNothingFits", envelopeFeeder, {{"auto"}, {"main"}, {"tray-2"}}, {{"main", letter}}, "", true},
        ChoiceCase{"DefaultTrayWhenTheSourcesAreUnknown", envelopeFeeder, {}, {}, "", true},
        ChoiceCase{"ManualEnvelopeFeedPrefersTheManualOne", 6, {{"envelope"}, {"manual-env"}, {"by-pass-tray"}}, {}, "manual-env", false},
        ChoiceCase{"UpperTray", 1, {{"auto"}, {"top"}, {"bottom"}}, {}, "top", false},
        ChoiceCase{"LowerTrayNumbered", 2, {{"auto"}, {"tray-1"}, {"tray-2"}}, {}, "tray-2", false},
        ChoiceCase{"ManualFeedOnTheByPassTray", 4, {{"main"}, {"by-pass-tray"}}, {}, "by-pass-tray", false},
        ChoiceCase{"AutomaticSelection", 7, {{"auto"}, {"main"}}, {}, "auto", false},
        ChoiceCase{"AutomaticSelectionWithoutAuto", 7, {{"main"}}, {}, "", false}),
    [](const auto &param) { return std::string(param.param.name); });

} // namespace
