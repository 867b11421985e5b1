#include "profiler/UntArviloPnlStart.h"

#include "base/VrnCmpStandard.h"
#include "base/VrnForms.h"
#include "base/VrnHome.h"
#include "base/VrnStrings.h"
#include "platform/Application.h"
#include "platform/ChartWidget.h"
#include "platform/LocaleInfo.h"
#include "platform/Screen.h"
#include "platform/SystemText.h"
#include "profiler/ArviloIcons.h"
#include "profiler/LibArvilo.h"
#include "profiler/libNavFullScreen.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

TFrmPnlParameter *FrmPnlParameter = nullptr;

namespace {




QLabel *BoldLabel(QWidget *parent, const char *name, const char *text)
{
    auto *label = Named(new QLabel(ToQ(text), parent), name);
    label->setFont(Verdana(11, true));
    return label;
}

TVrkDecimalEdit *ValueEdit(QWidget *parent, const char *name, bool emptyOnZero, int decimals = 2)
{
    auto *edit = Named(new TVrkDecimalEdit(parent), name);
    edit->SetEmptyOnZero(emptyOnZero);
    edit->SetDecimals(decimals);
    edit->SetDecSep(',');
    edit->SetNegativeAllowed(false);
    edit->setMaxLength(12);
    return edit;
}



std::uint8_t OutputOf(const TArvilo_Var *v)
{
    return ProfileAxes[v->ProfileIndex()][axZ];
}

// Profile 0: the chart gives way to the one value.
void ShowSingleBo(QLabel &label, TChart &chart, const TArvilo_Var &v)
{
    chart.hide();
    label.show();
    const double value = v.SingleBo();
    const std::string text = std::isinf(value) && value > 0
                                 ? std::string("ung\xFCltiger Wertebereich")
                                 : FloatToDecStr(value, 2, SystemDecimalSeparator(), '\0');
    label.setText(ToQ("Bodensteinzahl Bo = " + text));
}

// The chart shown and titled for a curve or a family of curves: a family
// names its curves in the legend unless the 3D view shows them without
// markers, and it zooms without animation.
void SetUpProfileChart(TChart &chart, QLabel &boOnly, int profile, bool family, const TArviloVarParams &p)
{
    boOnly.hide();
    chart.show();
    chart.setEnabled(true);
    chart.SetLegendVisible(family && (p.ShowPoints || !p.View3D));
    chart.SetAnimatedZoom(!family);
    chart.SetTitle(ProfileNames[profile]);
    chart.BottomAxis().SetTitle(VarNames[ProfileAxes[profile][axX]]);
    chart.LeftAxis().SetTitle(VarNames[ProfileAxes[profile][axZ]]);
    if (family)
        chart.SetChart3DPercent(14 - p.Resolution);
}

// The outputs a chart draws: above Low, up to High.
struct TCuts {
    double Low, High;
};

// The points first .. first + Steps - 1 of the run added to series as the
// run meets them, XStep counting along: those within the cuts are drawn,
// and the first fault raises where it would have.
void AddRunPoints(TArvilo_Var &v, const TProfilePoints &run, std::size_t first, const TCuts &cuts,
                  TChartSeries &series)
{
    for (int i = 1; i <= v.Steps; ++i) {
        v.XStep = i;
        const std::size_t k = first + static_cast<std::size_t>(i - 1);
        if (k == run.FaultAt)
            std::rethrow_exception(run.Fault);
        const TProfilePoints::TPoint &point = run.Points[k];
        if (cuts.Low < point.Z && point.Z <= cuts.High)
            series.AddXY(point.X, point.Z);
    }
}

// Series j (from 1) of a family: titled with its value of the series
// variable, coloured from green to red as j grows.
TChartSeries &AddFamilySeries(TChart &chart, TArvilo_Var &v, int j)
{
    const TArviloVarParams &p = v.Params;
    v.SeriesStep = j;
    double y = 0;
    v.SeriesValue(y);
    const std::string title = std::string(VarNames[ProfileAxes[v.ProfileIndex()][axY]]) + " ["
                              + FloatToDecStr(y, 2, SystemDecimalSeparator(), '\0') + "]";
    AddLineSeries(title, &chart, p.ShowPoints);
    TChartSeries &series = *chart.Series(j - 1);
    const int f = static_cast<int>(std::nearbyint(j * 255.0 / (p.Resolution * 10)));
    series.SetSeriesColor(QColor(f, 255 - f, 0));
    series.LinePen().SetColor(QColor(f, f, 0));
    series.SetAreaColor(QColor(f, f, 0));
    return series;
}

} // namespace

