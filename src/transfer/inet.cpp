#include "inet.h"

#include "bodyring.h"
#include "curlrequest.h"
#include "eventpump.h"
#include "proxyrules.h"
#include "responsehead.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <limits>
#include <optional>
#include <unordered_map>

Q_LOGGING_CATEGORY(lcTransfer, "vorn.transfer", QtInfoMsg)

// A resume hands over what libcurl held back, up to one socket block, and that must fit whole: were
// the body paused again, libcurl would copy the rest of its block aside once more, on every resume.
static_assert(Inet::readBufferSize / 2 >= CurlRequest::socketReadSize);

namespace {
using Kind = TransferFailure::Kind;
using Clock = std::chrono::steady_clock;
} // namespace

struct Inet::Private
{
    // Everything one request learns; the next request starts from a fresh one.
    struct Request
    {
        ResponseHead head;
        ProxyRules::Choice proxy;
        Clock::time_point started;
        Clock::time_point lastData;
        // The server ended its TLS connection in good order, set by OpenSSL's report of the alert.
        bool closeNotified = false;
        bool hopPending = false; // a redirect to an address that needs another proxy ended the handle
    };

    // The read and write notifiers of one socket. They live as long as the Inet: libcurl drops and
    // re-adds a socket on every pause, and a deferred delete may never run inside a nested event pass.
    struct SocketWatch
    {
        std::unique_ptr<QSocketNotifier> read;
        std::unique_ptr<QSocketNotifier> write;
    };

    explicit Private(Inet *inet)
        : q(inet)
        , phase(inet->m_phase)
        , answer(inet->m_answer)
    { }

    bool isRunning() const { return phase == Phase::AwaitingHead || phase == Phase::Body; }

    // libcurl's callbacks only record what happened; nothing in them calls back into libcurl.
    static int onSocket(CURL *, curl_socket_t socket, int what, void *self, void *)
    {
        static_cast<Private *>(self)->watchSocket(socket, what);
        return 0;
    }

    static int onTimer(CURLM *, long timeoutMs, void *self)
    {
        // libcurl must not be re-entered from its own callback: even "now" is left to the event loop.
        QTimer &timer = static_cast<Private *>(self)->curlTimer;
        if (timeoutMs < 0)
            timer.stop();
        else
            timer.start(int(std::min<long>(timeoutMs, std::numeric_limits<int>::max())));
        return 0;
    }

    static size_t onHeader(char *data, size_t size, size_t count, void *self)
    {
        const size_t length = size * count;
        return static_cast<Private *>(self)->takeHeaderLine(QByteArrayView(data, qsizetype(length))) ? length
                                                                                                     : 0;
    }

    static size_t onBody(char *data, size_t size, size_t count, void *self)
    {
        auto *p = static_cast<Private *>(self);
        // Only the final answer has a body worth handing over (libcurl skips a redirect's on its own).
        if (!p->request.head.isAnswerIn())
            return size * count;
        if (!p->ring.write(data, qint64(size) * qint64(count)))
            return CURL_WRITEFUNC_PAUSE; // libcurl keeps the block and offers it again once resumed
        p->request.lastData = Clock::now();
        p->changed = true;
        return size * count;
    }

    void watchSocket(curl_socket_t socket, int what)
    {
        auto watch = sockets.find(socket);
        if (watch == sockets.end()) {
            if (what == CURL_POLL_REMOVE)
                return;
            SocketWatch added;
            added.read = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
            added.write = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
            connect(added.read.get(), &QSocketNotifier::activated, q,
                [this, socket] { drive(socket, CURL_CSELECT_IN); });
            connect(added.write.get(), &QSocketNotifier::activated, q,
                [this, socket] { drive(socket, CURL_CSELECT_OUT); });
            watch = sockets.emplace(socket, std::move(added)).first;
        }
        // CURL_POLL_REMOVE has neither bit: a socket libcurl keeps for later, or closes, must not wake us.
        watch->second.read->setEnabled((what & CURL_POLL_IN) != 0);
        watch->second.write->setEnabled((what & CURL_POLL_OUT) != 0);
    }

    // One hop, through the proxy chosen for it: at once, or once the desktop has told, if still wanted.
    void open(const RedirectHop &hop)
    {
        qCDebug(lcTransfer) << method << hop.url() << "after" << hop.count() << "redirects";
        ProxyRules::ask(hop.url(), q, [this, hop, asked = ended](const ProxyRules::Choice &proxy) {
            if (asked == ended)
                openThrough(hop, proxy);
            reportChanges();
        });
    }

