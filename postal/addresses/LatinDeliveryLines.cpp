#include "postal/addresses/LatinDeliveryLines.h"

#include <QChar>

namespace postal {
namespace {

bool allLatin(QStringView line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        char32_t ch = line.at(i).unicode();
        if (ch < 0x80)
            continue; // ASCII letters are Latin
        if (QChar::isHighSurrogate(ch) && i + 1 < line.size() && line.at(i + 1).isLowSurrogate()) {
            ch = QChar::surrogateToUcs4(line.at(i), line.at(i + 1));
            ++i;
        }
        // Digits, punctuation and accents (common and inherited script) are read alike.
        if (QChar::isLetter(ch) && QChar::script(ch) != QChar::Script_Latin)
            return false;
    }
    return true;
}

} // namespace

QString LatinDeliveryLines::warning(std::initializer_list<QStringView> deliveryLines)
{
    for (const QStringView line : deliveryLines)
        if (!allLatin(line))
            return QStringLiteral("the delivery line \"%1\" has letters other than Latin ones, which the USPS machines "
                                  "cannot read; the envelope may be sorted by hand")
                .arg(line.toString());
    return {};
}

} // namespace postal
