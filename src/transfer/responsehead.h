#pragma once

#include "answerhead.h"
#include "redirecthop.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QUrl>

// The head of an answer, read line by line as libcurl hands the lines over: interim answers and the
// redirects libcurl follows each have a head of their own, and only the last head is the answer's.
class ResponseHead final
{
public:
    // What a line means for the request.
    enum class Step {
        More, // the head goes on, or an interim answer ended
        Follow, // a redirect ended; libcurl follows it to hop()
        Refuse, // a redirect ended that is not followed; refusal() says why
        Answer, // this head is the answer's
        Malformed, // a status line that cannot be read; statusLine() holds it
    };

    ResponseHead() = default;
    // `hop` is where the request goes first.
    explicit ResponseHead(const RedirectHop &hop);

    // One line, with or without its line end. Lines after the answer's head (trailers) change nothing.
    Step take(QByteArrayView line);

    // Of the head being read, or of the answer's once it is in; its length is not framed yet.
    const AnswerHead &answer() const { return m_head; }
    QByteArray statusLine() const { return m_statusLine; }
    // Why the request ends after a Refuse or a Malformed step.
    TransferFailure refusal() const;
    // Where the current hop goes.
    const RedirectHop &hop() const { return m_hop; }
    QUrl url() const { return m_hop.url(); }
    bool isAnswerIn() const { return m_answerIn; }
    // Between two heads, or before the first, on an http or https address: the next line is a status line.
    bool expectsStatusLine() const;

private:
    bool readStatusLine(QByteArrayView line);
    Step endOfHead();

    RedirectHop m_hop;
    bool m_expectStatusLine = true;
    bool m_answerIn = false;
    QByteArray m_statusLine;
    QByteArray m_location;
    AnswerHead m_head;
};
