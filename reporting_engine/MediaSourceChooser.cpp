#include "reporting_engine/MediaSourceChooser.h"

#include "reporting_engine/PaperCatalog.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace engine {
namespace {

// Keywords are made of words and numbers: "env-cas", "envelope-feeder", "tray-1", "mp-tray".
QStringList words(const QByteArray &keyword)
{
    static const QRegularExpression separators(QStringLiteral("[^a-z]+"));
    return QString::fromLatin1(keyword).toLower().split(separators, Qt::SkipEmptyParts);
}

bool namesEnvelope(const QByteArray &k)
{
    const QStringList w = words(k);
    return std::any_of(w.begin(), w.end(), [](const QString &s) { return s.startsWith(QLatin1String("env")); });
}

bool namesManual(const QByteArray &k)
{
    const QStringList w = words(k);
    return w.contains(QLatin1String("manual")) || w.contains(QLatin1String("man")) || w.contains(QLatin1String("hand"));
}

bool namesByPass(const QByteArray &k)
{
    const QString joined = words(k).join(QString());
    static const QStringList byPass{QStringLiteral("bypass"), QStringLiteral("multipurpose"), QStringLiteral("mp"),
                                    QStringLiteral("mpt"), QStringLiteral("mptray"), QStringLiteral("multipurposetray"),
                                    QStringLiteral("bypasstray")};
    return byPass.contains(joined) || namesManual(k);
}

bool sameSize(const QSize &a, const QSize &b)
{
    constexpr int toleranceHmm = 100; // 1 mm: printers round their sizes
    const auto near = [](int x, int y) { return std::abs(x - y) <= toleranceHmm; };
    return (near(a.width(), b.width()) && near(a.height(), b.height()))
           || (near(a.width(), b.height()) && near(a.height(), b.width()));
}

using Test = std::function<bool(const QByteArray &)>;

struct Step {
    Test test;
    const char *reason;
};

Test exactly(std::initializer_list<const char *> names)
{
    QList<QByteArray> list;
    for (const char *n : names)
        list << QByteArray(n);
    return [list](const QByteArray &k) { return list.contains(k); };
}

const Step envelopeNamed{exactly({"envelope"}), "the printer's envelope feeder"};
const Step envelopeFeeder{[](const QByteArray &k) { return namesEnvelope(k) && !namesManual(k); },
                          "its name says it feeds envelopes"};
const Step manualEnvelope{[](const QByteArray &k) { return namesEnvelope(k) && namesManual(k); }, "a manual envelope feed"};
const Step byPassTray{namesByPass, "the by-pass or manual tray"};

struct Rule {
    int code;
    bool readyFirst; // a source holding the job's paper comes first
    std::vector<Step> steps;
};

const std::vector<Rule> &rules()
{
    static const std::vector<Rule> table{
        {PaperCatalog::sourceEnvelopeFeeder, true, {envelopeNamed, envelopeFeeder, manualEnvelope, byPassTray}},
        {6, true, {manualEnvelope, byPassTray, envelopeNamed, envelopeFeeder}}, // manual envelope feed
        {4, false, {{exactly({"manual"}), "the manual feed"}, byPassTray}},
        {1, false, {{exactly({"top", "upper", "tray-1"}), "the upper tray"}}},
        {2, false, {{exactly({"bottom", "lower", "tray-2"}), "the lower tray"}}},
        {3, false, {{exactly({"middle", "tray-3"}), "the middle tray"}}},
        {11, false, {{exactly({"large-capacity"}), "the large-capacity tray"}}},
    };
    return table;
}

} // namespace

MediaSourceChoice MediaSourceChooser::choose(int windowsSourceCode, const QSize &paperHmm, const QList<QByteArray> &supported,
                                             const std::vector<ReadyMedia> &ready)
{
    const auto rule = std::find_if(rules().begin(), rules().end(), [&](const Rule &r) { return r.code == windowsSourceCode; });
    if (rule == rules().end()) {
        // Automatic selection and the like: "auto" where the printer has it, else no source at all.
        if (supported.contains("auto"))
            return {"auto", QStringLiteral("automatic selection"), false};
        return {{}, QStringLiteral("automatic selection: the printer's default"), false};
    }
    if (rule->readyFirst) {
        for (const ReadyMedia &m : ready) {
            if (!m.source.isEmpty() && m.source != "auto" && sameSize(m.sizeHmm, paperHmm)
                && (supported.isEmpty() || supported.contains(m.source)))
                return {m.source, QStringLiteral("the printer says this paper is loaded there"), false};
        }
    }
    for (const Step &step : rule->steps) {
        for (const QByteArray &keyword : supported) {
            if (step.test(keyword))
                return {keyword, QString::fromLatin1(step.reason), false};
        }
    }
    const auto wanted = PaperCatalog::source(windowsSourceCode);
    return {{},
            supported.isEmpty() ? QStringLiteral("the printer names no paper sources: its default tray")
                                : QStringLiteral("it offers no %1 (only %2): its default tray")
                                      .arg(QLatin1String(wanted ? wanted->name : "such source"),
                                           QString::fromLatin1(supported.join(", "))),
            true};
}

} // namespace engine
