#pragma once
// Folders of one test's own for runs of the `envelope` program, for fault tests
// to inspect afterwards:
//   work     its working folder
//   spool    its TMPDIR, where a print job is made
//   runtime  its XDG_RUNTIME_DIR (else Qt makes one in the spool folder)
//   wine     an empty Wine prefix: no return address
// All can be reached by the unprivileged user some runs are made as.
#include "support/EnvelopeProcess.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

#include <unistd.h>

namespace testsupport {

class EnvelopeSandbox {
public:
    EnvelopeSandbox()
    {
        m_valid = m_base.isValid()
            && QFile::setPermissions(m_base.path(), QFileDevice::Permissions(0x7755));
        for (const char *folder : {"work", "spool", "runtime", "wine"}) {
            m_valid = m_valid && QDir(m_base.path()).mkdir(QLatin1String(folder))
                && QFile::setPermissions(path(folder), QFileDevice::Permissions(0x7777));
        }
        // Qt accepts a runtime folder only when it is its user's alone.
        m_valid = m_valid
            && QFile::setPermissions(path("runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    bool isValid() const { return m_valid; }
    QString path(const char *name) const { return m_base.filePath(QLatin1String(name)); }

    // The program in the work folder with the sandbox's prefix, spool and runtime
    // folder; variables given here (NAME=value) come first. Unprivileged, it runs
    // as nobody when this process is root, and the runtime folder becomes
    // nobody's (needs whyNoUnprivilegedRun().isEmpty()).
    EnvelopeProcess envelope(const QStringList &variables = {}, bool unprivileged = false) const
    {
        QStringList all = variables;
        for (const QString &v : {QStringLiteral("WINEPREFIX=") + path("wine"), QStringLiteral("TMPDIR=") + path("spool"),
                                 QStringLiteral("XDG_RUNTIME_DIR=") + path("runtime")}) {
            const QString name = v.left(v.indexOf(QLatin1Char('=')) + 1);
            if (std::none_of(all.cbegin(), all.cend(), [&](const QString &given) { return given.startsWith(name); }))
                all << v;
        }
        EnvelopeProcess process(path("work"), all);
        if (unprivileged) {
            if (::geteuid() == 0 && ::chown(QFile::encodeName(path("runtime")).constData(), nobody, nobody) != 0)
                ADD_FAILURE() << "cannot give the runtime folder to nobody";
            process.setUnprivileged(true);
        }
        return process;
    }

private:
    QTemporaryDir m_base;
    bool m_valid = false;
};

} // namespace testsupport
