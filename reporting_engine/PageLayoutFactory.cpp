#include "reporting_engine/PageLayoutFactory.h"

#include "reporting_engine/Twips.h"

#include <QMarginsF>
#include <QPageSize>

namespace engine {

QPageLayout PageLayoutFactory::layoutFor(const QSizeF &pageTwips)
{
    // QPageSize keeps sizes portrait; a wider page is that size turned to landscape.
    const bool landscape = pageTwips.width() > pageTwips.height();
    const QSizeF portraitPoints = landscape ? QSizeF(pageTwips.height(), pageTwips.width()) / twips::perPoint
                                            : pageTwips / twips::perPoint;
    QPageLayout layout(QPageSize(portraitPoints, QPageSize::Point, QString(), QPageSize::ExactMatch),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

} // namespace engine
