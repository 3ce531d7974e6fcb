#include "postal/codes/PostnetEncoder.h"

#include "postal/codes/ZintSymbol.h"
#include "postal/codes/ZipCode.h"
#include "reporting_engine/base/EngineError.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace postal {

namespace {

// USPS physical dimensions in twips. zint decides which bars are tall; their size is ours,
// because zint's vector output is in its own X-dimension units, not inches.
constexpr double barPitch = 1440.0 / 22.0; // 22 bars per inch
constexpr double barWidth = 0.020 * 1440.0;
constexpr double tallBarHeight = 0.125 * 1440.0;
constexpr double shortBarHeight = 0.050 * 1440.0;

constexpr qsizetype maxDigits = 11;
// Two frame bars, five bars for each data digit and for the check digit.
constexpr int barCountFor(qsizetype digitCount) { return 2 + 5 * (static_cast<int>(digitCount) + 1); }
constexpr int maxBars = barCountFor(maxDigits);

std::optional<QString> routingDigits(const ZipCode &zip)
{
    if (!zip.isValid())
        return std::nullopt;
    return zip.routingDigits();
}

// A bar as zint drew it, in zint's units; y grows downwards.
struct ZintBar {
    float left;
    float top;
    float bottom;
};

// The bars of zint's vector output, left to right. zint 2.11 gives one rectangle per bar, tall
// bars first, but rectangles sharing a left edge are merged so a bar split into rows reads the same.
int readZintBars(const zint_vector &vector, std::array<ZintBar, maxBars> &bars, const QString &digits)
{
    int count = 0;
    for (const zint_vector_rect *rect = vector.rectangles; rect; rect = rect->next) {
        if (rect->colour != -1) // only foreground rectangles are bars
            continue;
        ZintBar bar{rect->x, rect->y, rect->y + rect->height};
        auto same = std::find_if(bars.begin(), bars.begin() + count, [&](const ZintBar &b) {
            return std::abs(b.left - bar.left) < rect->width / 2;
        });
        if (same != bars.begin() + count) {
            same->top = std::min(same->top, bar.top);
            same->bottom = std::max(same->bottom, bar.bottom);
            continue;
        }
        if (count == maxBars)
            throw engine::EngineError(QStringLiteral("zint drew too many POSTNET bars for \"%1\"").arg(digits));
        bars[static_cast<std::size_t>(count++)] = bar;
    }
    std::sort(bars.begin(), bars.begin() + count, [](const ZintBar &a, const ZintBar &b) { return a.left < b.left; });
    return count;
}

int checkDigitFor(const QString &digits)
{
    int sum = 0;
    for (QChar c : digits)
        sum += c.unicode() - u'0';
    return (10 - sum % 10) % 10;
}

// The digit a group of five bars stands for: weights 7 4 2 1 0 over the tall bars, 11 meaning 0.
int digitOf(const bool *tall)
{
    static constexpr int weights[5] = {7, 4, 2, 1, 0};
    int value = 0;
    int tallCount = 0;
    for (int i = 0; i < 5; ++i) {
        if (tall[i]) {
            value += weights[i];
            ++tallCount;
        }
    }
    if (tallCount != 2)
        return -1;
    return value == 11 ? 0 : value;
}

// Which of zint's bars for the digits are tall, left to right; count is how many bars it drew.
struct TallBars {
    std::array<bool, maxBars> tall{};
    int count = 0;
};

TallBars zintTallBars(const QString &digits)
{
    std::array<unsigned char, maxDigits> data{};
    for (qsizetype i = 0; i < digits.size(); ++i)
        data[static_cast<std::size_t>(i)] = static_cast<unsigned char>(digits[i].unicode());

    const ZintSymbol::Pointer symbol = ZintSymbol::create(BARCODE_POSTNET, digits);
    symbol->output_options |= COMPLIANT_HEIGHT;
    symbol->show_hrt = 0;
    // The input is validated before, so any warning (a non-standard length) is as bad as an error.
    const int status =
        ZBarcode_Encode_and_Buffer_Vector(symbol.get(), data.data(), static_cast<int>(digits.size()), 0);
    if (status != 0 || !symbol->vector)
        throw engine::EngineError(QStringLiteral("zint could not encode POSTNET \"%1\": %2")
                              .arg(digits, QString::fromLatin1(symbol->errtxt)));

    std::array<ZintBar, maxBars> zintBars{};
    TallBars result;
    result.count = readZintBars(*symbol->vector, zintBars, digits);
    const int expected = barCountFor(digits.size());
    if (result.count != expected)
        throw engine::EngineError(QStringLiteral("zint drew %1 POSTNET bars for \"%2\", expected %3")
                              .arg(result.count)
                              .arg(digits)
                              .arg(expected));

    float tallest = 0;
    float shortest = zintBars[0].bottom - zintBars[0].top;
    for (int i = 0; i < result.count; ++i) {
        const float h = zintBars[static_cast<std::size_t>(i)].bottom - zintBars[static_cast<std::size_t>(i)].top;
        tallest = std::max(tallest, h);
        shortest = std::min(shortest, h);
    }
    if (tallest <= shortest) // all of one height: nothing to read
        throw engine::EngineError(QStringLiteral("zint's POSTNET bars for \"%1\" do not read back as its digits").arg(digits));
    const float threshold = (tallest + shortest) / 2;
    for (int i = 0; i < result.count; ++i) {
        const ZintBar &bar = zintBars[static_cast<std::size_t>(i)];
        result.tall[static_cast<std::size_t>(i)] = bar.bottom - bar.top > threshold;
    }
    return result;
}

// Reads the bars back before trusting them: a misread of zint's output must not print
// bars for another ZIP code.
void checkReadsBack(const TallBars &bars, const QString &digits, int checkDigit)
{
    bool readsBack = bars.tall[0] && bars.tall[static_cast<std::size_t>(bars.count - 1)];
    for (qsizetype d = 0; readsBack && d <= digits.size(); ++d) {
        const int want = d < digits.size() ? digits[d].unicode() - u'0' : checkDigit;
        readsBack = digitOf(bars.tall.data() + 1 + 5 * d) == want;
    }
    if (!readsBack)
        throw engine::EngineError(QStringLiteral("zint's POSTNET bars for \"%1\" do not read back as its digits").arg(digits));
}

} // namespace

