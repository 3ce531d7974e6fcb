// A program reserving serials, for the test that two programs at once get disjoint ranges:
// ImbSerialReserver SERIAL-FILE MAILER-ID ROUNDS prints "first count" per reservation.
#include "postal/ImbSerialCounter.h"
#include "reporting_engine/base/EngineError.h"

#include <QString>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 4)
        return 2;
    try {
        postal::ImbSerialCounter counter(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[1]));
        const int rounds = QString::fromLocal8Bit(argv[3]).toInt();
        for (int i = 0; i < rounds; ++i) {
            const auto range = counter.reserve(static_cast<std::uint64_t>(1 + i % 5));
            std::printf("%llu %llu\n", static_cast<unsigned long long>(range.first),
                        static_cast<unsigned long long>(range.count));
        }
    } catch (const engine::EngineError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
