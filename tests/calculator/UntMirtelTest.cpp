#include "calculator/UntMirtel.h"

#include "base/VrnCmpStandard.h"
#include "base/VrnHome.h"
#include "base/VrnStrings.h"
#include "platform/LocaleInfo.h"
#include "platform/Shell.h"
#include "tests/common/GermanLocale.h"
#include "tests/common/ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString Invalid = QString::fromLatin1("ung\xFCltiger Bereich");

// A shown calculator under a user locale with ',' as decimal separator
// (the forms' own), and the scripted dialogs in place of real boxes.
class Mirtel : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetUserLocale(UserLocale());
        form = std::make_unique<TFrmMirtel>();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override
    {
        form.reset();
        ResetUserLocale();
    }
    virtual QLocale UserLocale() const { return QLocale(QLocale::German, QLocale::Germany); }

    void Retype(QLineEdit *edit, const QString &text)
    {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    void Choose(QComboBox *combo, const QString &item)
    {
        const int index = combo->findText(item);
        ASSERT_GE(index, 0) << item.toStdString();
        combo->setCurrentIndex(index);
    }
    QString Left()
    {
        QTest::mouseClick(form->BtnCalcBo, Qt::LeftButton);
        return form->EdtResultLeft->text();
    }
    QString Right()
    {
        QTest::mouseClick(form->BtnCalcDa, Qt::LeftButton);
        return form->EdtResultRight->text();
    }

    TScriptedDialogs dialogs;
    std::unique_ptr<TFrmMirtel> form;
};

class MirtelPointLocale : public Mirtel {
protected:
    QLocale UserLocale() const override { return QLocale(QLocale::English, QLocale::UnitedStates); }
};

} // namespace

TEST_F(Mirtel, StartsWithTheExampleValues)
{
    EXPECT_EQ(form->windowTitle(), "Varnek Mirtel");
    EXPECT_EQ(form->size(), QSize(419, 183));
    EXPECT_EQ(form->CmbCalcBo->currentText(), "Sreal");
    EXPECT_EQ(form->CmbCalcCellCount->currentText(), "Bo");
    EXPECT_EQ(form->CmbBo_n->currentText(), "Bo");
    EXPECT_EQ(form->CmbCalcCellRatio->currentText(), "Sreal");
    EXPECT_EQ(form->EdtSreal->text(), "29,5611");
    EXPECT_EQ(form->EdtDa->text(), "43,4000");
    EXPECT_EQ(form->EdtBo->text(), "62,1900");
    EXPECT_EQ(form->EdtDaForS->text(), "43,4000");
    EXPECT_EQ(form->BtnCalcBo->text(), "&Bo  berechnen");
    EXPECT_EQ(form->BtnCalcDa->text(), "&S berechnen");
    // Each kind item carries its index.
    EXPECT_EQ(form->CmbCalcCellRatio->itemData(1).toInt(), 1);
    EXPECT_EQ(form->CmbBo_n->itemData(0).toInt(), 0);
    EXPECT_EQ(Left(), "62,2");
    EXPECT_EQ(Right(), "29,6");
}

TEST_F(Mirtel, KindsOfTheResults)
{
    Choose(form->CmbCalcCellRatio, "N/N0");
    EXPECT_EQ(form->BtnCalcDa->text(), "&N/N0 berechnen");
    EXPECT_EQ(Right(), "1,45e-13");
    Choose(form->CmbCalcCellRatio, "Sreal");
    EXPECT_EQ(form->BtnCalcDa->text(), "&S berechnen");

    Choose(form->CmbCalcCellCount, "n");
    EXPECT_EQ(form->BtnCalcBo->text(), "n &berechnen");
    EXPECT_EQ(Left(), "31,4");
    Choose(form->CmbCalcCellCount, "Bo");
    EXPECT_EQ(form->BtnCalcBo->text(), "&Bo berechnen");
}

TEST_F(Mirtel, KindSwitchesConvertTheShownValue)
{
    Choose(form->CmbBo_n, "n");
    EXPECT_EQ(form->EdtBo->text(), "31,3627");
    Choose(form->CmbBo_n, "Bo");
    EXPECT_EQ(form->EdtBo->text(), "62,0000"); // n to Bo rounds to a whole number

    // The shown three-digit text is converted back, not the value typed before.
    Choose(form->CmbCalcBo, "N/N0");
    EXPECT_EQ(form->EdtSreal->text(), "1,45e-13");
    Choose(form->CmbCalcBo, "Sreal");
    EXPECT_EQ(form->EdtSreal->text(), "29,6");

    // An N/N0 input gives the same Bo as its S.
    Choose(form->CmbCalcBo, "N/N0");
    Retype(form->EdtSreal, "1,4514e-13");
    EXPECT_EQ(Left(), "62,2");
}

