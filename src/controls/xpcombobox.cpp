#include "xpcombobox.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOptionComboBox>

XpComboBox::XpComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(false);
    setFocusPolicy(Qt::StrongFocus);
    setMaxVisibleItems(12);
    // The text the description gives is the field's ordinary content, not a greyed hint.
    QPalette pal = palette();
    pal.setColor(QPalette::PlaceholderText, pal.color(QPalette::ButtonText));
    setPalette(pal);
}

QString XpComboBox::text() const
{
    return currentIndex() < 0 ? placeholderText() : currentText();
}

void XpComboBox::setText(const QString &text)
{
    setPlaceholderText(text);
    setCurrentIndex(-1);
}

void XpComboBox::showPopup()
{
    // The list opens in a window of its own, and the style draws its rows as menu items: both take the
    // desktop's menu colours for every colour not set on them, under a dark theme a dark list with no
    // visible highlighted row over the light window. They get every colour of the field they drop from.
    QPalette face = palette();
    face.setResolveMask(~QPalette::ResolveMask(0));
    view()->window()->setPalette(face);
    view()->setPalette(face);
    QComboBox::showPopup();
}

void XpComboBox::paintEvent(QPaintEvent *event)
{
    QComboBox::paintEvent(event);
    if (!hasFocus())
        return;
    // A dotted black frame inside the border round the text, as the picture buttons have: the style's own
    // is a faint tint.
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QRect field
        = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(QPoint(3, 3), QPoint(field.right(), height() - 4)));
}
