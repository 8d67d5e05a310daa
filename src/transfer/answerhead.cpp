#include "answerhead.h"

#include "common/textnumber.h"

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
    // Each header, read as a number is read from the start of a text ("2500 bytes" and "2500abc" are
    // 2500), must say the length libcurl frames the body by: a list, two headers that differ, or a
    // number libcurl reads otherwise ("2.5e3", which it takes for 2) leave it to chance where the body ends.
    lengthReadable = std::all_of(stated.cbegin(), stated.cend(), [this](const QByteArray &value) {
        return length >= 0 && !value.contains(',')
            && TextNumber::roundHalfEven(TextNumber::leadingValue(QString::fromLatin1(value)))
            == double(length);
    });
}
