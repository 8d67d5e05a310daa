#include "form1.h"

#include "announcer.h"
#include "besidebox.h"
#include "catalog/toolcatalog.h"
#include "clocktext.h"
#include "controls/ccrpprogressbar.h"
#include "controls/plainlabel.h"
#include "controls/skin.h"
#include "controls/ucanigif.h"
#include "controls/xpbutton.h"
#include "controls/xpcombobox.h"
#include "controls/xplabel.h"
#include "desktop/desktophints.h"
#include "desktop/donenotifier.h"
#include "desktop/launcherentry.h"
#include "desktop/suspendinhibitor.h"
#include "form1description.h"
#include "frmabout.h"
#include "marquee.h"
#include "progresstip.h"
#include "transfer/inet.h"
#include "wording/failuremessage.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>

#include <cstdlib>

Form1::Form1(const QString &programFolder, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Form1"));
    // Resizable, with minimise and close boxes but no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // The window's face is drawn as designed, also where the language reads right to left; the
    // messages and tool tips, windows of their own, follow the language.
    setLayoutDirection(Qt::LeftToRight);
    DesktopHints::refuseMaximise(this);

    static_cast<Form1Controls &>(*this) = buildForm1(this);
    // Resizing moves nothing, so a smaller window would only cut off the controls at its edges.
    setMinimumSize(size());
    // The captions name the date and the time beside them, also to a screen reader.
    Label2->setBuddy(Label5);
    Label3->setBuddy(Label4);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(50);
    Skin1 = new Skin(this);
    Skin1->setObjectName(QStringLiteral("Skin1"));
    Inet1 = new Inet(this);
    Inet1->setObjectName(QStringLiteral("Inet1"));
    Inet1->setRequestTimeout(60);

    m_commands = std::make_unique<DownloadCommands>(
        Inet1, [this] { return Combo1->text(); }, programFolder);
    // The step is the bar's whole percent, or the whole MiB where the size is unknown.
    m_progressTip = new ProgressTip(
        ProgressBar1, [this] { return m_commands->readout().text(ProgressReadout::Clock::now(), QLocale()); },
        [this]() -> qint64 {
            const ProgressReadout &readout = m_commands->readout();
            return readout.expected() > 0 ? ProgressBar1->value() : readout.received() >> 20;
        },
        this);

    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(xpButton1, &XpButton::clicked, this, &Form1::xpButton1_Click);
    connect(xpButton2, &XpButton::clicked, this, &Form1::xpButton2_Click);
    connect(xpButton3, &XpButton::clicked, this, &Form1::xpButton3_Click);
    connect(xpButton4, &XpButton::clicked, m_commands.get(), &DownloadCommands::downloadPressed);
    // Told first of the end of a transfer, before the window speaks of it: the desktop lets go at once.
    new SuspendInhibitor(m_commands.get(), this);
    new LauncherEntry(m_commands.get(), this);
    connect(m_commands.get(), &DownloadCommands::commandStarted, xpLabel1,
        [this] { xpLabel1->setVisible(false); });
    connect(m_commands.get(), &DownloadCommands::transferStarted, this, &Form1::enterBusyState);
    connect(m_commands.get(), &DownloadCommands::sizeKnown, ProgressBar1,
        [this](qint64 expected) { ProgressBar1->setBusy(expected <= 0); });
    connect(m_commands.get(), &DownloadCommands::progressReported, this, &Form1::DownloadProgress);
    connect(m_commands.get(), &DownloadCommands::transferFinished, this, &Form1::transferFinished);
    // A reader hears the pick as Down and Up make it in the closed list; the open list speaks for itself.
    m_announcer = new Announcer(this);
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this] {
        if (!Combo1->view()->isVisible())
            m_announcer->announce(Combo1->text());
    });
    m_doneNotifier = new DoneNotifier(this);
    connect(m_doneNotifier, &DoneNotifier::untold, this, &Form1::showNote);

    Timer1->start();
    Timer2->start();
    Form_Load();
    Combo1->setFocus();
}

Form1::~Form1()
{
    delete m_about;
}

void Form1::Form_Load()
{
    Timer1->setInterval(250);
    Skin1->apply(winId());
    const QStringList names = ToolCatalog::listedNames();
    for (const QString &name : names)
        Combo1->addItem(name);
}

