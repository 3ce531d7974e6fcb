// The media type an envelope asks for, chosen from what real PPD queues offer
// (media-type-supported, with the drivers' words from their strings files).
#include "reporting_engine/print/MediaTypeChooser.h"
#include "reporting_engine/print/PrinterStrings.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

struct TypeCase {
    const char *name;
    std::vector<const char *> offered;
    const char *strings; // the queue's strings file in data/
    QByteArray chosen;
    bool noChoice;
};

void PrintTo(const TypeCase &c, std::ostream *os) { *os << c.name; }

class MediaTypeChoice : public ::testing::TestWithParam<TypeCase> {};

TEST_P(MediaTypeChoice, FollowsTheRule)
{
    const TypeCase &c = GetParam();
    QFile file(QStringLiteral(ENVELOPE_SOURCE_DIR "/tests/reporting_engine/print/data/") + QLatin1String(c.strings));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.strings;
    const engine::PrinterStrings strings = engine::PrinterStrings::parse(file.readAll());
    std::vector<engine::PrinterMediaType> offered;
    for (const char *keyword : c.offered)
        offered.push_back({QByteArray(keyword), strings.text("media-type", keyword)});
    const auto choice = engine::MediaTypeChooser::choose("envelope", offered);
    EXPECT_EQ(choice.keyword, c.chosen) << choice.reason.toStdString();
    EXPECT_EQ(choice.noChoice, c.noChoice);
    EXPECT_FALSE(choice.reason.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    RealPrinters, MediaTypeChoice,
    ::testing::Values(
        TypeCase{"HpLaserJet4250",
                 {"light", "none", "stationery", "stationery-preprinted", "stationery-letterhead", "transparency", "prepunched",
                  "labels", "bond", "stationery-recycled", "color", "rough", "cardstock", "envelope"},
                 "hp-laserjet-4250.strings", "envelope", false},
        TypeCase{"LexmarkT652PlainBeforeRough",
                 {"printer-s", "stationery", "cardstock", "transparency", "labels", "vinyl", "bond", "rough-envelope", "envelope",
                  "stationery-letterhead", "stationery-preprinted", "colored", "light", "heavy", "rough", "stationery-recycled"},
                 "lexmark-t652.strings", "envelope", false},
        TypeCase{"KyoceraFs1700OffersNone", {}, "kyocera-fs-1700.strings", "", true}),
    [](const auto &param) { return std::string(param.param.name); });

} // namespace
