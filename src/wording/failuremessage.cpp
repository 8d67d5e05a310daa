#include "failuremessage.h"

#include "common/datasize.h"
#include "common/plaintext.h"
#include "common/pluralcount.h"

#include <QDir>
#include <QLocale>

#include <algorithm>
#include <iterator>

namespace {

using Kind = TransferFailure::Kind;
using Refused = Refusal::Kind;

// A row's key: a network failure's kind or a refusal's.
struct Key
{
    bool network;
    int value;
    constexpr Key(Kind kind)
        : network(true)
        , value(int(kind))
    { }
    constexpr Key(Refused kind)
        : network(false)
        , value(int(kind))
    { }
    constexpr bool operator==(const Key &) const = default;
};

// The facts that fill a phrase.
enum class Facts {
    None,
    SystemReason, // the system's reason after it, where it tells more: "(Connection refused)"
    Seconds, // %1 the time-out
    Setting, // %1 the certificate setting: "CURL_CA_BUNDLE=/etc/corp/ca.pem"
    ServerText, // %1 the server's words
    Status, // %1 the status
    Size, // %1 the size, counted
    Sizes, // %1 the size, counted, and %2 the other size
    Path, // %1 the file the refusal names
    Room, // %1 the size needed, %2 the folder, %3 the room free there
    SizeAt, // %1 the size needed, %2 the folder
    Reason, // %1 the system's reason
    ReasonOnly, // no phrase of ours: the system's reason says it all ("No space left on device")
};

// Every way a download ends short of the archive, in the program's own words: the wording table.
struct Wording
{
    Key key;
    const char *phrase;
    Facts facts;
};

constexpr Wording wordings[] = {
    {Kind::NameNotFound, QT_TRANSLATE_NOOP("FailureMessage", "the server's name was not found"),
        Facts::SystemReason},
    {Kind::CouldNotConnect, QT_TRANSLATE_NOOP("FailureMessage", "could not reach the server"),
        Facts::SystemReason},
    {Kind::TimedOut, QT_TRANSLATE_NOOP("FailureMessage", "no answer from the server for %1 s"),
        Facts::Seconds},
    {Kind::ConnectionClosed, QT_TRANSLATE_NOOP("FailureMessage", "the server closed the connection"),
        Facts::SystemReason},
    {Kind::Http2Only, QT_TRANSLATE_NOOP("FailureMessage", "the server only speaks HTTP/2"), Facts::None},
    {Kind::Tls, QT_TRANSLATE_NOOP("FailureMessage", "the secure connection could not be set up"),
        Facts::SystemReason},
    {Kind::CertificateFileSetting,
        QT_TRANSLATE_NOOP("FailureMessage", "the certificate setting %1 does not name a file"),
        Facts::Setting},
    {Kind::CertificateFolderSetting,
        QT_TRANSLATE_NOOP("FailureMessage", "the certificate setting %1 does not name a folder"),
        Facts::Setting},
    {Kind::CertificateFileUnreadable,
        QT_TRANSLATE_NOOP("FailureMessage", "the certificates to trust could not be read from %1"),
        Facts::Setting},
    {Kind::CertificateNameMismatch,
        QT_TRANSLATE_NOOP("FailureMessage", "the server's certificate is not made out to its name"),
        Facts::None},
    {Kind::CertificateUntrusted,
        QT_TRANSLATE_NOOP("FailureMessage", "the server's certificate is not from an issuer trusted here"),
        Facts::SystemReason},
    {Kind::CertificateExpired, QT_TRANSLATE_NOOP("FailureMessage", "the server's certificate has expired"),
        Facts::None},
    {Kind::TooManyRedirects, QT_TRANSLATE_NOOP("FailureMessage", "the server redirected too many times"),
        Facts::None},
    {Kind::InsecureRedirect,
        QT_TRANSLATE_NOOP("FailureMessage", "refused a redirect from a secure address to an insecure one"),
        Facts::None},
    //: %1 is where the redirect led, cut after its scheme: "mailto:…".
    {Kind::NonWebRedirect,
        QT_TRANSLATE_NOOP("FailureMessage", "redirected to %1, which is not a web address it downloads from"),
        Facts::ServerText},
    {Kind::UnusableRedirect,
        QT_TRANSLATE_NOOP("FailureMessage", "the server redirected to an address that cannot be used"),
        Facts::None},
    {Kind::Protocol, QT_TRANSLATE_NOOP("FailureMessage", "the server's answer could not be read"),
        Facts::SystemReason},
    {Kind::BadStatusLine, QT_TRANSLATE_NOOP("FailureMessage", "the server's status line cannot be read"),
        Facts::None},
    {Kind::HeadTooLarge, QT_TRANSLATE_NOOP("FailureMessage", "the server's answer head is too large"),
        Facts::None},
    {Kind::Other, QT_TRANSLATE_NOOP("FailureMessage", "the transfer failed"), Facts::SystemReason},

    {Refused::NoData, QT_TRANSLATE_NOOP("FailureMessage", "the server sent no data"), Facts::None},
    {Refused::Empty, QT_TRANSLATE_NOOP("FailureMessage", "the archive on the server is empty"), Facts::None},
    {Refused::OtherSuccess,
        QT_TRANSLATE_NOOP(
            "FailureMessage", "the server answered with status %1 instead of sending the archive"),
        Facts::Status},
    {Refused::Encoded,
        QT_TRANSLATE_NOOP(
            "FailureMessage", "the server sent the archive encoded (%1) although it was asked not to"),
        Facts::ServerText},
    {Refused::WebPage,
        QT_TRANSLATE_NOOP("FailureMessage", "the server sent a web page instead of the archive"),
        Facts::None},
    {Refused::BadLength,
        QT_TRANSLATE_NOOP("FailureMessage", "the server announced a size that cannot be right (\"%1\")"),
        Facts::ServerText},
    {Refused::PartOnly,
        QT_TRANSLATE_NOOP("FailureMessage", "the server sent only part of the archive (\"%1\")"),
        Facts::ServerText},
    {Refused::PartWithoutRange,
        QT_TRANSLATE_NOOP("FailureMessage", "the server sent only part of the archive"), Facts::None},
    {Refused::Multipart,
        QT_TRANSLATE_NOOP("FailureMessage",
            "the server sent the archive wrapped in parts (multipart/byteranges) instead of as it is"),
        Facts::None},
    {Refused::UnknownTotal,
        QT_TRANSLATE_NOOP(
            "FailureMessage", "the server did not say how large the whole archive is (it sent \"%1\")"),
        Facts::ServerText},
    {Refused::TwoSizes,
        QT_TRANSLATE_N_NOOP("FailureMessage",
            "the server announced two different sizes: %1 bytes as its length and %2 in its range"),
        Facts::Sizes},
    {Refused::UnreadableDigest,
        QT_TRANSLATE_NOOP("FailureMessage", "the server gave a checksum of the archive that cannot be read"),
        Facts::None},
    {Refused::MoreThanAnnounced,
        QT_TRANSLATE_N_NOOP("FailureMessage", "the server sent more than the %1 bytes it announced"),
        Facts::Size},
    {Refused::DigestMismatch,
        QT_TRANSLATE_NOOP("FailureMessage", "the archive did not match the checksum the server gave"),
        Facts::None},

    {Refused::FolderUnknown, QT_TRANSLATE_NOOP("FailureMessage", "the folder to save in is unknown"),
        Facts::None},
    {Refused::Link,
        QT_TRANSLATE_NOOP("FailureMessage", "it is a link, and a download never writes through a link"),
        Facts::None},
    {Refused::NotRegularFile, QT_TRANSLATE_NOOP("FailureMessage", "it is not a regular file"), Facts::None},
    {Refused::OtherUsersFile,
        QT_TRANSLATE_NOOP(
            "FailureMessage", "it belongs to another user, and a download only writes files of its own"),
        Facts::None},
    {Refused::HardLinked,
        QT_TRANSLATE_NOOP("FailureMessage",
            "it has other names as well (hard links), and a download never writes into such a file"),
        Facts::None},
    {Refused::BeingWritten, QT_TRANSLATE_NOOP("FailureMessage", "another download is writing this file"),
        Facts::None},
    {Refused::ChangedAtOpen,
        QT_TRANSLATE_NOOP("FailureMessage", "someone changed the file as soon as it was opened"),
        Facts::None},
    {Refused::ChangedWhileWritten,
        QT_TRANSLATE_NOOP("FailureMessage", "the file was changed while it was being written"), Facts::None},
    {Refused::ChangedSize,
        QT_TRANSLATE_N_NOOP(
            "FailureMessage", "the file was changed while it was being written (it holds %1 bytes, not %2)"),
        Facts::Sizes},
    {Refused::Replaced,
        QT_TRANSLATE_NOOP("FailureMessage", "the file was replaced while it was being written"), Facts::None},
    {Refused::GivenAnotherName,
        QT_TRANSLATE_NOOP("FailureMessage", "the file was given another name while it was being written"),
        Facts::None},
    {Refused::NotConfirmed,
        QT_TRANSLATE_NOOP("FailureMessage",
            "the new archive is in place, but the system could not confirm that it is on the disk (%1)"),
        Facts::Reason},
    {Refused::NoRoom, QT_TRANSLATE_NOOP("FailureMessage", "needs %1; the disk of %2 has %3 free"),
        Facts::Room},
    {Refused::TooLarge,
        QT_TRANSLATE_NOOP("FailureMessage", "needs %1; the disk of %2 cannot hold a file that large"),
        Facts::SizeAt},
    {Refused::System, nullptr, Facts::ReasonOnly},

    {Refused::NoHome,
        QT_TRANSLATE_NOOP("FailureMessage", "there is no home folder to find the download folder in"),
        Facts::None},
    {Refused::DownloadFolderRelative,
        QT_TRANSLATE_NOOP("FailureMessage", "the download folder set in %1 is not an absolute path"),
        Facts::Path},
    {Refused::DownloadFolderUnspellable,
        QT_TRANSLATE_NOOP("FailureMessage",
            "the name of the download folder set in %1 is not valid in the system's encoding of file names"),
        Facts::Path},
    {Refused::ConfigNotRegularFile,
        QT_TRANSLATE_NOOP(
            "FailureMessage", "the download folder cannot be read from %1, which is not a regular file"),
        Facts::Path},
    {Refused::FolderNotMade, QT_TRANSLATE_NOOP("FailureMessage", "the folder could not be created (%1)"),
        Facts::Reason},
};

// The standard meaning of each status, as RFC 9110 names it; the server's own phrase is only logged.
struct StatusMeaning
{
    int status;
    const char *meaning;
};

constexpr StatusMeaning statusMeanings[] = {
    {300, QT_TRANSLATE_NOOP("FailureMessage", "Multiple Choices")},
    {301, QT_TRANSLATE_NOOP("FailureMessage", "Moved Permanently")},
    {302, QT_TRANSLATE_NOOP("FailureMessage", "Found")},
    {303, QT_TRANSLATE_NOOP("FailureMessage", "See Other")},
    {304, QT_TRANSLATE_NOOP("FailureMessage", "Not Modified")},
    {305, QT_TRANSLATE_NOOP("FailureMessage", "Use Proxy")},
    {307, QT_TRANSLATE_NOOP("FailureMessage", "Temporary Redirect")},
    {308, QT_TRANSLATE_NOOP("FailureMessage", "Permanent Redirect")},
    {400, QT_TRANSLATE_NOOP("FailureMessage", "Bad Request")},
    {401, QT_TRANSLATE_NOOP("FailureMessage", "Unauthorized")},
    {402, QT_TRANSLATE_NOOP("FailureMessage", "Payment Required")},
    {403, QT_TRANSLATE_NOOP("FailureMessage", "Forbidden")},
    {404, QT_TRANSLATE_NOOP("FailureMessage", "Not Found")},
    {405, QT_TRANSLATE_NOOP("FailureMessage", "Method Not Allowed")},
    {406, QT_TRANSLATE_NOOP("FailureMessage", "Not Acceptable")},
    {407, QT_TRANSLATE_NOOP("FailureMessage", "Proxy Authentication Required")},
    {408, QT_TRANSLATE_NOOP("FailureMessage", "Request Timeout")},
    {409, QT_TRANSLATE_NOOP("FailureMessage", "Conflict")},
    {410, QT_TRANSLATE_NOOP("FailureMessage", "Gone")},
    {411, QT_TRANSLATE_NOOP("FailureMessage", "Length Required")},
    {412, QT_TRANSLATE_NOOP("FailureMessage", "Precondition Failed")},
    {413, QT_TRANSLATE_NOOP("FailureMessage", "Content Too Large")},
    {414, QT_TRANSLATE_NOOP("FailureMessage", "URI Too Long")},
    {415, QT_TRANSLATE_NOOP("FailureMessage", "Unsupported Media Type")},
    {416, QT_TRANSLATE_NOOP("FailureMessage", "Range Not Satisfiable")},
    {417, QT_TRANSLATE_NOOP("FailureMessage", "Expectation Failed")},
    {421, QT_TRANSLATE_NOOP("FailureMessage", "Misdirected Request")},
    {422, QT_TRANSLATE_NOOP("FailureMessage", "Unprocessable Content")},
    {426, QT_TRANSLATE_NOOP("FailureMessage", "Upgrade Required")},
    {429, QT_TRANSLATE_NOOP("FailureMessage", "Too Many Requests")},
    {451, QT_TRANSLATE_NOOP("FailureMessage", "Unavailable For Legal Reasons")},
    {500, QT_TRANSLATE_NOOP("FailureMessage", "Internal Server Error")},
    {501, QT_TRANSLATE_NOOP("FailureMessage", "Not Implemented")},
    {502, QT_TRANSLATE_NOOP("FailureMessage", "Bad Gateway")},
    {503, QT_TRANSLATE_NOOP("FailureMessage", "Service Unavailable")},
    {504, QT_TRANSLATE_NOOP("FailureMessage", "Gateway Timeout")},
    {505, QT_TRANSLATE_NOOP("FailureMessage", "HTTP Version Not Supported")},
    {511, QT_TRANSLATE_NOOP("FailureMessage", "Network Authentication Required")},
};

// "404, Not Found"; an unknown status by its number alone.
QString statusWords(int status)
{
    const auto known = std::find_if(std::begin(statusMeanings), std::end(statusMeanings),
        [status](const StatusMeaning &row) { return row.status == status; });
    if (known == std::end(statusMeanings))
        return QString::number(status);
    //: A status and its standard meaning: "404, Not Found".
    return FailureMessage::tr("%1, %2", "status")
        .arg(QString::number(status), FailureMessage::tr(known->meaning));
}

// A failure and the system's own few words on it, when it gave any: "could not reach the server
// (Connection refused)".
QString withSystemReason(const QString &phrase, const QString &systemReason)
{
    if (systemReason.isEmpty())
        return phrase;
    //: A failure and the system's own few words on it, often in English: "could not reach the server
    //: (Connection refused)".
    return FailureMessage::tr("%1 (%2)").arg(phrase, PlainText::clean(systemReason));
}

// The proxy as it was set: "http_proxy=http://127.0.0.1:3128", or the address the desktop's settings gave.
QString proxyNamed(const TransferFailure &failure)
{
    const QString address = PlainText::clean(PlainText::withoutCredentials(failure.proxy));
    return failure.proxySource.isEmpty() ? FailureMessage::tr("%1 from the desktop's settings").arg(address)
                                         : failure.proxySource + QLatin1Char('=') + address;
}

// A proxy that answered for the server, with `status`: to its CONNECT, or to the request itself.
QString proxyAnswered(const TransferFailure &failure, int status, bool toConnect)
{
    const QString proxy = proxyNamed(failure);
    const QString answer = statusWords(status);
    if (status == 407 && failure.proxyCredentials) {
        return FailureMessage::tr("the proxy %1 did not accept the user name and password (it answered %2)")
            .arg(proxy, answer);
    }
    if (status == 407) {
        return FailureMessage::tr("the proxy %1 asks for a user name and password (it answered %2)")
            .arg(proxy, answer);
    }
    if (toConnect) {
        return FailureMessage::tr("the proxy %1 refused to open a connection to the server (it answered %2)")
            .arg(proxy, answer);
    }
    return FailureMessage::tr("the proxy %1 answered %2 instead of the server").arg(proxy, answer);
}

// A failure of the proxy rather than of the server, which the user can only mend in the proxy setting.
QString proxyPhrase(const TransferFailure &failure)
{
    const QString proxy = proxyNamed(failure);
    QString phrase;
    switch (failure.kind) {
    case Kind::ProxySetting:
        return FailureMessage::tr("the proxy setting %1 cannot be read").arg(proxy);
    case Kind::NameNotFound:
        return FailureMessage::tr("the proxy's name in %1 was not found").arg(proxy);
    case Kind::CouldNotConnect:
        phrase = FailureMessage::tr("could not reach the proxy %1").arg(proxy);
        break;
    default:
        if (!failure.serverText.isEmpty())
            return proxyAnswered(failure, failure.serverText.toInt(), true);
        phrase = FailureMessage::tr("the proxy %1 failed").arg(proxy);
    }
    return withSystemReason(phrase, failure.systemReason);
}

// A row of the wording table, filled with its facts: "the server sent more than the 7 bytes it announced".
QString worded(const Wording &row, const TransferResult &result, const QLocale &locale)
{
    const Refusal &refusal = result.refusal;
    const QString systemReason = row.key.network ? result.failure.systemReason : refusal.systemReason;
    QString phrase = row.phrase ? FailureMessage::tr(row.phrase) : QString();
    switch (row.facts) {
    case Facts::None:
        return phrase;
    case Facts::SystemReason:
        return withSystemReason(phrase, systemReason);
    case Facts::Seconds:
        return phrase.arg(locale.toString(result.timeoutSeconds));
    case Facts::Setting:
        return phrase.arg(result.failure.variable + QLatin1Char('=') + PlainText::clean(result.failure.path));
    case Facts::ServerText:
        return phrase.arg(
            PlainText::fromServer(row.key.network ? result.failure.serverText : refusal.serverText));
    case Facts::Status:
        return phrase.arg(refusal.status);
    case Facts::Size:
        return FailureMessage::tr(row.phrase, nullptr, pluralCount(refusal.size))
            .arg(locale.toString(refusal.size));
    case Facts::Sizes:
        return FailureMessage::tr(row.phrase, nullptr, pluralCount(refusal.size))
            .arg(locale.toString(refusal.size), locale.toString(refusal.otherSize));
    case Facts::Room:
        return phrase.arg(DataSize::text(refusal.size, locale), PlainText::clean(refusal.path),
            DataSize::text(refusal.otherSize, locale));
    case Facts::SizeAt:
        return phrase.arg(DataSize::text(refusal.size, locale), PlainText::clean(refusal.path));
    case Facts::Path:
        return phrase.arg(PlainText::clean(refusal.path));
    case Facts::Reason:
        return phrase.arg(PlainText::clean(systemReason));
    case Facts::ReasonOnly:
        return PlainText::clean(systemReason);
    }
    return phrase;
}

const Wording &wordingFor(Key key)
{
    const auto row = std::find_if(
        std::begin(wordings), std::end(wordings), [key](const Wording &w) { return w.key == key; });
    // A failure the transfer did not classify is still a failure.
    return row != std::end(wordings) ? *row : wordingFor(Kind::Other);
}

// What went wrong, without the sizes: "could not reach the server (Connection refused)".
QString failurePhrase(const TransferResult &result, const QLocale &locale)
{
    const TransferFailure &failure = result.failure;
    if (failure.atProxy || failure.kind == Kind::ProxySetting)
        return proxyPhrase(failure);
    const Wording &row = wordingFor(failure.kind);
    const bool withReason = row.facts == Facts::SystemReason;
    QString phrase = withReason ? FailureMessage::tr(row.phrase) : worded(row, result, locale);
    // The server's own words, when they are known, shown as the server's.
    if (!failure.serverText.isEmpty() && row.facts != Facts::ServerText) {
        //: A failure and the server's own words it is about: the server's status line cannot be read:
        //: "HTTP/1.1 2OO OK".
        phrase = FailureMessage::tr("%1: \"%2\"").arg(phrase, PlainText::fromServer(failure.serverText));
    }
    return withReason ? withSystemReason(phrase, failure.systemReason) : phrase;
}

// Why the download ended short of the archive, for any outcome but the complete and the cancelled.
QString endingPhrase(const TransferResult &result, const QLocale &locale)
{
    switch (result.outcome) {
    case TransferResult::Outcome::ServerRefused:
        if (result.failure.proxy.isEmpty())
            return FailureMessage::tr("the server answered %1").arg(statusWords(result.status));
        if (result.status == 407 || result.failure.atProxy)
            return proxyAnswered(result.failure, result.status, false);
        // The server's answer, passed on, or one the proxy made without saying so.
        //: "the answer through the proxy http_proxy=http://127.0.0.1:3128 was 500, Internal Server Error"
        return FailureMessage::tr("the answer through the proxy %1 was %2")
            .arg(proxyNamed(result.failure), statusWords(result.status));
    case TransferResult::Outcome::NotTheArchive:
    case TransferResult::Outcome::CannotWrite:
        return worded(wordingFor(result.refusal.kind), result, locale);
    case TransferResult::Outcome::Incomplete:
        // The body fell short without any failure: the server ended it early in good order.
        if (!result.failure.failed())
            return FailureMessage::tr("the server ended the body");
        return failurePhrase(result, locale);
    default:
        return failurePhrase(result, locale);
    }
}

// The file a message names: the .part file where the download ended at it, else the archive that could
// not be put in place, else the folder that could not be had.
const QString &namedFile(const TransferResult &result)
{
    return !result.partial.isEmpty() ? result.partial
        : !result.archive.isEmpty()  ? result.archive
                                     : result.folder;
}

} // namespace

