// Characters the report's font lacks: drawn from an installed font that has them,
// read back from the PDF as written, or refused when no font has them.
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/render/FontFallback.h"
#include "reporting_engine/report/PdfPageSink.h"
#include "reporting_engine/report/Report.h"
#include "support/PdfReport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

namespace {

// One name in a text box as wide as the envelope's address box.
class NameReport final : public engine::Report {
public:
    explicit NameReport(QString name) : Report(QStringLiteral("Name")), m_name(std::move(name))
    {
        engine::TextStyle style;
        style.family = QStringLiteral("Times New Roman");
        style.pointSize = 12;
        addSection(QStringLiteral("Detail"), 2880).add<engine::TextBox>(QStringLiteral("fldName"), QRectF(0, 0, 7200, 400), style);
    }

protected:
    void fetchData(bool &eof) override
    {
        textBox(QStringLiteral("fldName")).setText(m_name);
        eof = true;
    }

private:
    QString m_name;
};

QString printed(const QString &name, const QString &path, QStringList *fonts = nullptr)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    NameReport report(name);
    engine::PdfPageSink sink(file, QStringLiteral("Name"));
    report.run(sink);
    file.close();
    const testsupport::PdfReport pdf(path);
    EXPECT_TRUE(pdf.allFontsEmbedded());
    if (fonts)
        *fonts = pdf.fonts();
    return pdf.text().trimmed();
}

struct NameCase {
    const char *name;
    const char *text;
    bool latin = false; // its Latin letters stay in the box's font
};

void PrintTo(const NameCase &row, std::ostream *os) { *os << row.name; }

class FallbackNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(FallbackNames, PrintEveryCharacterAndReadBackAsWritten)
{
    const QTemporaryDir dir;
    const QString name = QString::fromUtf8(GetParam().text);
    // Composed or not, a letter with its marks is the same letter to a reader.
    QStringList fonts;
    EXPECT_EQ(printed(name, dir.filePath(QStringLiteral("name.pdf")), &fonts).normalized(QString::NormalizationForm_C),
              name.normalized(QString::NormalizationForm_C));
    if (GetParam().latin) {
        EXPECT_TRUE(fonts.join(QLatin1Char(' ')).contains(QLatin1String("LiberationSerif"))) << qPrintable(fonts.join(QLatin1Char(' ')));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, FallbackNames,
    ::testing::Values(NameCase{"Arabic", "محمد علي"}, NameCase{"Hebrew", "דוד לוי"},
                      NameCase{"LatinWithChinese", "Zoë Ånström 李小龙", true}, NameCase{"Japanese", "山田 はなこ"},
                      NameCase{"Korean", "김민준"}, NameCase{"Devanagari", "अनिल कुमार"}, NameCase{"Thai", "สมชาย ใจดี"},
                      NameCase{"Vietnamese", "Nguyễn Thị Minh Khai", true},
                      NameCase{"CombiningMarks", "Nguye\xcc\x82\xcc\x83n Thi\xcc\xa3", true}, NameCase{"Greek", "Σωκράτης", true},
                      NameCase{"Punctuation", "O’Brien–Smith", true}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(FallbackRefusal, TextWithACharacterNoFontHasStopsTheRunNamingIt)
{
    const QTemporaryDir dir;
    // U+0378 is unassigned: no font will ever have it.
    const QString name = QString::fromUtf8("Zoë \xcd\xb8 李");
    EXPECT_EQ(engine::FontFallback::unprintable(name + QStringLiteral("\t\u200B ")), QList<char32_t>{0x378});
    try {
        printed(name, dir.filePath(QStringLiteral("refused.pdf")));
        FAIL() << "printed a name with a character no font has";
    } catch (const engine::EngineError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Text box fldName has characters no installed font can print: U+0378."));
    }
}

} // namespace
