#pragma once

#include <QColor>
#include <QPalette>
#include <QRect>
#include <QString>

#include <QList>

#include <cstddef>
#include <span>
#include <string_view>

class CcrpProgressBar;
class PlainLabel;
class QFrame;
class QLabel;
class QWidget;
class UcAniGif;
class XpButton;
class XpComboBox;
class XpLabel;

// Windows are written down as data: the window's own settings and one row per control. Positions and
// sizes are in twips, relative to the client area of the control's container, and converted to logical
// pixels in exactly one place.
constexpr int twipsPerPixel = 15;
constexpr int twipsToPixels(int twips)
{
    return twips / twipsPerPixel;
}

// A colour as the window's description holds it: &H00BBGGRR& for a fixed colour, &H800000nn& for system
// colour nn.
struct StoredColor
{
    quint32 value = 0;
    QColor resolve(const QPalette &palette) const;
};
constexpr StoredColor systemWindowText{0x80000008u};
constexpr StoredColor systemButtonFace{0x8000000Fu};
constexpr StoredColor systemButtonText{0x80000012u};

struct FontDescription
{
    const char16_t *family = nullptr; // nullptr: the container's font
    double pointSize = 0;
    bool bold = false;
};

enum class ControlKind {
    Container, // picture box holding other controls
    ComboBox, // styled drop-down list
    PictureButton, // styled button showing only a picture
    StyledLabel,
    Label, // plain label with an opaque background
    ProgressBar,
    Image, // picture shown at its own size
    Animation, // animated GIF that plays by itself
    Line, // left/top/width/height hold X1, Y1, X2, Y2
};

struct ControlDescription
{
    const char *name;
    ControlKind kind;
    const char *container = nullptr; // nullptr: the window's client area
    int left, top, width, height;
    const char16_t *text = nullptr; // caption, or the combo box's text
    FontDescription font = {};
    StoredColor foreColor = systemButtonText;
    const char *picture = nullptr; // resource path
    int tabIndex = -1; // -1: takes no part in the tab order
    bool visible = true;
    // In the user's language: marked with QT_TRANSLATE_NOOP in the context below.
    const char *toolTip = nullptr; // also the accessible name of picture buttons
    const char *accessibleName = nullptr; // what a screen reader calls a control that has no tool tip
    const char *description = nullptr; // what a screen reader says a control does, beyond its name
};

// The translation context of the controls' tool tips, accessible names and descriptions. The windows'
// captions are drawn as designed, in every language.
inline constexpr char controlTextsContext[] = "WindowDescription";

struct WindowDescription
{
    const char16_t *caption;
    int clientWidth, clientHeight; // twips
    StoredColor background;
    const char *icon; // resource path, or nullptr
    std::span<const ControlDescription> controls;
};

// The class buildWindow makes for each kind of control.
template <ControlKind> struct WidgetOfKind;
template <> struct WidgetOfKind<ControlKind::Container>
{
    using type = QFrame;
};
template <> struct WidgetOfKind<ControlKind::ComboBox>
{
    using type = XpComboBox;
};
template <> struct WidgetOfKind<ControlKind::PictureButton>
{
    using type = XpButton;
};
template <> struct WidgetOfKind<ControlKind::StyledLabel>
{
    using type = XpLabel;
};
template <> struct WidgetOfKind<ControlKind::Label>
{
    using type = PlainLabel;
};
template <> struct WidgetOfKind<ControlKind::ProgressBar>
{
    using type = CcrpProgressBar;
};
template <> struct WidgetOfKind<ControlKind::Image>
{
    using type = QLabel;
};
template <> struct WidgetOfKind<ControlKind::Animation>
{
    using type = UcAniGif;
};
template <> struct WidgetOfKind<ControlKind::Line>
{
    using type = QWidget;
};

// The controls buildWindow made, one per row of the description, in its order.
using BuiltControls = QList<QWidget *>;

// Creates the window's controls from its description, with their names, places, texts, fonts, colours,
// pictures, visibility and tab order, and sizes the window's client area.
BuiltControls buildWindow(QWidget *window, const WindowDescription &description);

// The row of `table` that describes the control `name`. Used where it is a constant, a name that is
// not in the table does not compile.
template <std::size_t rows>
constexpr std::size_t rowOf(const ControlDescription (&table)[rows], std::string_view name)
{
    for (std::size_t row = 0; row < rows; ++row) {
        if (std::string_view(table[row].name) == name)
            return row;
    }
    throw "no control of that name";
}

// The control built from row `row` of `table`, as the class its kind makes (the classes' headers are
// needed where it is used).
template <const auto &table, std::size_t row> auto *builtControl(const BuiltControls &built)
{
    return static_cast<typename WidgetOfKind<table[row].kind>::type *>(built.at(qsizetype(row)));
}

// The rectangle a control occupies, in logical pixels relative to its container's client area.
QRect pixelRect(const ControlDescription &control);