QString FailureMessage::text(const QString &toolName, const TransferResult &result)
{
    const QLocale locale;
    const QString path = PlainText::clean(namedFile(result));
    const QString phrase = endingPhrase(result, locale);
    switch (result.outcome) {
    case TransferResult::Outcome::Complete:
    case TransferResult::Outcome::Cancelled:
        return {};
    case TransferResult::Outcome::NetworkFailed:
        return tr("%1 could not be downloaded: %2.").arg(toolName, phrase);
    case TransferResult::Outcome::ServerRefused:
    case TransferResult::Outcome::NotTheArchive:
        return tr("%1 could not be downloaded: %2. The earlier archive, if any, is unchanged.")
            .arg(toolName, phrase);
    case TransferResult::Outcome::Incomplete: {
        if (result.received == 0) {
            //: %2 says why, e.g. "the server closed the connection".
            return tr(
                "%1 could not be downloaded: %2 before any of the archive arrived. The earlier archive, if "
                "any, is unchanged.")
                .arg(toolName, phrase);
        }
        const QString arrived = result.expected > 0
            ? DataSize::partOf(result.received, result.expected, locale)
            : DataSize::text(result.received, locale);
        //: %2 says why, e.g. "the server closed the connection"; %3 is how much arrived: "293.0 of
        //: 878.9 KiB", or "293.0 KiB" when the size was never told.
        return tr("The download of %1 is incomplete: %2 after %3.\nThe partial data is kept in %4.")
            .arg(toolName, phrase, arrived, path);
    }
    case TransferResult::Outcome::CannotWrite:
        // Without a folder there is no path to name.
        if (path.isEmpty())
            return tr("%1 could not be saved: %2.").arg(toolName, phrase);
        return tr("%1 could not be saved to %2: %3.").arg(toolName, path, phrase);
    }
    return {};
}