void ClearSeries(TChart *Chart)
{
    for (int i = Chart->SeriesCount() - 1; i >= 0; --i)
        delete Chart->Series(i);
}

void AddLineSeries(const std::string &Title, TChart *Chart, bool PointerVisible)
{
    auto *series = new TLineSeries(*Chart);
    series->SetActive(true);
    series->SetTitle(Title);
    series->Pointer().SetHorizSize(2);
    series->Pointer().SetVertSize(2);
    series->Pointer().Pen().SetVisible(true);
    series->Pointer().SetVisible(PointerVisible);
}

TFrmPnlParameter::TFrmPnlParameter(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmPnlParameter"));
    setFont(Verdana(11, false));

    PnlStart = Named(new QFrame(this), "PnlStart");
    PnlStart->setToolTip(QStringLiteral("Set Values Back To Last Process control Session"));
    // The panel covers the page of its host completely.
    PnlStart->setAutoFillBackground(true);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(PnlStart);
    auto *column = new QVBoxLayout(PnlStart);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    // Header strip.
    Panel2 = Named(new QFrame(PnlStart), "Panel2");
    Panel2->setFixedHeight(40);
    FillBackground(Panel2, PageColour);
    auto *header = new QHBoxLayout(Panel2);
    header->setContentsMargins(8, 0, 8, 0);
    Label11 = Named(new QLabel(QStringLiteral("Profiling"), Panel2), "Label11");
    Label11->setFont(Verdana(19, true));
    LblCaption = Named(new QLabel(Panel2), "LblCaption");
    LblCaption->setTextFormat(Qt::PlainText); // the user's title, never markup
    LblCaption->setFont(Verdana(11, true));
    LblCaption->setForegroundRole(QPalette::Highlight);
    VrkHyperlinkLabel1 = Named(new TVrkHyperlinkLabel(Panel2), "VrkHyperlinkLabel1");
    VrkHyperlinkLabel1->setText(QLatin1String(VarnekHost));
    VrkHyperlinkLabel1->SetURL(VarnekHomePage);
    header->addWidget(Label11);
    header->addSpacing(16);
    header->addWidget(LblCaption);
    header->addStretch(1);
    header->addWidget(VrkHyperlinkLabel1);
    column->addWidget(Panel2);

    auto *grid = new QGridLayout;
    grid->setContentsMargins(8, 0, 8, 0);
    BuildInputs(grid);
    column->addLayout(grid);

    BuildActions();
    BuildCharts();
    column->addWidget(Panel1, 1);

    connect(CmbProfiles, &QComboBox::activated, this, Safely([this] { CmbProfilesChange(); }));
    connect(BarResolution, &QSlider::valueChanged, this, Safely([this] { BarResolutionChange(); }));
    connect(VrkHyperlinkLabel1, &TVrkHyperlinkLabel::clicked, this, Safely([this] { VrkHyperlinkLabel1Click(); }));
    connect(CrtChart, &TChart::OnDblClick, this, Safely([this] { CrtChartDblClick(); }));
}

