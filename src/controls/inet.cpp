#include "inet.h"

#include "eventpump.h"

#include <QNetworkRequest>
#include <QRegularExpression>

#include <algorithm>

Q_LOGGING_CATEGORY(lcTransfer, "vorn.transfer", QtInfoMsg)

Inet::Inet(QObject *parent)
    : QObject(parent)
{
    // Follow redirects, but never from https down to plain http.
    m_manager.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    // Our own idle timer rather than Qt's transfer time-out, which throws away what is already buffered.
    m_idleTimer.setSingleShot(true);
    connect(&m_idleTimer, &QTimer::timeout, this, &Inet::onIdleTimeout);
}

Inet::~Inet()
{
    release();
}

void Inet::release()
{
    m_idleTimer.stop();
    m_held.clear();
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
    m_timedOut = false;
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

    qCDebug(lcTransfer) << operation << m_url;
    m_reply = m_manager.sendCustomRequest(request, operation.toLatin1());
    m_reply->setReadBufferSize(readBufferSize);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &Inet::onMetaDataChanged);
    connect(m_reply, &QNetworkReply::readyRead, this, [this] {
        m_idleTimer.start();
        notify();
    });
    connect(m_reply, &QNetworkReply::errorOccurred, this, &Inet::onErrorOccurred);
    connect(m_reply, &QNetworkReply::finished, this, &Inet::onFinished);
    m_idleTimer.start(m_requestTimeout * 1000);
}

// Records the answer's status, unless it is a redirect: Qt follows that, or fails the request if it may not.
bool Inet::takeFinalStatus()
{
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int code = status.toInt();
    if (!status.isValid() || (code >= 300 && code <= 399 && m_reply->hasRawHeader("Location")))
        return false;
    m_statusCode = code;
    m_reasonPhrase
        = QString::fromLatin1(m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
    return true;
}

void Inet::onMetaDataChanged()
{
    m_idleTimer.start();
    if (takeFinalStatus())
        m_busy = false;
    notify();
}

void Inet::onErrorOccurred(QNetworkReply::NetworkError error)
{
    if (m_cancelled || m_timedOut)
        return;
    m_error = error;
    m_errorString = m_reply->errorString();
    qCInfo(lcTransfer) << "request failed:" << error << m_errorString;
}

void Inet::onIdleTimeout()
{
    if (!m_reply || m_reply->isFinished())
        return;
    // A full buffer that nobody has read yet holds the transfer back; the server is not to blame.
    if (m_reply->bytesAvailable() >= readBufferSize) {
        m_idleTimer.start();
        return;
    }
    m_timedOut = true;
    m_error = QNetworkReply::TimeoutError;
    m_errorString = tr("No data arrived for %n second(s).", nullptr, m_requestTimeout);
    qCInfo(lcTransfer) << "request failed:" << m_errorString;
    // Keep what already arrived: the caller still reads it before it sees the end.
    m_held.append(m_reply->readAll());
    m_busy = false;
    m_reply->abort();
    notify();
}

void Inet::onFinished()
{
    // A request that failed before its final answer has no status, whatever a redirect on the way said.
    if (m_busy && m_reply && m_error == QNetworkReply::NoError)
        takeFinalStatus();
    m_idleTimer.stop();
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
    QByteArray chunk;
    getChunk(chunk, size);
    return chunk;
}

void Inet::getChunk(QByteArray &chunk, qint64 size)
{
    while (m_reply && !m_cancelled && !m_reply->isFinished()
        && m_held.size() + m_reply->bytesAvailable() < size) {
        // The reply takes in more of the body only once its buffer has been read empty. Sleeping with
        // a few bytes left in it could therefore last until the idle time-out: take them first.
        if (m_reply->bytesAvailable() > 0)
            m_held.append(m_reply->readAll());
        EventPump::waitForMoreEvents();
    }
    const bool readable = m_reply && !m_cancelled && m_reply->isOpen();
    if (!m_held.isEmpty()) {
        if (readable && m_held.size() < size)
            m_held.append(m_reply->read(size - m_held.size()));
        chunk = m_held.left(size);
        m_held.remove(0, chunk.size());
        return;
    }
    if (!readable) {
        chunk.clear();
        return;
    }
    chunk.resize(size);
    const qint64 read = m_reply->read(chunk.data(), size);
    chunk.resize(std::max<qint64>(read, 0));
}

void Inet::cancel()
{
    if (!m_reply) {
        m_busy = false;
        return;
    }
    m_cancelled = true;
    m_busy = false;
    m_idleTimer.stop();
    m_held.clear();
    m_reply->abort();
    notify();
}
