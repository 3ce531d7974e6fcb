// The paper source a job asks for, chosen by meaning from what real printers report.
#include "reporting_engine/MediaSourceChooser.h"
#include "reporting_engine/PaperCatalog.h"

#include <gtest/gtest.h>

using engine::MediaSourceChooser;
using engine::ReadyMedia;

namespace {

const QSize no10(10478, 24130);
const QSize letter(21590, 27940);

struct ChoiceCase {
    const char *name;
    int code;
    QList<QByteArray> supported; // media-source-supported as the destination reports it
    std::vector<ReadyMedia> ready;
    QByteArray chosen;
    bool usedDefault;
};

void PrintTo(const ChoiceCase &c, std::ostream *os) { *os << c.name; }

class MediaSourceChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(MediaSourceChoice, FollowsTheRule)
{
    const ChoiceCase &c = GetParam();
    const auto choice = MediaSourceChooser::choose(c.code, no10, c.supported, c.ready);
    EXPECT_EQ(choice.keyword, c.chosen) << choice.reason.toStdString();
    EXPECT_EQ(choice.usedDefault, c.usedDefault);
    EXPECT_FALSE(choice.reason.isEmpty());
}

constexpr int envelopeFeeder = engine::PaperCatalog::sourceEnvelopeFeeder;

INSTANTIATE_TEST_SUITE_P(
    Printers, MediaSourceChoice,
    ::testing::Values(
        // @PRINTERS@
        ChoiceCase{"SlotNamedEnvelope", envelopeFeeder, {"auto", "envelope"}, {}, "envelope", false},
        ChoiceCase{"IppEverywhereEnvelopesLoadedInByPassTray", envelopeFeeder, {"auto", "main", "by-pass-tray", "manual"},
                   {{"main", letter}, {"by-pass-tray", no10}}, "by-pass-tray", false},
        ChoiceCase{"LoadedEnvelopesBeatTheEnvelopeName", envelopeFeeder, {"envelope", "main"}, {{"main", no10}}, "main", false},
        ChoiceCase{"LoadedTurnedIsLoaded", envelopeFeeder, {"main", "tray-2"}, {{"tray-2", no10.transposed()}}, "tray-2", false},
        ChoiceCase{"EnvelopeCassette", envelopeFeeder, {"auto", "main", "env-cas"}, {}, "env-cas", false},
        ChoiceCase{"ManualEnvelopeFeedBeforeTheByPassTray", envelopeFeeder, {"main", "by-pass-tray", "manual-envelope"}, {}, "manual-envelope", false},
        ChoiceCase{"ByPassTrayWhenNoEnvelopeSource", envelopeFeeder, {"main", "tray-2", "by-pass-tray"}, {}, "by-pass-tray", false},
        ChoiceCase{"DefaultTrayWhenNothingFits", envelopeFeeder, {"auto", "main", "tray-2"}, {{"main", letter}}, "", true},
        ChoiceCase{"DefaultTrayWhenTheSourcesAreUnknown", envelopeFeeder, {}, {}, "", true},
        ChoiceCase{"ManualEnvelopeFeedPrefersTheManualOne", 6, {"envelope", "env-manual", "by-pass-tray"}, {}, "env-manual", false},
        ChoiceCase{"UpperTray", 1, {"auto", "top", "bottom"}, {}, "top", false},
        ChoiceCase{"LowerTrayNumbered", 2, {"auto", "tray-1", "tray-2"}, {}, "tray-2", false},
        ChoiceCase{"ManualFeedOnTheByPassTray", 4, {"main", "by-pass-tray"}, {}, "by-pass-tray", false},
        ChoiceCase{"AutomaticSelection", 7, {"auto", "main"}, {}, "auto", false},
        ChoiceCase{"AutomaticSelectionWithoutAuto", 7, {"main"}, {}, "", false}),
    [](const auto &param) { return std::string(param.param.name); });

} // namespace