void TFrmPnlParameter::BuildInputs(QGridLayout *grid)
{
    Label1 = BoldLabel(PnlStart, "Label1", "Title");
    EdtTitle = Named(new QLineEdit(PnlStart), "EdtTitle");
    KeepToCodePage(EdtTitle, decltype(TArviloVarParams::Title)::Capacity);
    Label24 = BoldLabel(PnlStart, "Label24", "Comment");
    MmoComment = Named(new TMemo(PnlStart), "MmoComment");
    MmoComment->setFrameShape(QFrame::NoFrame);
    MmoComment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MmoComment->setFixedHeight(48);
    SetColour(MmoComment, QPalette::Base, InfoColour);
    Label2 = BoldLabel(PnlStart, "Label2", "Profile");
    CmbProfiles = Named(new QComboBox(PnlStart), "CmbProfiles");
    CmbProfiles->setEditable(false);
    QPalette active = CmbProfiles->palette();
    active.setColor(QPalette::ButtonText, QColor(0, 84, 227));
    active.setColor(QPalette::Text, QColor(0, 84, 227));
    CmbProfiles->setPalette(active);
    Label3 = BoldLabel(PnlStart, "Label3", "Fix Value");
    Label4 = BoldLabel(PnlStart, "Label4", "Minimum");
    Label5 = BoldLabel(PnlStart, "Label5", "Maximum");
    lblDa = BoldLabel(PnlStart, "lblDa", "Da (Damk\xF6hler)");
    Lbls = BoldLabel(PnlStart, "Lbls", "S (Sterilisation Criterion)");
    LblBo = BoldLabel(PnlStart, "LblBo", "Bo (Bodenstein)");
    lbln = BoldLabel(PnlStart, "lbln", "n (Reactor Cell Count)");

    EdtDa = ValueEdit(PnlStart, "EdtDa", true);
    EdtDaMin = ValueEdit(PnlStart, "EdtDaMin", false);
    EdtDaMax = ValueEdit(PnlStart, "EdtDaMax", true);
    EdtS = ValueEdit(PnlStart, "EdtS", true);
    EdtSMin = ValueEdit(PnlStart, "EdtSMin", false);
    EdtSMax = ValueEdit(PnlStart, "EdtSMax", true);
    EdtBo = ValueEdit(PnlStart, "EdtBo", true);
    EdtBoMin = ValueEdit(PnlStart, "EdtBoMin", false);
    EdtBoMax = ValueEdit(PnlStart, "EdtBoMax", true);
    EdtN = ValueEdit(PnlStart, "EdtN", true);
    EdtnMin = ValueEdit(PnlStart, "EdtnMin", false);
    EdtnMax = ValueEdit(PnlStart, "EdtnMax", true);

    grid->addWidget(Label1, 0, 0);
    grid->addWidget(EdtTitle, 0, 1, 1, 3);
    grid->addWidget(Label24, 1, 0, Qt::AlignTop);
    grid->addWidget(MmoComment, 1, 1, 1, 3);
    grid->addWidget(Label2, 2, 0);
    grid->addWidget(CmbProfiles, 2, 1);
    grid->addWidget(Label3, 3, 1);
    grid->addWidget(Label4, 3, 2);
    grid->addWidget(Label5, 3, 3);
    QLabel *const rowHeads[] = {lblDa, Lbls, LblBo, lbln};
    TVrkDecimalEdit *const rows[4][3] = {{EdtDa, EdtDaMin, EdtDaMax},
                                         {EdtS, EdtSMin, EdtSMax},
                                         {EdtBo, EdtBoMin, EdtBoMax},
                                         {EdtN, EdtnMin, EdtnMax}};
    for (int r = 0; r < 4; ++r) {
        grid->addWidget(rowHeads[r], 4 + r, 0);
        for (int c = 0; c < 3; ++c)
            grid->addWidget(rows[r][c], 4 + r, 1 + c);
    }
    grid->setColumnStretch(4, 1);
}