    void openThrough(const RedirectHop &hop, const ProxyRules::Choice &proxy)
    {
        request.head = ResponseHead(hop);
        request.proxy = proxy;
        request.closeNotified = request.hopPending = false;
        curlError[0] = '\0';
        easy = curl_easy_init();
        CurlRequest::setOptions(easy, hop, method, requestHeaders,
            {&Private::onHeader, &Private::onBody, this, curlError, &request.closeNotified}, trust);
        if (const TransferFailure unusable = CurlRequest::setProxy(easy, proxy); unusable.failed())
            return end(Phase::Finished, unusable);
        const CURLMcode added = curl_multi_add_handle(multi, easy);
        if (added != CURLM_OK)
            end(Phase::Finished,
                {.kind = Kind::Other, .detail = QString::fromLatin1(curl_multi_strerror(added))});
    }

    // libcurl keeps one proxy for every hop it follows. A redirect to an address that needs another (or
    // none) ends the handle, and the next one starts where the redirect rule led: as libcurl would have,
    // one GET, the same request headers, counted against the same limit.
    void followElsewhere()
    {
        curl_multi_remove_handle(multi, easy);
        curl_easy_cleanup(easy);
        easy = nullptr;
        open(RedirectHop(request.head.hop()));
    }

    bool takeHeaderLine(QByteArrayView line)
    {
        request.lastData = Clock::now();
        switch (request.head.take(line)) {
        case ResponseHead::Step::More:
            return true;
        case ResponseHead::Step::Follow:
            // libcurl follows it itself where the proxy stays the same; nothing here waits for the desktop.
            request.hopPending
                = ProxyRules::decide(request.head.url(), &ProxyRules::processEnvironment) != request.proxy;
            return !request.hopPending;
        case ResponseHead::Step::Answer:
            // drive() adopts it once libcurl has returned.
            changed = true;
            return true;
        case ResponseHead::Step::Refuse:
        case ResponseHead::Step::Malformed:
            answer.failure = request.head.refusal();
            return false;
        }
        return true;
    }

    void drive(curl_socket_t socket, int events)
    {
        ++(socket == CURL_SOCKET_TIMEOUT ? q->m_wakeUps.timer : q->m_wakeUps.socket);
        int running = 0;
        curl_multi_socket_action(multi, socket, events, &running);
        const std::optional<CURLcode> result = takeResult();
        // A transfer that ended well without a head that counts as the answer has the last one for it.
        if (phase == Phase::AwaitingHead && (request.head.isAnswerIn() || result == CURLE_OK))
            adopt();
        if (result && isRunning())
            endWith(*result);
        reportChanges();
    }

    std::optional<CURLcode> takeResult()
    {
        std::optional<CURLcode> result;
        int left = 0;
        while (CURLMsg *message = curl_multi_info_read(multi, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
                result = message->data.result;
        }
        return result;
    }

    // The final answer's head is in, framed by the length libcurl read.
    void adopt()
    {
        curl_off_t contentLength = -1;
        curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &contentLength);
        answer.head = request.head.answer();
        answer.head.frameBy(contentLength);
        answer.url = request.head.url();
        // Whoever answered, the proxy it came through is the one to mend when it asks for a password.
        CurlRequest::noteProxy(&answer.failure, request.proxy, answer.head.madeByProxy);
        phase = Phase::Body;
        changed = true;
    }

    void endWith(CURLcode code)
    {
        if (request.hopPending)
            return followElsewhere();
        if (code == CURLE_OK
            && CurlRequest::endsWithoutCloseNotify(easy, answer.head, request.closeNotified)) {
            end(Phase::Finished,
                {.kind = Kind::ConnectionClosed, .detail = u"TLS connection closed without close_notify"_qs});
            return;
        }
        // Where libcurl failed before a status line came, the line is what it could not read.
        const bool statusLineDue = phase == Phase::AwaitingHead && request.head.expectsStatusLine();
        const TransferFailure failure = CurlRequest::failure(
            easy, code, curlError, {phase == Phase::Body, statusLineDue, request.proxy, trust});
        end(Phase::Finished, failure);
    }

    // Every request ends here: whole, failed, timed out, refused or cancelled.
    void end(Phase ending, TransferFailure failure)
    {
        // A refusal recorded in a callback is why libcurl stopped; it stays the reason.
        if (!answer.failure.failed() && failure.failed())
            answer.failure = std::move(failure);
        if (ending == Phase::Finished && answer.failure.failed())
            qCInfo(lcTransfer) << "request failed:" << answer.failure.detail << answer.failure.systemReason;
        release();
        phase = ending;
        changed = true;
    }

    void release()
    {
        if (easy) {
            curl_multi_remove_handle(multi, easy);
            curl_easy_cleanup(easy);
            easy = nullptr;
        }
        curl_slist_free_all(requestHeaders);
        requestHeaders = nullptr;
        idleTimer.stop();
        ++ended; // the answer to a proxy query still out is of no use any more
    }

