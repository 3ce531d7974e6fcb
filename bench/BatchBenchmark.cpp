// Envelopes per second of a whole batch into one PDF file, from a CSV file and
// from a SQLite query, at 1,000 and 10,000 records; and 10,000 from CSV with the
// Intelligent Mail barcode, its serials reserved from a counter file. Run: build/<preset>/bench/BatchBenchmark
#include "envelope_batch/BatchEnvelopeReport.h"
#include "envelope_batch/CsvAddresseeSource.h"
#include "envelope_batch/DatabaseAddresseeSource.h"
#include "platform/MessagePresenter.h"
#include "platform/WindowsApi.h"

#include <QFile>
#include <QGuiApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>

namespace {

class SilentPresenter final : public platform::MessagePresenter {
public:
    using MessagePresenter::show;
    void show(const QString &, const QString &) override {}
};

QTemporaryDir &workDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString csvWith(int records)
{
    static std::map<int, QString> made;
    if (auto it = made.find(records); it != made.end())
        return it->second;
    const QString path = workDir().filePath(QStringLiteral("in-%1.csv").arg(records));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write("name,street1,street2,city,state,zip\n");
    for (int i = 0; i < records; ++i)
        f.write("Person " + QByteArray::number(i) + "," + QByteArray::number(100 + i % 900) + " Main St.,,Springfield,IL," +
                QByteArray::number(62701 + i % 50) + "\n");
    return made[records] = path;
}

QString sqliteWith(int records)
{
    static std::map<int, QString> made;
    if (auto it = made.find(records); it != made.end())
        return it->second;
    const QString path = workDir().filePath(QStringLiteral("in-%1.db").arg(records));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-writer"));
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot make %s", qPrintable(path));
        QSqlQuery q(db);
        q.exec(QStringLiteral("CREATE TABLE addressees (id INTEGER PRIMARY KEY, name TEXT, street1 TEXT, street2 TEXT, city TEXT, "
                              "state TEXT, zip INTEGER)"));
        db.transaction();
        q.prepare(QStringLiteral("INSERT INTO addressees VALUES (?, ?, ?, '', 'Springfield', 'IL', ?)"));
        for (int i = 0; i < records; ++i) {
            q.addBindValue(i);
            q.addBindValue(QStringLiteral("Person %1").arg(i));
            q.addBindValue(QStringLiteral("%1 Main St.").arg(100 + i % 900));
            q.addBindValue(62701 + i % 50);
            q.exec();
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-writer"));
    return made[records] = path;
}

void runBatch(benchmark::State &state, envelope::AddresseeSource &source, const envelope::MailSettings &mail = {})
{
    static const auto api = platform::WindowsApi::fromEnvironment(std::make_shared<SilentPresenter>());
    const QString pdf = workDir().filePath(QStringLiteral("out.pdf"));
    envelope::BatchEnvelopeReport report(api, source, envelope::BatchEnvelopeReport::BadRecords::Print);
    report.setMailSettings(mail);
    report.setDestination(engine::PrintDestination::pdfFile(pdf));
    report.PrintReport(false);
    state.counters["pdf_bytes_per_envelope"] = double(QFile(pdf).size()) / double(report.tally().printed);
}

void BM_BatchFromCsv(benchmark::State &state)
{
    const QString csv = csvWith(int(state.range(0)));
    for (auto _ : state) {
        envelope::CsvAddresseeSource source(csv, envelope::ColumnMapping());
        runBatch(state, source);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_BatchFromSqlite(benchmark::State &state)
{
    const QString db = sqliteWith(int(state.range(0)));
    for (auto _ : state) {
        envelope::DatabaseAddresseeSource source(QStringLiteral("sqlite:") + db,
                                                 QStringLiteral("SELECT * FROM addressees ORDER BY id"), envelope::ColumnMapping());
        runBatch(state, source);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ImbBatchFromCsv(benchmark::State &state)
{
    const QString csv = csvWith(int(state.range(0)));
    envelope::MailSettings mail;
    mail.barcode = QStringLiteral("imb");
    mail.mailerId = QStringLiteral("123456");
    mail.serviceType = QStringLiteral("270");
    mail.serialFile = workDir().filePath(QStringLiteral("imb-serial"));
    for (auto _ : state) {
        envelope::CsvAddresseeSource source(csv, envelope::ColumnMapping());
        runBatch(state, source, mail);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_BatchFromCsv)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BatchFromSqlite)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImbBatchFromCsv)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    // Fonts and painting need no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
