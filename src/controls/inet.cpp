#include "inet.h"

#include "eventpump.h"

#include <QNetworkRequest>
#include <QRegularExpression>

Q_LOGGING_CATEGORY(lcTransfer, "vorn.transfer")

Inet::Inet(QObject *parent)
    : QObject(parent)
{
    // Follow redirects, but never from https down to plain http.
    m_manager.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

Inet::~Inet()
{
    release();
}

void Inet::release()
{
    if (!m_reply)
        return;
    m_reply->disconnect(this);
    m_reply->abort();
    m_reply->deleteLater();
    m_reply = nullptr;
}

void Inet::execute(const QString &operation, const QString &requestHeaders)
{
    release();
    m_busy = true;
    m_cancelled = false;
    m_error = QNetworkReply::NoError;
    m_errorString.clear();
    m_statusCode = 0;
    m_reasonPhrase.clear();

    QNetworkRequest request{QUrl(m_url)};
    // The header block carries its own line ends; they separate headers and never reach a value.
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = requestHeaders.split(lineEnd, Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon <= 0) {
            qCWarning(lcTransfer) << "ignoring malformed request header line" << line;
            continue;
        }
        request.setRawHeader(line.left(colon).trimmed().toLatin1(), line.mid(colon + 1).trimmed().toLatin1());
    }
    // Uncompressed, so that Content-Length counts exactly the bytes that reach the file.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setTransferTimeout(m_requestTimeout * 1000);

    qCDebug(lcTransfer) << operation << m_url;
    m_reply = m_manager.sendCustomRequest(request, operation.toLatin1());
    m_reply->setReadBufferSize(readBufferSize);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &Inet::onMetaDataChanged);
    connect(m_reply, &QNetworkReply::readyRead, this, &Inet::notify);
    connect(m_reply, &QNetworkReply::errorOccurred, this, &Inet::onErrorOccurred);
    connect(m_reply, &QNetworkReply::finished, this, &Inet::onFinished);
}

void Inet::onMetaDataChanged()
{
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    // A redirect that is about to be followed is not the answer yet.
    if (status.isValid() && !m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).isValid()) {
        m_statusCode = status.toInt();
        m_reasonPhrase = QString::fromLatin1(
            m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
        m_busy = false;
    }
    notify();
}

void Inet::onErrorOccurred(QNetworkReply::NetworkError error)
{
    if (m_cancelled)
        return;
    m_error = error;
    m_errorString = m_reply->errorString();
    // Qt reports its own idle time-out as a cancellation we never asked for.
    if (error == QNetworkReply::OperationCanceledError)
        m_errorString = tr("No data arrived for %n second(s).", nullptr, m_requestTimeout);
    qCInfo(lcTransfer) << "request failed:" << error << m_errorString;
}

void Inet::onFinished()
{
    if (m_busy && m_reply) {
        const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid()) {
            m_statusCode = status.toInt();
            m_reasonPhrase = QString::fromLatin1(
                m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
        }
    }
    m_busy = false;
    notify();
}

void Inet::notify()
{
    EventPump::wake();
    Q_EMIT stateChanged();
}

QString Inet::getHeader(const QString &name) const
{
    if (!m_reply)
        return {};
    return QString::fromLatin1(m_reply->rawHeader(name.toLatin1()));
}

QByteArray Inet::getChunk(qint64 size)
{
    while (m_reply && !m_cancelled && m_reply->bytesAvailable() < size && !m_reply->isFinished())
        EventPump::waitForMoreEvents();
    if (!m_reply || m_cancelled)
        return {};
    return m_reply->read(size);
}

void Inet::cancel()
{
    if (!m_reply) {
        m_busy = false;
        return;
    }
    m_cancelled = true;
    m_busy = false;
    m_reply->abort();
    notify();
}
