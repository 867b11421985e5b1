#include "base/VrnProgressGui.h"

#include "base/VrnCmpStandard.h"
#include "platform/Clock.h"
#include "platform/Screen.h"

#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

TFrmProgress::TFrmProgress(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName("FrmProgress");
    setWindowTitle("Progress Form");
    setFixedSize(313, 98);

    PnlMain = new QFrame(this);
    PnlMain->setObjectName("PnlMain");
    PnlMain->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PnlMain->setLineWidth(2);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(PnlMain);

    PaintBox = new QWidget(PnlMain);
    PaintBox->setObjectName("PaintBox");
    auto *inner = new QVBoxLayout(PnlMain);
    inner->setContentsMargins(2, 2, 2, 2);
    inner->addWidget(PaintBox);

    Gauge = new TProgressGauge(PaintBox);
    Gauge->setObjectName("Gauge");
    auto *box = new QVBoxLayout(PaintBox);
    box->setContentsMargins(8, 8, 8, 8);
    box->addStretch();
    box->addWidget(Gauge);
}

void TFrmProgress::SetPosition(int Position)
{
    Gauge->SetPosition(Position);
}

void TFrmProgress::showEvent(QShowEvent *event)
{
    // Centred on the screen.
    if (const QScreen *s = QGuiApplication::primaryScreen()) {
        const QRect r = s->availableGeometry();
        move(r.center() - rect().center());
    }
    QWidget::showEvent(event);
}

namespace {

// The owner's interval; an entry outside a stack uses the stack's default.
std::uint32_t IntervalOf(const TListNode *node)
{
    const auto *owner = dynamic_cast<const TProgress *>(node->Owner);
    return static_cast<std::uint32_t>(owner ? owner->UpdateInterval : 500);
}

} // namespace

void TGuiProgressNode::SetText(const std::string &Text)
{
    if (!Window)
        return;
    const std::uint32_t ticks = GetTickCount();
    if (ticks > NextTextTick) {
        Window->SetText(Text);
        NextTextTick = ticks + IntervalOf(this);
    }
}

void TGuiProgressNode::SetPosition(int Position, int Maximum)
{
    if (!Window)
        return;
    Max = Maximum;
    const std::uint32_t ticks = GetTickCount();
    if (ticks <= NextPosTick)
        return;
    StartCopy = StartTime;
    const TDateTime now = Now();
    Elapsed = now - StartTime;
    EstimateTotal(Position, Maximum, EstDuration, StartCopy, now);
    EstEnd = EstDuration > 0 ? StartCopy + EstDuration : 0;
    Window->SetPosition(Position);
    NextPosTick = ticks + IntervalOf(this);
}

void TGuiProgressNode::Refresh()
{
    if (Window)
        Window->Refresh();
}

TProgressNode *TGuiProgress::CreateNode(std::uint8_t Options, const std::string &Caption, int Max)
{
    (void)Caption;
    auto *node = new TGuiProgressNode;
    node->StartTime = Now();
    node->Options = Options;
    node->Max = Max;
    node->CancelFlag = false;
    if (Options & poHourGlass)
        Screen().SetCursor(crHourGlass);
    return node;
}

void TGuiProgress::Stop()
{
    TProgress::Stop();
    const auto *inner = static_cast<const TProgressNode *>(Last);
    Screen().SetCursor(inner && (inner->Options & poHourGlass) ? crHourGlass : crDefault);
}
