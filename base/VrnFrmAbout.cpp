#include "base/VrnFrmAbout.h"

#include "base/VrnCmpStandard.h"
#include "base/VrnForms.h"
#include "base/VrnHome.h"
#include "platform/Shell.h"
#include "platform/SystemText.h"

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

TFrmAbout::TFrmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    InitBaseResources();
    setObjectName("FrmAbout");
    setWindowTitle("Info");
    setFixedSize(518, 373);
    FillBackground(this, PageColour);
    SetColour(this, QPalette::WindowText, AboutTextColour);
    const QFont plain = Verdana(11, false);
    setFont(plain);

    // The button first: it is the first (and only) stop in the tab order.
    BtnOK = Place<QPushButton>(this, "BtnOK", 180, 300, 85, 25);
    BtnOK->setText("OK");
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);

    Image1 = Place<QLabel>(this, "Image1", 0, 0, 518, 91);
    Image1->setPixmap(QPixmap(":/base/about_banner.png"));

    LblAppTitle = PlaceLabel(this, "LblAppTitle", "((AppTitle))", 180, 120, Verdana(21, true));
    Label2 = PlaceLabel(this, "Label2", "Varnek Verfahrenstechnik GmbH", 180, 192, plain);
    Label3 = PlaceLabel(this, "Label3", "Process models and software by the Varnek team", 180, 208, plain);
    Label4 = PlaceLabel(this, "Label4", "Software Engineering", 180, 224, plain);

    LblHomepage = Named(new TVrkHyperlinkLabel(this), "LblHomepage");
    LblHomepage->setText(VarnekHost);
    LblHomepage->SetURL(VarnekHomePage);
    // The box gives all its labels one text colour, the link included.
    SetColour(LblHomepage, QPalette::WindowText, AboutTextColour);
    LblHomepage->move(180, 248);
    LblHomepage->adjustSize();
    connect(LblHomepage, &TVrkHyperlinkLabel::clicked, this, &TFrmAbout::LblHomepageClick);

    Label5 = PlaceLabel(this, "Label5", "Version", 180, 156, Verdana(11, true));
    LblVersion = PlaceLabel(this, "LblVersion", "((Version))", 236, 156, plain);

    // The lines that frame the box below the banner.
    Shape1 = Place<QFrame>(this, "Shape1", 0, 90, 1, 283);
    Shape2 = Place<QFrame>(this, "Shape2", 517, 90, 1, 283);
    Shape3 = Place<QFrame>(this, "Shape3", 0, 372, 518, 1);
    for (QFrame *line : {Shape1, Shape2, Shape3})
        FillBackground(line, AboutLineColour);

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
