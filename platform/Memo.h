#pragma once
// A multi-line text box over a stored code-page text. The box shows every kind
// of line break alike and hands some bytes back changed (0xA0 as a blank), so
// a text the user did not change comes back with exactly its stored bytes,
// and an edited one with the line breaks the files use (CR LF).
#include <QPlainTextEdit>
#include <string>

class TMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TMemo(QWidget *parent = nullptr);

    void SetText(const std::string &Text);
    std::string Text() const;

private:
    std::string FStored; // the bytes last given to SetText
    QString FShown;      // the box's own text right after that
};
