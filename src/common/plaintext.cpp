#include "plaintext.h"

namespace PlainText {

namespace {

constexpr qsizetype serverTextLimit = 200;

bool isHidden(QChar c)
{
    const char16_t u = c.unicode();
    return c.category() == QChar::Other_Control
        // Marks, embeddings, overrides and isolates that turn the direction of the text around.
        || u == 0x061C || u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E)
        || (u >= 0x2066 && u <= 0x2069);
}

} // namespace

QString clean(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (!isHidden(c))
            result.append(c);
    }
    return result;
}

QString fromServer(const QString &text)
{
    QString result = clean(text);
    if (result.size() > serverTextLimit) {
        result.truncate(serverTextLimit);
        // Never leave half of a surrogate pair at the end.
        if (result.back().isHighSurrogate())
            result.chop(1);
        result.append(QChar(0x2026));
    }
    return result;
}

QString withoutCredentials(const QString &setting)
{
    const qsizetype scheme = setting.indexOf(QLatin1String("://"));
    const qsizetype hostStart = scheme < 0 ? 0 : scheme + 3;
    const qsizetype at = setting.lastIndexOf(QLatin1Char('@'));
    return at < hostStart ? setting : setting.left(hostStart) + setting.mid(at + 1);
}

} // namespace PlainText
