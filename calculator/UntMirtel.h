#pragma once
// Mirtel, the calculator: Bo (or n) from S (or N/N0) and Da in the left
// column, S (or N/N0) from Bo (or n) and Da in the right one.
#include <QWidget>
#include <string>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TVrkDecimalEdit;
class TVrkHyperlinkLabel;

// "%8.3g" with the user's decimal separator, without the surrounding blanks.
std::string FormatResult(double Value);

class TFrmMirtel : public QWidget {
    Q_OBJECT
public:
    explicit TFrmMirtel(QWidget *parent = nullptr);

    // Handlers, also called by tests; an exception a handler lets through
    // reaches the error box when the handler runs from a control.
    void FormShow();
    void BtnCalcBoClick();
    void Button2Click();
    void CmbCalcBoChange();
    void CmbCalcCellRatioChange();
    void CmbBo_nChange();
    void CmbCalcCellCountChange();
    void ActAboutExecute();
    void LblVarnekHomeClick();

    QFrame *Panel1;
    QToolButton *SpeedButton1;
    TVrkHyperlinkLabel *LblVarnekHome;
    QFrame *Bevel2;
    QComboBox *CmbCalcBo;
    QLineEdit *EdtSreal;
    QLabel *Label2;
    QLabel *Label1;
    TVrkDecimalEdit *EdtDa;
    QComboBox *CmbCalcCellCount;
    QLineEdit *EdtResultLeft;
    QPushButton *BtnCalcBo;
    QFrame *Bevel1;
    QComboBox *CmbBo_n;
    TVrkDecimalEdit *EdtBo;
    QLabel *Label4;
    QLabel *Label5;
    TVrkDecimalEdit *EdtDaForS;
    QComboBox *CmbCalcCellRatio;
    QLineEdit *EdtResultRight;
    QPushButton *BtnCalcDa;
    QAction *ActAbout;

protected:
    void showEvent(QShowEvent *event) override;

private:
    double ReadSreal() const;
};

extern TFrmMirtel *FrmMirtel;
