#include "base/VrnCmpStandard.h"

#include "platform/Exceptions.h"
#include "tests/common/GermanLocale.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <limits>

namespace {

// An edit as the forms use it: separator ',' and two places.
struct DecimalEdit : ::testing::Test {
    TVrkDecimalEdit Edit;
    DecimalEdit() { Edit.SetDecSep(','); }

    std::string Text() const { return Edit.text().toStdString(); }
    // Types Keys at the caret as a user would.
    void Type(const char *Keys) { QTest::keyClicks(&Edit, Keys); }
};

} // namespace

TEST_F(DecimalEdit, WritingAsFloat)
{
    Edit.SetAsFloat(0);
    EXPECT_EQ(Text(), "");
    Edit.SetEmptyOnZero(false);
    Edit.SetAsFloat(0);
    EXPECT_EQ(Text(), "0,00");

    Edit.SetAsFloat(-1.5);
    EXPECT_EQ(Text(), "");
    Edit.SetNegativeAllowed(true);
    Edit.SetAsFloat(-1.5);
    EXPECT_EQ(Text(), "-1,50");
    EXPECT_DOUBLE_EQ(Edit.GetAsFloat(), -1.5);

    Edit.SetAsFloat(1234.567);
    EXPECT_EQ(Text(), "1234,57");
}

TEST_F(DecimalEdit, NumbersUnderAGermanCLibrary)
{
    const TGermanCLocale german;
    Edit.SetEmptyOnZero(false);
    Edit.SetAsFloat(0);
    EXPECT_EQ(Text(), "0,00");
    Edit.SetAsFloat(0.5);
    EXPECT_EQ(Text(), "0,50");
    EXPECT_EQ(Edit.GetAsFloat(), 0.5);
    Edit.SetDecSep('.');
    Edit.SetAsFloat(0.2249);
    EXPECT_EQ(Text(), "0.22");
    EXPECT_EQ(Edit.GetAsFloat(), 0.22);
}

TEST_F(DecimalEdit, ReadingAsFloatGivesZeroForTextsThatDoNotConvert)
{
    Edit.setText("12,5");
    EXPECT_DOUBLE_EQ(Edit.GetAsFloat(), 12.5);
    for (const char *bad : {"", "abc", ",", "1,2,3", "-"}) {
        Edit.setText(bad);
        EXPECT_EQ(Edit.GetAsFloat(), 0) << bad;
        EXPECT_EQ(Edit.GetAsCurrency(), Currency{}) << bad;
    }
}

TEST_F(DecimalEdit, ValueSetByCodeIsNeverCutToTheTypingLimit)
{
    EXPECT_EQ(Edit.maxLength(), 12);
    Edit.SetAsFloat(1234567890.12);
    EXPECT_EQ(Text(), "1234567890,12");
    EXPECT_DOUBLE_EQ(Edit.GetAsFloat(), 1234567890.12);

    // A short value brings the typing limit of 12 back.
    Edit.SetAsFloat(1);
    EXPECT_EQ(Edit.maxLength(), 12);
    Edit.setText("");
    Type("1234567890123");
    EXPECT_EQ(Text(), "123456789012");

    // A limit the owner chose survives values set by code.
    Edit.setMaxLength(20);
    Edit.SetAsFloat(5);
    EXPECT_EQ(Edit.maxLength(), 20);
}

TEST_F(DecimalEdit, SettersAdjustTheText)
{
    Edit.setText("1,50");
    Edit.SetDecimals(3);
    EXPECT_EQ(Text(), "1,500");
    Edit.SetDecimals(1);
    EXPECT_EQ(Text(), "1,5");
    Edit.SetDecimals(0);
    EXPECT_EQ(Text(), "1");
    Edit.SetDecimals(2);
    EXPECT_EQ(Text(), "1,00");

    Edit.setText("");
    Edit.SetDecimals(3);
    EXPECT_EQ(Text(), "0,000");
    Edit.setText(",5");
    Edit.SetDecimals(1);
    EXPECT_EQ(Text(), "0,5");
    Edit.setText("");
    Edit.SetDecimals(0);
    EXPECT_EQ(Text(), "");
    // A negative count is taken as none; it must not cut the integer part.
    Edit.setText("123");
    Edit.SetDecimals(-2);
    EXPECT_EQ(Edit.Decimals(), 0);
    EXPECT_EQ(Text(), "123");

    Edit.setText("3,25");
    Edit.SetDecSep('.');
    EXPECT_EQ(Text(), "3.25");
    EXPECT_DOUBLE_EQ(Edit.GetAsFloat(), 3.25);

    Edit.SetEmptyOnZero(false);
    Edit.setText("0.00");
    Edit.SetEmptyOnZero(true);
    EXPECT_EQ(Text(), "");

    Edit.SetNegativeAllowed(true);
    Edit.setText("-1.5");
    Edit.SetNegativeAllowed(true);
    EXPECT_EQ(Text(), "-1.5");
    Edit.SetNegativeAllowed(false);
    EXPECT_EQ(Text(), "");
}