void TFrmPnlParameter::BuildActions()
{
    auto make = [this](const char *name, const char *caption, const char *hint, int image) {
        auto *action = Named(new QAction(ToQ(caption), PnlStart), name);
        if (hint)
            action->setToolTip(ToQ(hint));
        if (image >= 0)
            action->setIcon(ChartToolImage(image));
        PnlStart->addAction(action);
        return action;
    };
    Act3D = make("Act3D", "&3D", "3D View", ci3D);
    Act3D->setCheckable(true);
    ActRotationLeft = make("ActRotationLeft", "&h Left Rotation", "Rotates Chart Left", ciRotateLeft);
    ActRotationRight = make("ActRotationRight", "&kRight Rotation", "Rotates Chart Right", ciRotateRight);
    ActElevationUp = make("ActElevationUp", "&u Up Elevation ", "Elevates Chart Up", ciElevateUp);
    ActElevationDown = make("ActElevationDown", "&j Down Elevation", "Elevates Chart Down", ciElevateDown);
    ActSetDefault = make("ActSetDefault", "Rese&t", "Reset Chart Movements", ciReset);
    ActPrint = make("ActPrint", "&Print", "Prints Chart", ciPrint);
    ActShowPoints = make("ActShowPoints", "ActShowPoints", nullptr, ciShowPoints);
    ActShowPoints->setCheckable(true);
    ActFullScreen = make("ActFullScreen", "Fullscreen", "Shows Chart In Fullscreen Mode", ciFullScreen);
    ActFullScreen->setCheckable(true);
    ActFullScreen->setShortcut(QKeySequence(Qt::Key_F11));
    ActProfiling = make("ActProfiling", "Upd&ate Profile ", nullptr, -1);
    ActProfiling->setShortcut(QKeySequence(Qt::Key_F9));
    for (QAction *a : PnlStart->actions())
        a->setShortcutContext(Qt::WindowShortcut);

    // A checkable action flips its own state before the handler runs; the
    // handlers invert it themselves, as the chart actions are defined.
    auto bind = [this](QAction *action, void (TFrmPnlParameter::*handler)()) {
        connect(action, &QAction::triggered, this, Safely([this, action, handler] {
                    if (action->isCheckable())
                        action->setChecked(!action->isChecked());
                    (this->*handler)();
                }));
    };
    bind(ActProfiling, &TFrmPnlParameter::ActProfilingExecute);
    bind(Act3D, &TFrmPnlParameter::Act3DExecute);
    bind(ActRotationLeft, &TFrmPnlParameter::ActRotationLeftExecute);
    bind(ActRotationRight, &TFrmPnlParameter::ActRotationRightExecute);
    bind(ActElevationUp, &TFrmPnlParameter::ActElevationUpExecute);
    bind(ActElevationDown, &TFrmPnlParameter::ActElevationDownExecute);
    bind(ActSetDefault, &TFrmPnlParameter::ActSetDefaultExecute);
    bind(ActPrint, &TFrmPnlParameter::ActPrintExecute);
    bind(ActShowPoints, &TFrmPnlParameter::ActShowPointsExecute);
    bind(ActFullScreen, &TFrmPnlParameter::ActFullScreenExecute);
}

// The tool bar above the chart: the profile button, the chart actions, the
// resolution and the Z maximum.
void TFrmPnlParameter::BuildToolBar()
{
    ToolBar = Named(new QToolBar(PnlCharts), "ToolBar");
    ToolBar->setIconSize(QSize(20, 20));
    ToolBar->setContentsMargins(2, 2, 2, 2);
    BtnDoProfile = Named(new QPushButton(PnlCharts), "BtnDoProfile");
    BtnDoProfile->setFixedWidth(153);
    BtnDoProfile->setText(ActProfiling->text());
    connect(BtnDoProfile, &QPushButton::clicked, ActProfiling, &QAction::trigger);
    ToolBar->addWidget(BtnDoProfile);
    ToolBar->addSeparator();
    ToolBar->addAction(Act3D);
    ToolBar->addAction(ActShowPoints);
    ToolBar->addSeparator();
    for (QAction *a : {ActRotationLeft, ActElevationUp, ActElevationDown, ActRotationRight, ActSetDefault})
        ToolBar->addAction(a);
    ToolBar->addSeparator();
    ToolBar->addAction(ActPrint);
    ToolBar->addAction(ActFullScreen);
    BarResolution = Named(new QSlider(Qt::Horizontal, PnlCharts), "BarResolution");
    BarResolution->setRange(0, 10);
    BarResolution->setSingleStep(1);
    BarResolution->setPageStep(1);
    BarResolution->setTickPosition(QSlider::NoTicks);
    BarResolution->setFixedWidth(150);
    BarResolution->setToolTip(QStringLiteral("Data Poins"));
    ToolBar->addWidget(BarResolution);
    LblZMax = Named(new QLabel(QStringLiteral("Z Max"), PnlCharts), "LblZMax");
    ToolBar->addWidget(LblZMax);
    Panel3 = Named(new QWidget(PnlCharts), "Panel3");
    Panel3->setFixedWidth(4);
    ToolBar->addWidget(Panel3);
    EdtZMax = ValueEdit(PnlCharts, "EdtZMax", true, 0);
    EdtZMax->setFixedWidth(53);
    ToolBar->addWidget(EdtZMax);
}

