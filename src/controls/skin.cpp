#include "skin.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

namespace {

QStyle *skinStyle()
{
    // One style object for the whole program, owned by the application so it outlives every window.
    static QStyle *style = [] {
        QStyle *created = QStyleFactory::create(QStringLiteral("Fusion"));
        created->setParent(qApp);
        return created;
    }();
    return style;
}

} // namespace

Skin::Skin(QObject *parent)
    : QObject(parent)
{ }

bool Skin::apply(WId handle)
{
    QWidget *window = QWidget::find(handle);
    if (!window || !window->isWindow())
        return false;
    QStyle *style = skinStyle();
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *widget : std::as_const(widgets)) {
        // A change of style re-polishes the palette; the colours the window's description set are kept.
        const QPalette described = widget->palette();
        const bool describedColours = widget->testAttribute(Qt::WA_SetPalette);
        widget->setStyle(style);
        if (describedColours)
            widget->setPalette(described);
    }
    return true;
}

QPalette Skin::palette()
{
    // Qt's default palette, as a bare X server without a desktop theme gives it.
    const QColor background(0xEF, 0xEF, 0xEF);
    const QColor dark = background.darker(150);
    const QColor shadow = dark.darker(135);
    QPalette palette(
        Qt::black, background, background.lighter(150), dark, background.darker(130), Qt::black, Qt::white);
    palette.setBrush(QPalette::Midlight, background.darker(130).lighter(110));
    palette.setBrush(QPalette::Button, background);
    palette.setBrush(QPalette::Shadow, shadow);
    palette.setBrush(QPalette::HighlightedText, Qt::white);
    palette.setBrush(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xDC));
    palette.setBrush(QPalette::ToolTipText, Qt::black);
    QColor placeholder(Qt::black);
    placeholder.setAlpha(128);
    palette.setBrush(QPalette::PlaceholderText, placeholder);
    palette.setBrush(QPalette::Highlight, QColor(0x30, 0x8C, 0xC6));
    palette.setBrush(QPalette::Disabled, QPalette::Highlight, QColor(0x91, 0x91, 0x91));
    const QColor disabledText(0xBE, 0xBE, 0xBE);
    palette.setBrush(QPalette::Disabled, QPalette::Text, disabledText);
    palette.setBrush(QPalette::Disabled, QPalette::WindowText, disabledText);
    palette.setBrush(QPalette::Disabled, QPalette::ButtonText, disabledText);
    palette.setBrush(QPalette::Disabled, QPalette::Base, background);
    palette.setBrush(QPalette::Disabled, QPalette::Dark, QColor(0xD1, 0xD1, 0xD1).darker(110));
    palette.setBrush(QPalette::Disabled, QPalette::Shadow, shadow.lighter(150));
    return palette;
}