void Form1::Timer1_Timer()
{
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    const ClockText::Shown date = ClockText::dateShown(now.date(), locale, Label4->font());
    Label4->setSizingText(date.sizing);
    Label4->setText(date.text);
    const ClockText::Shown time = ClockText::timeShown(
        now.time(), locale, Label5->font(), [this](const QString &text) { return Label5->showsWhole(text); });
    Label5->setSizingText(time.sizing);
    Label5->setCaption(time.text);
}

void Form1::Timer2_Timer()
{
    setWindowTitle(Marquee::step(windowTitle(), frameGeometry().width(), QLocale::system()));
}

void Form1::xpButton1_Click()
{
    // Exit ends the program where it stands, also in the middle of a transfer: no clean-up runs.
    // An archive is only ever replaced whole, so none is left half-written.
    std::_Exit(EXIT_SUCCESS);
}

void Form1::xpButton2_Click()
{
    // Minimised, About has no task bar entry to come back from: About opens a fresh one in its place.
    // Under Wayland a program may neither bring back a minimised window nor learn that it is minimised.
    const bool wayland = QGuiApplication::platformName() == QLatin1String("wayland");
    if (m_about && (wayland || m_about->isMinimized()))
        delete m_about;
    if (!m_about)
        m_about = new FrmAbout;
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void Form1::xpButton3_Click()
{
    m_commands->cancel();
    ProgressBar1->setValue(0);
    setBusyPointer(false);
    Label1->setVisible(false);
}

void Form1::DownloadProgress(const QString &percentage)
{
    ProgressBar1->setValue(percentage.toInt());
}

void Form1::enterBusyState()
{
    // The note told how the last download ended; a new one has started.
    if (m_note)
        m_note->close();
    Label1->setVisible(true);
    Label1->setCaption(QStringLiteral(" Download in Progress  >>> "));
    ProgressBar1->setVisible(true);
    setBusyPointer(true);
    m_progressTip->start();
}

void Form1::transferFinished(const QString &toolName, const TransferResult &result)
{
    returnToIdleState(toolName, result);
    showTransferFailure(toolName, result);
    m_doneNotifier->transferFinished(toolName, result);
}

void Form1::returnToIdleState(const QString &toolName, const TransferResult &result)
{
    const QString outcome = FailureMessage::outcome(toolName, result);
    m_progressTip->showOutcome(outcome);
    // Heard also where the desktop's notification or the note is not: saved, failed or cancelled.
    m_announcer->announce(outcome);
    setBusyPointer(false);
    Label1->setVisible(false);
    ProgressBar1->setValue(0);
    xpLabel1->setVisible(true);
}

void Form1::setBusyPointer(bool busy)
{
    if (busy == m_pointerBusy)
        return;
    m_pointerBusy = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void Form1::closeEvent(QCloseEvent *event)
{
    // The transfer loop drives this window's controls: stop it before the window goes.
    m_commands->cancel();
    event->accept();
}

void Form1::showTransferFailure(const QString &toolName, const TransferResult &result)
{
    const QString message = FailureMessage::text(toolName, result);
    if (message.isEmpty())
        return;
    // One window per tool, holding its latest failure: a hundred failures are not a hundred windows.
    QPointer<QMessageBox> &box = m_failureBoxes[toolName];
    if (box) {
        box->setText(message);
        box->raise();
        return;
    }
    box = new BesideBox(QMessageBox::Warning, tr("Download failed"), message, this, buttonRow());
    box->setObjectName(QStringLiteral("transferFailureBox"));
    // The download command goes on with the next entry meanwhile.
    box->show();
}

void Form1::showNote(const QString &title, const QString &message)
{
    if (!m_note) {
        m_note = new BesideBox(QMessageBox::Information, title, message, this, buttonRow());
        m_note->setObjectName(QStringLiteral("windowNote"));
        // Told in passing: the focus stays in the window the user is in.
        m_note->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    m_note->setWindowTitle(title);
    m_note->setText(message);
    m_note->show();
    m_note->raise();
}

QList<QWidget *> Form1::buttonRow() const
{
    return {Combo1, xpButton4, xpButton3, xpButton2, xpButton1};
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    // Escape stops what runs, as Cancel does; at rest there is nothing for it to stop, and it leaves the
    // window as it is. A key the focused control leaves alone comes here, but an open drop-down is a
    // window of its own that takes Escape to close itself; a shortcut would have seen it first.
    if (event->matches(QKeySequence::Cancel)) {
        if (m_commands->isRunning())
            xpButton3->click();
        return;
    }
    QWidget::keyPressEvent(event);
}
