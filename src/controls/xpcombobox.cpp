#include "xpcombobox.h"

XpComboBox::XpComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(false);
    setFocusPolicy(Qt::StrongFocus);
    setMaxVisibleItems(12);
    // The stored text is the field's ordinary content, not a greyed hint.
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
