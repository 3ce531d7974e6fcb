#pragma once

#include "cli/OptionParser.h"
#include "reporting_engine/print/PrintDestination.h"

#include <QList>
#include <QString>

#include <optional>

namespace cli {

// Where a command's envelopes go, read alike by every command that makes them:
// --printer QUEUE [--wait [SECONDS]], --pdf FILE, or pictures (--png FILE for one
// envelope, --png-dir DIR for many); without any, the default printer.
class OutputOptions {
public:
    enum class Pictures { File, Folder };

    struct Output {
        engine::PrintDestination destination = engine::PrintDestination::defaultPrinter();
        QString pngDir; // with Pictures::Folder
        std::optional<int> waitSeconds;
    };

    explicit OutputOptions(Pictures pictures);

    QList<QCommandLineOption> all() const { return {m_printer, m_pdf, m_pictures, m_wait}; }
    // Before parsing: --wait may stand alone.
    void prepare(OptionParser &parser) const;
    // Throws OptionParser::UsageError.
    Output read(const OptionParser &parser) const;

private:
    Pictures m_kind;
    QCommandLineOption m_printer = OptionParser::withValue("printer", "QUEUE");
    QCommandLineOption m_pdf = OptionParser::withValue("pdf", "FILE");
    QCommandLineOption m_pictures;
    QCommandLineOption m_wait = OptionParser::withValue("wait", "SECONDS");
};

} // namespace cli
