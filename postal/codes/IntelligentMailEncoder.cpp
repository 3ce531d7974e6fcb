#include "postal/codes/IntelligentMailEncoder.h"

#include "postal/codes/ZintSymbol.h"
#include "reporting_engine/base/EngineError.h"

#include <algorithm>

namespace postal {

namespace {

constexpr qsizetype trackingLength = 20;

// zint's rows of a four-state symbol: the ascending part, the tracker, the descending part.
constexpr int topRow = 0;
constexpr int trackerRow = 1;
constexpr int bottomRow = 2;

bool isAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

bool allDigits(QStringView text) { return std::all_of(text.cbegin(), text.cend(), isAsciiDigit); }

engine::EngineError invalid(const QString &data, const QString &reason)
{
    return engine::EngineError(QStringLiteral("Intelligent Mail barcode \"%1\": %2").arg(data, reason));
}

// zint 2.11 keeps each row of modules as a bit set, lowest bit first.
bool moduleIsSet(const zint_symbol &symbol, int row, int column)
{
    return (symbol.encoded_data[row][column / 8] >> (column % 8)) & 1;
}

// One bar on every other module column, gaps between; which rows it covers gives its state.
IntelligentMailEncoder::BarStates readStates(const zint_symbol &symbol, const QString &data)
{
    if (symbol.rows != 3 || symbol.width != 2 * IntelligentMailEncoder::barCount - 1)
        throw invalid(data, QStringLiteral("zint made a symbol of %1 rows and %2 modules, not 3 and %3")
                                .arg(symbol.rows)
                                .arg(symbol.width)
                                .arg(2 * IntelligentMailEncoder::barCount - 1));
    IntelligentMailEncoder::BarStates states{};
    for (int column = 0; column < symbol.width; ++column) {
        const bool top = moduleIsSet(symbol, topRow, column);
        const bool tracker = moduleIsSet(symbol, trackerRow, column);
        const bool bottom = moduleIsSet(symbol, bottomRow, column);
        const bool isBar = column % 2 == 0;
        if (tracker != isBar || (!isBar && (top || bottom)))
            throw invalid(data, QStringLiteral("zint's bars do not read as a four-state symbol"));
        if (!isBar)
            continue;
        using State = IntelligentMailEncoder::BarState;
        states[static_cast<std::size_t>(column / 2)] = top && bottom ? State::Full
                                                       : top         ? State::Ascender
                                                       : bottom      ? State::Descender
                                                                     : State::Tracker;
    }
    return states;
}

} // namespace

// Checked here rather than left to zint, so the message says which part is wrong.
QString IntelligentMailEncoder::problem(const QString &data)
{
    const qsizetype hyphen = data.indexOf(QLatin1Char('-'));
    const QStringView tracking = QStringView(data).left(hyphen < 0 ? data.size() : hyphen);
    const QStringView routing = hyphen < 0 ? QStringView() : QStringView(data).mid(hyphen + 1);
    if (tracking.size() != trackingLength || !allDigits(tracking))
        return QStringLiteral("the tracking code must be 20 digits");
    if (tracking[1] > QLatin1Char('4'))
        return QStringLiteral("the barcode identifier's second digit must be 0 to 4");
    const qsizetype n = routing.size();
    if ((n != 0 && n != 5 && n != 9 && n != 11) || !allDigits(routing))
        return QStringLiteral("the routing code after the hyphen must be 5, 9 or 11 digits, or none");
    return QString();
}

IntelligentMailEncoder::BarStates IntelligentMailEncoder::barStates(const QString &data)
{
    if (const QString reason = problem(data); !reason.isEmpty())
        throw invalid(data, reason);
    const QByteArray bytes = data.toLatin1(); // only ASCII digits and one hyphen are left

    const ZintSymbol::Pointer symbol = ZintSymbol::create(BARCODE_USPS_IMAIL, data);
    // The input is validated above, so a warning is as bad as an error.
    const int status = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char *>(bytes.constData()),
                                       static_cast<int>(bytes.size()));
    if (status != 0)
        throw invalid(data, QStringLiteral("zint could not encode it: %1").arg(QString::fromLatin1(symbol->errtxt)));
    return readStates(*symbol, data);
}

engine::BarcodeSymbol IntelligentMailEncoder::encode(const QString &data)
{
    const BarStates states = barStates(data);
    engine::BarcodeSymbol result;
    result.digits = data;
    result.humanReadable = data;
    result.width = symbolWidth;
    result.height = fullBarHeight;
    result.bars.reserve(states.size());
    for (std::size_t i = 0; i < states.size(); ++i) {
        const bool ascends = states[i] == BarState::Full || states[i] == BarState::Ascender;
        const bool descends = states[i] == BarState::Full || states[i] == BarState::Descender;
        const double top = ascends ? 0.0 : extenderHeight;
        const double bottom = descends ? fullBarHeight : extenderHeight + trackerHeight;
        result.bars.push_back({static_cast<double>(i) * barPitch, top, barWidth, bottom - top});
    }
    return result;
}

QString IntelligentMailEncoder::letters(const BarStates &states)
{
    QString out;
    out.reserve(barCount);
    for (const BarState state : states)
        out += QLatin1Char(static_cast<char>(state));
    return out;
}

} // namespace postal
