#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class QWidget;

// Keeps a widget's tooltip and accessible description on a text that changes, e.g. how far a transfer
// has got, refreshed a few times a second while it runs; afterwards the widget gets its own texts back.
class ProgressTip final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProgressTip)

public:
    static constexpr int intervalMs = 250;
    using Text = std::function<QString()>;

    ProgressTip(QWidget *target, Text text, QObject *parent = nullptr);

    void start();
    void stop();

private:
    void refresh();
    void show(const QString &toolTip, const QString &description);

    QPointer<QWidget> m_target;
    Text m_text;
    QString m_ownToolTip;
    QString m_ownDescription;
    QTimer m_timer;
};
