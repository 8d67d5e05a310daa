#pragma once

#include <QWidget>

class QLabel;

// Says a line to a screen reader without taking the focus: the pick in the closed tool list, how a download
// ended. Each line is a notification that appears and holds the line as its text, which screen readers
// speak as it shows, wherever the focus is. Nothing is drawn: it is as small as a widget can be.
class Announcer final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Announcer)

public:
    explicit Announcer(QWidget *parent);

    void announce(const QString &line);
    QString line() const;

private:
    QLabel *m_line = nullptr;
};