TEST_F(Mirtel, InvalidInputsShowTheRangeText)
{
    Retype(form->EdtDa, "");
    EXPECT_EQ(Left(), Invalid);
    Retype(form->EdtDa, "43,4");
    Retype(form->EdtSreal, "3");  // below ln(1 + Da)
    EXPECT_EQ(Left(), Invalid);
    Retype(form->EdtSreal, "50"); // above Da
    EXPECT_EQ(Left(), Invalid);
    Retype(form->EdtSreal, "-1e6"); // exp overflows
    EXPECT_EQ(Left(), Invalid);

    // A cell count below 1 has no Bo; Bo 0 divides by zero.
    Choose(form->CmbBo_n, "n");
    Retype(form->EdtBo, "0,5");
    EXPECT_EQ(Right(), Invalid);
    Retype(form->EdtBo, "");
    Choose(form->CmbBo_n, "Bo");
    Retype(form->EdtBo, "");
    EXPECT_EQ(Right(), Invalid);
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(Mirtel, SolvesBoWhereTheIterationAloneFails)
{
    struct Case {
        const char *Da, *S, *Bo;
    };
    const Case cases[] = {
        {"43,4", "5", "0,22"},
        {"1", "0,9", "6,98"},
        {"150", "140", "1,96e+03"},
        {"500", "450", "4,05e+03"},
        {"43,4", "29,56", "62,2"},
    };
    for (const Case &c : cases) {
        Retype(form->EdtDa, c.Da);
        Retype(form->EdtSreal, c.S);
        EXPECT_EQ(Left(), c.Bo) << c.Da << " " << c.S;
    }
}

TEST_F(Mirtel, SNotBelowDaHasNoBo)
{
    // S = Da must not pass through N/N0 = exp(-S), which may round it below Da.
    int numbers = 0;
    for (int half = 1; half <= 200; ++half) {
        const QString value = QString::fromLatin1(FloatToDecStr(half / 2.0, 1, ',', '\0'));
        form->EdtDa->setText(value);
        form->EdtSreal->setText(value);
        if (Left() != Invalid)
            ++numbers;
    }
    EXPECT_EQ(numbers, 0);
    for (const auto &[da, s] : {std::pair{"30", "30,5"}, {"43,4", "43,4"}, {"43,4", "3,7"}, {"1", "0,6931"}}) {
        Retype(form->EdtDa, da);
        Retype(form->EdtSreal, s);
        EXPECT_EQ(Left(), Invalid) << da << " " << s;
    }
    Retype(form->EdtDa, "30");
    Retype(form->EdtSreal, "29,9");
    EXPECT_NE(Left(), Invalid);
}

TEST_F(Mirtel, UnprotectedConversionsReachTheErrorBoxAndTheWindowGoesOn)
{
    // N/N0 "abc" reads as 0; switching to S takes ln 0.
    Choose(form->CmbCalcBo, "N/N0");
    Retype(form->EdtSreal, "abc");
    Choose(form->CmbCalcBo, "Sreal");
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Type, mtError);
    EXPECT_EQ(form->EdtSreal->text(), "abc");

    // An N/N0 that underflows to 0 cannot be shown as S: the field keeps its text.
    EXPECT_EQ(Right(), "29,6");
    Retype(form->EdtDaForS, "2000");
    Retype(form->EdtBo, "2000");
    EXPECT_EQ(Right(), "29,6");
    EXPECT_EQ(dialogs.Messages.size(), 2u);
    Choose(form->CmbCalcCellRatio, "N/N0");
    EXPECT_EQ(Right(), "0");

    // n below 1 has no Bo when switching the kind.
    Choose(form->CmbBo_n, "n");
    Retype(form->EdtBo, "0,5");
    Choose(form->CmbBo_n, "Bo");
    EXPECT_EQ(dialogs.Messages.size(), 3u);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MirtelPointLocale, OtherDecimalSeparator)
{
    EXPECT_EQ(form->EdtSreal->text(), "29.5611");
    EXPECT_EQ(Left(), "62.2");
    // The decimal edits keep their ','; the kind switch reads the text with '.'
    // and so converts its default 4.0, while the calculation reads the edit itself.
    EXPECT_EQ(Right(), "29.6");
    Choose(form->CmbBo_n, "n");
    EXPECT_EQ(form->EdtBo->text(), "2,4545");
}