void TFrmPnlParameter::BuildCharts()
{
    Panel1 = Named(new QFrame(PnlStart), "Panel1");
    auto *holder = new QVBoxLayout(Panel1);
    holder->setContentsMargins(0, 0, 0, 0);
    PnlCharts = Named(new QFrame(Panel1), "PnlCharts");
    FillBackground(PnlCharts, PageColour);
    holder->addWidget(PnlCharts);
    auto *layout = new QVBoxLayout(PnlCharts);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    BuildToolBar();
    layout->addWidget(ToolBar);

    CrtChart = Named(new TChart(PnlCharts), "CrtChart");
    CrtChart->LeftAxis().SetTitle("Bodensteinzahl Bo");
    CrtChart->SetChart3DPercent(4);
    CrtChart->View3DOptions().SetPerspective(5);
    CrtChart->View3DOptions().SetZoom(90);
    CrtChart->SetView3DWalls(false);
    CrtChart->SetAnimatedZoom(true);
    layout->addWidget(CrtChart, 1);

    lblBoOnly = Named(new QLabel(PnlCharts), "lblBoOnly");
    lblBoOnly->setTextFormat(Qt::PlainText);
    lblBoOnly->setFont(Verdana(19, true));
    QPalette navy = lblBoOnly->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    lblBoOnly->setPalette(navy);
    lblBoOnly->setAlignment(Qt::AlignCenter);
    lblBoOnly->hide();
    layout->addWidget(lblBoOnly, 1);

    PopChart = Named(new QMenu(CrtChart), "PopChart");
    PopChart->addAction(Act3D);
    PopChart->addAction(ActShowPoints);
    PopChart->addSeparator();
    for (QAction *a : {ActRotationLeft, ActRotationRight, ActElevationDown, ActElevationUp, ActSetDefault})
        PopChart->addAction(a);
    PopChart->addSeparator();
    PopChart->addAction(ActPrint);
    PopChart->addAction(ActFullScreen);
    CrtChart->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(CrtChart, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopChart->popup(CrtChart->mapToGlobal(pos)); });
}

// ---- moving values between the controls and the variation ----

void TFrmPnlParameter::ShowVariation(TListNode *Data)
{
    auto *variation = dynamic_cast<TArvilo_Var *>(Data);
    if (!variation || !Project)
        return;
    Project->Current = variation;
    LblCaption->setText(ToQ(variation->GetCaption()));
    ShowValues(variation->Params, variation->Comment);
    UpdateEnabled();
    ResetChart();
    SetView3D(variation->Params.View3D);
    Act3D->setChecked(variation->Params.View3D);
    ActProfilingExecute();
}

void TFrmPnlParameter::ShowValues(const TArviloVarParams &Params, const std::string &Comment)
{
    EdtTitle->setText(ToQ(Params.Title));
    CmbProfiles->setCurrentIndex(CmbProfiles->findData(static_cast<int>(Params.Profile)));
    const double values[12] = {Params.Da, Params.S, Params.DaMin, Params.SMin, Params.DaMax, Params.SMax,
                               Params.Bo, Params.N, Params.BoMin, Params.NMin, Params.BoMax, Params.NMax};
    TVrkDecimalEdit *const edits[12] = {EdtDa, EdtS, EdtDaMin, EdtSMin, EdtDaMax, EdtSMax,
                                        EdtBo, EdtN, EdtBoMin, EdtnMin, EdtBoMax, EdtnMax};
    for (int i = 0; i < 12; ++i)
        edits[i]->SetAsFloat(values[i]);
    ShowZMax();
    // The track bar keeps its position within 0..10; a change runs BarResolutionChange.
    BarResolution->setValue(std::clamp(Params.Resolution, 0, 10));
    ActShowPoints->setChecked(Params.ShowPoints);
    MmoComment->SetText(Comment);
}

TArvilo_Var *TFrmPnlParameter::VariationToChange()
{
    TArvilo_Var *v = Project ? Project->Current : nullptr;
    if (v)
        v->KeepSaved();
    return v;
}

