#include "skin.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

namespace {

const char appliedProperty[] = "vornSkinApplied";

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
        // A change of style re-polishes the palette; the colours a window stores are kept.
        const QPalette stored = widget->palette();
        const bool storedColours = widget->testAttribute(Qt::WA_SetPalette);
        widget->setStyle(style);
        if (storedColours)
            widget->setPalette(stored);
    }
    window->setProperty(appliedProperty, true);
    return true;
}

bool Skin::isApplied(const QWidget *window)
{
    return window && window->property(appliedProperty).toBool();
}
