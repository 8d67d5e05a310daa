#pragma once

#include <QWidget>

class Skin;
class XpButton;

// The About window: the program's name, version, author and contact line, and a button that closes it.
// It is destroyed when closed; the main window makes a fresh one on the next press of About.
class FrmAbout final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmAbout)

public:
    explicit FrmAbout(QWidget *parent = nullptr);

    XpButton *xpButton2 = nullptr;
    Skin *Skin1 = nullptr;

private:
    void Form_Load();
};
