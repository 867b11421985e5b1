#pragma once
// The progress stack on screen: the busy cursor follows the innermost entry,
// and an entry given a progress window sends it throttled updates.
#include "base/VrnAbstract.h"

#include <QWidget>

#include <cstdint>
#include <string>

class QFrame;
class TProgressGauge;

// The window that can show one progress entry.
class TFrmProgress : public QWidget {
    Q_OBJECT

public:
    explicit TFrmProgress(QWidget *parent = nullptr);

    QFrame *PnlMain;
    QWidget *PaintBox;
    TProgressGauge *Gauge;

    virtual void Refresh() {}
    virtual void SetText(const std::string &Text) { (void)Text; }
    // Passes Position on to the gauge (clamped to its range).
    virtual void SetPosition(int Position);

protected:
    void showEvent(QShowEvent *event) override;
};

class TGuiProgressNode : public TProgressNode {
public:
    TFrmProgress *Window = nullptr; // not owned
    TDateTime StartCopy = 0;        // StartTime as of the last position update
    double Elapsed = 0;             // days up to the last position update
    double EstDuration = 0;         // days, 0 without an estimate
    TDateTime EstEnd = 0;           // 0 without an estimate

    // Without a window all four do nothing.
    void SetText(const std::string &Text) override;
    void SetPosition(int Position, int Maximum) override;
    void Refresh() override;
    bool Cancelled() override { return CancelFlag; }
};

class TGuiProgress : public TProgress {
public:
    // The new entry; sets the busy cursor when Options asks for it.
    TProgressNode *CreateNode(std::uint8_t Options, const std::string &Caption, int Max) override;
    // Then the busy cursor when the new innermost entry asks for it, else the default cursor.
    void Stop() override;
};
