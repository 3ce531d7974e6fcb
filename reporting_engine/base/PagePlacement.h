#pragma once

#include <QSizeF>
#include <QTransform>

namespace engine {

// Where one printer puts the page it is sent: a feeder that pulls envelopes a
// little askew or takes them the other way round. Only what goes to that printer
// moves; files stay exact.
struct PagePlacement {
    double offsetXTwips = 0; // to the right
    double offsetYTwips = 0; // down
    bool rotated180 = false; // the page turned about its centre

    bool isIdentity() const { return offsetXTwips == 0 && offsetYTwips == 0 && !rotated180; }

    // Page twips (origin top-left, y down) to where they print on the paper.
    QTransform transform(const QSizeF &pageTwips) const
    {
        QTransform t;
        t.translate(offsetXTwips, offsetYTwips);
        if (rotated180) {
            t.translate(pageTwips.width(), pageTwips.height());
            t.rotate(180);
        }
        return t;
    }
};

} // namespace engine
