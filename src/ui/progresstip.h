#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class QWidget;

// Keeps a widget's tooltip and accessible description on a text that changes, e.g. how far a transfer
// has got, refreshed a few times a second while it runs; afterwards on how it ended, until the next one
// starts, so that a finished or cancelled transfer leaves a trace also without a notification service.
// A screen reader hears every change of the description: it changes only as the step does, e.g. at each
// whole percent.
class ProgressTip final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProgressTip)

public:
    static constexpr int intervalMs = 250;
    using Text = std::function<QString()>;
    using Step = std::function<qint64()>;

    ProgressTip(QWidget *target, Text text, Step step, QObject *parent = nullptr);

    void start();
    // Ends the refreshing and shows `outcome` in both places until the next start().
    void showOutcome(const QString &outcome);

private:
    // Keeps the widget's own texts before the first of ours replaces them.
    void hold();
    void refresh();
    void show(const QString &toolTip, const QString &description);

    QPointer<QWidget> m_target;
    Text m_text;
    Step m_step;
    qint64 m_describedStep = -1;
    QString m_ownToolTip;
    QString m_ownDescription;
    bool m_holding = false;
    QTimer m_timer;
};
