#include "download/answercheck.h"

#include <QCryptographicHash>
#include <QTest>

Q_DECLARE_METATYPE(AnswerHead)

namespace {

// A head as the transfer hands it over, framed by `length`, libcurl's reading of Content-Length (-1 for
// none it could use); `lines` are its header lines.
AnswerHead answer(int status, qint64 length, const QByteArray &lines = {})
{
    AnswerHead head{.status = status};
    for (const QByteArray &line : lines.split('\n')) {
        if (const qsizetype colon = line.indexOf(':'); colon > 0)
            head.headers[line.left(colon).toLower()].append(line.mid(colon + 1).trimmed());
    }
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
    void start_data();
    void start();
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
    const auto saying = [](Kind kind, const char *text) {
        return Refusal{.kind = kind, .serverText = QString::fromLatin1(text)};
    };
    const auto part = [&](const char *range) { return saying(Kind::PartOnly, range); };
    const auto badSize = [&](const char *length) { return saying(Kind::BadLength, length); };
    const auto taken = [](const char *tag, const AnswerHead &head, qint64 expected) {
        QTest::newRow(tag) << head << expected << Refusal();
    };
    const auto refused = [](const char *tag, const AnswerHead &head, const Refusal &refusal) {
        QTest::newRow(tag) << head << qint64(0) << refusal;
    };
    refused("204 No Content", answer(204, -1), noData);
    refused("205 Reset Content", answer(205, -1), noData);
    // An empty archive, however the server tells it.
    refused("Content-Length: 0", answer(200, 0, "Content-Length: 0"), empty);
    refused("416 for an empty file", answer(416, 0, "Content-Range: Bytes */0"), empty);
    // No more than a refusal: told as the server's answer.
    refused("416 for a file that has bytes", answer(416, 0, "Content-Range: bytes */500"),
        {.kind = Kind::OtherSuccess, .status = 416});
    refused("206 for a later range",
        answer(206, 500, "Content-Length: 500\nContent-Range: bytes 100-599/600"), part("bytes 100-599/600"));
    refused("206 for the start only", answer(206, 500, "Content-Length: 500\nContent-Range: bytes 0-499/600"),
        part("bytes 0-499/600"));
    // Perhaps all of it, perhaps not: the server did not say how large the whole is.
    refused("206 of unknown total", answer(206, 500, "Content-Length: 500\nContent-Range: bytes 0-499/*"),
        saying(Kind::UnknownTotal, "bytes 0-499/*"));
    refused("206 without a range", answer(206, 500, "Content-Length: 500"), {Kind::PartWithoutRange});
    // The whole archive perhaps, but wrapped in parts with heads of their own.
    refused("206 in parts", answer(206, 700, "Content-Type: multipart/byteranges; boundary=3d6b"),
        {Kind::Multipart});
    taken("206 for the whole file",
        answer(206, 2500, "Content-Length: 2500\nContent-Range: bytes 0-2499/2500"), 2500);
    // Refused by us, or already by a stricter HTTP parser as a malformed answer.
    refused("length beyond 64 bits", answer(200, -1, "Content-Length: 99999999999999999999999"),
        badSize("99999999999999999999999"));
    refused("negative length", answer(200, -1, "Content-Length: -1"), badSize("-1"));
    // The transfer would end the body where its own reading of the length says ("2" of "2.5e3"): one
    // reading of the length, or none.
    refused("length with an exponent", answer(200, 2, "Content-Length: 2.5e3"), badSize("2.5e3"));
    refused("length with a fraction", answer(200, 2501, "Content-Length: 2501.5"), badSize("2501.5"));
    taken("length followed by a word", answer(200, 2500, "Content-Length: 2500 bytes"), 2500);
    taken("leading zeros, above 4 GiB", answer(200, 5000000000, "Content-Length: 005000000000"), 5000000000);
    taken("length run into letters", answer(200, 2500, "Content-Length: 2500abc"), 2500);
    refused("gzip-encoded", answer(200, -1, "Content-Encoding: gzip"), saying(Kind::Encoded, "gzip"));
    taken("identity encoding", answer(200, -1, "Content-Encoding: identity"), 0);
    // Of a list, it is chance which number frames the body.
    refused("list of lengths", answer(200, 100, "Content-Length: 100, 50"), badSize("100, 50"));
    // Two headers that disagree leave no way to tell where the body ends (libcurl frames it by one).
    refused("two different lengths", answer(200, 5000, "Content-Length: 3000\nContent-Length: 5000"),
        badSize("3000, 5000"));
    refused("206 whose range and length disagree",
        answer(206, 200, "Content-Length: 200\nContent-Range: bytes 0-99/100"),
        {.kind = Kind::TwoSizes, .size = 200, .otherSize = 100});
    taken("206 for the whole file, no length", answer(206, -1, "Content-Range: bytes 0-99/100"), 100);
    // A delta to a copy we do not have, or any other success that is no archive.
    refused(
        "226 IM Used", answer(226, 500, "Content-Length: 500"), {.kind = Kind::OtherSuccess, .status = 226});
}

void TestAnswerCheck::statedDigest_data()
{
    QTest::addColumn<AnswerHead>("head");
    QTest::addColumn<QByteArray>("sha256"); // what the body must hash to; empty when nothing is stated
    QTest::addColumn<bool>("readable");

    const QByteArray sha256 = QCryptographicHash::hash("archive", QCryptographicHash::Sha256);
    const QByteArray base64 = sha256.toBase64();
    const QByteArray other = QByteArray(32, 'x').toBase64();
    // Of a 200 without a length.
    const auto stated
        = [](const char *tag, const QByteArray &lines, const QByteArray &digest, bool readable) {
              QTest::newRow(tag) << answer(200, -1, lines) << digest << readable;
          };
    const QByteArray none;
    stated("Repr-Digest", "Repr-Digest: sha-256=:" + base64 + ":", sha256, true);
    stated("Repr-Digest beside others",
        "Repr-Digest: sha-512=:AAAA:, sha-256=:" + base64 + ":;p=1, md5=\"x\"", sha256, true);
    // The digest of the bytes as sent, which here are the whole archive, not encoded.
    stated("Content-Digest", "Content-Digest: sha-256=:" + base64 + ":", sha256, true);
    QTest::newRow("Content-Digest of a 206 covering all")
        << answer(206, 7, "Content-Range: bytes 0-6/7\nContent-Digest: sha-256=:" + base64 + ":") << sha256
        << true;
    // Case-insensitive by its own older rules.
    stated("older Digest", "Digest: SHA-256=" + base64, sha256, true);
    stated(
        "a comma inside a quoted member", "Repr-Digest: md5=\"a,B\", sha-256=:" + base64 + ":", sha256, true);
    stated(
        "both, the same", "Repr-Digest: sha-256=:" + base64 + ":\nDigest: sha-256=" + base64, sha256, true);
    // Not ours to check.
    stated("unknown algorithms only", "Repr-Digest: sha-512=:AAAA:\nDigest: UNIXsum=30637", none, true);
    // A check the server asked for is not quietly left out.
    stated("not base64", "Repr-Digest: sha-256=:no such thing!:", none, false);
    stated("not a byte sequence", "Repr-Digest: sha-256=" + base64, none, false);
    stated("too short for SHA-256", "Digest: SHA-256=AAAA", none, false);
    // Not a key of a Structured Fields dictionary, which are lower case: the field is malformed.
    stated("upper-case key in Repr-Digest", "Repr-Digest: SHA-256=:" + base64 + ":", none, false);
    stated("upper-case key in Content-Digest", "Content-Digest: Sha-256=:" + base64 + ":", none, false);
    stated("Content-Digest and Repr-Digest disagree",
        "Repr-Digest: sha-256=:" + base64 + ":\nContent-Digest: sha-256=:" + other + ":", none, false);
    stated(
        "two that disagree", "Repr-Digest: sha-256=:" + base64 + ":\nDigest: SHA-256=" + other, none, false);
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

void TestAnswerCheck::start_data()
{
    QTest::addColumn<AnswerHead>("head");
    QTest::addColumn<QByteArray>("start"); // the body's first bytes, all of it when shorter
    QTest::addColumn<bool>("page");

    const AnswerHead labelled = answer(200, -1, "Content-Type: text/html; charset=utf-8");
    const auto row = [](const char *tag, const AnswerHead &head, const QByteArray &start, bool page) {
        QTest::newRow(tag) << head << start << page;
    };
    row("a web page", labelled, "<!DOCTYPE html>\n<html lang=en>", true);
    row("after white space, in any case", labelled, "\t\n\f\r <hTmL>", true);
    row("a comment first", labelled, "<!-- generated -->", true);
    row("an XML document", labelled, "\xEF\xBB\xBF\n<?xml version=\"1.0\"?><html>", true);
    row("after a byte order mark", labelled, "\xEF\xBB\xBF<p>Not found", true);
    row("a web page, type in capitals", answer(200, -1, "Content-Type: Text/HTML"), "<HEAD>", true);
    row("an XHTML page", answer(200, -1, "Content-Type: application/xhtml+xml"), "<html>", true);
    // Whichever of two types a browser believes, the page is the one to fear.
    row("two types, one a page",
        answer(
            200, 500, "Content-Length: 500\nContent-Type: application/octet-stream\nContent-Type: text/html"),
        "<body>", true);
    // busybox httpd labels every part it sends a page.
    row("an archive labelled a page", labelled, QByteArray("Rar!\x1a\x07\x00\xcf\x90s", 10), false);
    row("a tag that is no page's", labelled, "<PRE>", false);
    row("only white space", labelled, "  \r\n", false);
    // A body shorter than a signature is judged by what there is, never by what lies beyond it.
    row("body of two bytes", labelled, "<b", false);
    row("body of three bytes", labelled, "<b>", true);
    row("a page sent as an attachment",
        answer(200, -1, "Content-Type: text/html\nContent-Disposition: attachment; filename=\"tool.rar\""),
        "<html>", false);
    row("not labelled a page", answer(200, -1, "Content-Type: application/x-rar"), "<html>", false);
}

void TestAnswerCheck::start()
{
    QFETCH(AnswerHead, head);
    QFETCH(QByteArray, start);
    QFETCH(bool, page);

    const AnswerCheck::Verdict verdict = AnswerCheck::checkHead(head);
    QVERIFY(verdict.isArchive);
    // What lies past the body's end would make a tag of it, and is never looked at.
    const QByteArray followed = start + "> ";
    QCOMPARE(AnswerCheck::checkStart(verdict, QByteArrayView(followed).first(start.size())),
        page ? Refusal{Refusal::Kind::WebPage} : Refusal());
}

void TestAnswerCheck::body_data()
{
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<QByteArray>("statedSha256");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<Refusal>("refusal");

    const Refusal beyond7{.kind = Refusal::Kind::MoreThanAnnounced, .size = 7};
    const QByteArray sha256 = QCryptographicHash::hash("archive", QCryptographicHash::Sha256);
    const auto row
        = [](const char *tag, qint64 expected, const QByteArray &stated, const QByteArray &body,
              const Refusal &refusal) { QTest::newRow(tag) << expected << stated << body << refusal; };
    row("closed after the head, no length", 0, {}, {}, {Refusal::Kind::Empty});
    row("one byte", 0, {}, "a", {});
    row("all announced", 7, {}, "archive", {});
    row("more than announced", 7, {}, "archive, and more", beyond7);
    row("one byte more than announced", 7, {}, "archive!", beyond7);
    row("digest matches", 7, sha256, "archive", {});
    row("digest does not match", 7, sha256, "arshive", {Refusal::Kind::DigestMismatch});
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