    void onIdleTimeout()
    {
        const auto timeout = std::chrono::seconds(q->m_requestTimeout);
        // A full buffer nobody reads holds the server back: that silence is ours, not the server's. The
        // timer keeps running, so that the server's own silence after the reader has caught up still counts.
        if (ring.isPaused()) {
            idleTimer.start(timeout);
            return;
        }
        // Restarting the timer on every block of data would cost more than the block: look at the clock
        // instead.
        auto left = timeout - (Clock::now() - request.lastData);
        // Header lines or interim answers trickled for ever are data, but never an answer: the head as a
        // whole gets no longer than a silence may last.
        if (phase == Phase::AwaitingHead)
            left = std::min(left, timeout - (Clock::now() - request.started));
        if (left > left.zero()) {
            idleTimer.start(std::chrono::ceil<std::chrono::milliseconds>(left));
            return;
        }
        // What is buffered stays: the caller still reads it before it sees the end.
        const int seconds = q->m_requestTimeout;
        end(Phase::Finished,
            {.kind = Kind::TimedOut,
                .detail = (phase == Phase::AwaitingHead ? u"No answer arrived within %1 s."_qs
                                                        : u"No data arrived for %1 s."_qs)
                              .arg(seconds)});
        reportChanges();
    }

    void resumeIfDue()
    {
        if (!ring.isResumeDue() || !isRunning())
            return;
        // curl_easy_pause hands the held block to onBody before it returns, which may pause again.
        ring.resumed();
        request.lastData = Clock::now();
        const CURLcode resumed = curl_easy_pause(easy, CURLPAUSE_CONT);
        if (resumed != CURLE_OK)
            endWith(resumed);
    }

    void reportChanges()
    {
        if (!changed)
            return;
        changed = false;
        EventPump::wake();
        Q_EMIT q->stateChanged();
    }

    Inet *q;
    CURLM *multi = nullptr;
    CURL *easy = nullptr;
    QByteArray method;
    CurlRequest::Trust trust;
    curl_slist *requestHeaders = nullptr;
    std::unordered_map<curl_socket_t, SocketWatch> sockets;
    QTimer curlTimer;
    QTimer idleTimer;
    char curlError[CURL_ERROR_SIZE] = {};
    BodyRing ring{readBufferSize};
    Phase &phase;
    Answer &answer;
    Request request;
    // Something changed inside libcurl's callbacks; told once libcurl has returned.
    bool changed = false;
    unsigned ended = 0; // requests ended, or replaced by the next one
};

Inet::Inet(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>(this))
{
    // Once per process, before the first handle; never undone, the library lives as long as the program.
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (initialised != CURLE_OK)
        qCWarning(lcTransfer) << "libcurl did not initialise:" << curl_easy_strerror(initialised);

    d->multi = curl_multi_init();
    curl_multi_setopt(d->multi, CURLMOPT_SOCKETFUNCTION, &Private::onSocket);
    curl_multi_setopt(d->multi, CURLMOPT_SOCKETDATA, d.get());
    curl_multi_setopt(d->multi, CURLMOPT_TIMERFUNCTION, &Private::onTimer);
    curl_multi_setopt(d->multi, CURLMOPT_TIMERDATA, d.get());

    d->curlTimer.setSingleShot(true);
    connect(&d->curlTimer, &QTimer::timeout, this, [this] { d->drive(CURL_SOCKET_TIMEOUT, 0); });
    // Our own idle timer rather than libcurl's low-speed limit: that one also counts the time the
    // transfer is paused because the reader is behind, which is not the server's fault.
    d->idleTimer.setSingleShot(true);
    connect(&d->idleTimer, &QTimer::timeout, this, [this] { d->onIdleTimeout(); });
}

Inet::~Inet()
{
    d->release();
    d->curlTimer.stop();
    // Closes the cached connections, which still calls onSocket: the notifiers must outlive it.
    curl_multi_cleanup(d->multi);
}

void Inet::execute(const QString &operation, const QString &requestHeaders)
{
    d->release();
    d->request = {};
    m_answer = {};
    d->ring.clear();
    m_phase = Phase::AwaitingHead;
    d->method = operation.toLatin1();
    d->requestHeaders = CurlRequest::headerList(requestHeaders);
    d->request.started = Clock::now();
    d->request.lastData = d->request.started;
    d->idleTimer.start(std::chrono::seconds(m_requestTimeout));
    d->trust = CurlRequest::trustFromEnvironment();
    if (d->trust.refusal.failed())
        d->end(Phase::Finished, d->trust.refusal);
    else
        d->open(RedirectHop(m_url.toUtf8()));
    d->reportChanges();
}

QByteArrayView Inet::readChunk(qint64 size)
{
    d->ring.growFor(size);
    d->resumeIfDue();
    while (d->isRunning() && d->ring.used() < size)
        EventPump::waitForMoreEvents();
    const QByteArrayView chunk = d->ring.take(size);
    d->resumeIfDue();
    return chunk;
}

void Inet::cancel()
{
    if (m_phase == Phase::Idle)
        return;
    d->ring.clear();
    d->end(Phase::Cancelled, {});
    d->reportChanges();
}
