#pragma once

#include <QElapsedTimer>
#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;

// Puts how far a transfer has got into a widget's tooltip and accessible description, e.g.
// "12.3 of 64.0 MiB, 2.0 MiB/s, 26 s left". The transfer only hands over its counts; the text is
// made on a timer a few times a second, so the copying loop pays nothing for it.
class ProgressReadout final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProgressReadout)

public:
    static constexpr int intervalMs = 250;

    explicit ProgressReadout(QWidget *target, QObject *parent = nullptr);

    void start();
    void update(qint64 received, qint64 expected)
    {
        m_received = received;
        m_expected = expected;
    }
    // Gives the widget its own texts back: a finished transfer has nothing to tell.
    void stop();

    // `expected` 0 means unknown; `bytesPerSecond` 0 means not measured yet.
    static QString text(qint64 received, qint64 expected, double bytesPerSecond, const QLocale &locale);

private:
    void refresh();
    void show(const QString &toolTip, const QString &description);

    QPointer<QWidget> m_target;
    QString m_ownToolTip;
    QString m_ownDescription;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_received = 0;
    qint64 m_expected = 0;
    qint64 m_lastReceived = 0;
    qint64 m_lastMs = 0;
    double m_rate = 0;
    bool m_measured = false;
};
