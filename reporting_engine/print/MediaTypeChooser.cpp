#include "reporting_engine/print/MediaTypeChooser.h"

#include "reporting_engine/print/MediaSourceChooser.h"

#include <QStringList>

#include <algorithm>
#include <map>

namespace engine {
namespace {

struct Kinds {
    // The standard's kinds of the type (media-type keywords of PWG 5100.7), the
    // plain one first and then in the standard's order: the special kinds are
    // only for printers that offer nothing plainer.
    QList<QByteArray> standard;
    // What a driver's word for it starts with ("env": Samsung's "thick-env",
    // Lexmark's "rough-envelope" "Rough Envelope", HP's "heavy-envelope").
    QString wordStart;
};

const std::map<QByteArray, Kinds> &kinds()
{
    static const std::map<QByteArray, Kinds> table{
        {"envelope",
         {{"envelope-plain", "envelope-archival", "envelope-bond", "envelope-coated", "envelope-cotton", "envelope-fine",
           "envelope-heavyweight", "envelope-inkjet", "envelope-lightweight", "envelope-preprinted", "envelope-window"},
          QStringLiteral("env")}},
    };
    return table;
}

bool wordsStartWith(const PrinterMediaType &type, const QString &start)
{
    const QStringList words = MediaSourceChooser::words(type.keyword, type.text);
    return std::any_of(words.begin(), words.end(), [&](const QString &w) { return w.startsWith(start); });
}

} // namespace

MediaTypeChoice MediaTypeChooser::choose(const QByteArray &wanted, const std::vector<PrinterMediaType> &offered)
{
    if (offered.empty())
        return {{}, QStringLiteral("the queue offers no choice of media type: the printer's own"), true};
    const QString name = QString::fromLatin1(wanted);
    const auto find = [&](const QByteArray &keyword) {
        return std::find_if(offered.begin(), offered.end(), [&](const PrinterMediaType &t) { return t.keyword == keyword; });
    };
    if (find(wanted) != offered.end())
        return {wanted, QStringLiteral("the printer's %1 type").arg(name)};
    const auto k = kinds().find(wanted);
    if (k != kinds().end()) {
        for (const QByteArray &kind : k->second.standard) {
            if (find(kind) != offered.end())
                return {kind, QStringLiteral("the printer's own kind of %1").arg(name)};
        }
        for (const PrinterMediaType &type : offered) {
            if (wordsStartWith(type, k->second.wordStart))
                return {type.keyword, QStringLiteral("its name says %1").arg(name)};
        }
    }
    QStringList all;
    for (const PrinterMediaType &type : offered)
        all << QString::fromLatin1(type.keyword);
    return {{}, QStringLiteral("it offers no %1 type (only %2): the printer's own").arg(name, all.join(QStringLiteral(", ")))};
}

} // namespace engine
