#include "download/answercheck.h"

#include <QCryptographicHash>
#include <QTest>

Q_DECLARE_METATYPE(AnswerHead)

namespace {

// A head as the transfer hands it over, framed by `length`, libcurl's reading of Content-Length (-1 for
// none it could use).
AnswerHead answer(int status, qint64 length, const QStringList &lines = {})
{
    AnswerHead head{.status = status};
    for (const QString &line : lines)
        head.headers[line.section(u':', 0, 0).toLower().toLatin1()].append(
            line.section(u':', 1).trimmed().toLatin1());
    head.frameBy(length);
    return head;
}

} // namespace

// Whether an answer is the whole archive, decided from its head and then its body: the rules alone,
// with the head as the transfer hands it over.
class TestAnswerCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void head_data();
    void head();
    void statedDigest_data();
    void statedDigest();
    void body_data();
    void body();
};

void TestAnswerCheck::head_data()
{
    QTest::addColumn<AnswerHead>("head");
    QTest::addColumn<qint64>("expected"); // the body's size when the answer is taken; 0 for unknown
    QTest::addColumn<Refusal>("refusal"); // none: the answer is the archive

    using Kind = Refusal::Kind;
    const Refusal noData{Kind::NoData};
    const Refusal empty{Kind::Empty};
    const Refusal page{Kind::WebPage};
    const auto part
        = [](const QString &range) { return Refusal{.kind = Kind::PartOnly, .serverText = range}; };
    const auto badSize
        = [](const QString &length) { return Refusal{.kind = Kind::BadLength, .serverText = length}; };
    const auto taken = [](const char *tag, const AnswerHead &head, qint64 expected) {
        QTest::newRow(tag) << head << expected << Refusal();
    };
    const auto refused = [](const char *tag, const AnswerHead &head, const Refusal &refusal) {
        QTest::newRow(tag) << head << qint64(0) << refusal;
    };
    refused("204 No Content", answer(204, -1), noData);
    refused("205 Reset Content", answer(205, -1), noData);
    // An empty archive, however the server tells it.
    refused("Content-Length: 0", answer(200, 0, {u"Content-Length: 0"_qs}), empty);
    refused("416 for an empty file", answer(416, 0, {u"Content-Range: Bytes */0"_qs}), empty);
    // No more than a refusal: told as the server's answer.
    refused("416 for a file that has bytes", answer(416, 0, {u"Content-Range: bytes */500"_qs}),
        {.kind = Kind::OtherSuccess, .status = 416});
    refused("206 for a later range",
        answer(206, 500, {u"Content-Length: 500"_qs, u"Content-Range: bytes 100-599/600"_qs}),
        part(u"bytes 100-599/600"_qs));
    refused("206 for the start only",
        answer(206, 500, {u"Content-Length: 500"_qs, u"Content-Range: bytes 0-499/600"_qs}),
        part(u"bytes 0-499/600"_qs));
    // Perhaps all of it, perhaps not: the server did not say how large the whole is.
    refused("206 of unknown total",
        answer(206, 500, {u"Content-Length: 500"_qs, u"Content-Range: bytes 0-499/*"_qs}),
        {.kind = Kind::UnknownTotal, .serverText = u"bytes 0-499/*"_qs});
    refused("206 without a range", answer(206, 500, {u"Content-Length: 500"_qs}), {Kind::PartWithoutRange});
    // The whole archive perhaps, but wrapped in parts with heads of their own.
    refused("206 in parts", answer(206, 700, {u"Content-Type: multipart/byteranges; boundary=3d6b"_qs}),
        {Kind::Multipart});
    taken("206 for the whole file",
        answer(206, 2500, {u"Content-Length: 2500"_qs, u"Content-Range: bytes 0-2499/2500"_qs}), 2500);
    // Refused by us, or already by a stricter HTTP parser as a malformed answer.
    refused("length beyond 64 bits", answer(200, -1, {u"Content-Length: 99999999999999999999999"_qs}),
        badSize(u"99999999999999999999999"_qs));
    refused("negative length", answer(200, -1, {u"Content-Length: -1"_qs}), badSize(u"-1"_qs));
    // The transfer would end the body where its own reading of the length says ("2" of "2.5e3"): one
    // reading of the length, or none.
    refused("length with an exponent", answer(200, 2, {u"Content-Length: 2.5e3"_qs}), badSize(u"2.5e3"_qs));
    refused(
        "length with a fraction", answer(200, 2501, {u"Content-Length: 2501.5"_qs}), badSize(u"2501.5"_qs));
    taken("length followed by a word", answer(200, 2500, {u"Content-Length: 2500 bytes"_qs}), 2500);
    taken("leading zeros, above 4 GiB", answer(200, 5000000000, {u"Content-Length: 005000000000"_qs}),
        5000000000);
    taken("length run into letters", answer(200, 2500, {u"Content-Length: 2500abc"_qs}), 2500);
    refused("a web page", answer(200, -1, {u"Content-Type: text/html; charset=utf-8"_qs}), page);
    refused("a web page, type in capitals", answer(200, -1, {u"Content-Type: Text/HTML"_qs}), page);
    refused("an XHTML page", answer(200, -1, {u"Content-Type: application/xhtml+xml"_qs}), page);
    taken("a page sent as an attachment",
        answer(200, -1,
            {u"Content-Type: text/html"_qs, u"Content-Disposition: attachment; filename=\"tool.rar\""_qs}),
        0);
    refused("gzip-encoded", answer(200, -1, {u"Content-Encoding: gzip"_qs}),
        {.kind = Kind::Encoded, .serverText = u"gzip"_qs});
    taken("identity encoding", answer(200, -1, {u"Content-Encoding: identity"_qs}), 0);
    // Whichever of two types a browser believes, the page is the one to fear.
    refused("two types, one a page",
        answer(200, 500,
            {u"Content-Length: 500"_qs, u"Content-Type: application/octet-stream"_qs,
                u"Content-Type: text/html"_qs}),
        page);
    // Of a list, it is chance which number frames the body.
    refused("list of lengths", answer(200, 100, {u"Content-Length: 100, 50"_qs}), badSize(u"100, 50"_qs));
    // Two headers that disagree leave no way to tell where the body ends (libcurl frames it by one).
    refused("two different lengths",
        answer(200, 5000, {u"Content-Length: 3000"_qs, u"Content-Length: 5000"_qs}),
        badSize(u"3000, 5000"_qs));
    refused("206 whose range and length disagree",
        answer(206, 200, {u"Content-Length: 200"_qs, u"Content-Range: bytes 0-99/100"_qs}),
        {.kind = Kind::TwoSizes, .size = 200, .otherSize = 100});
    taken("206 for the whole file, no length", answer(206, -1, {u"Content-Range: bytes 0-99/100"_qs}), 100);
    // A delta to a copy we do not have, or any other success that is no archive.
    refused("226 IM Used", answer(226, 500, {u"Content-Length: 500"_qs}),
        {.kind = Kind::OtherSuccess, .status = 226});
}

