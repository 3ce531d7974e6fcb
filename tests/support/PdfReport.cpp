#include "support/PdfReport.h"

#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

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
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), m_path, QStringLiteral("-")});
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
