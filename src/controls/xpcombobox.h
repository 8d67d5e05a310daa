#pragma once

#include <QComboBox>

// The tool list. Until the user picks an entry its text field shows the text the window's description gives
// it, which is none of the entries; text() returns exactly what the field shows.
class XpComboBox final : public QComboBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(XpComboBox)

public:
    explicit XpComboBox(QWidget *parent = nullptr);

    QString text() const;
    // The text shown while no entry is picked; setting it also clears the pick.
    void setText(const QString &text);

    void showPopup() override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
