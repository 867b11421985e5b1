#include "base/VrnCmpStandard.h"

#include "base/VrnStrings.h"
#include "platform/Exceptions.h"
#include "platform/Latin1.h"
#include "platform/LocaleInfo.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace {

constexpr int CurrencyPlaces = 4;

// Text of Value in fixed notation with Decimals places and at most 15
// significant digits, rounded half away from zero, without grouping.
std::string CurrencyToFixed(Currency Value, int Decimals, char Sep)
{
    // Magnitude as unsigned, so the most negative amount has one too.
    const bool negative = Value.Units < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(Value.Units)
                                             : static_cast<std::uint64_t>(Value.Units);
    std::string digits = std::to_string(magnitude);
    if (digits.size() <= CurrencyPlaces)
        digits.insert(0, CurrencyPlaces + 1 - digits.size(), '0');
    size_t intLen = digits.size() - CurrencyPlaces;

    const size_t intSignificant = digits[0] == '0' ? 0 : intLen;
    const size_t places = std::min<size_t>({static_cast<size_t>(Decimals), CurrencyPlaces,
                                            intSignificant >= 15 ? 0 : 15 - intSignificant});
    const size_t keep = intLen + places;
    RoundDigitsHalfUp(digits, keep, intLen);
    digits.append(intLen + static_cast<size_t>(Decimals) - digits.size(), '0');

    const bool allZero = digits.find_first_not_of('0') == std::string::npos;
    std::string text = negative && !allZero ? "-" : "";
    text += digits.substr(0, intLen);
    if (Decimals > 0)
        text += Sep + digits.substr(intLen);
    return text;
}

