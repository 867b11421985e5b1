#include "base/VrnFrmAbout.h"

#include "base/VrnCmpStandard.h"
#include "base/VrnHome.h"
#include "platform/FormColours.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// Runs Check on the box once ShowAbout has it open. Whatever Check does, the
// box is closed afterwards, so a failing check cannot hang the test.
void WhenShown(std::function<void(TFrmAbout *)> Check, QPointer<TFrmAbout> *Seen = nullptr)
{
    QTimer::singleShot(0, [Check, Seen] {
        auto *box = qobject_cast<TFrmAbout *>(QApplication::activeModalWidget());
        if (Seen)
            *Seen = box;
        ASSERT_NE(box, nullptr);
        Check(box);
        if (box->isVisible()) {
            ADD_FAILURE() << "the box is still open";
            box->done(QDialog::Accepted);
        }
    });
}

std::vector<QWidget *> OpenAboutForms()
{
    std::vector<QWidget *> found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == "FrmAbout")
            found.push_back(w);
    return found;
}

} // namespace

TEST(FrmAbout, ShowsTitleAndVersionAndClosesOnEscapeAndEnter)
{
    QPointer<TFrmAbout> first, second;
    WhenShown(
        [](TFrmAbout *box) {
            EXPECT_EQ(box->LblAppTitle->text(), "Arvilo Simulation");
            EXPECT_EQ(box->LblVersion->text(), "1.0.1");
            for (QLabel *label : box->findChildren<QLabel *>())
                EXPECT_FALSE(label->text().contains("((")) << label->objectName().toStdString();
            // The title label grew with its text.
            EXPECT_GE(box->LblAppTitle->width(), box->LblAppTitle->sizeHint().width());
            EXPECT_EQ(box->focusWidget(), box->BtnOK);
            QTest::keyClick(box->BtnOK, Qt::Key_Escape);
            EXPECT_FALSE(box->isVisible());
            EXPECT_EQ(box->result(), QDialog::Accepted);
        },
        &first);
    ShowAbout("Arvilo Simulation", "1.0.1");
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(OpenAboutForms().empty());

    WhenShown(
        [](TFrmAbout *box) {
            EXPECT_EQ(box->LblAppTitle->text(), "Mirtel");
            QTest::keyClick(box, Qt::Key_Return);
            EXPECT_FALSE(box->isVisible());
        },
        &second);
    ShowAbout("Mirtel", "1.0.0");
    EXPECT_TRUE(second.isNull());
    EXPECT_TRUE(OpenAboutForms().empty());
}

TEST(FrmAbout, LinkOpensTheHomePageAndTheBoxStaysOpen)
{
    std::vector<std::string> opened;
    SetShellOpenHook([&opened](const std::string &target) { opened.push_back(target); });
    WhenShown([&opened](TFrmAbout *box) {
        EXPECT_EQ(box->LblHomepage->text(), VarnekHost);
        QTest::mouseClick(box->LblHomepage, Qt::LeftButton);
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0], VarnekHomePage);
        EXPECT_TRUE(box->isVisible());
        QTest::mouseClick(box->BtnOK, Qt::LeftButton);
    });
    ShowAbout("Mirtel", "1.0.0");
    SetShellOpenHook({});
    EXPECT_EQ(opened.size(), 1u);
}

TEST(FrmAbout, Layout)
{
    TFrmAbout box;
    EXPECT_EQ(box.objectName(), "FrmAbout");
    EXPECT_EQ(box.windowTitle(), "Info");
    EXPECT_TRUE(box.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(box.size(), QSize(518, 373));

    // The banner comes from the resources linked into the library.
    ASSERT_FALSE(box.Image1->pixmap().isNull());
    EXPECT_EQ(box.Image1->pixmap().size(), QSize(518, 91));

    EXPECT_EQ(box.LblHomepage->URL(), VarnekHomePage);
    EXPECT_EQ(box.LblHomepage->toolTip(), VarnekHomePage);
    EXPECT_TRUE(box.BtnOK->isDefault());

    // Below the banner, inside the frame, each text whole and none over another.
    std::vector<QWidget *> parts;
    for (QLabel *label : box.findChildren<QLabel *>())
        if (label != box.Image1) {
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->objectName().toStdString();
            parts.push_back(label);
        }
    parts.push_back(box.BtnOK);
    const QRect inside(1, 91, 516, 281);
    for (size_t i = 0; i < parts.size(); ++i) {
        EXPECT_TRUE(inside.contains(parts[i]->geometry())) << parts[i]->objectName().toStdString();
        for (size_t j = i + 1; j < parts.size(); ++j)
            EXPECT_FALSE(parts[i]->geometry().intersects(parts[j]->geometry()))
                << parts[i]->objectName().toStdString() << " " << parts[j]->objectName().toStdString();
    }

    // The box is borderless: the lines frame it left, right and below, on the page colour.
    const QImage picture = box.grab().toImage();
    EXPECT_EQ(picture.pixelColor(0, 200), AboutLineColour);
    EXPECT_EQ(picture.pixelColor(517, 200), AboutLineColour);
    EXPECT_EQ(picture.pixelColor(300, 372), AboutLineColour);
    EXPECT_EQ(picture.pixelColor(100, 300), PageColour);
}