QString FailureMessage::outcome(const QString &toolName, const TransferResult &result)
{
    const QLocale locale;
    const QString size = DataSize::text(result.received, locale);
    const QString where = homeShortened(PlainText::clean(namedFile(result)));
    QString words;
    switch (result.outcome) {
    case TransferResult::Outcome::Complete:
        words = tr("%1 saved in %2").arg(size, homeShortened(PlainText::clean(result.folder)));
        break;
    case TransferResult::Outcome::Cancelled:
        // Whatever had arrived went with the transfer.
        words = tr("cancelled");
        break;
    case TransferResult::Outcome::ServerRefused:
    case TransferResult::Outcome::NetworkFailed:
    case TransferResult::Outcome::NotTheArchive:
        words = endingPhrase(result, locale);
        break;
    case TransferResult::Outcome::Incomplete:
        words = result.received == 0 ? endingPhrase(result, locale)
                                     : tr("incomplete, %1 kept in %2").arg(size, where);
        break;
    case TransferResult::Outcome::CannotWrite:
        words = where.isEmpty() ? tr("could not be saved") : tr("could not be saved to %1").arg(where);
        break;
    }
    //: How the last download ended, after the tool's name: "Vorn Scanner V1.40: 2.0 MiB saved in
    //: ~/Downloads".
    return tr("%1: %2").arg(toolName, words);
}

QString FailureMessage::homeShortened(const QString &path)
{
    const QString home = QDir::homePath();
    if (home.isEmpty() || home == QLatin1String("/"))
        return path;
    if (path == home)
        return QStringLiteral("~");
    if (path.startsWith(home + QLatin1Char('/')))
        return QLatin1Char('~') + path.mid(home.size());
    return path;
}
