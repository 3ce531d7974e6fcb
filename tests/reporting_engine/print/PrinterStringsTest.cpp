// What printers send about their trays, read as given or refused whole: the
// strings file of a queue (data/*.strings come from real PPD queues) and the
// printer-input-tray values of driverless printers. A file that cannot be had
// in time, is damaged or is huge is refused quickly, naming its address.
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/print/InputTray.h"
#include "reporting_engine/print/PrinterStrings.h"

#include <QElapsedTimer>
#include <QFile>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace {

using engine::EngineError;
using engine::PrinterStrings;
using ::testing::HasSubstr;

QByteArray dataFile(const char *name)
{
    QFile file(QStringLiteral(ENVELOPE_SOURCE_DIR "/tests/reporting_engine/print/data/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

// ---- the strings file ----------------------------------------------------------

struct StringsCase {
    const char *name;
    QByteArray text;
    const char *keyword; // media-source.KEYWORD ...
    const char *words;   // ... reads this; nullptr: the file is refused
    const char *error = "";
};

void PrintTo(const StringsCase &c, std::ostream *os) { *os << c.name; }

class StringsFile : public ::testing::TestWithParam<StringsCase> {};

TEST_P(StringsFile, IsReadOrRefusedWhole)
{
    const StringsCase &c = GetParam();
    try {
        const PrinterStrings strings = PrinterStrings::parse(c.text);
        ASSERT_TRUE(c.words) << "a damaged file was read";
        EXPECT_EQ(strings.text("media-source", c.keyword), QString::fromUtf8(c.words));
    } catch (const EngineError &e) {
        ASSERT_FALSE(c.words) << e.what();
        EXPECT_THAT(e.message().toStdString(), HasSubstr(c.error));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, StringsFile,
    ::testing::Values(
        StringsCase{"KyoceraFs1700", dataFile("kyocera-fs-1700.strings"), "ef-1", "Envelope Feeder"},
        StringsCase{"SamsungScx6x22", dataFile("samsung-scx-6x22.strings"), "top", "Multi-Purpose Tray"},
        StringsCase{"CommentsAndEscapes", "/* made by cupsd */\n\"media-source.mf-1\" = \"Multi \\\"Purpose\\\" Feeder\"; // MF1\n",
                    "mf-1", "Multi \"Purpose\" Feeder"},
        StringsCase{"StringNotClosed", "\"media-source.ef-1\" = \"Envelope Feeder;\n", "ef-1", nullptr, "line 1: a line break inside a string"},
        StringsCase{"NoSemicolon", "\"media-source.ef-1\" = \"Envelope Feeder\"\n\"media-source.mf\" = \"Manual\";", "ef-1", nullptr,
                    "line 2: \";\" expected"},
        StringsCase{"NoEquals", "\"media-source.ef-1\" \"Envelope Feeder\";", "ef-1", nullptr, "\"=\" expected"},
        StringsCase{"CommentNotClosed", "/* \"media-source.ef-1\" = \"Envelope Feeder\";", "ef-1", nullptr, "a comment that is not closed"},
        StringsCase{"Binary", QByteArray("\x89PNG\r\n\x1a\n\0\0", 10), "ef-1", nullptr, "line 1: \"\"\" expected"},
        StringsCase{"Huge", QByteArray(PrinterStrings::maxBytes + 1, ' '), "ef-1", nullptr, "bigger than"}),
    [](const auto &param) { return std::string(param.param.name); });

// A web server on the loopback that answers one request its own way.
class FakeServer {
public:
    enum class Answer { Nothing, Damaged, Huge, NotFound, Good };

    explicit FakeServer(Answer answer) : m_answer(answer)
    {
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(addr);
        if (bind(m_listener, reinterpret_cast<sockaddr *>(&addr), length) != 0 || listen(m_listener, 1) != 0
            || getsockname(m_listener, reinterpret_cast<sockaddr *>(&addr), &length) != 0)
            ADD_FAILURE() << "no loopback socket";
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~FakeServer()
    {
        m_stop = true;
        m_thread.join();
        close(m_listener);
    }

    QByteArray uri() const { return "http://127.0.0.1:" + QByteArray::number(m_port) + "/printer.strings"; }

private:
    bool readable(int fd) const
    {
        pollfd p{fd, POLLIN, 0};
        while (!m_stop) {
            if (poll(&p, 1, 50) > 0)
                return true;
        }
        return false;
    }

    void serve()
    {
        if (!readable(m_listener))
            return;
        const int client = accept(m_listener, nullptr, nullptr);
        char request[4096];
        if (readable(client) && read(client, request, sizeof(request)) > 0)
            respond(client);
        while (readable(client) && read(client, request, sizeof(request)) > 0) {
        }
        close(client);
    }

    void respond(int client) const
    {
        const QByteArray line = "\"media-source.ef-1\" = \"Envelope Feeder\";\n";
        const auto send = [&](const QByteArray &bytes) { return write(client, bytes.constData(), bytes.size()) == bytes.size(); };
        switch (m_answer) {
        case Answer::Nothing:
            return; // holds the connection open, answering nothing
        case Answer::Damaged:
            send("HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n\"media-source.ef-1\" ");
            return;
        case Answer::NotFound:
            send("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
            return;
        case Answer::Good:
            send("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(line.size()) + "\r\n\r\n" + line);
            return;
        case Answer::Huge: // no length given: it just goes on
            if (!send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"))
                return;
            for (int i = 0; !m_stop && i < 1000000 && send(line.repeated(100)); ++i) {
            }
            return;
        }
    }

    Answer m_answer;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

struct FetchCase {
    const char *name;
    FakeServer::Answer answer;
    const char *error; // nullptr: read
};

void PrintTo(const FetchCase &c, std::ostream *os) { *os << c.name; }

class StringsFetch : public ::testing::TestWithParam<FetchCase> {};

TEST_P(StringsFetch, GivesTheWordsOrAnErrorInTime)
{
    const FetchCase &c = GetParam();
    constexpr int timeoutMs = 500;
    FakeServer server(c.answer);
    QElapsedTimer timer;
    timer.start();
    try {
        const PrinterStrings strings = PrinterStrings::fetch(server.uri(), timeoutMs);
        ASSERT_FALSE(c.error) << "fetched";
        EXPECT_EQ(strings.text("media-source", "ef-1"), QStringLiteral("Envelope Feeder"));
    } catch (const EngineError &e) {
        ASSERT_TRUE(c.error) << e.what();
        EXPECT_THAT(e.message().toStdString(), HasSubstr(server.uri().toStdString() + ": "));
        EXPECT_THAT(e.message().toStdString(), HasSubstr(c.error));
    }
    EXPECT_LT(timer.elapsed(), 10 * timeoutMs) << "waited on";
}

INSTANTIATE_TEST_SUITE_P(Answers, StringsFetch,
                         ::testing::Values(FetchCase{"Good", FakeServer::Answer::Good, nullptr},
                                           FetchCase{"NoAnswer", FakeServer::Answer::Nothing, "no answer in time"},
                                           FetchCase{"Damaged", FakeServer::Answer::Damaged, "line 1: \"=\" expected"},
                                           FetchCase{"Huge", FakeServer::Answer::Huge, "bigger than"},
                                           FetchCase{"NotFound", FakeServer::Answer::NotFound, "Not Found"}),
                         [](const auto &param) { return std::string(param.param.name); });

// ---- printer-input-tray ----------------------------------------------------------

struct TrayCase {
    const char *name;
    QByteArray value;
    bool read;
};

void PrintTo(const TrayCase &c, std::ostream *os) { *os << c.name; }

class InputTrayValue : public ::testing::TestWithParam<TrayCase> {};

TEST_P(InputTrayValue, IsReadOrRefused)
{
    const TrayCase &c = GetParam();
    const auto tray = engine::InputTray::parse(c.value);
    ASSERT_EQ(tray.has_value(), c.read);
    if (tray) { // HP Color LaserJet Pro M477fdw's hand-fed slot
        EXPECT_EQ(tray->name, QByteArray("manual"));
        EXPECT_EQ(tray->maxCapacity, 50);
        EXPECT_TRUE(tray->feedsManually());
        EXPECT_FALSE(tray->feedsAutomatically());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, InputTrayValue,
    ::testing::Values(TrayCase{"HpM477fdwManual", "type=sheetFeedManual;mediafeed=0;mediaxfeed=0;maxcapacity=50;level=-2;status=0;name=manual;", true},
                      TrayCase{"NoName", "type=sheetFeedManual;maxcapacity=50;", false},
                      TrayCase{"NoType", "maxcapacity=50;name=manual;", false},
                      TrayCase{"PartWithoutEquals", "type=sheetFeedManual;fifty;name=manual;", false},
                      TrayCase{"CapacityNotANumber", "type=sheetFeedManual;maxcapacity=lots;name=manual;", false},
                      TrayCase{"LongerThanIppAllows", "type=sheetFeedManual;name=manual;" + QByteArray(1024, ' '), false}),
    [](const auto &param) { return std::string(param.param.name); });

} // namespace
