#pragma once

// The `envelope` program run as a child process, the way a user or a host
// program runs it: its own environment and working folder, optionally under a
// host program's name or as an unprivileged user (root ignores permissions).

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <algorithm>

#include <unistd.h>

namespace testsupport {

inline const QString envelopeBinary = QStringLiteral(ENVELOPE_BINARY_DIR "/cli/envelope");
inline constexpr int nobody = 65534; // Debian's nobody and nogroup

struct EnvelopeRun {
    bool finished = false; // false: still running at the timeout, killed
    bool crashed = false;
    int exitCode = -1;
    QString stdErr;
};

// Running as root, permissions are tested as nobody through setpriv; the
// reason it cannot be done is returned, empty when it can.
inline QString whyNoUnprivilegedRun()
{
    if (::geteuid() != 0)
        return {};
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        return QStringLiteral("running as root without setpriv to test as another user");
    return {};
}

class EnvelopeProcess {
public:
    // variables: NAME=value entries replacing the inherited ones.
    EnvelopeProcess(QString workDir, QStringList variables) : m_workDir(std::move(workDir)), m_variables(std::move(variables)) {}

    // Run as nobody (when this process is root); needs whyNoUnprivilegedRun().isEmpty().
    void setUnprivileged(bool on) { m_unprivileged = on; }
    void setExecutable(const QString &path) { m_executable = path; }

    EnvelopeRun run(const QStringList &arguments, int timeoutMs = 120000) const
    {
        QStringList env = QProcess::systemEnvironment();
        for (const QString &v : m_variables) {
            const QString name = v.left(v.indexOf(QLatin1Char('=')) + 1);
            env.erase(std::remove_if(env.begin(), env.end(), [&](const QString &e) { return e.startsWith(name); }), env.end());
        }
        env << m_variables << QStringLiteral("QT_QPA_PLATFORM=offscreen");

        QProcess p;
        p.setEnvironment(env);
        p.setWorkingDirectory(m_workDir);
        if (m_unprivileged && ::geteuid() == 0) {
            const QString id = QString::number(nobody);
            p.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=") + id, QStringLiteral("--regid=") + id,
                                                           QStringLiteral("--clear-groups"), QStringLiteral("--"), m_executable}
                                                   + arguments);
        } else {
            p.start(m_executable, arguments);
        }
        EnvelopeRun out;
        out.finished = p.waitForFinished(timeoutMs);
        if (!out.finished) {
            p.kill();
            p.waitForFinished();
        }
        out.crashed = p.exitStatus() == QProcess::CrashExit;
        out.exitCode = p.exitCode();
        out.stdErr = QString::fromUtf8(p.readAllStandardError());
        return out;
    }

private:
    QString m_workDir;
    QStringList m_variables;
    QString m_executable = envelopeBinary;
    bool m_unprivileged = false;
};

// Everything in a folder, hidden entries included: what a run left behind.
inline QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The command line under a host program's name in folder: /proc/self/exe names
// the file executed, so a hard link (or copy) sees its own name.
inline QString installEnvelopeAs(const QString &folder, const QString &name)
{
    const QString target = folder + QLatin1Char('/') + name;
    if (::link(QFile::encodeName(envelopeBinary).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::copy(envelopeBinary, target);
        QFile::setPermissions(target, QFile::permissions(envelopeBinary));
    }
    return target;
}

} // namespace testsupport
