#include "base/VrnFrmAbout.h"

#include "base/VrnCmpStandard.h"
#include "base/VrnHome.h"
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

    const std::pair<const char *, QPoint> places[] = {
        {"LblAppTitle", {180, 120}}, {"Label2", {180, 192}}, {"Label3", {180, 208}},
        {"Label4", {180, 224}},      {"LblHomepage", {180, 248}}, {"Label5", {180, 156}},
        {"LblVersion", {236, 156}},
    };
    for (const auto &[name, pos] : places) {
        const auto *label = box.findChild<QLabel *>(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(label->pos(), pos) << name;
    }
    EXPECT_EQ(box.LblHomepage->URL(), VarnekHomePage);
    EXPECT_EQ(box.LblHomepage->toolTip(), VarnekHomePage);

    EXPECT_EQ(box.BtnOK->geometry(), QRect(180, 300, 85, 25));
    EXPECT_TRUE(box.BtnOK->isDefault());

    EXPECT_EQ(box.findChild<QFrame *>("Shape1")->geometry(), QRect(0, 90, 1, 283));
    EXPECT_EQ(box.findChild<QFrame *>("Shape2")->geometry(), QRect(517, 90, 1, 283));
    EXPECT_EQ(box.findChild<QFrame *>("Shape3")->geometry(), QRect(0, 372, 518, 1));
    // The framing lines are drawn in the line colour.
    const QImage picture = box.grab().toImage();
    EXPECT_EQ(picture.pixelColor(0, 200), QColor(49, 58, 73));
    EXPECT_EQ(picture.pixelColor(517, 200), QColor(49, 58, 73));
    EXPECT_EQ(picture.pixelColor(300, 372), QColor(49, 58, 73));
    EXPECT_EQ(picture.pixelColor(100, 300), QColor(226, 230, 240));
}
