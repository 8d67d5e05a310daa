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
    if (stated.isEmpty())
        return;
    // The first word of the one header, without leading zeros, must be the number libcurl read.
    QByteArray number = stated.first().simplified().split(' ').first();
    while (number.size() > 1 && number.startsWith('0'))
        number.remove(0, 1);
    lengthReadable = stated.size() == 1 && length >= 0 && number == QByteArray::number(length);
}
