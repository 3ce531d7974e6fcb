#include "cli/runs/JobOptions.h"

namespace cli {

const char JobOptions::helpText[] =
    "  --job-size N           with --printer: send the run as jobs of N envelopes, each submitted once made\n"
    "                         (with --wait, each followed to its end before the next; one that fails stops the run)\n"
    "  --journal FILE         write the run's journal (a CSV row per envelope and what became of it) to FILE\n"
    "                         (default: a new file in $XDG_STATE_HOME/korva-envelope/journal/)\n";

JobOptions::Jobs JobOptions::read(const OptionParser &parser, bool printing) const
{
    parser.requireValue(m_journal, "a file name");
    Jobs jobs;
    jobs.journal = parser.value(m_journal);
    if (!parser.isSet(m_jobSize))
        return jobs;
    if (!printing)
        throw OptionParser::UsageError{QStringLiteral("--job-size goes with --printer, not with a file")};
    const QString text = parser.value(m_jobSize);
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1 || text != QString::number(n))
        throw OptionParser::UsageError{QStringLiteral("--job-size \"%1\" is not a positive number of envelopes").arg(text)};
    jobs.envelopesPerJob = n;
    return jobs;
}

} // namespace cli
