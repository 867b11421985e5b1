#include "base/VrnMiscGui.h"

#include "base/VrnMisc.h"
#include "base/VrnProgressGui.h"
#include "base/VrnSettings.h"
#include "base/VrnStrings.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"
#include "platform/Screen.h"
#include "platform/SystemText.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <climits>
#include <vector>

TGuiProgress *Progress = nullptr;

namespace {

// The unit's life: the progress stack from the start to the end.
struct TUnitLife {
    TUnitLife() { Progress = new TGuiProgress; }
    ~TUnitLife()
    {
        delete Progress;
        Progress = nullptr;
    }
} UnitLife;

int StateOf(const QWidget *Form)
{
    const Qt::WindowStates s = Form->windowState();
    if (s & Qt::WindowMinimized)
        return 1;
    if (s & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 2;
    return 0;
}

// A form whose size is fixed is one of the framework's fixed-border forms.
bool Sizeable(const QWidget *Form)
{
    return Form->minimumSize() != Form->maximumSize();
}

std::string PlacementKey(const QWidget *Form, const TSettings &Settings)
{
    return Settings.FormsSection + "\r" + FromQ(Form->objectName());
}

// How much of a window's top edge a screen must show so that the window can
// be taken by its title bar and moved.
constexpr long long GripHeight = 24;
constexpr long long GripWidth = 100;

// A window at L, T of size W, H whose title bar no screen shows is placed
// on the screen that shows most of it (the primary one when none does),
// within that screen as far as its size allows.
void KeepOnScreen(long long &L, long long &T, long long W, long long H)
{
    const std::vector<QRect> areas = Screen().WorkAreas();
    if (areas.empty())
        return;
    const auto overlap = [](long long a0, long long a1, long long b0, long long b1) {
        return std::max(0LL, std::min(a1, b1) - std::max(a0, b0));
    };
    const long long grip = std::clamp(W, 1LL, GripWidth);
    for (const QRect &a : areas)
        if (T >= a.top() && T + std::min(std::max(H, 1LL), GripHeight) <= a.top() + a.height() &&
            overlap(L, L + std::max(W, 1LL), a.left(), a.left() + a.width()) >= grip)
            return;
    const QRect *best = &areas.front();
    long long bestShown = 0;
    for (const QRect &a : areas) {
        const long long shown = overlap(L, L + W, a.left(), a.left() + a.width()) *
                                overlap(T, T + H, a.top(), a.top() + a.height());
        if (shown > bestShown) {
            bestShown = shown;
            best = &a;
        }
    }
    L = std::max<long long>(std::min(L, best->left() + best->width() - W), best->left());
    T = std::max<long long>(std::min(T, best->top() + best->height() - H), best->top());
}

} // namespace

void SaveFormPlacement(QWidget *Form, TSettings *Settings)
{
    TSettings *settings = Settings ? Settings : UserSettings;
    if (!settings || !Form)
        return;
    const std::string value = std::to_string(Form->x()) + "," + std::to_string(Form->y()) + "," +
                              std::to_string(Form->width()) + "," + std::to_string(Form->height()) + "," +
                              std::to_string(StateOf(Form));
    settings->WriteString(PlacementKey(Form, *settings), value);
}

void RestoreFormPlacement(QWidget *Form, TSettings *Settings)
{
    TSettings *settings = Settings ? Settings : UserSettings;
    if (!settings || !Form)
        return;
    const std::string value = settings->ReadString(PlacementKey(Form, *settings));
    if (value.empty())
        return;
    int state = GetTokenInt(value, ",", 5);
    // Above 2 from the file's own rule; a negative state (hand-edited) likewise.
    if (state > 2 || state < 0)
        state = 0;
    Qt::WindowStates states = Form->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    if (state == 1)
        states |= Qt::WindowMinimized;
    else if (state == 2)
        states |= Qt::WindowMaximized;
    Form->setWindowState(states);
    if (state != 0)
        return;
    // Wide arithmetic: the fields of a damaged entry may be any int.
    long long l = GetTokenInt(value, ",", 1);
    long long t = GetTokenInt(value, ",", 2);
    long long w = GetTokenInt(value, ",", 3);
    long long h = GetTokenInt(value, ",", 4);
    const long long sw = Screen().Width();
    const long long sh = Screen().Height();
    if (sw < l + w) {
        l = sw - 400;
        w = 400;
    }
    if (sh < t + h) {
        t = sh - 400;
        h = 400;
    }
    // The size the window will have: the stored one within the form's bounds,
    // or the form's own.
    const long long shownW = Sizeable(Form) ? std::clamp<long long>(w, Form->minimumWidth(), Form->maximumWidth())
                                            : Form->width();
    const long long shownH = Sizeable(Form) ? std::clamp<long long>(h, Form->minimumHeight(), Form->maximumHeight())
                                            : Form->height();
    KeepOnScreen(l, t, shownW, shownH);
    const auto clampInt = [](long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN / 2, INT_MAX / 2)); };
    Form->move(clampInt(l), clampInt(t));
    if (Sizeable(Form))
        Form->resize(clampInt(w), clampInt(h));
}

int MsgBox(const std::string &Text, int Flags)
{
    Screen().SetCursor(crDefault);
    return ApplicationMessageBox(QApplication::activeWindow(), Text, ApplicationTitle(), Flags);
}
