#pragma once
// The system's own visual components: a decimal number edit, a label drawn as
// a web link, and the gauge of the progress window.
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include <cstdint>
#include <string>

// A fixed-point amount: a 64-bit integer counting ten-thousandths.
struct Currency {
    std::int64_t Units = 0;

    // Rounded to the nearest ten-thousandth (ties to even); EConvertError when out of range.
    static Currency FromDouble(double Value);
    double ToDouble() const { return static_cast<double>(Units) / 10000.0; }
    friend bool operator==(const Currency &, const Currency &) = default;
};

// A single-line edit for decimal numbers with its own separator, a fixed number
// of decimal places, an empty-on-zero rule and a key filter. The value exists
// only as the edit's text.
class TVrkDecimalEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(bool EmptyOnZero READ EmptyOnZero WRITE SetEmptyOnZero)
    Q_PROPERTY(int Decimals READ Decimals WRITE SetDecimals)
    Q_PROPERTY(char DecSep READ DecSep WRITE SetDecSep)
    Q_PROPERTY(bool NegativeAllowed READ NegativeAllowed WRITE SetNegativeAllowed)
    Q_PROPERTY(double AsFloat READ GetAsFloat WRITE SetAsFloat)

public:
    explicit TVrkDecimalEdit(QWidget *parent = nullptr);

    bool EmptyOnZero() const { return FEmptyOnZero; }
    int Decimals() const { return FDecimals; }
    char DecSep() const { return FDecSep; }
    bool NegativeAllowed() const { return FNegativeAllowed; }
    void SetEmptyOnZero(bool Value);
    void SetDecimals(int Value);
    void SetDecSep(char Value);
    void SetNegativeAllowed(bool Value);

    // 0 for an empty text or one that does not convert.
    double GetAsFloat() const;
    void SetAsFloat(double Value);
    Currency GetAsCurrency() const;
    void SetAsCurrency(Currency Value);

signals:
    // A typed character that passed the key filter, before the edit inserts it
    // (control characters such as backspace or Enter included).
    void OnKeyPress(char Key);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The key filter: whether Key may be typed, Text being the text as it
    // would be with the key in it.
    bool KeyAccepted(char Key, const std::string &Text) const;
    // Input typed at the caret (over the selection) one character after the
    // other; false when the filter refuses any of them. Accepted holds the
    // characters to insert ('.' and ',' turned into DecSep).
    bool FilterInput(const QString &Input, std::string &Accepted) const;
    // Inserts Input when the filter takes all of it; Typed input reports each
    // character through OnKeyPress, pasted input must fit the length limit.
    void InsertFiltered(const QString &Input, bool Typed);
    void Paste(QClipboard::Mode Mode);
    void SetTextOf(const std::string &S);

    bool FEmptyOnZero = true;
    int FDecimals = 2;
    char FDecSep;
    bool FNegativeAllowed = false;
    // The typing limit the owner set, and the one SetTextOf raised it to for
    // a longer text set by code (-1 when not raised).
    int FMaxLength = 12;
    int FRaisedMaxLength = -1;
};

// A label drawn as a link that carries a URL. It opens nothing itself: its
// owner connects clicked() and opens the page.
class TVrkHyperlinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit TVrkHyperlinkLabel(QWidget *parent = nullptr);

    const std::string &URL() const { return FURL; }
    // The hint (tool tip) follows the URL until it is given a text of its own.
    void SetURL(const std::string &Value);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    std::string FURL;
    bool FPressed = false;
};

// The bar of the progress window. Repainting is deferred while the tick count
// is below NextPaintTick, so fast position changes do not flood the screen.
class TProgressGauge : public QWidget {
    Q_OBJECT

public:
    explicit TProgressGauge(QWidget *parent = nullptr);

    void SetPosition(int Value);

    int Min = 0;
    int Max = 100;
    int Position = 0;
    std::uint32_t NextPaintTick = 0;

protected:
    void paintEvent(QPaintEvent *event) override;
};
