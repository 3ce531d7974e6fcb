// The postal barcode's settings as mail.conf and the host give them: every refused value
// named with its file and line (the options' own messages: EnvelopeCommandTest).
#include "envelope_report/MailBarcode.h"
#include "envelope_report/MailSettings.h"
#include "reporting_engine/base/EngineError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

using envelope::MailSettings;

namespace {

struct BadRow {
    const char *name;
    const char *userFile;   // the user's mail.conf
    MailSettings overrides; // the host's
    const char *mentioned;
};

void PrintTo(const BadRow &row, std::ostream *os) { *os << row.name; }

class BadMailSettings : public ::testing::TestWithParam<BadRow> {};

TEST_P(BadMailSettings, AreRefusedNamingTheValue)
{
    QTemporaryDir dir;
    const QString user = dir.filePath(QStringLiteral("mail.conf"));
    QFile file(user);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(GetParam().userFile);
    file.close();
    try {
        const MailSettings s = MailSettings::read(dir.filePath(QStringLiteral("none.conf")), user, QStringLiteral("korvajury"));
        envelope::MailBarcode barcode(s.overriddenBy(GetParam().overrides));
        ADD_FAILURE() << "accepted";
    } catch (const engine::EngineError &e) {
        const QString expected = QString::fromUtf8(GetParam().mentioned).replace(QStringLiteral("FILE"), user);
        EXPECT_TRUE(e.message().contains(expected)) << qPrintable(e.message());
    }
}

const char imb[] = "[default]\nbarcode = imb\nmailer-id = 123456\nservice-type = 270\n";

INSTANTIATE_TEST_SUITE_P(
    Mail, BadMailSettings,
    ::testing::Values(
        BadRow{"MailerIdFiveDigits", "[KORVAJURY]\nmailer-id = 12345\n", {}, "FILE line 2: mailer-id = \"12345\": a Mailer ID is 6"},
        BadRow{"SixDigitMailerIdStartingWith9", "[default]\n\nmailer-id = 912345\n", {}, "FILE line 3: mailer-id = \"912345\""},
        BadRow{"NineDigitMailerIdNotStartingWith9", "[default]\nmailer-id = 812345678\n", {}, "FILE line 2: mailer-id = \"812345678\""},
        BadRow{"ServiceTypeFourDigits", "[default]\nservice-type = 2700\n", {}, "FILE line 2: service-type = \"2700\": a service type is 3 digits"},
        BadRow{"BarcodeIdSecondDigit5", "[default]\nbarcode-id = 05\n", {}, "FILE line 2: barcode-id = \"05\": the barcode identifier's second digit"},
        BadRow{"UnknownBarcode", "[default]\nbarcode = qr\n", {}, "FILE line 2: barcode = \"qr\": the barcode is postnet or imb"},
        BadRow{"SerialSourceNotPostgres", "[default]\nserial-source = /mnt/share/serials\n", {}, "FILE line 2: serial-source = \"/mnt/share/serials\": a serial source is a PostgreSQL"},
        BadRow{"AddressStyleUnknown", "[default]\naddress-style = fancy\n", {}, "FILE line 2: address-style = \"fancy\": the address style is as-given or pub28"},
        BadRow{"UnknownKey", "[default]\nmailerid = 123456\n", {}, "FILE line 2: mailerid = \"123456\": no mail setting"},
        // Checked whichever section the host reads, so a damaged file is never half used.
        BadRow{"DamagedLineInAnotherSection", "[KORVAJURY]\nbarcode = imb\n[KORVAMAIN]\nthis is no setting\n", {}, "FILE line 4"},
        BadRow{"SerialTooLongForNineDigitMailerId", imb, MailSettings{{}, QStringLiteral("912345678"), {}, {}, {}, QStringLiteral("1234567")},
               "at most 6 digits"},
        BadRow{"ImbWithoutServiceType", "[default]\nbarcode = imb\nmailer-id = 123456\n", {}, "needs a Mailer ID and a service type"}),
    [](const auto &row) { return std::string(row.param.name); });

} // namespace

namespace {

// The host's section chooses the address style beside its barcode; the user's section wins whole.
TEST(AddressStyleSetting, IsReadFromTheHostsSection)
{
    QTemporaryDir dir;
    const QString system = dir.filePath(QStringLiteral("system.conf"));
    const QString user = dir.filePath(QStringLiteral("user.conf"));
    for (const auto &[path, text] : {std::pair{system, "[KORVAJURY]\naddress-style = pub28\nbarcode = postnet\n"},
                                     std::pair{user, "[KORVAMAIN]\nbarcode = postnet\n"}}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    EXPECT_EQ(MailSettings::readAddressStyle(system, user, QStringLiteral("korvajury")), QStringLiteral("pub28"));
    EXPECT_EQ(MailSettings::read(system, user, QStringLiteral("korvajury")).barcode, QStringLiteral("postnet"));
    EXPECT_EQ(MailSettings::readAddressStyle(system, user, QStringLiteral("korvamain")), QString());
}

} // namespace
