#include "accessibility.h"

#include "controls/ccrpprogressbar.h"
#include "controls/xplabel.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QLocale>
#include <QWidget>

namespace Accessibility {

namespace {

const char drawingOnlyProperty[] = "vornDrawingOnly";

bool isDrawingOnly(const QObject *object)
{
    return object->property(drawingOnlyProperty).toBool();
}

// A window or a box of controls, without its drawing-only children.
class ContainerAccessible final : public QAccessibleWidget
{
public:
    ContainerAccessible(QWidget *widget, QAccessible::Role role)
        : QAccessibleWidget(widget, role)
    { }

    int childCount() const override { return int(children().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QWidget *> shown = children();
        return index >= 0 && index < shown.size() ? QAccessible::queryAccessibleInterface(shown.at(index))
                                                  : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child ? int(children().indexOf(qobject_cast<QWidget *>(child->object()))) : -1;
    }

private:
    QList<QWidget *> children() const
    {
        QList<QWidget *> shown;
        for (QObject *object : widget()->children()) {
            auto *child = qobject_cast<QWidget *>(object);
            if (child && !child->isWindow() && !isDrawingOnly(child))
                shown.append(child);
        }
        return shown;
    }
};

// A progress bar with its value would be offered Increase and Decrease by the AT-SPI bridge, which gives
// them to everything with a value, and they would do nothing. A reader finds how far the transfer has
// got in the description instead, which the window keeps current (ProgressTip), and in the value text.
class ProgressBarAccessible final : public QAccessibleWidget
{
public:
    explicit ProgressBarAccessible(CcrpProgressBar *bar)
        : QAccessibleWidget(bar, QAccessible::ProgressBar)
    { }

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Value) {
            //: A progress bar's value as a screen reader reads it: the number and the locale's percent
            //: sign, "42%".
            return QCoreApplication::translate("Accessibility", "%1%2")
                .arg(QLocale().toString(static_cast<CcrpProgressBar *>(widget())->value()),
                    QLocale().percent());
        }
        return QAccessibleWidget::text(type);
    }
};

class LabelAccessible final : public QAccessibleWidget
{
public:
    explicit LabelAccessible(XpLabel *label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    { }

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Name)
            return static_cast<XpLabel *>(widget())->caption();
        return QAccessibleWidget::text(type);
    }
    // The window's description makes the styled labels disabled so that they take no input; their text is as
    // readable as any.
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.disabled = false;
        return state;
    }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    // Only for the object's own class: a widget being destroyed has become a plain QWidget by the time
    // it reports its destruction, and Qt's own factory takes care of it then.
    if (!object || !object->isWidgetType() || className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (auto *bar = qobject_cast<CcrpProgressBar *>(object))
        return new ProgressBarAccessible(bar);
    if (auto *label = qobject_cast<XpLabel *>(object))
        return new LabelAccessible(label);
    // The windows and the boxes holding their controls, without the drawing-only children. Qt would
    // present them as a nameless client area and a border.
    if (className == QLatin1String("QFrame"))
        return new ContainerAccessible(widget, QAccessible::Pane);
    if (className == QLatin1String("Form1") || className == QLatin1String("FrmAbout"))
        return new ContainerAccessible(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

void setDrawingOnly(QWidget *widget)
{
    widget->setProperty(drawingOnlyProperty, true);
}

} // namespace Accessibility