void TFrmPnlParameter::StoreToVariation()
{
    TArvilo_Var *v = VariationToChange();
    if (!v)
        return;
    TArviloVarParams &p = v->Params;
    p.Title = FromQ(EdtTitle->text());
    double *const fields[12] = {&p.Da, &p.S, &p.DaMin, &p.SMin, &p.DaMax, &p.SMax,
                                &p.Bo, &p.N, &p.BoMin, &p.NMin, &p.BoMax, &p.NMax};
    TVrkDecimalEdit *const edits[12] = {EdtDa, EdtS, EdtDaMin, EdtSMin, EdtDaMax, EdtSMax,
                                        EdtBo, EdtN, EdtBoMin, EdtnMin, EdtBoMax, EdtnMax};
    for (int i = 0; i < 12; ++i)
        *fields[i] = edits[i]->GetAsFloat();
    p.Resolution = BarResolution->value();
    StoreZMax();
    v->Comment = MmoComment->Text();
    p.Elevation = CrtChart->View3DOptions().Elevation();
    p.Rotation = CrtChart->View3DOptions().Rotation();
    p.View3D = CrtChart->View3D();
    p.ShowPoints = ActShowPoints->isChecked();
    UpdateEnabled();
    if (OnStored)
        OnStored();
}

void TFrmPnlParameter::ShowZMax()
{
    TArvilo_Var *v = Project ? Project->Current : nullptr;
    if (!v)
        return;
    EdtZMax->SetAsFloat(OutputOf(v) == qS ? v->Params.ZMaxS : v->Params.ZMaxBo);
}

void TFrmPnlParameter::StoreZMax()
{
    TArvilo_Var *v = VariationToChange();
    if (!v)
        return;
    (OutputOf(v) == qS ? v->Params.ZMaxS : v->Params.ZMaxBo) = EdtZMax->GetAsFloat();
}

void TFrmPnlParameter::UpdateEnabled()
{
    TArvilo_Var *v = Project ? Project->Current : nullptr;
    if (!v)
        return;
    const int profile = v->ProfileIndex();
    TVrkDecimalEdit *const fixed[4] = {EdtDa, EdtS, EdtBo, EdtN};
    TVrkDecimalEdit *const mins[4] = {EdtDaMin, EdtSMin, EdtBoMin, EdtnMin};
    TVrkDecimalEdit *const maxs[4] = {EdtDaMax, EdtSMax, EdtBoMax, EdtnMax};
    QLabel *const heads[4] = {lblDa, Lbls, LblBo, lbln};
    for (int q = 0; q < 4; ++q) {
        fixed[q]->setEnabled(ProfileFixEnabled[profile][q]);
        mins[q]->setEnabled(ProfileRangeEnabled[profile][q]);
        maxs[q]->setEnabled(mins[q]->isEnabled());
        heads[q]->setEnabled(ProfileFixEnabled[profile][q] || ProfileRangeEnabled[profile][q]);
    }
    LblZMax->setText(ToQ(std::string(VarNames[ProfileAxes[profile][axZ]]) + " Max"));
}

void TFrmPnlParameter::ResetChart()
{
    ClearSeries(CrtChart);
    TArvilo_Var *v = Project ? Project->Current : nullptr;
    CrtChart->View3DOptions().SetOrthogonal(false);
    if (v) {
        CrtChart->View3DOptions().SetRotation(v->Params.Rotation);
        CrtChart->View3DOptions().SetElevation(v->Params.Elevation);
    }
}

void TFrmPnlParameter::SetView3D(bool On)
{
    CrtChart->SetView3D(On);
    for (QAction *a : {ActRotationRight, ActRotationLeft, ActElevationUp, ActElevationDown, ActSetDefault})
        a->setEnabled(On);
}

void TFrmPnlParameter::ProfileChanged()
{
    TArvilo_Var *v = VariationToChange();
    if (!v)
        return;
    StoreZMax();
    const int index = CmbProfiles->currentIndex();
    if (index >= 0)
        v->Params.Profile = static_cast<std::uint8_t>(CmbProfiles->itemData(index).toInt());
    ShowZMax();
    UpdateEnabled();
}

void TFrmPnlParameter::InitProfiles()
{
    FillProfileCombo(CmbProfiles);
}

void TFrmPnlParameter::CmbProfilesChange()
{
    ProfileChanged();
    ActProfilingExecute();
}

void TFrmPnlParameter::BarResolutionChange()
{
    if (TArvilo_Var *v = VariationToChange()) {
        v->Params.Resolution = BarResolution->value();
        if (OnStored)
            OnStored();
    }
}

