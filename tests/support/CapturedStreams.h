#pragma once

#include "cli/CommandIo.h"

#include <QByteArray>
#include <QString>

#include <cstdio>

namespace testsupport {

// Captures what a command writes to its out and err streams.
class CapturedStreams {
public:
    CapturedStreams() : m_out(std::tmpfile()), m_err(std::tmpfile()) {}
    ~CapturedStreams()
    {
        std::fclose(m_out);
        std::fclose(m_err);
    }
    CapturedStreams(const CapturedStreams &) = delete;
    CapturedStreams &operator=(const CapturedStreams &) = delete;

    cli::CommandIo io() const { return {m_out, m_err}; }
    QString out() const { return read(m_out); }
    QString err() const { return read(m_err); }

private:
    static QString read(std::FILE *f)
    {
        std::fflush(f);
        std::rewind(f);
        QByteArray all;
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            all.append(buf, static_cast<qsizetype>(n));
        return QString::fromUtf8(all);
    }
    std::FILE *m_out;
    std::FILE *m_err;
};

} // namespace testsupport
