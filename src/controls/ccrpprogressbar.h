#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>

// A flat progress bar, 0 to 100. When the size of the work is unknown it can show a moving block
// instead; setting a value ends that.
class CcrpProgressBar final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CcrpProgressBar)

public:
    explicit CcrpProgressBar(QWidget *parent = nullptr);

    int value() const { return m_value; }
    void setValue(int value);

    bool isBusy() const { return m_busy; }
    void setBusy(bool busy);

    QColor fillColor() const { return m_fillColor; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_value = 0;
    bool m_busy = false;
    int m_busyPhase = 0;
    QColor m_fillColor{0x40, 0x40, 0x40};
    QTimer m_busyTimer;
    // Holds back the screen reader's value events: see setValue.
    QTimer m_toldTimer;
};