TEST_F(DecimalEdit, WritingAsCurrency)
{
    Edit.SetAsCurrency(Currency::FromDouble(1234.5));
    EXPECT_EQ(Text(), "1234,50");
    Edit.SetAsCurrency(Currency{});
    EXPECT_EQ(Text(), "");
    Edit.SetEmptyOnZero(false);
    Edit.SetAsCurrency(Currency{});
    EXPECT_EQ(Text(), "0,00");
    // Shown although negative values are not allowed.
    Edit.SetAsCurrency(Currency::FromDouble(-1.5));
    EXPECT_EQ(Text(), "-1,50");
    // Tiny negative amounts round to a zero without sign.
    Edit.SetAsCurrency(Currency{-1});
    EXPECT_EQ(Text(), "0,00");

    Edit.SetDecimals(0);
    Edit.SetAsCurrency(Currency::FromDouble(2.5));
    EXPECT_EQ(Text(), "3");
    Edit.SetDecimals(6);
    Edit.SetAsCurrency(Currency::FromDouble(1.2345));
    EXPECT_EQ(Text(), "1,234500");

    // Fifteen significant digits, also at both ends of the range.
    Edit.SetDecimals(4);
    Edit.SetAsCurrency(Currency{std::numeric_limits<std::int64_t>::max()});
    EXPECT_EQ(Text(), "922337203685478,0000");
    Edit.SetAsCurrency(Currency{std::numeric_limits<std::int64_t>::min()});
    EXPECT_EQ(Text(), "-922337203685478,0000");
    Edit.SetAsCurrency(Currency{123456789012345});
    EXPECT_EQ(Text(), "12345678901,2345");
}

TEST_F(DecimalEdit, ReadingAsCurrency)
{
    Edit.setText("12,3456");
    EXPECT_EQ(Edit.GetAsCurrency().Units, 123456);
    Edit.setText("-0,5");
    EXPECT_EQ(Edit.GetAsCurrency().Units, -5000);
    // Ties go to the even neighbour.
    Edit.setText("1,23455");
    EXPECT_EQ(Edit.GetAsCurrency().Units, 12346);
    Edit.setText("1,23445");
    EXPECT_EQ(Edit.GetAsCurrency().Units, 12344);
    Edit.setText("1,234451");
    EXPECT_EQ(Edit.GetAsCurrency().Units, 12345);
    Edit.setMaxLength(30); // QLineEdit's own setText cuts at the limit
    Edit.setText("922337203685477,5807");
    EXPECT_EQ(Edit.GetAsCurrency().Units, std::numeric_limits<std::int64_t>::max());
    Edit.setText("922337203685477,5808");
    EXPECT_EQ(Edit.GetAsCurrency().Units, 0);

    Edit.SetDecSep('.');
    Edit.setText("2.5");
    EXPECT_EQ(Edit.GetAsCurrency().Units, 25000);

    EXPECT_EQ(Currency::FromDouble(0.00005).Units, 0);
    EXPECT_THROW(Currency::FromDouble(1e300), EConvertError);
}

TEST_F(DecimalEdit, TypedDigitsAndSeparators)
{
    QSignalSpy pressed(&Edit, &TVrkDecimalEdit::OnKeyPress);
    Edit.setText("12,3");
    Edit.setCursorPosition(4);
    Type("4");
    EXPECT_EQ(Text(), "12,34");
    Type("5");
    EXPECT_EQ(Text(), "12,34");
    EXPECT_EQ(pressed.count(), 1); // not for the refused key

    Edit.setText("12,3");
    Type(".");
    EXPECT_EQ(Text(), "12,3");
    Edit.setText("12");
    Type(".");
    EXPECT_EQ(Text(), "12,");
    Edit.setText("12");
    Type(",5x7 ");
    EXPECT_EQ(Text(), "12,57");

    // Digits before the separator are fine while the places stay within Decimals.
    Edit.setText("12,34");
    Edit.setCursorPosition(0);
    Type("9");
    EXPECT_EQ(Text(), "912,34");

    // A selection is replaced by the typed key.
    Edit.setText("12,34");
    Edit.setSelection(3, 2);
    Type("5");
    EXPECT_EQ(Text(), "12,5");
    // A separator typed over a selection holding the old one is no second one.
    Edit.setText("12,34");
    Edit.setSelection(1, 3);
    Type(".");
    EXPECT_EQ(Text(), "1,4");
}

