#include "ucanigif.h"

UcAniGif::UcAniGif(QWidget *parent)
    : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_movie.setCacheMode(QMovie::CacheAll);
}

void UcAniGif::setGif(const QString &fileName)
{
    m_movie.stop();
    m_movie.setFileName(fileName);
    setMovie(&m_movie);
    m_movie.start();
}
