#include "platform/Dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

TEST(MessageBox, ShowsItsTextAsPlainText)
{
    // File names and titles may look like markup; the box shows them as they are.
    const std::string text = "File \"<b>x</b>&amp;.arv\" not found.";
    QString shown;
    Qt::TextFormat format = Qt::RichText;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        format = box->textFormat();
        if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
            format = label->textFormat();
            shown = label->text();
        }
        box->done(QMessageBox::Ok);
    });
    SetDialogs(nullptr);
    EXPECT_EQ(Dialogs().MessageDlg(nullptr, "Arvilo", text, mtError, mbOK), mrOk);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown.toStdString(), text);
}