std::optional<QString> PostnetEncoder::digitsForValue(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::QString:
        return routingDigits(ZipCode::fromRoutingDigits(value.toString()));
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return routingDigits(ZipCode::fromNumber(value.toLongLong()));
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong number = value.toULongLong();
        if (number > static_cast<qulonglong>(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return routingDigits(ZipCode::fromNumber(static_cast<qint64>(number)));
    }
    case QMetaType::Float:
    case QMetaType::Double: {
        // A numeric column may hand the ZIP over as a double; only a whole number is a ZIP.
        // Beyond 2^53 a double is no exact whole number, and far from any ZIP anyway.
        const double number = value.toDouble();
        if (!std::isfinite(number) || number != std::trunc(number) || std::abs(number) > 9007199254740992.0)
            return std::nullopt;
        return routingDigits(ZipCode::fromNumber(static_cast<qint64>(number)));
    }
    default:
        // Bools, dates, bytes...: none of them is a ZIP code.
        return std::nullopt;
    }
}

engine::BarcodeSymbol PostnetEncoder::encode(const QString &digits)
{
    const ZipCode zip = ZipCode::fromRoutingDigits(digits);
    if (!zip.isValid())
        throw engine::EngineError(QStringLiteral("POSTNET encodes 5, 9 or 11 digits, not \"%1\"").arg(digits));

    const TallBars bars = zintTallBars(digits);
    const int checkDigit = checkDigitFor(digits);
    checkReadsBack(bars, digits, checkDigit);

    engine::BarcodeSymbol result;
    result.digits = digits;
    result.humanReadable = zip.printed();
    result.checkDigit = checkDigit;
    result.width = (bars.count - 1) * barPitch + barWidth;
    result.height = tallBarHeight;
    result.bars.reserve(static_cast<std::size_t>(bars.count));
    for (int i = 0; i < bars.count; ++i) {
        const double height = bars.tall[static_cast<std::size_t>(i)] ? tallBarHeight : shortBarHeight;
        result.bars.push_back({i * barPitch, tallBarHeight - height, barWidth, height});
    }
    return result;
}

} // namespace postal
