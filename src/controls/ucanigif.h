#pragma once

#include <QLabel>
#include <QMovie>

// Plays its animated GIF for ever, starting as soon as it exists.
class UcAniGif final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UcAniGif)

public:
    explicit UcAniGif(QWidget *parent = nullptr);

    void setGif(const QString &fileName);
    QMovie *animation() { return &m_movie; }

private:
    QMovie m_movie;
};
