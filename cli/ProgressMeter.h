#pragma once

#include <QString>

#include <cstdio>
#include <memory>

namespace cli {

// A one-line progress display on a terminal: records done, rate and, when the
// share of the input read is known, time left. Redrawn at most ten times a second
// so that drawing never slows the run. Off (only notes pass) when not on a terminal.
class ProgressMeter {
public:
    ProgressMeter(std::FILE *stream, bool enabled);
    ~ProgressMeter();
    ProgressMeter(const ProgressMeter &) = delete;
    ProgressMeter &operator=(const ProgressMeter &) = delete;

    // fractionRead: 0..1, or negative when unknown.
    void update(qint64 records, double fractionRead);
    // A line of its own (a bad record, say), printed above the bar.
    void note(const QString &line);
    // Takes the bar off the screen, before the summary.
    void clear();
    double elapsedSeconds() const;

    // "1:05", "12:00:09".
    static QString clock(double seconds);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace cli