TEST_F(DecimalEdit, TypedMinus)
{
    Edit.setText("");
    Type("-");
    EXPECT_EQ(Text(), "");

    Edit.SetNegativeAllowed(true);
    Type("-1,5");
    EXPECT_EQ(Text(), "-1,5");
    Type("-");
    EXPECT_EQ(Text(), "-1,5");
    Edit.setCursorPosition(0);
    Type("-");
    EXPECT_EQ(Text(), "-1,5");
    Edit.setText("3");
    Type("-");
    EXPECT_EQ(Text(), "3");
    Edit.setCursorPosition(0);
    Type("-");
    EXPECT_EQ(Text(), "-3");
}

TEST_F(DecimalEdit, ControlKeysAlwaysPass)
{
    QSignalSpy pressed(&Edit, &TVrkDecimalEdit::OnKeyPress);
    Edit.setText("12,34");
    QTest::keyClick(&Edit, Qt::Key_Backspace);
    EXPECT_EQ(Text(), "12,3");
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.at(0).at(0).value<char>(), '\b');
    QTest::keyClick(&Edit, Qt::Key_Left);
    QTest::keyClick(&Edit, Qt::Key_Delete);
    EXPECT_EQ(Text(), "12,");

    // The clipboard keys work, and undo too.
    QApplication::clipboard()->setText("1,5");
    ASSERT_EQ(QApplication::clipboard()->text(), "1,5");
    Edit.setText("7");
    Edit.setCursorPosition(1);
    QTest::keyClick(&Edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text(), "71,5");
    QTest::keyClick(&Edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(), "7");
    Edit.setText("1,5");
    Edit.selectAll();
    QTest::keyClick(&Edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Text(), "");
}

namespace {

// A key event carrying Text, as a keyboard layout or an input method makes it.
void SendKey(QWidget *W, int Key, const QString &Text, Qt::KeyboardModifiers Mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, Key, Mods, Text);
    QApplication::sendEvent(W, &press);
    QKeyEvent release(QEvent::KeyRelease, Key, Mods, Text);
    QApplication::sendEvent(W, &release);
}

} // namespace

TEST_F(DecimalEdit, ModifiersAndLongerKeyTextsGoThroughTheFilter)
{
    QSignalSpy pressed(&Edit, &TVrkDecimalEdit::OnKeyPress);
    Edit.setText("12");
    Edit.setCursorPosition(2);
    QTest::keyClick(&Edit, Qt::Key_A, Qt::AltModifier);
    QTest::keyClick(&Edit, Qt::Key_A, Qt::MetaModifier);
    QTest::keyClick(&Edit, Qt::Key_A, Qt::ControlModifier | Qt::AltModifier); // AltGr on some layouts
    SendKey(&Edit, Qt::Key_unknown, QString::fromUtf8("\xF0\x9F\x98\x80")); // an emoji: two UTF-16 units
    SendKey(&Edit, Qt::Key_unknown, QStringLiteral("3a"));
    SendKey(&Edit, Qt::Key_unknown, QString(QChar(0x200C)), Qt::ControlModifier | Qt::ShiftModifier); // ZWNJ
    EXPECT_EQ(Text(), "12");
    EXPECT_EQ(pressed.count(), 0);

    // Digits and the separator still pass with a modifier held, and a
    // composed text passes when all of it would.
    QTest::keyClick(&Edit, Qt::Key_Period, Qt::AltModifier);
    SendKey(&Edit, Qt::Key_unknown, QStringLiteral("45"));
    EXPECT_EQ(Text(), "12,45");
    EXPECT_EQ(pressed.count(), 3);
    SendKey(&Edit, Qt::Key_unknown, QStringLiteral("6"));
    EXPECT_EQ(Text(), "12,45");

    // Text an input method commits is typed text too.
    Edit.setText("7");
    Edit.setCursorPosition(1);
    QInputMethodEvent composed(QString(), {});
    composed.setCommitString(QStringLiteral("x"));
    QApplication::sendEvent(&Edit, &composed);
    EXPECT_EQ(Text(), "7");
    composed.setCommitString(QStringLiteral("8"));
    QApplication::sendEvent(&Edit, &composed);
    EXPECT_EQ(Text(), "78");
}

