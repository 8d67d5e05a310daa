#include "form1description.h"

namespace {

using K = ControlKind;

constexpr FontDescription msSansSerif{u"MS Sans Serif", 8.25, false};
constexpr FontDescription msSansSerifBold{u"MS Sans Serif", 9.75, true};
constexpr FontDescription tahoma{u"Tahoma", 8.25, false};
constexpr StoredColor blue{0x00FF0000u};
constexpr StoredColor black{0x00000000u};

constexpr const char *picture1 = "Picture1";

// Controls are listed container first; tab indices are the stored ones.
constexpr ControlDescription controls[] = {
    {"Picture1", K::Container, nullptr, 120, 120, 6975, 3615, nullptr, {}, systemButtonText, nullptr, 0},
    {"Combo1", K::ComboBox, picture1, 120, 120, 6615, 375, u"VORN Tools Downloader", msSansSerif,
        systemButtonText, nullptr, 2, true, nullptr,
        QT_TRANSLATE_NOOP("WindowDescription", "Tool to download")},
    {"xpButton4", K::PictureButton, picture1, 2760, 720, 735, 735, nullptr, tahoma, systemButtonText,
        ":/vorn/download.png", 6, true, QT_TRANSLATE_NOOP("WindowDescription", "Download")},
    {"xpButton3", K::PictureButton, picture1, 3720, 720, 735, 735, nullptr, tahoma, systemButtonText,
        ":/vorn/cancel.png", 5, true, QT_TRANSLATE_NOOP("WindowDescription", "Cancel")},
    {"xpButton2", K::PictureButton, picture1, 4800, 720, 855, 735, nullptr, tahoma, systemButtonText,
        ":/vorn/about.png", 4, true, QT_TRANSLATE_NOOP("WindowDescription", "About")},
    {"xpButton1", K::PictureButton, picture1, 5880, 720, 735, 735, nullptr, tahoma, systemButtonText,
        ":/vorn/exit.png", 3, true, QT_TRANSLATE_NOOP("WindowDescription", "Exit")},
    {"Label1", K::StyledLabel, picture1, 240, 1680, 2415, 375, u"Now...", {u"Arial", 8.25, true}, black,
        nullptr, 1, false},
    {"xpLabel1", K::StyledLabel, picture1, 240, 1680, 1575, 375, u"Progress >>>", {u"Arial", 9.75, true},
        black, nullptr, 7},
    {"ProgressBar1", K::ProgressBar, picture1, 2640, 1680, 4095, 375, nullptr, msSansSerif, systemButtonText,
        nullptr, -1, true, QT_TRANSLATE_NOOP("WindowDescription", "Progress")},
    {"Image1", K::Image, picture1, 120, 2160, 4455, 810, nullptr, {}, systemButtonText, ":/vorn/banner.png"},
    {"ucAniGIF1", K::Animation, picture1, 5400, 2400, 1350, 420, nullptr, {}, systemButtonText,
        ":/vorn/davrin.gif"},
    {"Line9", K::Line, picture1, 120, 3000, 6720, 3000, nullptr, {}, systemWindowText},
    {"Line10", K::Line, picture1, 120, 3480, 6720, 3480, nullptr, {}, systemWindowText},
    {"Line11", K::Line, picture1, 120, 3000, 120, 3480, nullptr, {}, systemWindowText},
    {"Line12", K::Line, picture1, 6720, 3000, 6720, 3480, nullptr, {}, systemWindowText},
    {"Line13", K::Line, picture1, 3840, 3000, 3840, 3480, nullptr, {}, systemWindowText},
    {"Line14", K::Line, picture1, 2040, 3000, 2040, 3480, nullptr, {}, systemWindowText},
    {"Line1", K::Line, picture1, 4680, 600, 2640, 600, nullptr, {}, systemWindowText},
    {"Line2", K::Line, picture1, 4680, 600, 4680, 1560, nullptr, {}, systemWindowText},
    {"Line3", K::Line, picture1, 4680, 1560, 2640, 1560, nullptr, {}, systemWindowText},
    {"Line4", K::Line, picture1, 2640, 600, 2640, 1560, nullptr, {}, systemWindowText},
    {"Line5", K::Line, picture1, 6720, 600, 4680, 600, nullptr, {}, systemWindowText},
    {"Line6", K::Line, picture1, 6720, 1560, 4680, 1560, nullptr, {}, systemWindowText},
    {"Line7", K::Line, picture1, 6720, 600, 6720, 1560, nullptr, {}, systemWindowText},
    {"Line8", K::Line, nullptr, 2040, 0, 0, 0, nullptr, {}, systemWindowText},
    {"Label2", K::Label, picture1, 240, 3120, 975, 255, u"Time : =", msSansSerifBold, blue, nullptr, 8},
    {"Label5", K::StyledLabel, picture1, 1080, 3120, 975, 255, u"", msSansSerifBold, blue, nullptr, 11},
    {"Label3", K::Label, picture1, 2040, 3120, 855, 255, u" Date : =", msSansSerifBold, blue, nullptr, 9},
    {"Label4", K::Label, picture1, 2880, 3120, 855, 255, u"", msSansSerifBold, blue, nullptr, 10},
    {"xpLabel3", K::StyledLabel, picture1, 3960, 3000, 2775, 495, u"Coded By DAVRIN", {u"NSimSun", 18, true},
        blue, nullptr, 12},
};

constexpr WindowDescription form1{
    u"::::::: VORN Tools Downloader V1.0.0 ::::::::::: By ::::::::::: DAVRIN :::::::::::::",
    7215,
    3825,
    StoredColor{0x00C0C000u},
    ":/vorn/form1-icon.png",
    controls,
};

} // namespace

const WindowDescription &form1Description()
{
    return form1;
}