// The run-time library's text-to-currency conversion: blanks around, a sign,
// digits with one separator, an exponent; exact, ties rounded to even.
bool TextToCurrency(const std::string &S, char Sep, Currency &Result)
{
    size_t i = 0;
    const size_t n = S.size();
    while (i < n && S[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (S[i] == '+' || S[i] == '-'))
        negative = S[i++] == '-';

    std::string digits; // significant digits, no leading zeros
    int exponent = 0;   // value = digits * 10^exponent
    bool anyDigit = false, point = false;
    for (; i < n; ++i) {
        const char c = S[i];
        if (c >= '0' && c <= '9') {
            anyDigit = true;
            if (!digits.empty() || c != '0')
                digits += c;
            if (point)
                --exponent;
        } else if (c == Sep && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return false;
    if (i < n && (S[i] == 'e' || S[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < n && (S[i] == '+' || S[i] == '-'))
            expNegative = S[i++] == '-';
        int e = 0;
        const size_t start = i;
        while (i < n && S[i] >= '0' && S[i] <= '9') {
            e = std::min(e * 10 + (S[i] - '0'), 100000);
            ++i;
        }
        if (i == start)
            return false;
        exponent += expNegative ? -e : e;
    }
    while (i < n && S[i] == ' ')
        ++i;
    if (i != n)
        return false;
    if (digits.empty()) {
        Result = Currency{};
        return true;
    }

    // Scale to ten-thousandths: append zeros or cut digits with rounding.
    const long shift = static_cast<long>(exponent) + CurrencyPlaces;
    bool roundUp = false;
    if (shift >= 0) {
        if (digits.size() + static_cast<size_t>(shift) > 19)
            return false;
        digits.append(static_cast<size_t>(shift), '0');
    } else {
        const size_t cut = static_cast<size_t>(-shift);
        if (cut > digits.size()) {
            digits = "0";
        } else {
            const std::string dropped = digits.substr(digits.size() - cut);
            digits.resize(digits.size() - cut);
            if (digits.empty())
                digits = "0";
            const bool overHalf = dropped[0] > '5' || (dropped[0] == '5' && dropped.find_first_not_of('0', 1) != std::string::npos);
            const bool half = dropped[0] == '5' && !overHalf;
            roundUp = overHalf || (half && (digits.back() - '0') % 2 == 1);
        }
        if (digits.size() > 19)
            return false;
    }
    std::uint64_t magnitude = 0;
    for (const char c : digits) {
        if (magnitude > (std::numeric_limits<std::uint64_t>::max() - 9) / 10)
            return false;
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (roundUp)
        ++magnitude;
    const std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
    if (magnitude > limit)
        return false;
    Result.Units = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

std::uint32_t TickCount()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

Currency Currency::FromDouble(double Value)
{
    const double scaled = Value * 10000.0;
    // 2^63 is the first double outside the range.
    if (!(scaled >= -9223372036854775808.0 && scaled < 9223372036854775808.0))
        throw EConvertError("Currency value out of range");
    return Currency{std::llrint(scaled)};
}

// ---------------------------------------------------------------------------
// TVrkDecimalEdit

TVrkDecimalEdit::TVrkDecimalEdit(QWidget *parent)
    : QLineEdit(parent), FDecSep(SystemDecimalSeparator())
{
    setMaxLength(FMaxLength);
    // Composed input would bypass the key filter.
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

// Shows S in full. QLineEdit would cut a text longer than its limit, but the
// limit is meant for typing only: a value set by code must never lose digits.
void TVrkDecimalEdit::SetTextOf(const std::string &S)
{
    // A limit other than the one we raised it to was set by the owner.
    if (maxLength() != FRaisedMaxLength)
        FMaxLength = maxLength();
    const QString text = ToQ(S);
    const int limit = std::max(FMaxLength, static_cast<int>(text.size()));
    // Raise before and lower after, so neither the old nor the new text is cut.
    if (limit > maxLength())
        setMaxLength(limit);
    setText(text);
    if (limit < maxLength())
        setMaxLength(limit);
    FRaisedMaxLength = limit > FMaxLength ? limit : -1;
}

void TVrkDecimalEdit::SetEmptyOnZero(bool Value)
{
    FEmptyOnZero = Value;
    if (Value && GetAsFloat() == 0)
        SetTextOf(std::string());
}

void TVrkDecimalEdit::SetNegativeAllowed(bool Value)
{
    FNegativeAllowed = Value;
    if (!Value && GetAsFloat() < 0)
        SetTextOf(std::string());
}

void TVrkDecimalEdit::SetDecimals(int Value)
{
    // A negative count of places has no meaning; it would cut into the integer part.
    Value = std::max(Value, 0);
    if (Value == FDecimals)
        return;
    FDecimals = Value;

    std::string S = FromQ(text());
    size_t P = S.find(FDecSep) + 1; // 1-based, 0 when absent
    if (FDecimals == 0) {
        if (P > 0)
            S.resize(P - 1);
    } else {
        if (P == 0) {
            S += FDecSep;
            P = S.size();
        }
        const size_t want = P + static_cast<size_t>(FDecimals);
        if (S.size() > want)
            S.resize(want);
        S.append(want - S.size(), '0');
        if (P == 1)
            S.insert(0, 1, '0');
    }
    SetTextOf(S);
}

void TVrkDecimalEdit::SetDecSep(char Value)
{
    if (Value == FDecSep)
        return;
    std::string S = FromQ(text());
    const size_t P = S.find(FDecSep);
    FDecSep = Value;
    if (P != std::string::npos) {
        S[P] = Value;
        SetTextOf(S);
    }
}

double TVrkDecimalEdit::GetAsFloat() const
{
    return DecStrToFloat(FromQ(text()), FDecSep, 0);
}

void TVrkDecimalEdit::SetAsFloat(double Value)
{
    if ((FEmptyOnZero && Value == 0) || (!FNegativeAllowed && Value < 0))
        SetTextOf(std::string());
    else
        SetTextOf(FloatToDecStr(Value, FDecimals, FDecSep, '\0'));
}

Currency TVrkDecimalEdit::GetAsCurrency() const
{
    std::string S = FromQ(text());
    if (S.empty())
        return Currency{};
    const char localeSep = SystemDecimalSeparator();
    std::replace(S.begin(), S.end(), FDecSep, localeSep);
    Currency result;
    if (!TextToCurrency(S, localeSep, result))
        return Currency{};
    return result;
}

void TVrkDecimalEdit::SetAsCurrency(Currency Value)
{
    const char localeSep = SystemDecimalSeparator();
    std::string S = CurrencyToFixed(Value, FDecimals, localeSep);
    if (localeSep != FDecSep) {
        const size_t p = S.find(localeSep);
        if (p != std::string::npos)
            S[p] = FDecSep;
    }
    if (FDecimals > 0) {
        size_t p = S.find(FDecSep);
        if (p == std::string::npos) {
            S += FDecSep;
            p = S.size() - 1;
        }
        S.append(std::max<size_t>(p + 1 + static_cast<size_t>(FDecimals), S.size()) - S.size(), '0');
        if (p == 0)
            S.insert(0, 1, '0');
    }
    if (Value.Units == 0 && FEmptyOnZero)
        S.clear();
    SetTextOf(S);
}

bool TVrkDecimalEdit::KeyAccepted(char Key) const
{
    // The text as it would be: selection removed, key inserted at the caret.
    std::string S = FromQ(text());
    size_t caret = static_cast<size_t>(cursorPosition());
    if (hasSelectedText()) {
        caret = static_cast<size_t>(selectionStart());
        S.erase(caret, static_cast<size_t>(selectedText().size()));
    }
    S.insert(std::min(caret, S.size()), 1, Key);

    const size_t SepPos = S.find(FDecSep) + 1;

    if (Key != '-' && !(Key >= '0' && Key <= '9') && Key != FDecSep)
        return false;
    // A '-' only as the first character: any '-' further on refuses, not only
    // the first one, or "-1" would take a second '-' ("-1-", "--1").
    if (S.find('-', 1) != std::string::npos)
        return false;
    if (Key == '-' && !FNegativeAllowed)
        return false;
    if (SepPos > 0 && S.size() > SepPos + static_cast<size_t>(FDecimals))
        return false;
    if (Key == FDecSep && SepPos > 0 && S.find(FDecSep, SepPos) != std::string::npos)
        return false;
    return true;
}

void TVrkDecimalEdit::keyPressEvent(QKeyEvent *event)
{
    const QString typed = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (typed.size() != 1 || command || typed[0].unicode() < 32 || typed[0].unicode() == 127) {
        // Control keys, shortcuts and keys without a character always pass.
        if (typed.size() == 1 && typed[0].unicode() < 32)
            emit OnKeyPress(static_cast<char>(typed[0].unicode()));
        QLineEdit::keyPressEvent(event);
        return;
    }

    const char16_t code = typed[0].unicode();
    char Key = code <= 0xFF ? static_cast<char>(code) : '\0';
    if (Key == '.' || Key == ',')
        Key = FDecSep;
    if (Key == '\0' || !KeyAccepted(Key)) {
        event->accept(); // swallowed
        return;
    }
    emit OnKeyPress(Key);
    if (Key == static_cast<char>(code)) {
        QLineEdit::keyPressEvent(event);
    } else {
        QKeyEvent replaced(event->type(), event->key(), event->modifiers(), ToQ(std::string(1, Key)),
                           event->isAutoRepeat(), static_cast<quint16>(event->count()));
        QLineEdit::keyPressEvent(&replaced);
        event->setAccepted(replaced.isAccepted());
    }
}

// ---------------------------------------------------------------------------
// TVrkHyperlinkLabel

TVrkHyperlinkLabel::TVrkHyperlinkLabel(QWidget *parent)
    : QLabel(parent)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::blue);
    setPalette(pal);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
}

void TVrkHyperlinkLabel::SetURL(const std::string &Value)
{
    if (Value == FURL)
        return;
    const std::string hint = FromQ(toolTip());
    if (hint.empty() || hint == FURL)
        setToolTip(ToQ(Value));
    FURL = Value;
}

void TVrkHyperlinkLabel::mousePressEvent(QMouseEvent *event)
{
    FPressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void TVrkHyperlinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a press and a release of the left button on the label.
    const bool click = FPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    FPressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

// ---------------------------------------------------------------------------
// TProgressGauge

TProgressGauge::TProgressGauge(QWidget *parent)
    : QWidget(parent)
{
}

void TProgressGauge::SetPosition(int Value)
{
    if (Value == Position)
        return;
    if (Value > Max)
        Value = Max;
    if (Value < Min)
        Value = Min;
    Position = Value;
    if (TickCount() < NextPaintTick)
        update();
    else
        repaint();
}

void TProgressGauge::paintEvent(QPaintEvent *)
{
    // About 25 pictures a second are enough for a progress bar.
    NextPaintTick = TickCount() + 40;

    QPainter p(this);
    const QRect area = rect();
    p.fillRect(area, palette().base());
    const long long range = static_cast<long long>(Max) - Min;
    if (range > 0) {
        const long long done = static_cast<long long>(Position) - Min;
        const int w = static_cast<int>(done * area.width() / range);
        p.fillRect(QRect(area.left(), area.top(), w, area.height()), palette().highlight());
    }
    p.setPen(palette().dark().color());
    p.drawRect(area.adjusted(0, 0, -1, -1));
}
