#pragma once

#include <QPageLayout>
#include <QSizeF>

namespace engine {

// The QPageLayout of a page given in twips: exactly that size, no margins of its
// own (the report's margins are applied when painting).
class PageLayoutFactory {
public:
    static QPageLayout layoutFor(const QSizeF &pageTwips);
};

} // namespace engine
