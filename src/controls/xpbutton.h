#pragma once

#include <QAbstractButton>

// A picture button with an XP-like raised face: hover and pressed states, one clicked() per press,
// by the mouse or by Space or Return while it has the focus.
// The picture is a 24-bit image drawn on the flat face colour, so it carries no transparency of its own.
class XpButton final : public QAbstractButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(XpButton)

public:
    explicit XpButton(QWidget *parent = nullptr);

    // The flat colour of the face; the button pictures are rendered onto it.
    static QColor faceColor();

    void setPicture(const QPixmap &picture);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPixmap m_picture;
    bool m_hovered = false;
};
