#include "reporting_engine/print/MediaSourceChooser.h"

#include "reporting_engine/model/PaperCatalog.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace engine {
namespace {

// Keywords are made of words and numbers ("env-cas", "tray-1-man"), a driver's
// texts of words ("Multi Purpose Tray"); both are read as lower-case words.
QStringList words(const PrinterSource &source)
{
    static const QRegularExpression separators(QStringLiteral("[^a-z]+"));
    return (QString::fromLatin1(source.keyword) + QLatin1Char(' ') + source.text).toLower().split(separators, Qt::SkipEmptyParts);
}

bool namesEnvelope(const PrinterSource &s)
{
    const QStringList w = words(s);
    return std::any_of(w.begin(), w.end(), [](const QString &word) { return word.startsWith(QLatin1String("env")); });
}

bool namesManual(const PrinterSource &s)
{
    static const QStringList manual{QStringLiteral("manual"), QStringLiteral("man"), QStringLiteral("hand")};
    const QStringList w = words(s);
    return std::any_of(w.begin(), w.end(), [](const QString &word) { return manual.contains(word); });
}

// By-pass, multi-purpose and manual trays go by many names: "by-pass-tray",
// "bypass", "sheet-feed-bypass", "mpt", "multi-tray", "Multi Purpose Feeder", "MP Tray".
bool namesByPass(const PrinterSource &s)
{
    static const QStringList byPass{QStringLiteral("bypass"), QStringLiteral("mp"), QStringLiteral("mpt"),
                                    QStringLiteral("msi"), QStringLiteral("multi"), QStringLiteral("multipurpose")};
    const QStringList w = words(s);
    const bool split = w.join(QLatin1Char(' ')).contains(QLatin1String("by pass"));
    return split || namesManual(s) || std::any_of(w.begin(), w.end(), [](const QString &word) { return byPass.contains(word); });
}

bool sameSize(const QSize &a, const QSize &b)
{
    constexpr int toleranceHmm = 100; // 1 mm: printers round their sizes
    const auto near = [](int x, int y) { return std::abs(x - y) <= toleranceHmm; };
    return (near(a.width(), b.width()) && near(a.height(), b.height()))
           || (near(a.width(), b.height()) && near(a.height(), b.width()));
}

using Test = std::function<bool(const PrinterSource &)>;

struct Step {
    Test test;
    const char *reason;
};

Test exactly(std::initializer_list<const char *> names)
{
    QList<QByteArray> list;
    for (const char *n : names)
        list << QByteArray(n);
    return [list](const PrinterSource &s) { return list.contains(s.keyword); };
}

const Step envelopeNamed{exactly({"envelope"}), "the printer's envelope feeder"};
const Step envelopeFeeder{[](const PrinterSource &s) { return namesEnvelope(s) && !namesManual(s); },
                          "its name says it feeds envelopes"};
const Step manualEnvelope{[](const PrinterSource &s) { return namesEnvelope(s) && namesManual(s); }, "a manual envelope feed"};
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
        {1, false, {{exactly({"top", "upper", "tray-1", "1-tray", "1st-tray"}), "the upper tray"}}},
        {2, false, {{exactly({"bottom", "lower", "tray-2", "2-tray", "2nd-tray"}), "the lower tray"}}},
        {3, false, {{exactly({"middle", "tray-3"}), "the middle tray"}}},
        {11, false, {{exactly({"large-capacity"}), "the large-capacity tray"}}},
    };
    return table;
}

} // namespace

MediaSourceChoice MediaSourceChooser::choose(int windowsSourceCode, const QSize &paperHmm,
                                             const std::vector<PrinterSource> &supported, const std::vector<ReadyMedia> &ready)
{
    const auto offers = [&](const QByteArray &keyword) {
        return std::any_of(supported.begin(), supported.end(), [&](const PrinterSource &s) { return s.keyword == keyword; });
    };
    const auto rule = std::find_if(rules().begin(), rules().end(), [&](const Rule &r) { return r.code == windowsSourceCode; });
    if (rule == rules().end()) {
        // Automatic selection and the like: "auto" where the printer has it, else no source at all.
        if (offers("auto"))
            return {"auto", QStringLiteral("automatic selection"), false};
        return {{}, QStringLiteral("automatic selection: the printer's default"), false};
    }
    if (rule->readyFirst) {
        for (const ReadyMedia &m : ready) {
            if (!m.source.isEmpty() && m.source != "auto" && sameSize(m.sizeHmm, paperHmm)
                && (supported.empty() || offers(m.source)))
                return {m.source, QStringLiteral("the printer says this paper is loaded there"), false};
        }
    }
    for (const Step &step : rule->steps) {
        for (const PrinterSource &source : supported) {
            if (step.test(source))
                return {source.keyword, QString::fromLatin1(step.reason), false};
        }
    }
    const auto wanted = PaperCatalog::source(windowsSourceCode);
    QStringList offered;
    for (const PrinterSource &source : supported)
        offered << QString::fromLatin1(source.keyword);
    return {{},
            supported.empty() ? QStringLiteral("the printer names no paper sources: its default tray")
                                : QStringLiteral("it offers no %1 (only %2): its default tray")
                                      .arg(QLatin1String(wanted ? wanted->name : "such source"),
                                           offered.join(QStringLiteral(", "))),
            true};
}

} // namespace engine
