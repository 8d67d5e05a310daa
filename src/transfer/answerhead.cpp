#include "answerhead.h"

#include <algorithm>

QByteArrayList AnswerHead::values(const QByteArray &name) const
{
    const auto found = headers.find(name);
    return found == headers.end() ? QByteArrayList() : found->second;
}

bool AnswerHead::isChunked() const
{
    const QByteArrayList codings = values("transfer-encoding");
    return std::any_of(codings.cbegin(), codings.cend(),
        [](const QByteArray &coding) { return coding.toLower().contains("chunked"); });
}

void AnswerHead::frameBy(qint64 framedLength)
{
    length = framedLength;
    const QByteArrayList stated = values("content-length");
    // Each header's first word, without leading zeros, must be the number libcurl read: a list, or two
    // headers that differ, leave it to chance which one frames the body.
    lengthReadable = std::all_of(stated.cbegin(), stated.cend(), [this](const QByteArray &value) {
        QByteArray number = value.simplified().split(' ').first();
        while (number.size() > 1 && number.startsWith('0'))
            number.remove(0, 1);
        return length >= 0 && number == QByteArray::number(length);
    });
}
