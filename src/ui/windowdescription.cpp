#include "windowdescription.h"

#include "accessibility.h"
#include "controls/ccrpprogressbar.h"
#include "controls/plainlabel.h"
#include "controls/skin.h"
#include "controls/ucanigif.h"
#include "controls/xpbutton.h"
#include "controls/xpcombobox.h"
#include "controls/xplabel.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHash>
#include <QLabel>
#include <QWidget>

#include <algorithm>
#include <map>

QColor StoredColor::resolve(const QPalette &palette) const
{
    if (value & 0x80000000u) {
        switch (value & 0xFFu) {
        case 0x08:
            return palette.color(QPalette::WindowText);
        case 0x0F:
            return palette.color(QPalette::Button);
        case 0x12:
            return palette.color(QPalette::ButtonText);
        default:
            return palette.color(QPalette::WindowText);
        }
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QRect pixelRect(const ControlDescription &control)
{
    if (control.kind == ControlKind::Line) {
        const int x1 = twipsToPixels(std::min(control.left, control.width));
        const int x2 = twipsToPixels(std::max(control.left, control.width));
        const int y1 = twipsToPixels(std::min(control.top, control.height));
        const int y2 = twipsToPixels(std::max(control.top, control.height));
        return QRect(QPoint(x1, y1), QPoint(x2, y2));
    }
    return QRect(twipsToPixels(control.left), twipsToPixels(control.top), twipsToPixels(control.width),
        twipsToPixels(control.height));
}

namespace {

QString translated(const char *controlText)
{
    return QCoreApplication::translate(controlTextsContext, controlText);
}

// A container's client area starts inside its border.
QPoint clientOrigin(QWidget *container)
{
    if (auto *frame = qobject_cast<QFrame *>(container))
        return frame->contentsRect().topLeft();
    return {};
}

// A picture the window's description names, or its "@2x" rendering where the window has more than one device
// pixel to the pixel, so pictures stay sharp on high-resolution screens.
QPixmap loadPicture(const char *path, const QWidget *window)
{
    const QString named = QString::fromLatin1(path);
    if (window->devicePixelRatioF() > 1 && named.endsWith(QLatin1String(".png"))) {
        QPixmap doubled(named.chopped(4) + QLatin1String("@2x.png"));
        if (!doubled.isNull()) {
            doubled.setDevicePixelRatio(2);
            return doubled;
        }
    }
    return QPixmap(named);
}

QWidget *createControl(const ControlDescription &control, QWidget *parent)
{
    const QString text = control.text ? QString::fromUtf16(control.text) : QString();
    switch (control.kind) {
    case ControlKind::Container: {
        auto *frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
        // Button face rather than the window's colour; children then inherit it as their background.
        QPalette palette = frame->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Button));
        frame->setPalette(palette);
        frame->setAutoFillBackground(true);
        return frame;
    }
    case ControlKind::ComboBox: {
        auto *combo = new XpComboBox(parent);
        combo->setText(text);
        return combo;
    }
    case ControlKind::PictureButton: {
        auto *button = new XpButton(parent);
        if (control.picture)
            button->setPicture(loadPicture(control.picture, parent));
        return button;
    }
    case ControlKind::StyledLabel: {
        auto *label = new XpLabel(parent);
        label->setCaption(text);
        label->setForeColor(control.foreColor.resolve(parent->palette()));
        label->setEnabled(false);
        return label;
    }
    case ControlKind::Label: {
        auto *label = new PlainLabel(text, parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Button));
        palette.setColor(QPalette::WindowText, control.foreColor.resolve(palette));
        label->setPalette(palette);
        return label;
    }
    case ControlKind::ProgressBar:
        return new CcrpProgressBar(parent);
    case ControlKind::Image: {
        auto *image = new QLabel(parent);
        image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (control.picture)
            image->setPixmap(loadPicture(control.picture, parent));
        return image;
    }
    case ControlKind::Animation: {
        auto *animation = new UcAniGif(parent);
        if (control.picture)
            animation->setGif(QString::fromLatin1(control.picture));
        return animation;
    }
    case ControlKind::Line: {
        auto *line = new QWidget(parent);
        Accessibility::setDrawingOnly(line);
        line->setAutoFillBackground(true);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Window, control.foreColor.resolve(palette));
        line->setPalette(palette);
        return line;
    }
    }
    return nullptr;
}

