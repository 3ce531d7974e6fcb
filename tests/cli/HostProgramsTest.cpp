// The installed command line run as each host program of the family: the same
// executable under the host's name prints that office's return address from its
// settings file in the prefix's client tables folder.
#include "support/PdfReport.h"
#include "support/WinePrefixFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

#include <ostream>

namespace {

const QString envelopeBinary = QStringLiteral(ENVELOPE_BINARY_DIR "/cli/envelope");

// Copies the command line under another name: /proc/self/exe names the file
// executed, so the copy sees its own name as a host program would.
QString installAs(const QTemporaryDir &bin, const QString &name)
{
    const QString target = bin.filePath(name);
    if (::link(QFile::encodeName(envelopeBinary).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::copy(envelopeBinary, target);
        QFile::setPermissions(target, QFile::permissions(envelopeBinary));
    }
    return target;
}

struct Printed {
    int exitCode = -1;
    QString stdErr;
    QStringList nameBox;  // words in the name line's box, by line
    QStringList blockBox; // lines of words in the return-address block's box
};

Printed runAs(const testsupport::WinePrefixFixture &prefix, const QString &hostName)
{
    QTemporaryDir bin;
    const QString exe = installAs(bin, hostName);
    const QString pdf = bin.filePath(QStringLiteral("out.pdf"));
    QProcess p;
    QStringList env = QProcess::systemEnvironment();
    prefix.exportTo(env);
    env << QStringLiteral("QT_QPA_PLATFORM=offscreen");
    p.setEnvironment(env);
    p.start(exe, {QStringLiteral("--pdf"), pdf});
    p.waitForFinished(30000);
    Printed out;
    out.exitCode = p.exitCode();
    out.stdErr = QString::fromUtf8(p.readAllStandardError());
    if (out.exitCode == 0) {
        const auto words = testsupport::PdfReport(pdf).words();
        out.nameBox = testsupport::PdfReport::linesInside(words, QRectF(18, 18, 216, 18));
        out.blockBox = testsupport::PdfReport::linesInside(words, QRectF(18, 36, 175.5, 40.5));
    }
    return out;
}

struct HostRow {
    const char *name;
    const char *executable;
    const char *settingsFile;
    QByteArray settings; // Windows-1252 bytes
    QStringList nameLine;
    QStringList block;
};

void PrintTo(const HostRow &row, std::ostream *os) { *os << row.name; }

class HostPrograms : public ::testing::TestWithParam<HostRow> {};

TEST_P(HostPrograms, PrintTheirOwnReturnAddress)
{
    const HostRow &row = GetParam();
    testsupport::WinePrefixFixture prefix;
    if (row.settingsFile)
        prefix.writeSettings(QString::fromLatin1(row.settingsFile), row.settings);
    const Printed out = runAs(prefix, QString::fromLatin1(row.executable));
    ASSERT_EQ(out.exitCode, 0) << qPrintable(out.stdErr);
    EXPECT_FALSE(out.stdErr.contains(QLatin1String("Case Else"))) << qPrintable(out.stdErr);
    EXPECT_EQ(out.nameBox, row.nameLine);
    EXPECT_EQ(out.blockBox, row.block);
}

const QByteArray clerk = "[FIELDS]\r\nSFTFLG8=Y\r\nSFTCLK=\"  Jane Q. Doe  \"\r\nSFTCO=Sangamon\r\nSFTSTR=200 S. 9th St.\r\n"
                         "SFTCTY=Springfield\r\nSFTSTA=IL\r\nSFTZIP=62701\r\n";
const QByteArray probation = "[Fields]\nsftflg1=Y\nSFTCO=Menard\nSFTSTR=102 S. 7th St.\nSFTCTY=Petersburg\nSFTSTA=IL\nSFTZIP=626751234\n";
const QByteArray jury = "[FIELDS]\nSFTFLG1=Y\nSFTCLK=Ren\xe9 Dupr\xe9\nSFTCO=Logan\nSFTSTR=601 Broadway\nSFTCTY=Lincoln\nSFTSTA=IL\n";
const QByteArray defender = "[FIELDS]\nSFTRTNADR=Y\nSFTCLK=Al Rowe\nSFTCO=Macon\nSFTSTR=253 E. Wood St.\nSFTCTY=Decatur\nSFTSTA=IL\nSFTZIP=62523\n";

INSTANTIATE_TEST_SUITE_P(
    Cli, HostPrograms,
    ::testing::Values(
        HostRow{"CircuitClerk", "KorvaMain", "ARYSFT.INI", clerk, {QStringLiteral("Jane Q. Doe")},
                {QStringLiteral("Sangamon County Circuit Clerk"), QStringLiteral("200 S. 9th St."), QStringLiteral("Springfield IL, 62701")}},
        HostRow{"ProbationHasNoNameLine", "korvaprobation", "PRBSFT.INI", probation, {QStringLiteral("Menard County Probation")},
                {QStringLiteral("102 S. 7th St."), QStringLiteral("Petersburg IL, 62675-1234")}},
        HostRow{"JuryWithoutSftcmm", "KORVAJURY", "JURSFT.INI", jury, {QStringLiteral("Ren\u00e9 Dupr\u00e9")},
                {QStringLiteral("Logan County Jury"), QStringLiteral("601 Broadway"), QStringLiteral("Lincoln IL, 00000-0000")}},
        HostRow{"JuryWithSftcmmY", "korvajury", "JURSFT.INI", jury + "SFTCMM=Y\n", {QStringLiteral("Logan County Jury")},
                {QStringLiteral("601 Broadway"), QStringLiteral("Lincoln IL, 00000-0000")}},
        HostRow{"PublicDefender", "KorvaPublicDefender", "DEFSFT.INI", defender, {QStringLiteral("Al Rowe")},
                {QStringLiteral("Macon Public Defender"), QStringLiteral("253 E. Wood St."), QStringLiteral("Decatur IL, 62523")}},
        HostRow{"EnablingLowerCaseY", "KorvaMain", "ARYSFT.INI", QByteArray(clerk).replace("SFTFLG8=Y", "SFTFLG8=y"), {}, {}},
        HostRow{"EnablingQuotedBlankY", "KorvaMain", "ARYSFT.INI", QByteArray(clerk).replace("SFTFLG8=Y", "SFTFLG8=\" Y\""), {}, {}},
        HostRow{"MissingSettingsFile", "KorvaPublicDefender", nullptr, QByteArray(), {}, {}}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(HostProgramsOther, AnyOtherNameSaysCaseElse)
{
    testsupport::WinePrefixFixture prefix;
    prefix.writeSettings(QStringLiteral("ARYSFT.INI"), clerk);
    const Printed out = runAs(prefix, QStringLiteral("korvamain2"));
    ASSERT_EQ(out.exitCode, 0) << qPrintable(out.stdErr);
    EXPECT_TRUE(out.stdErr.contains(QLatin1String("[envelope] Case Else; no return address."))) << qPrintable(out.stdErr);
    EXPECT_TRUE(out.nameBox.isEmpty());
}

} // namespace
