#include "cli/OutputOptions.h"

#include "cli/PrintJobReport.h"

#include <QDir>

namespace cli {

OutputOptions::OutputOptions(Pictures pictures)
    : m_kind(pictures), m_pictures(pictures == Pictures::File ? OptionParser::withValue("png", "FILE")
                                                              : OptionParser::withValue("png-dir", "DIR"))
{
}

void OutputOptions::prepare(OptionParser &parser) const { PrintJobReport::allowBareWait(parser, m_wait); }

OutputOptions::Output OutputOptions::read(const OptionParser &parser) const
{
    const QString pictures = QStringLiteral("--") + m_pictures.names().constFirst();
    if (int(parser.isSet(m_printer)) + int(parser.isSet(m_pdf)) + int(parser.isSet(m_pictures)) > 1)
        throw OptionParser::UsageError{QStringLiteral("give only one of --printer, --pdf and %1").arg(pictures)};
    parser.requireValue(m_printer, "a queue name");
    parser.requireValue(m_pdf, "a file name");
    parser.requireValue(m_pictures, m_kind == Pictures::File ? "a file name" : "a folder");

    Output out;
    if (parser.isSet(m_printer)) {
        out.destination = engine::PrintDestination::printer(parser.value(m_printer));
    } else if (parser.isSet(m_pdf)) {
        out.destination = engine::PrintDestination::pdfFile(parser.value(m_pdf));
    } else if (parser.isSet(m_pictures)) {
        QString file = parser.value(m_pictures);
        if (m_kind == Pictures::Folder) {
            out.pngDir = file;
            file = QDir(out.pngDir).filePath(QStringLiteral("envelope.png"));
        }
        out.destination = engine::PrintDestination::pngFile(file);
    }
    out.waitSeconds = PrintJobReport::waitSeconds(parser, m_wait, {&m_pdf, &m_pictures}, QStringLiteral("printing"));
    return out;
}

} // namespace cli
