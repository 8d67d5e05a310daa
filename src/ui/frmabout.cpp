#include "frmabout.h"

#include "controls/skin.h"
#include "controls/xpbutton.h"
#include "desktophints.h"
#include "windowdescription.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QShortcut>

namespace {

using K = ControlKind;

constexpr FontDescription labelFont{u"MS Sans Serif", 8.25, true};
constexpr FontDescription tahoma{u"Tahoma", 8.25, false};
constexpr const char *picture1 = "Picture1";

constexpr ControlDescription controls[] = {
    {"Picture1", K::Container, nullptr, 120, 120, 3615, 1335, nullptr, {}, systemButtonText, nullptr, 0},
    {"xpLabel1", K::StyledLabel, picture1, 120, 0, 2295, 375, u"VORN Tools Downloader ", labelFont,
        systemButtonText, nullptr, 2},
    {"xpLabel4", K::StyledLabel, picture1, 120, 360, 1455, 255, u"Version : 1.0.0", labelFont,
        systemButtonText, nullptr, 1},
    {"xpLabel2", K::StyledLabel, picture1, 120, 600, 2055, 375, u"Devlopped By DAVRIN", labelFont,
        systemButtonText, nullptr, 3},
    {"xpLabel3", K::StyledLabel, picture1, 120, 960, 2655, 255, u"Contact me at : ", labelFont,
        systemButtonText, nullptr, 4},
    {"xpButton2", K::PictureButton, picture1, 2640, 120, 855, 735, nullptr, tahoma, systemButtonText,
        ":/vorn/about-close.png", 5, true, QT_TRANSLATE_NOOP("WindowDescription", "Close")},
};

constexpr WindowDescription frmAbout{u"About", 3855, 1575, systemButtonFace, nullptr, controls};

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
    buildWindow(this, frmAbout);
    setFixedSize(size());
    const QPoint screenOrigin = QGuiApplication::primaryScreen()
        ? QGuiApplication::primaryScreen()->geometry().topLeft()
        : QPoint();
    setGeometry(QRect(screenOrigin + QPoint(twipsToPixels(placeLeft), twipsToPixels(placeTop)), size()));

    xpButton2 = findChild<XpButton *>(QStringLiteral("xpButton2"));
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
