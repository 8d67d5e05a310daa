#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QString>

#include <map>

// The head of an answer, read once, as everything above the transfer sees it.
struct AnswerHead
{
    int status = 0;
    QString reason{}; // the server's own phrase as plain text, for the log
    // Every header's values under its name in lower case, one per header line, in the order they came.
    std::map<QByteArray, QByteArrayList> headers{};
    // The body's length as the transfer frames it, from Content-Length; -1 when none frames it.
    qint64 length = -1;
    // False when Content-Length is there but is not plainly that one length (a list, two headers that
    // differ, a fraction): the body then ends where chance says.
    bool lengthReadable = true;
    // The answer says a proxy on the way made it, not the server: an error in Proxy-Status, or a proxy's
    // own error marker.
    bool madeByProxy = false;

    // The values of the header named `name` in lower case; empty when the head has none.
    QByteArrayList values(const QByteArray &name) const;
    // Whether the body comes in chunks, which end it in their own way.
    bool isChunked() const;
    // Takes libcurl's reading of Content-Length, the one that frames the body, and tells whether the
    // header says that length and nothing else ("2500 bytes" and "2500abc" do; "2.5e3", read as 2,
    // does not).
    void frameBy(qint64 framedLength);
};
