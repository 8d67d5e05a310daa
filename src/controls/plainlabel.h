#pragma once

#include <QLabel>

// A one-line label on an opaque background whose text keeps to the label's box (see TextFit).
class PlainLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlainLabel)

public:
    explicit PlainLabel(const QString &text, QWidget *parent = nullptr);

    // How much of the label's width the text may take, from the left; all of it unless set.
    void setTextWidth(int width);
    // The widest text the label will show, which its face and size are chosen for (see TextFit).
    void setSizingText(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_textWidth = -1;
    QString m_sizingText;
};