void TFrmPnlParameter::VrkHyperlinkLabel1Click()
{
    OpenHomePage(this);
}

// ---- the profile run and the chart actions ----

void TFrmPnlParameter::ActProfilingExecute()
{
    TArvilo_Var *v = Project ? Project->Current : nullptr;
    if (!v)
        return;
    const std::uint8_t output = OutputOf(v);
    const double lowCut = output == qBo ? 5 : 0;
    TBusyCursor busy;
    StoreToVariation();
    const TArviloVarParams &p = v->Params;
    const double zMax = output == qS ? p.ZMaxS : p.ZMaxBo;
    const int profile = v->ProfileIndex();

    lblBoOnly->hide();
    ClearSeries(CrtChart);
    CrtChart->setEnabled(false);
    if (ProfileChartKind[profile] == ckSingleValue) {
        ShowSingleBo(*lblBoOnly, *CrtChart, *v);
        return;
    }
    // A curve (2D), or a family of curves with a series for each value of
    // the series variable (3D).
    const bool family = ProfileChartKind[profile] != ck2D;
    SetUpProfileChart(*CrtChart, *lblBoOnly, profile, family, p);
    if (!family)
        AddLineSeries(ProfileNames[profile], CrtChart, p.ShowPoints);
    v->Steps = p.Resolution * (family ? 10 : 100);
    // The points are computed ahead, on several threads; they reach the
    // series in order, and the first fault raises where it would have.
    const TProfilePoints run = ComputeProfilePoints(*v, v->Steps);
    const TCuts cuts{lowCut, zMax};
    if (!family) {
        AddRunPoints(*v, run, 0, cuts, *CrtChart->Series(0));
        return;
    }
    for (int j = 1; j <= v->Steps; ++j) {
        TChartSeries &series = AddFamilySeries(*CrtChart, *v, j);
        AddRunPoints(*v, run, static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(v->Steps), cuts, series);
    }
}

void TFrmPnlParameter::Act3DExecute()
{
    Act3D->setChecked(!Act3D->isChecked());
    SetView3D(Act3D->isChecked());
    StoreToVariation();
}

void TFrmPnlParameter::MoveView(int Rotation, int Elevation)
{
    TBusyCursor busy;
    TView3DOptions &options = CrtChart->View3DOptions();
    options.SetRotation(TurnDegrees(options.Rotation(), Rotation));
    options.SetElevation(TurnDegrees(options.Elevation(), Elevation));
    StoreToVariation();
}

void TFrmPnlParameter::ActRotationLeftExecute()
{
    MoveView(-10, 0);
}

void TFrmPnlParameter::ActRotationRightExecute()
{
    MoveView(10, 0);
}

void TFrmPnlParameter::ActElevationUpExecute()
{
    MoveView(0, -5);
}

void TFrmPnlParameter::ActElevationDownExecute()
{
    MoveView(0, 5);
}

void TFrmPnlParameter::ActSetDefaultExecute()
{
    TBusyCursor busy;
    CrtChart->View3DOptions().SetElevation(355);
    CrtChart->View3DOptions().SetRotation(300);
    CrtChart->UndoZoom();
    StoreToVariation();
}

void TFrmPnlParameter::ActPrintExecute()
{
    CrtChart->SetPrintProportional(false);
    CrtChart->SetPrintMargins(5, 5, 5, 5);
    CrtChart->SetPrintResolution(-100);
    CrtChart->PrintLandscape();
}

void TFrmPnlParameter::ActShowPointsExecute()
{
    ActShowPoints->setChecked(!ActShowPoints->isChecked());
    StoreToVariation();
    ActProfilingExecute();
}

void TFrmPnlParameter::ActFullScreenExecute()
{
    ActFullScreen->setChecked(true);
    ActFullScreen->setEnabled(false);
    struct TRestore {
        QAction *Action;
        ~TRestore()
        {
            Action->setChecked(false);
            Action->setEnabled(true);
        }
    } restore{ActFullScreen};
    ShowInFullScreen(FullScreenFormClass(), PnlCharts);
}

void TFrmPnlParameter::CrtChartDblClick()
{
    CrtChart->UndoZoom();
}
