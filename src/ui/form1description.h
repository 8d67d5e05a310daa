#pragma once

#include "windowdescription.h"

// The main window's controls, each as the class its row makes.
struct Form1Controls
{
    QFrame *Picture1 = nullptr;
    XpComboBox *Combo1 = nullptr;
    XpButton *xpButton1 = nullptr; // Exit
    XpButton *xpButton2 = nullptr; // About
    XpButton *xpButton3 = nullptr; // Cancel
    XpButton *xpButton4 = nullptr; // Download
    XpLabel *Label1 = nullptr;
    XpLabel *xpLabel1 = nullptr;
    XpLabel *Label5 = nullptr;
    XpLabel *xpLabel3 = nullptr;
    PlainLabel *Label2 = nullptr;
    PlainLabel *Label3 = nullptr;
    PlainLabel *Label4 = nullptr;
    QLabel *Image1 = nullptr;
    UcAniGif *ucAniGIF1 = nullptr;
    CcrpProgressBar *ProgressBar1 = nullptr;
};

// The main window's description: its controls, their places in twips and their properties.
const WindowDescription &form1Description();

// Builds the main window's controls into `window`.
Form1Controls buildForm1(QWidget *window);
