#include "form1description.h"

#include "controls/ccrpprogressbar.h"
#include "controls/plainlabel.h"
#include "controls/ucanigif.h"
#include "controls/xpbutton.h"
#include "controls/xpcombobox.h"
#include "controls/xplabel.h"

#include <QFrame>

namespace {

using K = ControlKind;

constexpr FontDescription msSansSerif{.family = u"MS Sans Serif", .pointSize = 8.25, .bold = false};
constexpr FontDescription msSansSerifBold{.family = u"MS Sans Serif", .pointSize = 9.75, .bold = true};
constexpr FontDescription tahoma{.family = u"Tahoma", .pointSize = 8.25, .bold = false};
constexpr StoredColor blue{0x00FF0000u};
constexpr StoredColor black{0x00000000u};

constexpr const char *picture1 = "Picture1";

// Controls are listed container first; tab indices are the ones the window was designed with.
// One row per control, wrapped by hand.
// clang-format off
constexpr ControlDescription controls[] = {
    {.name = "Picture1", .kind = K::Container, .left = 120, .top = 120, .width = 6975, .height = 3615,
        .tabIndex = 0},
    {.name = "Combo1", .kind = K::ComboBox, .container = picture1, .left = 120, .top = 120, .width = 6615,
        .height = 375, .text = u"VORN Tools Downloader", .font = msSansSerif, .tabIndex = 2,
        .accessibleName = QT_TRANSLATE_NOOP("WindowDescription", "Tool to download")},
    {.name = "xpButton4", .kind = K::PictureButton, .container = picture1, .left = 2760, .top = 720,
        .width = 735, .height = 735, .font = tahoma, .picture = ":/vorn/download.png", .tabIndex = 6,
        .toolTip = QT_TRANSLATE_NOOP("WindowDescription", "Download"),
        .description = QT_TRANSLATE_NOOP("WindowDescription",
            "Fetches the archive of the tool picked in the list")},
    {.name = "xpButton3", .kind = K::PictureButton, .container = picture1, .left = 3720, .top = 720,
        .width = 735, .height = 735, .font = tahoma, .picture = ":/vorn/cancel.png", .tabIndex = 5,
        .toolTip = QT_TRANSLATE_NOOP("WindowDescription", "Cancel"),
        .description = QT_TRANSLATE_NOOP("WindowDescription", "Stops the running download")},
    {.name = "xpButton2", .kind = K::PictureButton, .container = picture1, .left = 4800, .top = 720,
        .width = 855, .height = 735, .font = tahoma, .picture = ":/vorn/about.png", .tabIndex = 4,
        .toolTip = QT_TRANSLATE_NOOP("WindowDescription", "About"),
        .description = QT_TRANSLATE_NOOP("WindowDescription", "Shows who made the program")},
    {.name = "xpButton1", .kind = K::PictureButton, .container = picture1, .left = 5880, .top = 720,
        .width = 735, .height = 735, .font = tahoma, .picture = ":/vorn/exit.png", .tabIndex = 3,
        .toolTip = QT_TRANSLATE_NOOP("WindowDescription", "Exit"),
        .description = QT_TRANSLATE_NOOP("WindowDescription", "Ends the program at once")},
    {.name = "Label1", .kind = K::StyledLabel, .container = picture1, .left = 240, .top = 1680, .width = 2415,
        .height = 375, .text = u"Now...", .font = {.family = u"Arial", .pointSize = 8.25, .bold = true},
        .foreColor = black, .tabIndex = 1, .visible = false},
    {.name = "xpLabel1", .kind = K::StyledLabel, .container = picture1, .left = 240, .top = 1680,
        .width = 1575, .height = 375, .text = u"Progress >>>",
        .font = {.family = u"Arial", .pointSize = 9.75, .bold = true}, .foreColor = black, .tabIndex = 7},
    {.name = "ProgressBar1", .kind = K::ProgressBar, .container = picture1, .left = 2640, .top = 1680,
        .width = 4095, .height = 375, .font = msSansSerif,
        .toolTip = QT_TRANSLATE_NOOP("WindowDescription", "Progress")},
    {.name = "Image1", .kind = K::Image, .container = picture1, .left = 120, .top = 2160, .width = 4455,
        .height = 810, .picture = ":/vorn/banner.png",
        .accessibleName = QT_TRANSLATE_NOOP("WindowDescription", "VORN banner")},
    {.name = "ucAniGIF1", .kind = K::Animation, .container = picture1, .left = 5400, .top = 2400,
        .width = 1350, .height = 420, .picture = ":/vorn/davrin.gif",
        .accessibleName = QT_TRANSLATE_NOOP("WindowDescription", "DAVRIN")},
    {.name = "Line9", .kind = K::Line, .container = picture1, .left = 120, .top = 3000, .width = 6720,
        .height = 3000, .foreColor = systemWindowText},
    {.name = "Line10", .kind = K::Line, .container = picture1, .left = 120, .top = 3480, .width = 6720,
        .height = 3480, .foreColor = systemWindowText},
    {.name = "Line11", .kind = K::Line, .container = picture1, .left = 120, .top = 3000, .width = 120,
        .height = 3480, .foreColor = systemWindowText},
    {.name = "Line12", .kind = K::Line, .container = picture1, .left = 6720, .top = 3000, .width = 6720,
        .height = 3480, .foreColor = systemWindowText},
    {.name = "Line13", .kind = K::Line, .container = picture1, .left = 3840, .top = 3000, .width = 3840,
        .height = 3480, .foreColor = systemWindowText},
    {.name = "Line14", .kind = K::Line, .container = picture1, .left = 2040, .top = 3000, .width = 2040,
        .height = 3480, .foreColor = systemWindowText},
    {.name = "Line1", .kind = K::Line, .container = picture1, .left = 4680, .top = 600, .width = 2640,
        .height = 600, .foreColor = systemWindowText},
    {.name = "Line2", .kind = K::Line, .container = picture1, .left = 4680, .top = 600, .width = 4680,
        .height = 1560, .foreColor = systemWindowText},
    {.name = "Line3", .kind = K::Line, .container = picture1, .left = 4680, .top = 1560, .width = 2640,
        .height = 1560, .foreColor = systemWindowText},
    {.name = "Line4", .kind = K::Line, .container = picture1, .left = 2640, .top = 600, .width = 2640,
        .height = 1560, .foreColor = systemWindowText},
    {.name = "Line5", .kind = K::Line, .container = picture1, .left = 6720, .top = 600, .width = 4680,
        .height = 600, .foreColor = systemWindowText},
    {.name = "Line6", .kind = K::Line, .container = picture1, .left = 6720, .top = 1560, .width = 4680,
        .height = 1560, .foreColor = systemWindowText},
    {.name = "Line7", .kind = K::Line, .container = picture1, .left = 6720, .top = 600, .width = 6720,
        .height = 1560, .foreColor = systemWindowText},
    {.name = "Line8", .kind = K::Line, .left = 2040, .top = 0, .width = 0, .height = 0,
        .foreColor = systemWindowText},
    {.name = "Label2", .kind = K::Label, .container = picture1, .left = 240, .top = 3120, .width = 975,
        .height = 255, .text = u"Time : =", .font = msSansSerifBold, .foreColor = blue, .tabIndex = 8},
    {.name = "Label5", .kind = K::StyledLabel, .container = picture1, .left = 1080, .top = 3120, .width = 975,
        .height = 255, .text = u"", .font = msSansSerifBold, .foreColor = blue, .tabIndex = 11},
    {.name = "Label3", .kind = K::Label, .container = picture1, .left = 2040, .top = 3120, .width = 855,
        .height = 255, .text = u" Date : =", .font = msSansSerifBold, .foreColor = blue, .tabIndex = 9},
    {.name = "Label4", .kind = K::Label, .container = picture1, .left = 2880, .top = 3120, .width = 855,
        .height = 255, .text = u"", .font = msSansSerifBold, .foreColor = blue, .tabIndex = 10},
    {.name = "xpLabel3", .kind = K::StyledLabel, .container = picture1, .left = 3960, .top = 3000,
        .width = 2775, .height = 495, .text = u"Coded By DAVRIN",
        .font = {.family = u"NSimSun", .pointSize = 18, .bold = true}, .foreColor = blue, .tabIndex = 12},
};
// clang-format on
// clang-format on

constexpr WindowDescription form1{
    .caption = u"::::::: VORN Tools Downloader V1.0.0 ::::::::::: By ::::::::::: DAVRIN :::::::::::::",
    .clientWidth = 7215,
    .clientHeight = 3825,
    .background = StoredColor{0x00C0C000u},
    .icon = ":/vorn/form1-icon.png",
    .controls = controls,
};

template <std::size_t row> auto *control(const BuiltControls &built)
{
    return builtControl<controls, row>(built);
}

} // namespace

