#pragma once
// The parameter panel: the page on which the user edits one variation and
// sees its profile. The form itself is never shown; its panel PnlStart is lent
// to the main window for every variation page.
#include "platform/Memo.h"

#include <QWidget>

#include <functional>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QToolBar;
class TArvilo_Var;
class TChart;
class TListNode;
class TVrkDecimalEdit;
class TVrkHyperlinkLabel;
struct TArviloVarParams;

// Frees every series of the chart, the last first.
void ClearSeries(TChart *Chart);
// A line series on the bottom and left axes with 2 by 2 point markers,
// appended as the chart's last series.
void AddLineSeries(const std::string &Title, TChart *Chart, bool PointerVisible);

class TFrmPnlParameter : public QWidget {
    Q_OBJECT
public:
    explicit TFrmPnlParameter(QWidget *parent = nullptr);

    // The page hooks.
    bool CanLeavePage() const { return true; }
    void ShowVariation(TListNode *Data);
    void StoreToVariation();
    // Run after values went into the current variation.
    std::function<void()> OnStored;

    void InitProfiles();
    void ShowValues(const TArviloVarParams &Params, const std::string &Comment);
    void ShowZMax();
    void StoreZMax();
    void UpdateEnabled();
    void ResetChart();
    void SetView3D(bool On);
    void ProfileChanged();

    // Handlers.
    void CmbProfilesChange();
    void BarResolutionChange();
    void VrkHyperlinkLabel1Click();
    void ActProfilingExecute();
    void Act3DExecute();
    void ActRotationLeftExecute();
    void ActRotationRightExecute();
    void ActElevationUpExecute();
    void ActElevationDownExecute();
    void ActSetDefaultExecute();
    void ActPrintExecute();
    void ActShowPointsExecute();
    void ActFullScreenExecute();
    void CrtChartDblClick();

    QFrame *PnlStart;
    QFrame *Panel2;
    QLabel *Label11;
    QLabel *LblCaption;
    TVrkHyperlinkLabel *VrkHyperlinkLabel1;
    QLabel *Label1;
    QLineEdit *EdtTitle;
    QLabel *Label24;
    TMemo *MmoComment;
    QLabel *Label2;
    QComboBox *CmbProfiles;
    QLabel *Label3, *Label4, *Label5;
    QLabel *lblDa, *Lbls, *LblBo, *lbln;
    TVrkDecimalEdit *EdtDa, *EdtDaMin, *EdtDaMax;
    TVrkDecimalEdit *EdtS, *EdtSMin, *EdtSMax;
    TVrkDecimalEdit *EdtBo, *EdtBoMin, *EdtBoMax;
    TVrkDecimalEdit *EdtN, *EdtnMin, *EdtnMax;
    QFrame *Panel1;
    QFrame *PnlCharts;
    QToolBar *ToolBar;
    QPushButton *BtnDoProfile;
    QSlider *BarResolution;
    QLabel *LblZMax;
    QWidget *Panel3;
    TVrkDecimalEdit *EdtZMax;
    TChart *CrtChart;
    QLabel *lblBoOnly;
    QMenu *PopChart;

    QAction *Act3D;
    QAction *ActRotationLeft;
    QAction *ActRotationRight;
    QAction *ActElevationUp;
    QAction *ActElevationDown;
    QAction *ActSetDefault;
    QAction *ActPrint;
    QAction *ActShowPoints;
    QAction *ActFullScreen;
    QAction *ActProfiling;

private:
    // The current variation, about to be changed: what it held when last
    // saved is kept first.
    TArvilo_Var *VariationToChange();
    void BuildInputs(class QGridLayout *grid);
    void BuildToolBar();
    void BuildCharts();
    void BuildActions();
    // The rotation or elevation of the chart moved by a step, then stored.
    void MoveView(int Rotation, int Elevation);
};

extern TFrmPnlParameter *FrmPnlParameter;
