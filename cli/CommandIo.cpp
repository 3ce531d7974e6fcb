#include "cli/CommandIo.h"

namespace cli {
namespace {

void writeLine(std::FILE *stream, const QString &line) { std::fputs(qUtf8Printable(line + QLatin1Char('\n')), stream); }

} // namespace

QString CommandIo::message(const QString &text) { return QStringLiteral("envelope: ") + text; }

void CommandIo::say(const QString &text) const { writeLine(err, message(text)); }

void CommandIo::writeOut(const QString &line) const { writeLine(out, line); }

void CommandIo::writeErr(const QString &line) const { writeLine(err, line); }

} // namespace cli