TEST(FormatResult, SameLookUnderAGermanCLibraryForEitherUserSeparator)
{
    const TGermanCLocale german;
    struct Case {
        double Value;
        const char *Text;
    };
    const Case cases[] = {{3.87e19, "3,87e+19"}, {1.45e-13, "1,45e-13"}, {62.1903, "62,2"}, {0.22, "0,22"},
                          {100, "100"}, {123456, "1,23e+05"}, {1e-5, "1e-05"}, {0.0001234, "0,000123"},
                          {-29.56, "-29,6"}, {0, "0"}, {1e300, "1e+300"}};
    SetUserLocale(QLocale(QLocale::German, QLocale::Germany));
    for (const Case &c : cases)
        EXPECT_EQ(FormatResult(c.Value), c.Text) << c.Value;
    SetUserLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    for (const Case &c : cases)
        EXPECT_EQ(FormatResult(c.Value), QString::fromLatin1(c.Text).replace(',', '.').toStdString()) << c.Value;
    ResetUserLocale();
}

TEST_F(MirtelPointLocale, StartsUnderAGermanCLibrary)
{
    const TGermanCLocale german;
    form.reset();
    form = std::make_unique<TFrmMirtel>();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_EQ(form->EdtSreal->text(), "29.5611");
    EXPECT_EQ(form->EdtDa->text(), "43,4000");
    EXPECT_EQ(Left(), "62.2");
    Choose(form->CmbCalcCellRatio, "N/N0");
    EXPECT_EQ(Right(), "1.45e-13");
}

TEST_F(Mirtel, AboutAndHomePage)
{
    std::string opened;
    SetShellOpenHook([&](const std::string &url) { opened = url; });
    QTest::mouseClick(form->LblVarnekHome, Qt::LeftButton);
    SetShellOpenHook(nullptr);
    EXPECT_EQ(opened, VarnekHomePage);

    QString title;
    QTimer::singleShot(0, [&] {
        QWidget *box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        if (auto *label = box->findChild<QLabel *>("LblAppTitle"))
            title = label->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    QTest::keyClick(form.get(), Qt::Key_F1);
    EXPECT_EQ(title, "Mirtel");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(Mirtel, AboutPictureIsDrawnForDenseScreens)
{
    const QSize size = form->SpeedButton1->iconSize();
    const QPixmap sharp = form->SpeedButton1->icon().pixmap(size, 2.0);
    EXPECT_EQ(sharp.size(), size * 2);
    EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
}

TEST_F(Mirtel, SurvivesRandomInput)
{
    // Any modal box that opens (About) is closed again at once.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget *box = QApplication::activeModalWidget())
            box->close();
    });
    closer.start(1);

    QRandomGenerator rng(20261209);
    QLineEdit *const edits[] = {form->EdtSreal, form->EdtDa, form->EdtBo, form->EdtDaForS};
    QComboBox *const combos[] = {form->CmbCalcBo, form->CmbCalcCellCount, form->CmbBo_n, form->CmbCalcCellRatio};
    const Qt::Key controlKeys[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left, Qt::Key_Home,
                                   Qt::Key_End, Qt::Key_Return, Qt::Key_Tab};
    for (int round = 0; round < 400; ++round) {
        QLineEdit *edit = edits[rng.bounded(4)];
        edit->setFocus();
        for (int k = 0; k < 6; ++k) {
            if (rng.bounded(4) == 0)
                QTest::keyClick(edit, controlKeys[rng.bounded(static_cast<int>(std::size(controlKeys)))]);
            else
                QTest::keyClick(edit, static_cast<char>(32 + rng.bounded(95)));
        }
        if (rng.bounded(3) == 0) {
            QComboBox *combo = combos[rng.bounded(4)];
            combo->setCurrentIndex(1 - combo->currentIndex());
        }
        QTest::mouseClick(rng.bounded(2) ? form->BtnCalcBo : form->BtnCalcDa, Qt::LeftButton);
        if (round % 50 == 0)
            QTest::mouseClick(form->SpeedButton1, Qt::LeftButton);
    }
    EXPECT_TRUE(form->isVisible());
    const QString left = form->EdtResultLeft->text();
    EXPECT_FALSE(left.isEmpty());
}
