#include "platform/Memo.h"

#include "platform/SystemText.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTextDocument>
#include <QValidator>

namespace {

class TCodePageValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override
    {
        const QString held = InCodePage(input);
        if (held != input) {
            // One '?' for a pair of surrogates before the cursor.
            pos = static_cast<int>(FromQ(input.left(pos)).size());
            input = held;
        }
        return Acceptable;
    }
};

} // namespace

TMemo::TMemo(QWidget *parent)
    : QPlainTextEdit(parent)
{
}

void TMemo::SetText(const std::string &Text)
{
    setPlainText(ToQ(Text));
    FStored = Text;
    FShown = document()->toRawText();
}

std::string TMemo::Text() const
{
    // The raw text keeps what the plain text turns into blanks, so any edit shows.
    const QString raw = document()->toRawText();
    if (raw == FShown)
        return FStored;
    QString text;
    text.reserve(raw.size());
    for (const QChar c : raw) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            text += QStringLiteral("\r\n");
        else
            text += c;
    }
    return FromQ(text);
}

void TMemo::keyPressEvent(QKeyEvent *event)
{
    const QString held = InCodePage(event->text());
    if (held == event->text()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    QKeyEvent replaced(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                       event->nativeVirtualKey(), event->nativeModifiers(), held, event->isAutoRepeat(),
                       event->count(), event->device());
    QPlainTextEdit::keyPressEvent(&replaced);
    event->setAccepted(replaced.isAccepted());
}

void TMemo::inputMethodEvent(QInputMethodEvent *event)
{
    const QString held = InCodePage(event->commitString());
    if (held == event->commitString()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent replaced(event->preeditString(), event->attributes());
    replaced.setCommitString(held, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&replaced);
    event->setAccepted(replaced.isAccepted());
}

void TMemo::insertFromMimeData(const QMimeData *source)
{
    // As plain text only: nothing else of the source gets past the filter.
    if (!source->hasText())
        return;
    QMimeData held;
    held.setText(InCodePage(source->text()));
    QPlainTextEdit::insertFromMimeData(&held);
}

void KeepToCodePage(QLineEdit *Edit, int Capacity)
{
    Edit->setValidator(new TCodePageValidator(Edit));
    // One byte a character in the code page: the limit is the stored one.
    Edit->setMaxLength(Capacity);
}