void TestAnswerCheck::statedDigest_data()
{
    QTest::addColumn<AnswerHead>("head");
    QTest::addColumn<QByteArray>("sha256"); // what the body must hash to; empty when nothing is stated
    QTest::addColumn<bool>("readable");

    const QByteArray sha256 = QCryptographicHash::hash("archive", QCryptographicHash::Sha256);
    const QString base64 = QString::fromLatin1(sha256.toBase64());
    const QString other = QString::fromLatin1(QByteArray(32, 'x').toBase64());
    // Of a 200 without a length.
    const auto stated
        = [](const char *tag, const QStringList &lines, const QByteArray &digest, bool readable) {
              QTest::newRow(tag) << answer(200, -1, lines) << digest << readable;
          };
    const QByteArray none;
    stated("Repr-Digest", {u"Repr-Digest: sha-256=:"_qs + base64 + u':'}, sha256, true);
    stated("Repr-Digest beside others",
        {u"Repr-Digest: sha-512=:AAAA:, sha-256=:"_qs + base64 + u":;p=1, md5=\"x\""_qs}, sha256, true);
    // The digest of the bytes as sent, which here are the whole archive, not encoded.
    stated("Content-Digest", {u"Content-Digest: sha-256=:"_qs + base64 + u':'}, sha256, true);
    QTest::newRow("Content-Digest of a 206 covering all")
        << answer(206, 7, {u"Content-Range: bytes 0-6/7"_qs, u"Content-Digest: sha-256=:"_qs + base64 + u':'})
        << sha256 << true;
    // Case-insensitive by its own older rules.
    stated("older Digest", {u"Digest: SHA-256="_qs + base64}, sha256, true);
    stated("a comma inside a quoted member", {u"Repr-Digest: md5=\"a,B\", sha-256=:"_qs + base64 + u':'},
        sha256, true);
    stated("both, the same", {u"Repr-Digest: sha-256=:"_qs + base64 + u':', u"Digest: sha-256="_qs + base64},
        sha256, true);
    // Not ours to check.
    stated("unknown algorithms only", {u"Repr-Digest: sha-512=:AAAA:"_qs, u"Digest: UNIXsum=30637"_qs}, none,
        true);
    // A check the server asked for is not quietly left out.
    stated("not base64", {u"Repr-Digest: sha-256=:no such thing!:"_qs}, none, false);
    stated("not a byte sequence", {u"Repr-Digest: sha-256="_qs + base64}, none, false);
    stated("too short for SHA-256", {u"Digest: SHA-256=AAAA"_qs}, none, false);
    // Not a key of a Structured Fields dictionary, which are lower case: the field is malformed.
    stated("upper-case key in Repr-Digest", {u"Repr-Digest: SHA-256=:"_qs + base64 + u':'}, none, false);
    stated(
        "upper-case key in Content-Digest", {u"Content-Digest: Sha-256=:"_qs + base64 + u':'}, none, false);
    stated("Content-Digest and Repr-Digest disagree",
        {u"Repr-Digest: sha-256=:"_qs + base64 + u':', u"Content-Digest: sha-256=:"_qs + other + u':'}, none,
        false);
    stated("two that disagree",
        {u"Repr-Digest: sha-256=:"_qs + base64 + u':', u"Digest: SHA-256="_qs + other}, none, false);
}

