// The example host programs, built against an installed copy of the package in
// a scratch prefix (BuildExamples.cmake does that first), run on a Wine prefix
// holding the settings files of all four offices: each prints its own.
#include "support/PdfReport.h"
#include "support/WinePrefixFixture.h"

#include <QDir>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString workDir = QStringLiteral(INSTALL_TEST_WORK_DIR);

const QByteArray clerk = "[FIELDS]\r\nSFTFLG8=Y\r\nSFTCLK=Jane Q. Doe\r\nSFTCO=Sangamon\r\nSFTSTR=200 S. 9th St.\r\n"
                         "SFTCTY=Springfield\r\nSFTSTA=IL\r\nSFTZIP=62701\r\n";
const QByteArray probation = "[FIELDS]\nSFTFLG1=Y\nSFTCO=Menard\nSFTSTR=102 S. 7th St.\nSFTCTY=Petersburg\nSFTSTA=IL\n"
                             "SFTZIP=626751234\n";
const QByteArray jury = "[FIELDS]\nSFTFLG1=Y\nSFTCLK=Ren\xe9 Dupr\xe9\nSFTCO=Logan\nSFTSTR=601 Broadway\nSFTCTY=Lincoln\n"
                        "SFTSTA=IL\nSFTZIP=62656\n";
const QByteArray defender = "[FIELDS]\nSFTRTNADR=Y\nSFTCLK=Al Rowe\nSFTCO=Macon\nSFTSTR=253 E. Wood St.\n"
                            "SFTCTY=Decatur\nSFTSTA=IL\nSFTZIP=62523\n";

struct Printed {
    int exitCode = -1;
    QString stdErr;
    QStringList nameBox;    // lines of words in the return-address name line's box
    QStringList blockBox;   // lines of words in the return-address block's box
    QStringList topLeft;    // every line left of and above the addressee block
};

// Every office's settings file in one prefix, so a host that read another's
// would print the wrong lines rather than none.
class InstalledExamples : public ::testing::Test {
protected:
    InstalledExamples()
    {
        prefix.writeSettings(QStringLiteral("ARYSFT.INI"), clerk);
        prefix.writeSettings(QStringLiteral("PRBSFT.INI"), probation);
        prefix.writeSettings(QStringLiteral("JURSFT.INI"), jury);
        prefix.writeSettings(QStringLiteral("DEFSFT.INI"), defender);
    }

    Printed run(const QString &program, const QString &pdf) const
    {
        QProcess p;
        QStringList env = QProcess::systemEnvironment();
        prefix.exportTo(env);
        env << QStringLiteral("QT_QPA_PLATFORM=offscreen");
        p.setEnvironment(env);
        p.start(program, {pdf});
        EXPECT_TRUE(p.waitForFinished(60000)) << qPrintable(program);
        Printed out;
        out.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        out.stdErr = QString::fromUtf8(p.readAllStandardError());
        if (out.exitCode == 0) {
            const auto words = testsupport::PdfReport(pdf).words();
            out.nameBox = testsupport::PdfReport::linesInside(words, QRectF(18, 18, 216, 18));
            out.blockBox = testsupport::PdfReport::linesInside(words, QRectF(18, 36, 175.5, 40.5));
            out.topLeft = testsupport::PdfReport::linesInside(words, QRectF(0, 0, 315, 148.5));
        }
        return out;
    }

    testsupport::WinePrefixFixture prefix;
    QTemporaryDir outputs;
};

struct Host {
    const char *executable;
    QStringList nameLine;
    QStringList block;
};

const std::vector<Host> hosts = {
    {"KorvaMain", {QStringLiteral("Jane Q. Doe")},
     {QStringLiteral("Sangamon County Circuit Clerk"), QStringLiteral("200 S. 9th St."), QStringLiteral("Springfield IL, 62701")}},
    {"KorvaProbation", {QStringLiteral("Menard County Probation")},
     {QStringLiteral("102 S. 7th St."), QStringLiteral("Petersburg IL, 62675-1234")}},
    {"KorvaJury", {QStringLiteral("Ren\u00e9 Dupr\u00e9")},
     {QStringLiteral("Logan County Jury"), QStringLiteral("601 Broadway"), QStringLiteral("Lincoln IL, 62656")}},
    {"KorvaPublicDefender", {QStringLiteral("Al Rowe")},
     {QStringLiteral("Macon Public Defender"), QStringLiteral("253 E. Wood St."), QStringLiteral("Decatur IL, 62523")}},
};

void expectOwnReturnAddress(const Printed &printed, const Host &host)
{
    ASSERT_EQ(printed.exitCode, 0) << qPrintable(printed.stdErr);
    EXPECT_FALSE(printed.stdErr.contains(QLatin1String("Case Else"))) << qPrintable(printed.stdErr);
    // Message boxes carry the host's own title.
    EXPECT_TRUE(printed.stdErr.contains(QLatin1Char('[') + QLatin1String(host.executable) + QLatin1String("] Addressee:  Orrin Vask")))
        << qPrintable(printed.stdErr);
    EXPECT_EQ(printed.nameBox, host.nameLine);
    EXPECT_EQ(printed.blockBox, host.block);
    EXPECT_EQ(printed.topLeft, host.nameLine + host.block);
}

TEST_F(InstalledExamples, EachHostPrintsItsOwnReturnAddress)
{
    for (const Host &host : hosts) {
        SCOPED_TRACE(host.executable);
        const QString exe = QDir(workDir).filePath(QStringLiteral("examples/") + QLatin1String(host.executable));
        const QString pdf = outputs.filePath(QLatin1String(host.executable) + QStringLiteral(".pdf"));
        expectOwnReturnAddress(run(exe, pdf), host);
    }
}

TEST_F(InstalledExamples, BuiltWithPkgConfigPrintsToo)
{
    const QString exe = QDir(workDir).filePath(QStringLiteral("pkgconfig/KorvaMain"));
    expectOwnReturnAddress(run(exe, outputs.filePath(QStringLiteral("main.pdf"))), hosts.front());
}

TEST_F(InstalledExamples, FailureEndsTheHostWithTheErrorText)
{
    // The engine's error crosses from the shared library into the host's catch.
    const QString exe = QDir(workDir).filePath(QStringLiteral("examples/KorvaMain"));
    const QString pdf = outputs.filePath(QStringLiteral("missing-folder/main.pdf"));
    const Printed printed = run(exe, pdf);
    EXPECT_EQ(printed.exitCode, 1);
    EXPECT_TRUE(printed.stdErr.contains(exe + QStringLiteral(": "))) << qPrintable(printed.stdErr);
    EXPECT_TRUE(printed.stdErr.contains(QStringLiteral("missing-folder"))) << qPrintable(printed.stdErr);
    EXPECT_FALSE(QFile::exists(pdf));
}

} // namespace
