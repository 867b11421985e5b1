#include "base/VrnForms.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

// A vertical line one pixel wide at x = 7 and a disc: a picture whose
// edges show at once whether it was drawn at a ratio or scaled to it.
void Draw(QPainter &p)
{
    p.fillRect(QRectF(7, 0, 1, 16), Qt::black);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(36, 58, 92), 1.6));
    p.setBrush(QColor(40, 120, 200));
    p.drawEllipse(QRectF(9, 9, 6, 6));
}

// The plain pixmap icon the pictures were before they followed the screen.
QIcon PlainIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    Draw(p);
    p.end();
    return QIcon(pixmap);
}

QImage Image(const QPixmap &Pixmap)
{
    return Pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

TEST(DrawnPicture, AtRatioOneIsThePlainPixmapInEveryModeAndSize)
{
    const QIcon drawn = DrawnPicture(QSize(16, 16), Draw);
    const QIcon plain = PlainIcon();
    EXPECT_FALSE(drawn.isNull());
    EXPECT_EQ(drawn.availableSizes(), plain.availableSizes()); // the tree's image lists rely on them
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected})
        for (const int size : {12, 16, 24}) {
            const QPixmap a = drawn.pixmap(QSize(size, size), 1.0, mode);
            EXPECT_EQ(a.devicePixelRatio(), 1.0);
            EXPECT_EQ(Image(a), Image(plain.pixmap(QSize(size, size), 1.0, mode))) << mode << " " << size;
            EXPECT_EQ(drawn.actualSize(QSize(size, size), mode), plain.actualSize(QSize(size, size), mode));
        }
}

TEST(DrawnPicture, IsDrawnAtTheDevicePixelRatioNotScaled)
{
    const QIcon drawn = DrawnPicture(QSize(16, 16), Draw);
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
        const QPixmap sharp = drawn.pixmap(QSize(16, 16), 2.0, mode);
        EXPECT_EQ(sharp.size(), QSize(32, 32));
        EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
        // The line covers device columns 14 and 15 fully; a scaled copy
        // would smear it into 13 and 16.
        const QImage image = Image(sharp);
        for (const int y : {1, 20, 30}) {
            EXPECT_EQ(qAlpha(image.pixel(13, y)), 0) << mode << " " << y;
            EXPECT_EQ(qAlpha(image.pixel(14, y)), 255) << mode << " " << y;
            EXPECT_EQ(qAlpha(image.pixel(15, y)), 255) << mode << " " << y;
            EXPECT_EQ(qAlpha(image.pixel(16, y)), 0) << mode << " " << y;
        }
    }
    EXPECT_NE(Image(drawn.pixmap(QSize(16, 16), 2.0, QIcon::Disabled)), Image(drawn.pixmap(QSize(16, 16), 2.0)));

    // A fractional ratio, and painting straight onto a dense device.
    EXPECT_EQ(drawn.pixmap(QSize(16, 16), 1.5).size(), QSize(24, 24));
    QImage dense(32, 32, QImage::Format_ARGB32_Premultiplied);
    dense.setDevicePixelRatio(2);
    dense.fill(Qt::transparent);
    QPainter p(&dense);
    drawn.paint(&p, QRect(0, 0, 16, 16));
    p.end();
    EXPECT_EQ(qAlpha(dense.pixel(13, 5)), 0);
    EXPECT_EQ(qAlpha(dense.pixel(14, 5)), 255);
}

TEST(DrawnPicture, CopiesAndTheSameRatioAgainGiveTheSamePicture)
{
    int draws = 0;
    const QIcon drawn = DrawnPicture(QSize(16, 16), [&draws](QPainter &p) {
        ++draws;
        Draw(p);
    });
    const QIcon copy = drawn; // as a menu item takes its action's picture
    const QImage first = Image(drawn.pixmap(QSize(16, 16), 2.0));
    EXPECT_EQ(Image(copy.pixmap(QSize(16, 16), 2.0)), first);
    EXPECT_EQ(Image(drawn.pixmap(QSize(16, 16), 2.0)), first);
    EXPECT_EQ(draws, 1) << "a picture is drawn once per ratio, not on every paint";
}

TEST(FormKit, PlacesNamedComponentsAndLabelsSizedToTheirPlainText)
{
    QWidget form;
    form.setFont(Verdana(11, false));
    auto *edit = Place<QLineEdit>(&form, "EdtTitle", 8, 178, 217, 21);
    EXPECT_EQ(edit->parentWidget(), &form);
    EXPECT_EQ(form.findChild<QLineEdit *>("EdtTitle"), edit);
    EXPECT_EQ(edit->geometry(), QRect(8, 178, 217, 21));

    // A title is shown as it is, markup and non-ASCII letters included.
    QLabel *label = PlaceLabel(&form, "LblAppTitle", "<b>Gr\xFC\xDF" "e</b>", 180, 120, Verdana(21, true));
    EXPECT_EQ(label->objectName(), "LblAppTitle");
    EXPECT_EQ(label->text(), QString::fromUtf8("<b>Gr\xC3\xBC\xC3\x9F" "e</b>"));
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->pos(), QPoint(180, 120));
    EXPECT_GE(label->width(), label->sizeHint().width());
    EXPECT_EQ(label->font().pixelSize(), 21);
    EXPECT_TRUE(label->font().bold());
}

TEST(FormKit, PaintedPanelShowsItsColourAndKeepsTheOthers)
{
    QWidget host;
    host.resize(40, 40);
    auto *panel = Place<QWidget>(&host, "Panel5", 0, 0, 40, 20);
    const QColor text = panel->palette().color(QPalette::WindowText);
    FillBackground(panel, PageColour);
    const QImage picture = host.grab().toImage();
    EXPECT_EQ(picture.pixelColor(20, 10), PageColour);
    EXPECT_NE(picture.pixelColor(20, 30), PageColour);
    EXPECT_EQ(panel->palette().color(QPalette::WindowText), text);
}
