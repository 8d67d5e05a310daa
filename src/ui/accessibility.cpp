#include "accessibility.h"

#include "controls/ccrpprogressbar.h"
#include "controls/xpcombobox.h"
#include "controls/xplabel.h"

#include <QAbstractItemView>
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
    // `name`, where given, stands for the widget's own: the main window is named by the program, not by
    // the title's moving text.
    ContainerAccessible(QWidget *widget, QAccessible::Role role, const QString &name = {})
        : QAccessibleWidget(widget, role)
        , m_name(name)
    { }

    QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Name && !m_name.isEmpty() ? m_name : QAccessibleWidget::text(type);
    }
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

    QString m_name;
};

// The bar's value, 0 to 100, with an event as each whole percent is reached (CcrpProgressBar). The AT-SPI
// bridge offers Increase and Decrease on everything with a value; they do nothing here, which costs less
// than a reader hearing nothing while a transfer runs.
class ProgressBarAccessible final : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit ProgressBarAccessible(CcrpProgressBar *bar)
        : QAccessibleWidget(bar, QAccessible::ProgressBar)
    { }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override { return bar()->value(); }
    void setCurrentValue(const QVariant &) override { }
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

    QString text(QAccessible::Text type) const override
    {
        if (type == QAccessible::Value) {
            //: A progress bar's value as a screen reader reads it: the number and the locale's percent
            //: sign, "42%".
            return QCoreApplication::translate("Accessibility", "%1%2")
                .arg(QLocale().toString(bar()->value()), QLocale().percent());
        }
        return QAccessibleWidget::text(type);
    }

private:
    CcrpProgressBar *bar() const { return static_cast<CcrpProgressBar *>(widget()); }
};

// The tool list is named by its label; the tool picked is its value. Qt's own combo box takes the pick
// for its name on Linux, so a reader would lose the label and hear a name change on every arrow key.
class ComboBoxAccessible final : public QAccessibleWidget
{
public:
    explicit ComboBoxAccessible(XpComboBox *combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox)
    { }

    QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Value ? combo()->text() : QAccessibleWidget::text(type);
    }
    // The list that drops down.
    int childCount() const override { return 1; }
    QAccessibleInterface *child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && child->object() == combo()->view() ? 0 : -1;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString &) override
    {
        if (combo()->view()->isVisible())
            combo()->hidePopup();
        else
            combo()->showPopup();
    }

private:
    XpComboBox *combo() const { return static_cast<XpComboBox *>(widget()); }
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
    if (auto *combo = qobject_cast<XpComboBox *>(object))
        return new ComboBoxAccessible(combo);
    // The windows and the boxes holding their controls, without the drawing-only children. Qt would
    // present them as a nameless client area and a border.
    if (className == QLatin1String("QFrame"))
        return new ContainerAccessible(widget, QAccessible::Pane);
    if (className == QLatin1String("Form1"))
        return new ContainerAccessible(widget, QAccessible::Window, QCoreApplication::applicationName());
    if (className == QLatin1String("FrmAbout"))
        return new ContainerAccessible(widget, QAccessible::Window);
    if (className == QLatin1String("Announcer"))
        return new ContainerAccessible(widget, QAccessible::Notification);
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
