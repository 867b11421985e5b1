#pragma once
// A multi-line text box over a stored code-page text. The box shows every kind
// of line break alike and hands some bytes back changed (0xA0 as a blank), so
// a text the user did not change comes back with exactly its stored bytes,
// and an edited one with the line breaks the files use (CR LF).
//
// The fields of stored texts show what a save stores: a character the code
// page cannot hold (an arrow, a Greek letter, an emoji) becomes '?' as it is
// typed, pasted or dropped.
#include <QPlainTextEdit>
#include <string>

class QLineEdit;

class TMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TMemo(QWidget *parent = nullptr);

    void SetText(const std::string &Text);
    std::string Text() const;

protected:
    // The text is changed before it goes in: undo takes back the '?' and
    // never shows the character it stands for.
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override; // paste and drop

private:
    std::string FStored; // the bytes last given to SetText
    QString FShown;      // the box's own text right after that
};

// The same for a line edit, whose every change its validator sees, however
// it came. Once a character is replaced, undo cannot reach the edits before.
// The edit takes at most Capacity characters, as many as the text stores.
void KeepToCodePage(QLineEdit *Edit, int Capacity);
