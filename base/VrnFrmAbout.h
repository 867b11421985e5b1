#pragma once
// The About box of both programs: title, version, the maker and a link to
// the maker's home page, shown modally by ShowAbout.
#include <QDialog>

#include <memory>
#include <string>

// Makes the base library's pictures (the banner) available to QPixmap(":/base/...").
void InitBaseResources();

class QFrame;
class QLabel;
class QPushButton;
class TVrkHyperlinkLabel;

class TFrmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TFrmAbout(QWidget *parent = nullptr);

    QLabel *Image1;
    QLabel *LblAppTitle;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    TVrkHyperlinkLabel *LblHomepage;
    QPushButton *BtnOK;
    QLabel *Label5;
    QLabel *LblVersion;
    QFrame *Shape1;
    QFrame *Shape2;
    QFrame *Shape3;

public slots:
    void LblHomepageClick();
    // Escape presses the OK button: the box has only the one result.
    void reject() override;
};

namespace VrnFrmAboutDetail {
void ShowAboutForm(std::unique_ptr<TFrmAbout> Form, const std::string &Title, const std::string &Version);
}

// Creates an AboutClass box, fills in Title and Version, shows it modally and
// frees it when it is closed (also when a step throws).
template <class AboutClass = TFrmAbout>
void ShowAbout(const std::string &Title, const std::string &Version)
{
    VrnFrmAboutDetail::ShowAboutForm(std::make_unique<AboutClass>(), Title, Version);
}
