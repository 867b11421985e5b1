#include "platform/Memo.h"

#include <QTest>
#include <QTextCursor>
#include <gtest/gtest.h>

namespace {

std::string EveryByte()
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes += static_cast<char>(b);
    return bytes + "a\r\nb\rc\nd\xA0" "e\r\n";
}

} // namespace

TEST(Memo, TextOnlyShownComesBackByteForByte)
{
    TMemo memo;
    const std::string stored = EveryByte();
    memo.SetText(stored);
    EXPECT_EQ(memo.Text(), stored);
    EXPECT_EQ(memo.toPlainText().count(QChar::Nbsp), 0) << "the box itself hands 0xA0 back as a blank";

    // Typed and taken back again is no change either.
    memo.moveCursor(QTextCursor::End);
    QTest::keyClicks(&memo, "x");
    QTest::keyClick(&memo, Qt::Key_Backspace);
    EXPECT_EQ(memo.Text(), stored);

    memo.SetText(std::string());
    EXPECT_EQ(memo.Text(), "");
}

TEST(Memo, EditedTextHasTheLineBreaksOfTheFiles)
{
    TMemo memo;
    memo.SetText("a\nb\rc\r\nd\xA0" "e");
    memo.moveCursor(QTextCursor::End);
    QTest::keyClick(&memo, Qt::Key_Return);
    QTest::keyClicks(&memo, "f");
    QTest::keyClick(&memo, Qt::Key_Return, Qt::ShiftModifier); // a line break inside the paragraph
    memo.insertPlainText(QString::fromUtf8("g\xC3\xBC\xE2\x82\xAC")); // both in the code page: \xFC and \x80
    EXPECT_EQ(memo.Text(), "a\r\nb\r\nc\r\nd\xA0" "e\r\nf\r\ng\xFC\x80");

    // A new text starts over: shown only, it comes back as given.
    memo.SetText("x\ny");
    EXPECT_EQ(memo.Text(), "x\ny");
}
