#pragma once

// The CUPS queues scripts/start-cups.sh creates, and what the scheduler, the
// queue's filter or the printer recorded of a job printed there. Tests that
// print call cupsTestQueuesReady() (or cupsRigReady() for the real-driver and
// IPP Everywhere queues) first: without the queues they skip, unless
// ENVELOPE_REQUIRE_CUPS=1 (CI), where they fail.

#include <QByteArray>
#include <QLockFile>
#include <QSize>
#include <QString>

#include <cups/ipp.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

inline constexpr const char *cupsTestQueue = "envelope-test";       // writes every job to one file
inline constexpr const char *cupsStoppedQueue = "envelope-stopped"; // disabled, rejecting jobs
// Real makers' PPDs, envelope feeder installed, each writing every job to one file.
inline constexpr const char *cupsHp4250Queue = "envelope-hp4250";   // HP LaserJet 4250: EnvelopeFeeder
inline constexpr const char *cupsVendor2Queue = "envelope-vendor2"; // Lexmark T652: EnvFeeder, ManualEnv
inline constexpr const char *cupsKyoceraQueue = "envelope-kyocera"; // Kyocera FS-1700: EF1 (ef-1 "Envelope Feeder")
// IPP Everywhere ("-m everywhere") on a driverless printer, ippeveprinter, with
// HP's tray list: "manual" and "tray-1" the same 50-sheet tray, no envelopes loaded.
inline constexpr const char *cupsEverywhereQueue = "envelope-everywhere";
inline constexpr const char *ippEverywherePrinterUri = "ipp://localhost:8631/ipp/print";
inline constexpr const char *ippEverywhereLog = "/var/spool/envelope-test/ippeveprinter.log"; // every request
inline constexpr const char *ippEverywhereSpool = "/var/spool/envelope-test/ippeveprinter";  // documents received

// A No. 10 envelope as IPP gives it, in hundredths of a millimetre.
inline constexpr QSize no10Size(10478, 24130); // 4.125 x 9.5 in

struct IppDelete {
    void operator()(ipp_t *ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDelete>;

// ENVELOPE_REQUIRE_CUPS=1: a missing queue is a fault, not a reason to skip.
bool cupsRequired();

// Skips the running test, or fails it when CUPS is required. The caller returns after it.
void skipOrFailWithoutCups(const std::string &why);

// True when both test queues answer; otherwise skips or fails the running test.
bool cupsTestQueuesReady();

// True when the queue answers, its output can be read and, for
// cupsEverywhereQueue, its printer answers too; otherwise skips or fails the running test.
bool cupsRigReady(const char *queue);

// A queue's printer attribute, asked of the scheduler directly; nothing when it can't be had.
Ipp printerAttributes(const char *queue, const char *attribute);

// A printer attribute asked of the printer at the URI itself, not of a queue on it.
Ipp ippPrinterAttributes(const char *printerUri, const char *attribute);

// Each queue writes every job to the same file (the IPP Everywhere printer to
// one log): one job at a time, also across test programs run in parallel.
// Waits up to a minute for the queue.
class CupsTestQueueLock {
public:
    explicit CupsTestQueueLock(const char *queue = cupsTestQueue);
    bool isLocked() const { return m_locked; }

private:
    QLockFile m_lock;
    bool m_locked = false;
};

// What the scheduler recorded of a job.
struct RecordedJob {
    struct MediaCol {
        std::optional<QSize> size; // media-size, hundredths of a millimetre
        // media-bottom/left/right/top-margin in that order; -1 where not recorded.
        std::vector<std::pair<std::string, int>> margins;
        QString source; // media-source; empty: none
        QString type;   // media-type; empty: none
    };

    ipp_jstate_t state = IPP_JSTATE_PENDING;
    QString name;
    QString printerUri;
    QString printScaling;
    std::optional<QString> media;      // the media keyword, when it travelled as one
    std::optional<MediaCol> mediaCol;
};

// Polls the job until it has ended (completed, cancelled or aborted) or the
// time is up, then returns what the scheduler holds of it; nothing when the
// scheduler doesn't answer (cupsLastErrorString() says why).
std::optional<RecordedJob> waitForJobEnd(int jobId, int timeoutMs = 15000);

// What a queue's filter wrote for the last job: the PostScript in the file
// that is the queue's device.
class FilterOutput {
public:
    static FilterOutput read(const char *queue = cupsTestQueue);
    static FilterOutput readFile(const QString &path);
    static FilterOutput fromPostScript(QByteArray postScript);

    // Empty when the output was read.
    const QString &error() const { return m_error; }
    // The job's title as the DSC comment gives it; another title means another job's output.
    bool hasTitle(const QString &title) const;
    // The choice of a PPD option the PostScript sets ("%%BeginFeature: *InputSlot
    // EnvelopeFeeder"): the first one; empty when it sets none.
    QByteArray feature(const QByteArray &option) const;
    // The PPD InputSlot the filter selected.
    bool selectsInputSlot(const QByteArray &slot) const { return feature("InputSlot") == slot; }
    // The PPD size the filter selected, as PageSize or PageRegion; empty when it
    // set neither (Ghostscript's output keeps the document's own page size).
    QByteArray pageSize() const;

private:
    QByteArray m_postScript;
    QString m_error;
};

// What the IPP Everywhere printer logged of a job CUPS sent it, and the
// document it kept (a PDF: pdftotext -bbox reads it).
struct ReceivedJob {
    QString error; // empty when the job was found
    QString name;  // job-name
    std::optional<RecordedJob::MediaCol> mediaCol;
    QString documentPath; // the file the printer kept the job's document in; empty: none
};

// The last job named jobName (any job when empty) in ippEverywhereLog; name
// jobs uniquely, or hold CupsTestQueueLock(cupsEverywhereQueue).
ReceivedJob lastReceivedJob(const QString &jobName = {});
// The same from the text of a log.
ReceivedJob receivedJobInLog(const QByteArray &log, const QString &jobName);
// A media-col as the printer logs it: "{media-size={x-dimension=10477
// y-dimension=24130} media-bottom-margin=423 ... media-source=by-pass-tray ...}".
RecordedJob::MediaCol mediaColFromText(const QByteArray &text);

// Sets or clears an environment variable for one test and makes libcups read
// its settings again (it caches the server name).
class ScopedEnv {
public:
    ScopedEnv(const char *name, std::optional<QByteArray> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    void apply(const std::optional<QByteArray> &value) const;
    const char *m_name;
    std::optional<QByteArray> m_old;
};

} // namespace testsupport