const WindowDescription &form1Description()
{
    return form1;
}

Form1Controls buildForm1(QWidget *window)
{
    const BuiltControls built = buildWindow(window, form1);
    return {
        .Picture1 = control<rowOf(controls, "Picture1")>(built),
        .Combo1 = control<rowOf(controls, "Combo1")>(built),
        .xpButton1 = control<rowOf(controls, "xpButton1")>(built),
        .xpButton2 = control<rowOf(controls, "xpButton2")>(built),
        .xpButton3 = control<rowOf(controls, "xpButton3")>(built),
        .xpButton4 = control<rowOf(controls, "xpButton4")>(built),
        .Label1 = control<rowOf(controls, "Label1")>(built),
        .xpLabel1 = control<rowOf(controls, "xpLabel1")>(built),
        .Label5 = control<rowOf(controls, "Label5")>(built),
        .xpLabel3 = control<rowOf(controls, "xpLabel3")>(built),
        .Label2 = control<rowOf(controls, "Label2")>(built),
        .Label3 = control<rowOf(controls, "Label3")>(built),
        .Label4 = control<rowOf(controls, "Label4")>(built),
        .Image1 = control<rowOf(controls, "Image1")>(built),
        .ucAniGIF1 = control<rowOf(controls, "ucAniGIF1")>(built),
        .ProgressBar1 = control<rowOf(controls, "ProgressBar1")>(built),
    };
}
