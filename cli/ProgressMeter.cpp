#include "cli/ProgressMeter.h"

#include <QElapsedTimer>

#include <cmath>

namespace cli {
namespace {

constexpr qint64 redrawIntervalNs = 100'000'000;

} // namespace

struct ProgressMeter::Private {
    std::FILE *stream = nullptr;
    bool enabled = false;
    bool shown = false;
    QElapsedTimer timer;
    qint64 lastDrawNs = -redrawIntervalNs;
};

ProgressMeter::ProgressMeter(std::FILE *stream, bool enabled) : d(std::make_unique<Private>())
{
    d->stream = stream;
    d->enabled = enabled;
    d->timer.start();
}

ProgressMeter::~ProgressMeter() { clear(); }

double ProgressMeter::elapsedSeconds() const { return double(d->timer.nsecsElapsed()) / 1e9; }

QString ProgressMeter::clock(double seconds)
{
    const auto s = static_cast<qint64>(std::llround(std::max(0.0, seconds)));
    if (s >= 3600)
        return QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

void ProgressMeter::update(qint64 records, double fractionRead)
{
    if (!d->enabled)
        return;
    const qint64 now = d->timer.nsecsElapsed();
    if (now - d->lastDrawNs < redrawIntervalNs)
        return;
    d->lastDrawNs = now;
    const double seconds = double(now) / 1e9;
    QString line = QStringLiteral("%1 envelopes").arg(records);
    if (seconds > 0.2)
        line += QStringLiteral("  %1/s").arg(std::llround(double(records) / seconds));
    if (fractionRead > 0 && fractionRead <= 1) {
        constexpr int width = 24;
        const int filled = static_cast<int>(fractionRead * width);
        line = QStringLiteral("[%1%2] %3%  ")
                   .arg(QString(filled, QLatin1Char('#')), QString(width - filled, QLatin1Char('-')))
                   .arg(std::lround(fractionRead * 100), 3) +
               line;
        if (seconds > 0.5 && fractionRead < 1)
            line += QStringLiteral("  %1 left").arg(clock(seconds * (1 - fractionRead) / fractionRead));
    }
    // Carriage return and erase-line: the bar redraws in place.
    std::fprintf(d->stream, "\r%s\x1b[K", qUtf8Printable(line));
    std::fflush(d->stream);
    d->shown = true;
}

void ProgressMeter::note(const QString &line)
{
    clear();
    std::fprintf(d->stream, "%s\n", qUtf8Printable(line));
}

void ProgressMeter::clear()
{
    if (!d->shown)
        return;
    std::fputs("\r\x1b[K", d->stream);
    std::fflush(d->stream);
    d->shown = false;
}

} // namespace cli
