// A program reserving serials, for the tests that two programs at once get disjoint ranges:
// ImbSerialReserver COUNTER MAILER-ID ROUNDS prints "first count" per reservation; COUNTER
// is a serial file or a postgresql:// database.
#include "postal/codes/ImbSerialCounter.h"
#include "postal/codes/ImbSerialDatabase.h"
#include "reporting_engine/base/EngineError.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    if (argc != 4)
        return 2;
    const QCoreApplication app(argc, argv); // Qt's SQL drivers are plugins
    try {
        const QString counterName = QString::fromLocal8Bit(argv[1]);
        const QString mailerId = QString::fromLocal8Bit(argv[2]);
        std::unique_ptr<postal::ImbSerialSource> counter;
        if (counterName.startsWith(QLatin1String("postgresql://")))
            counter = std::make_unique<postal::ImbSerialDatabase>(mailerId, counterName, QStringLiteral("ImbSerialReserver"));
        else
            counter = std::make_unique<postal::ImbSerialCounter>(mailerId, counterName);
        const int rounds = QString::fromLocal8Bit(argv[3]).toInt();
        for (int i = 0; i < rounds; ++i) {
            const auto range = counter->reserve(static_cast<std::uint64_t>(1 + i % 5));
            std::printf("%llu %llu\n", static_cast<unsigned long long>(range.first),
                        static_cast<unsigned long long>(range.count));
        }
    } catch (const engine::EngineError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
