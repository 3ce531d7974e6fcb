#pragma once

#include <QtGlobal>

#include <cstdlib>

namespace fuzzsupport {

// Qt's warnings about odd input are expected here and would only slow the run;
// a fatal message still aborts, which is a finding.
inline void quietQt()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &) {
        if (type == QtFatalMsg)
            std::abort();
    });
}

// An invariant the fuzzer must never break: abort so libFuzzer keeps the input.
inline void check(bool holds)
{
    if (!holds)
        std::abort();
}

} // namespace fuzzsupport