TEST_F(DecimalEdit, PastedAndDroppedTextFollowsTheSameRules)
{
    const auto paste = [this](const QString &Clip, const char *Before, int Caret) {
        QApplication::clipboard()->setText(Clip);
        Edit.setText(Before);
        Edit.setCursorPosition(Caret);
        QTest::keyClick(&Edit, Qt::Key_V, Qt::ControlModifier);
        return Text();
    };
    EXPECT_EQ(paste("ab", "7", 1), "7");
    EXPECT_EQ(paste("12a", "", 0), "");
    EXPECT_EQ(paste(" 1.5\n", "", 0), "1,5");   // blanks around are no part of the number
    EXPECT_EQ(paste("1,234", "", 0), "");        // three places are one too many
    EXPECT_EQ(paste(",5", "1,2", 3), "1,2");     // a second separator
    EXPECT_EQ(paste("-3", "", 0), "");           // no negatives allowed
    EXPECT_EQ(paste("1234567890123", "", 0), ""); // does not fit in 12 characters
    EXPECT_EQ(paste("99", "1,2", 1), "199,2");
    // Pasted over a selection, as typed over it.
    QApplication::clipboard()->setText("5");
    Edit.setText("12,34");
    Edit.setSelection(3, 2);
    QTest::keyClick(&Edit, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(Text(), "12,5");

    // The paste of the context menu.
    QApplication::clipboard()->setText("x9");
    Edit.setText("1");
    Edit.setCursorPosition(1);
    QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(2, 2), Edit.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&Edit, &menuEvent);
    QMenu *menu = Edit.findChild<QMenu *>("EditMenu");
    ASSERT_NE(menu, nullptr);
    QAction *pasteAction = nullptr;
    // Its text is the toolkit's own, in the desktop's language.
    for (QAction *a : menu->actions())
        if (a->text().startsWith(QCoreApplication::translate("QLineEdit", "&Paste")))
            pasteAction = a;
    ASSERT_NE(pasteAction, nullptr);
    pasteAction->trigger();
    EXPECT_EQ(Text(), "1");
    QApplication::clipboard()->setText("9");
    pasteAction->trigger();
    EXPECT_EQ(Text(), "19");
    menu->close();

    // Text dropped on the edit (delivered as the toolkit does at the end of a drag).
    struct DropTarget : TVrkDecimalEdit {
        using TVrkDecimalEdit::dropEvent;
    } target;
    target.setText("1");
    target.resize(100, 20);
    QMimeData mime;
    for (const char *dropped : {"ab", "2"}) {
        mime.setText(QString::fromLatin1(dropped));
        QDropEvent drop(QPointF(98, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        target.dropEvent(&drop);
    }
    EXPECT_EQ(target.text(), "12");
}

TEST(HyperlinkLabel, HintFollowsTheUrlUntilGivenItsOwn)
{
    TVrkHyperlinkLabel label;
    label.SetURL("https://a.example/");
    EXPECT_EQ(label.URL(), "https://a.example/");
    EXPECT_EQ(label.toolTip(), "https://a.example/");
    label.SetURL("https://b.example/");
    EXPECT_EQ(label.toolTip(), "https://b.example/");

    label.setToolTip("Our home page");
    label.SetURL("https://c.example/");
    EXPECT_EQ(label.URL(), "https://c.example/");
    EXPECT_EQ(label.toolTip(), "Our home page");
}

namespace {
struct CountingGauge : TProgressGauge {
    int Paints = 0;
    void paintEvent(QPaintEvent *event) override
    {
        ++Paints;
        TProgressGauge::paintEvent(event);
    }
};
} // namespace

TEST(ProgressGauge, SetPositionClampsAndRepaintsOnlyOnChange)
{
    CountingGauge gauge;
    gauge.resize(200, 16);
    gauge.show();
    QCoreApplication::processEvents();

    gauge.NextPaintTick = 0;
    int paints = gauge.Paints;
    gauge.SetPosition(150);
    EXPECT_EQ(gauge.Position, 100);
    EXPECT_EQ(gauge.Paints, paints + 1); // painted at once

    paints = gauge.Paints;
    gauge.NextPaintTick = 0;
    gauge.SetPosition(100);
    EXPECT_EQ(gauge.Paints, paints);

    gauge.Min = 10;
    gauge.SetPosition(-5);
    EXPECT_EQ(gauge.Position, 10);

    // Before NextPaintTick the change is only scheduled.
    gauge.NextPaintTick = std::numeric_limits<std::uint32_t>::max();
    paints = gauge.Paints;
    gauge.SetPosition(50);
    EXPECT_EQ(gauge.Position, 50);
    EXPECT_EQ(gauge.Paints, paints);
}
