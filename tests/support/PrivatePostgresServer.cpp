#include "support/PrivatePostgresServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {
namespace {

// The newest server Debian has installed, as scripts/start-postgres.sh picks it.
QString serverBin()
{
    QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(), [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
    for (auto it = versions.crbegin(); it != versions.crend(); ++it) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(*it);
        if (QFile::exists(bin + QStringLiteral("/pg_ctl")))
            return bin;
    }
    return {};
}

// Runs a program as the postgres user; its output on failure, for the test's message.
bool asPostgres(const QString &program, const QStringList &arguments, QString *output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(QStringLiteral("/"));
    p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), program} + arguments);
    const bool ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (output)
        *output = QString::fromLocal8Bit(p.readAll());
    return ok;
}

// A port the system has just handed out as free, on 127.0.0.1.
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), length) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

} // namespace

std::optional<QString> PrivatePostgresServer::unavailable()
{
    if (::geteuid() != 0)
        return QStringLiteral("a private PostgreSQL server needs root (it runs as the postgres user)");
    if (serverBin().isEmpty())
        return QStringLiteral("no PostgreSQL server is installed (apt-get install postgresql)");
    if (QStandardPaths::findExecutable(QStringLiteral("runuser")).isEmpty())
        return QStringLiteral("runuser is missing");
    return std::nullopt;
}

PrivatePostgresServer::PrivatePostgresServer() : m_bin(serverBin())
{
    // The server refuses a data folder others may enter; the folder above must let postgres in.
    QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7755));
    const QString data = m_dir.filePath(QStringLiteral("data"));
    QString log;
    if (!QDir().mkdir(data) || QProcess::execute(QStringLiteral("chown"), {QStringLiteral("postgres:postgres"), data}) != 0) {
        ADD_FAILURE() << "cannot make the data folder " << data.toStdString();
        return;
    }
    if (!asPostgres(m_bin + QStringLiteral("/initdb"), {QStringLiteral("-D"), data, QStringLiteral("-U"), QStringLiteral("postgres"),
                                                      QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
                                                      QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--no-sync")},
                    &log)) {
        ADD_FAILURE() << "initdb failed: " << log.toStdString();
        return;
    }
    m_port = freePort();
    const QString options = QStringLiteral("-p %1 -c listen_addresses=127.0.0.1 -c unix_socket_directories='%2' -c fsync=off")
                                .arg(m_port)
                                .arg(data);
    if (m_port == 0 || !pgCtl({QStringLiteral("-o"), options, QStringLiteral("-l"), data + QStringLiteral("/server.log"),
                               QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("start")})) {
        QFile serverLog(data + QStringLiteral("/server.log"));
        serverLog.open(QIODevice::ReadOnly);
        ADD_FAILURE() << "the private server did not start on port " << m_port << ": " << serverLog.readAll().toStdString();
        return;
    }
    m_running = true;
}

PrivatePostgresServer::~PrivatePostgresServer()
{
    if (m_running)
        pgCtl({QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
}

QString PrivatePostgresServer::url() const { return QStringLiteral("postgresql://postgres@127.0.0.1:%1/postgres").arg(m_port); }

QString PrivatePostgresServer::scalar(const QString &sql) const
{
    QProcess p;
    p.start(QStringLiteral("psql"), {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-tA"), QStringLiteral("-d"), url(),
                                     QStringLiteral("-c"), sql});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

bool PrivatePostgresServer::stop()
{
    if (!m_running)
        return true;
    m_running = !pgCtl({QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
    return !m_running;
}

bool PrivatePostgresServer::pgCtl(const QStringList &arguments) const
{
    return asPostgres(m_bin + QStringLiteral("/pg_ctl"), QStringList{QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data"))} + arguments);
}

} // namespace testsupport
