#include "frmabout.h"

#include "controls/skin.h"
#include "controls/xpbutton.h"
#include "desktop/desktophints.h"
#include "windowdescription.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QShortcut>

namespace {

using K = ControlKind;

constexpr FontDescription labelFont{.family = u"MS Sans Serif", .pointSize = 8.25, .bold = true};
constexpr FontDescription tahoma{.family = u"Tahoma", .pointSize = 8.25, .bold = false};
constexpr const char *picture1 = "Picture1";

// One row per control, wrapped by hand.
// clang-format off
constexpr ControlDescription controls[] = {
    {.name = "Picture1", .kind = K::Container, .left = 120, .top = 120, .width = 3615, .height = 1335,
        .tabIndex = 0},
    {.name = "xpLabel1", .kind = K::StyledLabel, .container = picture1, .left = 120, .top = 0, .width = 2295,
        .height = 375, .text = u"VORN Tools Downloader ", .font = labelFont, .tabIndex = 2},
    {.name = "xpLabel4", .kind = K::StyledLabel, .container = picture1, .left = 120, .top = 360,
        .width = 1455, .height = 255, .text = u"Version : 1.0.0", .font = labelFont, .tabIndex = 1},
    {.name = "xpLabel2", .kind = K::StyledLabel, .container = picture1, .left = 120, .top = 600,
        .width = 2055, .height = 375, .text = u"Devlopped By DAVRIN", .font = labelFont, .tabIndex = 3},
    {.name = "xpLabel3", .kind = K::StyledLabel, .container = picture1, .left = 120, .top = 960,
        .width = 2655, .height = 255, .text = u"Contact me at : ", .font = labelFont, .tabIndex = 4},
    {.name = "xpButton2", .kind = K::PictureButton, .container = picture1, .left = 2640, .top = 120,
        .width = 855, .height = 735, .font = tahoma, .picture = ":/vorn/about-close.png", .tabIndex = 5,
        .toolTip = QT_TRANSLATE_NOOP("WindowDescription", "Close"),
        .description = QT_TRANSLATE_NOOP("WindowDescription", "Closes this window")},
};
// clang-format on
// clang-format on

constexpr WindowDescription frmAbout{.caption = u"About",
    .clientWidth = 3855,
    .clientHeight = 1575,
    .background = systemButtonFace,
    .icon = nullptr,
    .controls = controls};

// Where the client area's top-left corner sits, from the screen's top-left corner.
constexpr int placeLeft = 2340;
constexpr int placeTop = 1935;

} // namespace

FrmAbout::FrmAbout(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    // A fixed dialog with a close box only, and no task bar entry.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // No icon: without one of its own a window gets the desktop's generic icon, so it gets a clear one.
    QPixmap clear(16, 16);
    clear.fill(Qt::transparent);
    setWindowIcon(QIcon(clear));
    setAttribute(Qt::WA_DeleteOnClose);
    // While it is open the program keeps running, even with the main window closed.
    setAttribute(Qt::WA_QuitOnClose);
    // Drawn as designed in every language, as the main window is.
    setLayoutDirection(Qt::LeftToRight);
    const BuiltControls built = buildWindow(this, frmAbout);
    setFixedSize(size());
    const QPoint screenOrigin = QGuiApplication::primaryScreen()
        ? QGuiApplication::primaryScreen()->geometry().topLeft()
        : QPoint();
    setGeometry(QRect(screenOrigin + QPoint(twipsToPixels(placeLeft), twipsToPixels(placeTop)), size()));

    xpButton2 = builtControl<controls, rowOf(controls, "xpButton2")>(built);
    Skin1 = new Skin(this);
    Skin1->setObjectName(QStringLiteral("Skin1"));
    connect(xpButton2, &XpButton::clicked, this, &QWidget::close);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    Form_Load();
    DesktopHints::keepOffTaskBar(this);
    DesktopHints::refuseMaximise(this);
}

void FrmAbout::Form_Load()
{
    Skin1->apply(winId());
}
