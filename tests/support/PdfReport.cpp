#include "support/PdfReport.h"

#include <QImage>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <algorithm>

#include <stdexcept>

namespace testsupport {

PdfReport::PdfReport(QString path) : m_path(std::move(path)) {}

QString PdfReport::run(const QString &program, const QStringList &args) const
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error(qPrintable(program + QStringLiteral(" failed on ") + m_path + QStringLiteral(": ")
                                            + QString::fromLocal8Bit(p.readAllStandardError())));
    return QString::fromUtf8(p.readAllStandardOutput());
}

int PdfReport::pageCount() const
{
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(run(QStringLiteral("pdfinfo"), {m_path}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QSizeF PdfReport::pageSizePoints() const
{
    const auto m = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts"))
                       .match(run(QStringLiteral("pdfinfo"), {m_path}));
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

QString PdfReport::creator() const
{
    const auto m = QRegularExpression(QStringLiteral("^Creator:\\s+(.*)$"), QRegularExpression::MultilineOption)
                       .match(run(QStringLiteral("pdfinfo"), {m_path}));
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

QStringList PdfReport::fonts() const
{
    QStringList out;
    const QStringList lines = run(QStringLiteral("pdffonts"), {m_path}).split(QLatin1Char('\n'));
    for (qsizetype i = 2; i < lines.size(); ++i)
        if (!lines[i].trimmed().isEmpty())
            out << lines[i].section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    return out;
}

bool PdfReport::allFontsEmbedded() const
{
    // Columns: name type encoding emb sub uni object ID; "emb" is the fourth from the right end.
    const QStringList lines = run(QStringLiteral("pdffonts"), {m_path}).split(QLatin1Char('\n'));
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QStringList cols = lines[i].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (cols.size() >= 6 && cols[cols.size() - 5] != QLatin1String("yes"))
            return false;
    }
    return true;
}

std::vector<PdfReport::Word> PdfReport::words() const
{
    std::vector<Word> out;
    QXmlStreamReader xml(run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), m_path, QStringLiteral("-")}));
    int page = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("page")) {
            ++page;
        } else if (xml.name() == QLatin1String("word")) {
            const auto a = xml.attributes();
            const double x1 = a.value(QLatin1String("xMin")).toDouble();
            const double y1 = a.value(QLatin1String("yMin")).toDouble();
            const double x2 = a.value(QLatin1String("xMax")).toDouble();
            const double y2 = a.value(QLatin1String("yMax")).toDouble();
            out.push_back({xml.readElementText(), QRectF(QPointF(x1, y1), QPointF(x2, y2)), page});
        }
    }
    return out;
}

QString PdfReport::text() const
{
    // pdftotext wraps a right-to-left line in embedding marks (U+202B ... U+202C): they say
    // which way it reads, they are not characters on the page.
    QString text = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), m_path, QStringLiteral("-")});
    text.remove(QChar(0x202B)).remove(QChar(0x202C));
    return text;
}

std::vector<QRectF> PdfReport::barsInside(const QRectF &areaPoints, int dpi) const
{
    const double pixelsPerPoint = dpi / 72.0;
    const QRect area = QRectF(areaPoints.topLeft() * pixelsPerPoint, areaPoints.size() * pixelsPerPoint).toAlignedRect();
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("bars"));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
         QStringLiteral("1"), QStringLiteral("-x"), QString::number(area.x()), QStringLiteral("-y"), QString::number(area.y()),
         QStringLiteral("-W"), QString::number(area.width()), QStringLiteral("-H"), QString::number(area.height()),
         QStringLiteral("-gray"), QStringLiteral("-png"), QStringLiteral("-singlefile"), m_path, prefix});
    const QImage image(prefix + QStringLiteral(".png"));
    if (image.isNull())
        throw std::runtime_error(qPrintable(QStringLiteral("pdftoppm made no picture of ") + m_path));

    const auto dark = [&image](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    std::vector<QRectF> bars;
    int runStart = -1, top = 0, bottom = 0;
    for (int x = 0; x <= image.width(); ++x) {
        int columnTop = -1, columnBottom = -1;
        for (int y = 0; x < image.width() && y < image.height(); ++y) {
            if (dark(x, y)) {
                columnBottom = y;
                if (columnTop < 0)
                    columnTop = y;
            }
        }
        if (columnTop >= 0) {
            top = runStart < 0 ? columnTop : std::min(top, columnTop);
            bottom = runStart < 0 ? columnBottom : std::max(bottom, columnBottom);
            if (runStart < 0)
                runStart = x;
        } else if (runStart >= 0) {
            const QRectF pixels(QPointF(area.x() + runStart, area.y() + top), QPointF(area.x() + x, area.y() + bottom + 1));
            bars.emplace_back(pixels.topLeft() / pixelsPerPoint, pixels.size() / pixelsPerPoint);
            runStart = -1;
        }
    }
    return bars;
}

QStringList PdfReport::linesInside(const std::vector<Word> &words, const QRectF &boxPoints)
{
    QMap<int, QStringList> byLine;
    for (const auto &w : words)
        if (boxPoints.adjusted(-0.5, -0.5, 0.5, 0.5).contains(w.box))
            byLine[qRound(w.box.bottom())] << w.text;
    QStringList lines;
    for (const auto &l : std::as_const(byLine))
        lines << l.join(QLatin1Char(' '));
    return lines;
}

} // namespace testsupport
