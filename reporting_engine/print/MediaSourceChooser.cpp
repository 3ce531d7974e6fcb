#include "reporting_engine/print/MediaSourceChooser.h"

#include "reporting_engine/model/PaperCatalog.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <tuple>

namespace engine {
namespace {

// Makers' short keywords, read as the words their drivers show for them. They
// come from Kyocera's KPDL PPDs and Utax's (the same PPDs under another name) in
// openprinting-ppds, in every language those ship; CUPS turns the PPD's
// InputSlot choices into these keywords:
//   EF1 "Envelope Feeder"                        -> ef-1
//   MF1 "Multi Purpose Feeder", "Bypass tray"    -> mf-1
//   MF "Manual Feed"                             -> mf
//   UF1 "Universal Feeder" (older models)        -> uf-1
//   PF20A "Cassette 2", ST11 "Side feeder",
//   Internal "Cassette 1 (Internal)"             -> pf-20-a, st-11, internal
// Without these the envelope feeder goes unseen whenever the driver's words
// are in another language or cannot be had.
QString makersWords(const QByteArray &keyword)
{
    static const QRegularExpression envelopeFeeder(QStringLiteral("^ef(-[0-9]+)?$"));
    static const QRegularExpression multiPurpose(QStringLiteral("^[mu]f-[0-9]+$"));
    const QString k = QString::fromLatin1(keyword);
    if (envelopeFeeder.match(k).hasMatch())
        return QStringLiteral("envelope feeder");
    if (multiPurpose.match(k).hasMatch())
        return QStringLiteral("multipurpose feeder");
    if (k == QLatin1String("mf"))
        return QStringLiteral("manual feed");
    return QString();
}

bool isCassette(const PrinterSource &s)
{
    static const QRegularExpression cassette(QStringLiteral("^((pf|st)(-[0-9a-z]+)+|internal)$"));
    return cassette.match(QString::fromLatin1(s.keyword)).hasMatch();
}

QStringList words(const PrinterSource &source)
{
    return MediaSourceChooser::words(source.keyword, makersWords(source.keyword) + QLatin1Char(' ') + source.text);
}

bool namesEnvelope(const PrinterSource &s)
{
    const QStringList w = words(s);
    return !isCassette(s)
           && std::any_of(w.begin(), w.end(), [](const QString &word) { return word.startsWith(QLatin1String("env")); });
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
    if (isCassette(s))
        return false;
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
    // Chosen by everything the printer says (what is loaded where, which sizes
    // each tray takes, which trays feed by hand), not by names alone.
    bool byMeaning;
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

// The choice by meaning. A source's place in this order decides, the printer's
// own order of its sources breaking ties:
//  1. where the printer says the paper is loaded now (media-col-ready);
//     (a source that takes a tray by its media type, Oki's "envelope" beside
//     "plain" and "letterhead", counts in none of the steps below);
//  2. the rule's steps by name (for the envelope: "envelope", a name that says
//     it feeds envelopes, a manual envelope feed, the by-pass or manual tray);
//     within a step, a source the printer lists the paper for
//     (media-col-database) first, then one whose name says no manual feed. An
//     automatic tray that is the same tray as a hand-fed source of a step (the
//     same capacity, printer-input-tray) takes that step in its place;
//  3. a source the printer lists the paper for, named by no step;
//  4. a source that feeds by hand (printer-input-tray's sheetFeedManual), in
//     the order above: the printer stops and asks for every sheet there;
//  5. the printer's default tray (the caller's, when nothing here is chosen).
class ByMeaning {
public:
    ByMeaning(const Rule &rule, const QSize &paperHmm, const PaperSources &printer)
        : m_rule(rule), m_paper(paperHmm), m_printer(printer)
    {
        const auto typeNamed = std::count_if(printer.supported.begin(), printer.supported.end(),
                                             [](const PrinterSource &s) { return mediaTypeNames().contains(s.keyword); });
        m_sourcesByType = typeNamed >= 2;
    }

    std::optional<MediaSourceChoice> loaded() const
    {
        for (const ReadyMedia &m : m_printer.ready) {
            if (!m.source.isEmpty() && m.source != "auto" && sameSize(m.sizeHmm, m_paper)
                && offers(m.source)) {
                const InputTray *tray = trayOf(m.source);
                return MediaSourceChoice{m.source, QStringLiteral("the printer says this paper is loaded there"), false,
                                         tray && tray->feedsManually(), false};
            }
        }
        return std::nullopt;
    }

    std::optional<MediaSourceChoice> best() const
    {
        using Key = std::tuple<int, int, bool, bool, std::size_t>;
        std::optional<std::pair<Key, MediaSourceChoice>> best;
        for (std::size_t i = 0; i < m_printer.supported.size(); ++i) {
            const PrinterSource &source = m_printer.supported[i];
            const InputTray *tray = trayOf(source.keyword);
            const bool handFed = m_rule.byMeaning && tray && tray->feedsManually();
            const bool listed = m_rule.byMeaning && lists(source.keyword);
            MediaSourceChoice choice{source.keyword, {}, false, handFed, false};
            int step = stepOf(source);
            if (step >= 0) {
                choice.reason = QString::fromLatin1(m_rule.steps[step].reason);
            } else if (const PrinterSource *twin = m_rule.byMeaning ? handFedTwin(tray) : nullptr) {
                step = stepOf(*twin);
                choice.reason = QStringLiteral("%1, fed without stopping: the same %2-sheet tray as %3")
                                    .arg(QLatin1String(m_rule.steps[step].reason))
                                    .arg(tray->maxCapacity)
                                    .arg(QString::fromLatin1(twin->keyword));
            } else if (listed || handFed) {
                step = int(m_rule.steps.size());
                choice.reason = listed ? QStringLiteral("the printer lists this paper there")
                                       : QStringLiteral("a tray fed by hand");
            } else {
                continue;
            }
            const int group = handFed ? 2 : step < int(m_rule.steps.size()) ? 0 : 1;
            const Key key{group, step, !listed, m_rule.byMeaning && namesManual(source), i};
            if (!best || key < best->first)
                best.emplace(key, choice);
        }
        if (!best)
            return std::nullopt;
        return best->second;
    }

private:
    bool offers(const QByteArray &keyword) const
    {
        return std::any_of(m_printer.supported.begin(), m_printer.supported.end(),
                           [&](const PrinterSource &s) { return s.keyword == keyword; });
    }

    bool lists(const QByteArray &keyword) const
    {
        return std::any_of(m_printer.listed.begin(), m_printer.listed.end(),
                           [&](const ReadyMedia &m) { return m.source == keyword && sameSize(m.sizeHmm, m_paper); });
    }

    const InputTray *trayOf(const QByteArray &keyword) const
    {
        const auto t = std::find_if(m_printer.trays.begin(), m_printer.trays.end(),
                                    [&](const InputTray &tray) { return tray.name == keyword; });
        return t == m_printer.trays.end() ? nullptr : &*t;
    }

    // Oki's colour PPDs list media types among their sources ("plain" "Plain
    // Paper", "letterhead", ..., "envelope" "Envelope"): each takes whichever
    // tray is set to that type, which no tray is for envelopes. Where a printer
    // has two or more such, a source named as a media type is no tray of its own.
    static const QList<QByteArray> &mediaTypeNames()
    {
        static const QList<QByteArray> names{"plain", "letterhead", "transparency", "labels", "bond", "recycled",
                                             "cardstock", "rough", "glossy", "envelope"};
        return names;
    }

    int stepOf(const PrinterSource &source) const
    {
        if (m_rule.byMeaning && m_sourcesByType && mediaTypeNames().contains(source.keyword))
            return -1;
        for (std::size_t s = 0; s < m_rule.steps.size(); ++s) {
            if (m_rule.steps[s].test(source))
                return int(s);
        }
        return -1;
    }

    // The hand-fed source of a step that is the same tray as this automatic
    // one: the only automatic tray of that capacity (HP's "manual" and "tray-1").
    const PrinterSource *handFedTwin(const InputTray *tray) const
    {
        if (!tray || !tray->feedsAutomatically() || tray->maxCapacity <= 0)
            return nullptr;
        const auto sameCapacity = [&](const InputTray &t) { return t.maxCapacity == tray->maxCapacity; };
        const auto automatic = std::count_if(m_printer.trays.begin(), m_printer.trays.end(), [&](const InputTray &t) {
            return t.feedsAutomatically() && sameCapacity(t);
        });
        if (automatic != 1)
            return nullptr;
        for (const PrinterSource &s : m_printer.supported) {
            const InputTray *other = trayOf(s.keyword);
            if (other && other->feedsManually() && sameCapacity(*other) && stepOf(s) >= 0)
                return &s;
        }
        return nullptr;
    }

    const Rule &m_rule;
    QSize m_paper;
    const PaperSources &m_printer;
    bool m_sourcesByType = false; // some of its sources take a tray by the type set on it
};

} // namespace

QStringList MediaSourceChooser::words(const QByteArray &keyword, const QString &text)
{
    // Keywords are made of words and numbers, a driver's texts of words.
    static const QRegularExpression separators(QStringLiteral("[^a-z]+"));
    return (QString::fromLatin1(keyword) + QLatin1Char(' ') + text).toLower().split(separators, Qt::SkipEmptyParts);
}

MediaSourceChoice MediaSourceChooser::choose(int windowsSourceCode, const QSize &paperHmm, const PaperSources &printer)
{
    const std::vector<PrinterSource> &supported = printer.supported;
    const auto rule = std::find_if(rules().begin(), rules().end(), [&](const Rule &r) { return r.code == windowsSourceCode; });
    if (rule == rules().end()) {
        // Automatic selection and the like: "auto" where the printer has it, else no source at all.
        if (std::any_of(supported.begin(), supported.end(), [](const PrinterSource &s) { return s.keyword == "auto"; }))
            return {"auto", QStringLiteral("automatic selection"), false, false, false};
        return {{}, QStringLiteral("automatic selection: the printer's default"), false, false, false};
    }
    if (supported.empty()) {
        // A queue made for a printer with one tray offers no source; one named to it anyway is not sent on.
        return {{}, QStringLiteral("the queue offers no choice of paper source: the printer's own"), false, false, true};
    }
    const ByMeaning chooser(*rule, paperHmm, printer);
    if (rule->byMeaning) {
        if (auto loaded = chooser.loaded())
            return *loaded;
    }
    if (auto best = chooser.best())
        return *best;
    const auto wanted = PaperCatalog::source(windowsSourceCode);
    QStringList offered;
    for (const PrinterSource &source : supported)
        offered << QString::fromLatin1(source.keyword);
    return {{},
            QStringLiteral("it offers no %1 (only %2): its default tray")
                .arg(QLatin1String(wanted ? wanted->name : "such source"), offered.join(QStringLiteral(", "))),
            true, false, false};
}

} // namespace engine
