#pragma once

#include <QColor>
#include <QWidget>

// A styled label: a caption drawn in the fore colour its description gives on the container's background,
// kept to the label's box (see TextFit). Disabled, as the windows' descriptions make all our styled labels,
// it takes no input but keeps its colour.
class XpLabel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(XpLabel)

public:
    explicit XpLabel(QWidget *parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    QColor foreColor() const { return m_foreColor; }
    void setForeColor(const QColor &color);

    // Left and vertically centred unless set.
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);

    // How much of the label's width the text may take, from the left; all of it unless set.
    void setTextWidth(int width);
    // The widest text the label will show, which its face and size are chosen for (see TextFit).
    void setSizingText(const QString &text);
    // Whether `text` would be drawn whole, without an ellipsis.
    bool showsWhole(const QString &text) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect textArea() const;

    QString m_caption;
    QColor m_foreColor = Qt::black;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    int m_textWidth = -1;
    QString m_sizingText;
};
