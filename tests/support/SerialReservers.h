#pragma once
// Two ImbSerialReserver programs reserving from one counter at once (a serial file or a
// postgresql:// database), for the tests that they never get the same serial.
#include <QProcess>
#include <QSet>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace testsupport {

// Runs them, checks their ranges are disjoint and returns how many serials they got.
inline quint64 reserveInTwoProgramsAtOnce(const QString &counter, const QString &mailerId, int rounds = 300)
{
    QProcess a, b;
    const QString helper = QStringLiteral(IMB_SERIAL_RESERVER);
    const QStringList args{counter, mailerId, QString::number(rounds)};
    a.start(helper, args);
    b.start(helper, args);
    EXPECT_TRUE(a.waitForFinished(120000) && b.waitForFinished(120000));

    QSet<quint64> serials;
    quint64 total = 0;
    for (QProcess *p : {&a, &b}) {
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        const QList<QByteArray> lines = p->readAllStandardOutput().split('\n');
        EXPECT_EQ(lines.size(), rounds + 1); // the last line ends the output
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            const QList<QByteArray> fields = lines[i].split(' ');
            EXPECT_EQ(fields.size(), 2);
            const quint64 first = fields.value(0).toULongLong(), count = fields.value(1).toULongLong();
            for (quint64 s = first; s < first + count; ++s) {
                EXPECT_FALSE(serials.contains(s)) << "serial " << s << " given twice";
                serials.insert(s);
            }
            total += count;
        }
    }
    EXPECT_EQ(quint64(serials.size()), total);
    return total;
}

} // namespace testsupport
