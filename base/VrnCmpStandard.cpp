#include "base/VrnCmpStandard.h"

#include "base/VrnStrings.h"
#include "platform/Clock.h"
#include "platform/Exceptions.h"
#include "platform/LocaleInfo.h"
#include "platform/SystemText.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
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

bool TVrkDecimalEdit::KeyAccepted(char Key, const std::string &Text) const
{
    const std::string &S = Text;
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

bool TVrkDecimalEdit::FilterInput(const QString &Input, std::string &Accepted) const
{
    // The text with the selection removed; each character then goes through
    // the key filter at the caret, as if typed one after the other.
    std::string S = FromQ(text());
    size_t caret = static_cast<size_t>(cursorPosition());
    if (hasSelectedText()) {
        caret = static_cast<size_t>(selectionStart());
        S.erase(caret, static_cast<size_t>(selectedText().size()));
    }
    Accepted.clear();
    for (const QChar c : Input) {
        if (c.unicode() > 0xFF)
            return false;
        char Key = static_cast<char>(c.unicode());
        if (Key == '.' || Key == ',')
            Key = FDecSep;
        S.insert(std::min(caret, S.size()), 1, Key);
        if (!KeyAccepted(Key, S))
            return false;
        ++caret;
        Accepted += Key;
    }
    return true;
}

void TVrkDecimalEdit::InsertFiltered(const QString &Input, bool Typed)
{
    std::string accepted;
    if (Input.isEmpty() || !FilterInput(Input, accepted))
        return;
    if (Typed) {
        for (const char Key : accepted)
            emit OnKeyPress(Key);
    } else {
        // A paste either fits whole or changes nothing: cut short, it would be another number.
        const qsizetype kept = text().size() - selectedText().size();
        if (kept + static_cast<qsizetype>(accepted.size()) > maxLength())
            return;
    }
    insert(ToQ(accepted));
}

void TVrkDecimalEdit::Paste(QClipboard::Mode Mode)
{
    if (isReadOnly())
        return;
    InsertFiltered(QGuiApplication::clipboard()->text(Mode).trimmed(), false);
}

namespace {

// Whether the line edit would insert the event's text: the toolkit's own rule
// (formatting characters always; otherwise printable text, unless Ctrl or
// Ctrl+Shift alone are held).
bool InsertsText(const QKeyEvent *event)
{
    const QString t = event->text();
    if (t.isEmpty())
        return false;
    const QChar c = t.at(0);
    if (c.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::ControlModifier || mods == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse
           || (c.isHighSurrogate() && t.size() > 1 && t.at(1).isLowSurrogate());
}

} // namespace

void TVrkDecimalEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        Paste(QClipboard::Clipboard);
        event->accept();
        return;
    }
    // Whatever the modifiers (Alt, Meta, AltGr), a key that brings text goes
    // through the filter; only keys that bring none, or bring control
    // characters, reach the edit unchanged.
    if (!InsertsText(event)) {
        const QString typed = event->text();
        if (typed.size() == 1 && typed[0].unicode() < 32)
            emit OnKeyPress(static_cast<char>(typed[0].unicode()));
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept(); // a refused key is swallowed
    if (!isReadOnly())
        InsertFiltered(event->text(), true);
}

void TVrkDecimalEdit::inputMethodEvent(QInputMethodEvent *event)
{
    // Composed text is typed text: only the committed part, through the filter.
    event->accept();
    if (!isReadOnly())
        InsertFiltered(event->commitString(), true);
}

void TVrkDecimalEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setObjectName(QStringLiteral("EditMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction *action : menu->actions()) {
        // Paste goes through the filter; control characters have no place in a number.
        if (disconnect(action, SIGNAL(triggered()), this, SLOT(paste()))
            || disconnect(action, &QAction::triggered, this, &QLineEdit::paste))
            connect(action, &QAction::triggered, this, [this] { Paste(QClipboard::Clipboard); });
        else if (action->menu())
            menu->removeAction(action);
    }
    menu->popup(event->globalPos());
}

void TVrkDecimalEdit::mouseReleaseEvent(QMouseEvent *event)
{
    // The middle button pastes the selection where the system has one.
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        event->accept();
        if (!isReadOnly()) {
            deselect();
            Paste(QClipboard::Selection);
        }
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TVrkDecimalEdit::dropEvent(QDropEvent *event)
{

    if (isReadOnly() || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    deselect();
    setCursorPosition(cursorPositionAt(event->position().toPoint()));
    InsertFiltered(event->mimeData()->text().trimmed(), false);
    event->acceptProposedAction();
}

// ---------------------------------------------------------------------------
// TVrkHyperlinkLabel

TVrkHyperlinkLabel::TVrkHyperlinkLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
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
    if (GetTickCount() < NextPaintTick)
        update();
    else
        repaint();
}

void TProgressGauge::paintEvent(QPaintEvent *)
{
    // About 25 pictures a second are enough for a progress bar.
    NextPaintTick = GetTickCount() + 40;

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
