#include "platform/Screen.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <utility>

TScreen &Screen()
{
    static TScreen screen;
    return screen;
}

void TScreen::SetCursor(TCursor Value)
{
    if (Value == FCursor)
        return;
    // At most one override of ours is on Qt's stack at any time, so a change
    // replaces it instead of piling up overrides.
    const bool hadOverride = FCursor != crDefault;
    FCursor = Value;
    if (!qGuiApp)
        return;
    if (hadOverride)
        QGuiApplication::restoreOverrideCursor();
    if (Value == crHourGlass)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

int TScreen::Width() const
{
    if (FixedWidth > 0)
        return FixedWidth;
    const QScreen *s = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    return s ? s->geometry().width() : 0;
}

int TScreen::Height() const
{
    if (FixedHeight > 0)
        return FixedHeight;
    const QScreen *s = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    return s ? s->geometry().height() : 0;
}

void TScreen::SetSize(int AWidth, int AHeight)
{
    FixedWidth = AWidth;
    FixedHeight = AHeight;
}

std::vector<QRect> TScreen::WorkAreas() const
{
    if (!FixedAreas.empty())
        return FixedAreas;
    if (FixedWidth > 0 && FixedHeight > 0)
        return {QRect(0, 0, FixedWidth, FixedHeight)};
    std::vector<QRect> areas;
    if (!qGuiApp)
        return areas;
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (primary)
        areas.push_back(primary->availableGeometry());
    for (const QScreen *s : QGuiApplication::screens())
        if (s != primary)
            areas.push_back(s->availableGeometry());
    return areas;
}

void TScreen::SetWorkAreas(std::vector<QRect> Areas)
{
    FixedAreas = std::move(Areas);
}
