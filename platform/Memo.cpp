#include "platform/Memo.h"

#include "platform/SystemText.h"

#include <QTextDocument>

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
