#include "calculator/UntMirtel.h"

#include "base/VrnCmpStandard.h"
#include "base/VrnForms.h"
#include "base/VrnFrmAbout.h"
#include "base/VrnHome.h"
#include "base/VrnStrings.h"
#include "model/UntBodenstein.h"
#include "platform/Application.h"
#include "platform/ComboStrings.h"
#include "platform/FpGuard.h"
#include "platform/LocaleInfo.h"
#include "platform/Shell.h"
#include "platform/SystemText.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QToolButton>

#include <cmath>

TFrmMirtel *FrmMirtel = nullptr;

namespace {

const char *const InvalidRange = "ung\xFCltiger Bereich";

// The run-time library's shortest general text of a Double (15 digits).
std::string FloatToStr(double value)
{
    return FloatToGeneralStr(value, 15, SystemDecimalSeparator());
}

// The kind index a combo box item carries.
std::uint8_t Kind(const QComboBox *combo)
{
    return static_cast<std::uint8_t>(SelectedObject(combo));
}

QComboBox *KindCombo(QWidget *parent, const char *name, int left, int top, bool infoColour)
{
    QComboBox *combo = Place<QComboBox>(parent, name, left, top, 61, 21);
    combo->setEditable(false);
    combo->setFont(Verdana(11, true));
    if (infoColour) {
        SetColour(combo, QPalette::Base, InfoColour);
        SetColour(combo, QPalette::Button, InfoColour);
    }
    return combo;
}

TVrkDecimalEdit *DecimalEdit(QWidget *parent, const char *name, int left, int top, double value)
{
    TVrkDecimalEdit *edit = Place<TVrkDecimalEdit>(parent, name, left, top, 121, 21);
    edit->SetEmptyOnZero(true);
    edit->SetDecimals(4);
    edit->SetDecSep(',');
    edit->SetNegativeAllowed(false);
    edit->setMaxLength(12);
    edit->SetAsFloat(value);
    return edit;
}

QLineEdit *ResultEdit(QWidget *parent, const char *name, int left, int top)
{
    QLineEdit *edit = Place<QLineEdit>(parent, name, left, top, 121, 21);
    edit->setReadOnly(true);
    SetColour(edit, QPalette::Base, edit->palette().color(QPalette::Button));
    return edit;
}

// "Da" in bold with a small "I" beside it.
void DaLabels(QWidget *parent, const char *bigName, const char *smallName, int left, int top, QLabel *&big, QLabel *&small)
{
    big = PlaceLabel(parent, bigName, "Da", left, top, Verdana(11, true));
    small = PlaceLabel(parent, smallName, "I", left + 20, top + 4, Verdana(9, false));
}

QFrame *Line(QWidget *parent, const char *name, QFrame::Shape shape, int left, int top, int width, int height)
{
    QFrame *line = Place<QFrame>(parent, name, left, top, width, height);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

std::string FormatResult(double Value)
{
    // "%8.3g" with the blanks around it removed: the width only pads.
    return FloatToGeneralStr(Value, 3, SystemDecimalSeparator());
}

TFrmMirtel::TFrmMirtel(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmMirtel"));
    setWindowTitle(QStringLiteral("Varnek Mirtel"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(Verdana(11, false));
    setFixedSize(419, 183);

    Panel1 = Place<QFrame>(this, "Panel1", 0, 0, 419, 33);
    SpeedButton1 = Place<QToolButton>(Panel1, "SpeedButton1", 4, 4, 23, 22);
    SpeedButton1->setAutoRaise(true);
    LblVarnekHome = Place<TVrkHyperlinkLabel>(Panel1, "LblVarnekHome", 324, 10, 84, 13);
    LblVarnekHome->setText(QLatin1String(VarnekHost));
    LblVarnekHome->SetURL(VarnekHomePage);
    LblVarnekHome->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LblVarnekHome->setLayoutDirection(Qt::RightToLeft);
    // Right-justified and sized to its text: it grows to the left from its right edge.
    const int right = LblVarnekHome->geometry().right();
    LblVarnekHome->adjustSize();
    LblVarnekHome->move(right - LblVarnekHome->width() + 1, 10);
    Bevel2 = Line(Panel1, "Bevel2", QFrame::HLine, 0, 31, 419, 2);

    CmbCalcBo = KindCombo(this, "CmbCalcBo", 8, 44, false);
    EdtSreal = Place<QLineEdit>(this, "EdtSreal", 76, 44, 121, 21);
    DaLabels(this, "Label2", "Label1", 8, 76, Label2, Label1);
    EdtDa = DecimalEdit(this, "EdtDa", 76, 72, 43.4);
    CmbCalcCellCount = KindCombo(this, "CmbCalcCellCount", 8, 120, true);
    EdtResultLeft = ResultEdit(this, "EdtResultLeft", 76, 120);
    BtnCalcBo = Place<QPushButton>(this, "BtnCalcBo", 8, 148, 189, 25);
    BtnCalcBo->setText(QStringLiteral("&Bo  berechnen"));

    Bevel1 = Line(this, "Bevel1", QFrame::VLine, 208, 34, 13, 139);

    CmbBo_n = KindCombo(this, "CmbBo_n", 220, 44, false);
    EdtBo = DecimalEdit(this, "EdtBo", 288, 44, 62.19);
    DaLabels(this, "Label4", "Label5", 220, 76, Label4, Label5);
    EdtDaForS = DecimalEdit(this, "EdtDaForS", 288, 72, 43.4);
    CmbCalcCellRatio = KindCombo(this, "CmbCalcCellRatio", 220, 120, true);
    EdtResultRight = ResultEdit(this, "EdtResultRight", 288, 120);
    BtnCalcDa = Place<QPushButton>(this, "BtnCalcDa", 220, 148, 190, 25);
    BtnCalcDa->setText(QStringLiteral("&S berechnen"));

    ActAbout = Named(new QAction(InfoPicture(AboutTextColour, QColor(70, 130, 200)), QString(), this), "ActAbout");
    ActAbout->setToolTip(QStringLiteral("About Varnek"));
    ActAbout->setStatusTip(QStringLiteral("About Varnek"));
    ActAbout->setShortcut(QKeySequence(Qt::Key_F1));
    ActAbout->setShortcutContext(Qt::WindowShortcut);
    addAction(ActAbout);
    SpeedButton1->setDefaultAction(ActAbout);

    // The tab order of the form: the two columns top to bottom, the panel last.
    QWidget *const order[] = {CmbCalcBo, EdtSreal, EdtDa, CmbCalcCellCount, BtnCalcBo, EdtResultLeft,
                              CmbBo_n, EdtBo, EdtDaForS, CmbCalcCellRatio, BtnCalcDa, EdtResultRight,
                              SpeedButton1};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);

    connect(BtnCalcBo, &QPushButton::clicked, this, Safely([this] { BtnCalcBoClick(); }));
    connect(BtnCalcDa, &QPushButton::clicked, this, Safely([this] { Button2Click(); }));
    // A kind switch converts the shown value once per real change of the kind.
    connect(CmbCalcBo, &QComboBox::currentIndexChanged, this, Safely([this] { CmbCalcBoChange(); }));
    connect(CmbCalcCellRatio, &QComboBox::currentIndexChanged, this, Safely([this] { CmbCalcCellRatioChange(); }));
    connect(CmbBo_n, &QComboBox::currentIndexChanged, this, Safely([this] { CmbBo_nChange(); }));
    connect(CmbCalcCellCount, &QComboBox::currentIndexChanged, this, Safely([this] { CmbCalcCellCountChange(); }));
    connect(ActAbout, &QAction::triggered, this, Safely([this] { ActAboutExecute(); }));
    connect(LblVarnekHome, &TVrkHyperlinkLabel::clicked, this, Safely([this] { LblVarnekHomeClick(); }));
}

void TFrmMirtel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Restoring from the task bar is no new showing of the form.
    if (!event->spontaneous())
        Safely([this] { FormShow(); })();
}

void TFrmMirtel::FormShow()
{
    // Filling the lists is no user's choice of a kind: no conversion runs.
    const QSignalBlocker b1(CmbCalcBo), b2(CmbCalcCellRatio), b3(CmbCalcCellCount), b4(CmbBo_n);
    TComboStrings calcBo(CmbCalcBo);
    FillSKindList(calcBo);
    CmbCalcBo->setCurrentIndex(calcBo.IndexOfObject(0));
    EdtSreal->setText(ToQ(FloatToStr(29.5611)));
    TComboStrings cellRatio(CmbCalcCellRatio);
    FillSKindList(cellRatio);
    CmbCalcCellRatio->setCurrentIndex(cellRatio.IndexOfObject(0));
    TComboStrings cellCount(CmbCalcCellCount);
    FillBoKindList(cellCount);
    CmbCalcCellCount->setCurrentIndex(cellCount.IndexOfObject(0));
    TComboStrings boN(CmbBo_n);
    FillBoKindList(boN);
    CmbBo_n->setCurrentIndex(boN.IndexOfObject(0));
}

double TFrmMirtel::ReadSreal() const
{
    return DecStrToFloat(FromQ(EdtSreal->text()), SystemDecimalSeparator(), 0);
}

void TFrmMirtel::BtnCalcBoClick()
{
    const double Da = EdtDa->GetAsFloat();
    TBoSolution solution{TBoRootKind::Invalid, 0};
    try {
        // Whether a root exists is decided on the value the user entered: an S
        // turned into N/N0 and back may round below Da and find a "root".
        const double v = ReadSreal();
        solution = Kind(CmbCalcBo) != 0 ? SolveBoForNN0(Da, v) : SolveBoForS(Da, v);
    } catch (...) {
        // any fault: the same answer as no root
    }
    if (solution.Kind != TBoRootKind::Root) {
        EdtResultLeft->setText(ToQ(InvalidRange));
        return;
    }
    const double Bo = solution.Bo;
    EdtResultLeft->setText(ToQ(Kind(CmbCalcCellCount) != 0 ? FormatResult(KindToN(0, Bo)) : FormatResult(Bo)));
}

void TFrmMirtel::Button2Click()
{
    double X = EdtBo->GetAsFloat();
    double NN0 = 0;
    try {
        if (Kind(CmbBo_n) == 1)
            X = KindToBo(1, X);
        NN0 = NN0Dispersion(EdtDaForS->GetAsFloat(), X);
    } catch (...) {
        EdtResultRight->setText(ToQ(InvalidRange));
        return;
    }
    if (Kind(CmbCalcCellRatio) != 0) {
        EdtResultRight->setText(ToQ(FormatResult(NN0)));
    } else {
        // Outside the protection: an N/N0 of 0 divides by zero and the error box reports it.
        FpClear();
        const double S = FpResult(logl(1 / static_cast<long double>(NN0)));
        EdtResultRight->setText(ToQ(FormatResult(S)));
    }
}

void TFrmMirtel::CmbCalcBoChange()
{
    const double v = ReadSreal();
    const std::string text = Kind(CmbCalcBo) == 1 ? FormatResult(SToKind(1, v)) : FormatResult(NN0ToKind(0, v));
    EdtSreal->setText(ToQ(text));
}

void TFrmMirtel::CmbCalcCellRatioChange()
{
    BtnCalcDa->setText(Kind(CmbCalcCellRatio) != 0 ? QStringLiteral("&N/N0 berechnen") : QStringLiteral("&S berechnen"));
}

void TFrmMirtel::CmbBo_nChange()
{
    const double v = DecStrToFloat(FromQ(EdtBo->text()), SystemDecimalSeparator(), 4.0);
    if (Kind(CmbBo_n) != 0)
        EdtBo->SetAsFloat(KindToN(0, v));
    else
        EdtBo->SetAsFloat(std::nearbyint(KindToBo(1, v))); // ties to even
}

void TFrmMirtel::CmbCalcCellCountChange()
{
    BtnCalcBo->setText(Kind(CmbCalcCellCount) != 0 ? QStringLiteral("n &berechnen") : QStringLiteral("&Bo berechnen"));
}

void TFrmMirtel::ActAboutExecute()
{
    ShowAbout<TFrmAbout>("Mirtel", "1.0.0");
}

void TFrmMirtel::LblVarnekHomeClick()
{
    ShellOpen(VarnekHomePage);
}
