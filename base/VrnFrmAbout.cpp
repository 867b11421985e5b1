#include "base/VrnFrmAbout.h"

#include "base/VrnCmpStandard.h"
#include "base/VrnHome.h"
#include "platform/Latin1.h"
#include "platform/Shell.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

// Outside any namespace, as Q_INIT_RESOURCE requires.
void InitBaseResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(base);
        return true;
    }();
    (void)done;
}

namespace {

const QColor FormColor(226, 230, 240);
const QColor TextColor(8, 64, 85);
const QColor LineColor(49, 58, 73);

QLabel *MakeLabel(QWidget *parent, const char *name, int left, int top, const std::string &caption)
{
    auto *label = new QLabel(ToQ(caption), parent);
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(name);
    label->move(left, top);
    label->adjustSize();
    return label;
}

void MakeBold(QLabel *label, int pixelSize)
{
    QFont f = label->font();
    f.setBold(true);
    if (pixelSize > 0)
        f.setPixelSize(pixelSize);
    label->setFont(f);
    label->adjustSize();
}

QFrame *MakeLine(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *line = new QFrame(parent);
    line->setObjectName(name);
    line->setGeometry(left, top, width, height);
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, LineColor);
    line->setPalette(pal);
    return line;
}

} // namespace

TFrmAbout::TFrmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    InitBaseResources();
    setObjectName("FrmAbout");
    setWindowTitle("Info");
    setFixedSize(518, 373);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, FormColor);
    pal.setColor(QPalette::WindowText, TextColor);
    setPalette(pal);
    QFont f("Verdana");
    f.setPixelSize(11);
    setFont(f);

    // The button first: it is the first (and only) stop in the tab order.
    BtnOK = new QPushButton("OK", this);
    BtnOK->setObjectName("BtnOK");
    BtnOK->setGeometry(180, 300, 85, 25);
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(QPixmap(":/base/about_banner.png"));
    Image1->setGeometry(0, 0, 518, 91);

    LblAppTitle = MakeLabel(this, "LblAppTitle", 180, 120, "((AppTitle))");
    MakeBold(LblAppTitle, 21);
    Label2 = MakeLabel(this, "Label2", 180, 192, "Varnek Verfahrenstechnik GmbH");
    Label3 = MakeLabel(this, "Label3", 180, 208, "Process models and software by the Varnek team");
    Label4 = MakeLabel(this, "Label4", 180, 224, "Software Engineering");

    LblHomepage = new TVrkHyperlinkLabel(this);
    LblHomepage->setObjectName("LblHomepage");
    LblHomepage->setText(VarnekHost);
    LblHomepage->SetURL(VarnekHomePage);
    // The box gives all its labels one text colour, the link included.
    QPalette linkPal = LblHomepage->palette();
    linkPal.setColor(QPalette::WindowText, TextColor);
    LblHomepage->setPalette(linkPal);
    LblHomepage->move(180, 248);
    LblHomepage->adjustSize();
    connect(LblHomepage, &TVrkHyperlinkLabel::clicked, this, &TFrmAbout::LblHomepageClick);

    Label5 = MakeLabel(this, "Label5", 180, 156, "Version");
    MakeBold(Label5, 0);
    LblVersion = MakeLabel(this, "LblVersion", 236, 156, "((Version))");

    Shape1 = MakeLine(this, "Shape1", 0, 90, 1, 283);
    Shape2 = MakeLine(this, "Shape2", 517, 90, 1, 283);
    Shape3 = MakeLine(this, "Shape3", 0, 372, 518, 1);

    BtnOK->setFocus();
}

void TFrmAbout::LblHomepageClick()
{
    ShellOpen(LblHomepage->URL());
}

void TFrmAbout::reject()
{
    accept();
}

void VrnFrmAboutDetail::ShowAboutForm(std::unique_ptr<TFrmAbout> Form, const std::string &Title, const std::string &Version)
{
    Form->LblAppTitle->setText(ToQ(Title));
    Form->LblAppTitle->adjustSize();
    Form->LblVersion->setText(ToQ(Version));
    Form->LblVersion->adjustSize();
    Form->exec();
}