Qt::Alignment alignmentOf(const QWidget *label)
{
    if (const auto *styled = qobject_cast<const XpLabel *>(label))
        return styled->alignment();
    if (const auto *plain = qobject_cast<const PlainLabel *>(label))
        return plain->alignment();
    return {};
}

} // namespace

BuiltControls buildWindow(QWidget *window, const WindowDescription &description)
{
    window->setWindowTitle(QString::fromUtf16(description.caption));
    if (description.icon)
        window->setWindowIcon(QIcon(QString::fromLatin1(description.icon)));
    // System colours are the skin's, so a dark desktop theme leaves the window as designed.
    QPalette palette = Skin::palette();
    palette.setColor(QPalette::Window, description.background.resolve(palette));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    window->resize(twipsToPixels(description.clientWidth), twipsToPixels(description.clientHeight));

    BuiltControls built;
    QHash<QByteArray, QWidget *> created;
    std::map<int, QWidget *> tabOrder;
    QList<QWidget *> labels;
    for (const ControlDescription &control : description.controls) {
        QWidget *parent = control.container ? created.value(control.container) : window;
        Q_ASSERT_X(parent, control.name, "a container must come before its controls");
        QWidget *widget = createControl(control, parent);
        widget->setObjectName(QLatin1String(control.name));
        if (control.font.family) {
            QFont font(QString::fromUtf16(control.font.family));
            font.setPointSizeF(control.font.pointSize);
            font.setBold(control.font.bold);
            widget->setFont(font);
        }
        if (control.toolTip) {
            const QString toolTip = translated(control.toolTip);
            widget->setToolTip(toolTip);
            widget->setAccessibleName(toolTip);
        }
        if (control.accessibleName)
            widget->setAccessibleName(translated(control.accessibleName));
        // Without one of its own a control's description is its tool tip, for a picture button its name.
        if (control.description)
            widget->setAccessibleDescription(translated(control.description));
        QRect rect = pixelRect(control);
        if (control.kind == ControlKind::Line)
            rect.setSize(rect.size().expandedTo(QSize(1, 1)));
        widget->setGeometry(rect.translated(clientOrigin(parent)));
        widget->setVisible(control.visible);
        created.insert(control.name, widget);
        built.append(widget);
        if (control.kind == ControlKind::StyledLabel || control.kind == ControlKind::Label)
            labels.append(widget);
        if (control.tabIndex >= 0)
            tabOrder.emplace(control.tabIndex, widget);
    }

    // The boxes the description gives neighbouring labels overlap a little; in a wider font a text would run
    // into the next label's, so it stops where that one begins. Labels side by side in boxes of one height
    // read as one line: each is aligned up or down as the first of them, so all sit on its baseline whichever
    // kind of label each is.
    for (QWidget *label : std::as_const(labels)) {
        int textWidth = label->width();
        const QWidget *first = label;
        for (const QWidget *other : std::as_const(labels)) {
            if (other->parentWidget() != label->parentWidget())
                continue;
            if (other->x() > label->x() && other->geometry().intersects(label->geometry()))
                textWidth = std::min(textWidth, other->x() - label->x());
            if (other->y() == label->y() && other->height() == label->height() && other->x() < first->x())
                first = other;
        }
        const Qt::Alignment vertical = alignmentOf(first) & Qt::AlignVertical_Mask;
        const Qt::Alignment alignment = (alignmentOf(label) & ~Qt::AlignVertical_Mask) | vertical;
        if (auto *styled = qobject_cast<XpLabel *>(label)) {
            styled->setTextWidth(textWidth);
            styled->setAlignment(alignment);
        } else if (auto *plain = qobject_cast<PlainLabel *>(label)) {
            plain->setTextWidth(textWidth);
            plain->setAlignment(alignment);
        }
    }

    // Focus moves in the order of the description's tab indices among the controls that accept it.
    QWidget *previous = nullptr;
    for (const auto &[index, widget] : tabOrder) {
        if (!(widget->focusPolicy() & Qt::TabFocus))
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    return built;
}
