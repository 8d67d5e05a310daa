#pragma once

#include <QLabel>

// A one-line label on an opaque background whose text keeps to the label's box (see TextFit).
class PlainLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlainLabel)

public:
    explicit PlainLabel(const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