void TestAnswerCheck::statedDigest()
{
    QFETCH(AnswerHead, head);
    QFETCH(QByteArray, sha256);
    QFETCH(bool, readable);

    const AnswerCheck::Verdict verdict = AnswerCheck::checkHead(head);
    QCOMPARE(verdict.isArchive, readable);
    if (readable)
        QCOMPARE(verdict.sha256, sha256);
    else
        QCOMPARE(verdict.refusal, Refusal{Refusal::Kind::UnreadableDigest});
}

void TestAnswerCheck::head()
{
    QFETCH(AnswerHead, head);
    QFETCH(qint64, expected);
    QFETCH(Refusal, refusal);

    const AnswerCheck::Verdict verdict = AnswerCheck::checkHead(head);
    QCOMPARE(verdict.refusal.kind, refusal.kind);
    QCOMPARE(verdict.refusal, refusal);
    QCOMPARE(verdict.isArchive, !refusal.refused());
    QCOMPARE(AnswerCheck::saysEmpty(head), head.status == 416 && refusal.kind == Refusal::Kind::Empty);
    if (verdict.isArchive)
        QCOMPARE(verdict.expected, expected);
}

void TestAnswerCheck::body_data()
{
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<QByteArray>("statedSha256");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<Refusal>("refusal");

    const Refusal beyond7{.kind = Refusal::Kind::MoreThanAnnounced, .size = 7};
    const QByteArray sha256 = QCryptographicHash::hash("archive", QCryptographicHash::Sha256);
    QTest::newRow("closed after the head, no length")
        << qint64(0) << QByteArray() << QByteArray() << Refusal{Refusal::Kind::Empty};
    QTest::newRow("one byte") << qint64(0) << QByteArray() << QByteArray("a") << Refusal();
    QTest::newRow("all announced") << qint64(7) << QByteArray() << QByteArray("archive") << Refusal();
    QTest::newRow("more than announced")
        << qint64(7) << QByteArray() << QByteArray("archive, and more") << beyond7;
    QTest::newRow("one byte more than announced")
        << qint64(7) << QByteArray() << QByteArray("archive!") << beyond7;
    QTest::newRow("digest matches") << qint64(7) << sha256 << QByteArray("archive") << Refusal();
    QTest::newRow("digest does not match")
        << qint64(7) << sha256 << QByteArray("arshive") << Refusal{Refusal::Kind::DigestMismatch};
}

void TestAnswerCheck::body()
{
    QFETCH(qint64, expected);
    QFETCH(QByteArray, statedSha256);
    QFETCH(QByteArray, body);
    QFETCH(Refusal, refusal);

    AnswerCheck::Verdict head;
    head.isArchive = true;
    head.expected = expected;
    head.sha256 = statedSha256;
    QCOMPARE(
        AnswerCheck::checkBody(head, body.size(), QCryptographicHash::hash(body, QCryptographicHash::Sha256)),
        refusal);
}

QTEST_APPLESS_MAIN(TestAnswerCheck)
#include "tst_answercheck.moc"
