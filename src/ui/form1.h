#pragma once

#include "download/downloadcommands.h"
#include "form1description.h"
#include "frmabout.h"

#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class Announcer;
class DoneNotifier;
class Inet;
class ProgressTip;
class QMessageBox;
class Skin;

// The main window: the tool list, the four picture buttons, the progress row, the banner and the clock.
// Its controls are members, as a window built from a designer form has them.
class Form1 final : public QWidget, public Form1Controls
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    // Downloads are saved in `programFolder`, or in the download folder where the user may not write it.
    explicit Form1(const QString &programFolder, QWidget *parent = nullptr);
    ~Form1() override;

    DownloadCommands &commands() { return *m_commands; }
    FrmAbout *aboutWindow() const { return m_about; }

    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;
    Skin *Skin1 = nullptr;
    Inet *Inet1 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    void Timer1_Timer();
    void Timer2_Timer();
    void xpButton1_Click();
    void xpButton2_Click();
    void xpButton3_Click();
    // Moves the progress bar to a whole percentage, given as text.
    void DownloadProgress(const QString &percentage);

    // The busy and idle states a download puts the window in.
    void enterBusyState();
    // The window is idle again before it tells what became of the transfer.
    void transferFinished(const QString &toolName, const TransferResult &result);
    void returnToIdleState(const QString &toolName, const TransferResult &result);
    void setBusyPointer(bool busy);
    void showTransferFailure(const QString &toolName, const TransferResult &result);
    // The small note in the window for what the desktop did not show (DoneNotifier::untold).
    void showNote(const QString &title, const QString &message);
    // The controls a message window of ours never covers: the tool list and the buttons.
    QList<QWidget *> buttonRow() const;

    std::unique_ptr<DownloadCommands> m_commands;
    ProgressTip *m_progressTip = nullptr;
    DoneNotifier *m_doneNotifier = nullptr;
    Announcer *m_announcer = nullptr;
    QPointer<FrmAbout> m_about;
    QHash<QString, QPointer<QMessageBox>> m_failureBoxes;
    QPointer<QMessageBox> m_note;
    bool m_pointerBusy = false;
};
