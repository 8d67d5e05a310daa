#include "announcer.h"

#include <QLabel>

Announcer::Announcer(QWidget *parent)
    : QWidget(parent)
    , m_line(new QLabel(this))
{
    setObjectName(QStringLiteral("announcer"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // A pixel, not none: a widget of no size is not showing, and readers let it pass unspoken.
    setGeometry(0, 0, 1, 1);
    m_line->setGeometry(0, 0, 1, 1);
    m_line->setTextFormat(Qt::PlainText);
    hide();
}

void Announcer::announce(const QString &line)
{
    // Hidden and shown again, so that a line said twice (the same tool picked again) is heard twice.
    hide();
    m_line->setText(line);
    setAccessibleName(line);
    show();
    lower();
}

QString Announcer::line() const
{
    return m_line->text();
}
