#include "download/answercheck.h"

#include <QTest>

Q_DECLARE_METATYPE(AnswerHead)

namespace {

// A head as the transfer hands it over: `length` is its own reading of Content-Length (-1 for none it
// could use), and repeated headers come joined by ", ".
AnswerHead answer(int status, qint64 length, const QStringList &lines = {})
{
    return AnswerHead::read(status, length, [&lines](const QString &name) {
        QStringList values;
        for (const QString &line : lines) {
            if (line.section(u':', 0, 0).compare(name, Qt::CaseInsensitive) == 0)
                values.append(line.section(u':', 1).trimmed());
        }
        return values.join(u", "_qs);
    });
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
    void body_data();
    void body();
};

void TestAnswerCheck::head_data()
{
    QTest::addColumn<AnswerHead>("head");
    QTest::addColumn<qint64>("expected"); // the body's size when the answer is taken; 0 for unknown
    QTest::addColumn<QString>("refusal"); // empty: the answer is the archive

    const QString empty = u"the server sent no data"_qs;
    const QString part = u"the server sent only part of the archive"_qs;
    const QString badSize = u"the server announced a size that cannot be right"_qs;
    const QString page = u"the server sent a web page instead of the archive"_qs;
    QTest::newRow("204 No Content") << answer(204, -1) << qint64(0) << empty;
    QTest::newRow("205 Reset Content") << answer(205, -1) << qint64(0) << empty;
    QTest::newRow("Content-Length: 0") << answer(200, 0, {u"Content-Length: 0"_qs}) << qint64(0) << empty;
    QTest::newRow("206 for a later range")
        << answer(206, 500, {u"Content-Length: 500"_qs, u"Content-Range: bytes 100-599/600"_qs}) << qint64(0)
        << part + u" (\"bytes 100-599/600\")"_qs;
    QTest::newRow("206 for the start only")
        << answer(206, 500, {u"Content-Length: 500"_qs, u"Content-Range: bytes 0-499/600"_qs}) << qint64(0)
        << part + u" (\"bytes 0-499/600\")"_qs;
    QTest::newRow("206 of unknown total")
        << answer(206, 500, {u"Content-Length: 500"_qs, u"Content-Range: bytes 0-499/*"_qs}) << qint64(0)
        << part + u" (\"bytes 0-499/*\")"_qs;
    QTest::newRow("206 without a range")
        << answer(206, 500, {u"Content-Length: 500"_qs}) << qint64(0) << part;
    QTest::newRow("206 for the whole file")
        << answer(206, 2500, {u"Content-Length: 2500"_qs, u"Content-Range: bytes 0-2499/2500"_qs})
        << qint64(2500) << QString();
    // Refused by us, or already by a stricter HTTP parser as a malformed answer.
    QTest::newRow("length beyond 64 bits") << answer(200, -1, {u"Content-Length: 99999999999999999999999"_qs})
                                           << qint64(0) << badSize + u" (\"99999999999999999999999\")"_qs;
    QTest::newRow("negative length") << answer(200, -1, {u"Content-Length: -1"_qs}) << qint64(0)
                                     << badSize + u" (\"-1\")"_qs;
    // The transfer would end the body where its own reading of the length says ("2" of "2.5e3"): one
    // reading of the length, or none.
    QTest::newRow("length with an exponent")
        << answer(200, 2, {u"Content-Length: 2.5e3"_qs}) << qint64(0) << badSize + u" (\"2.5e3\")"_qs;
    QTest::newRow("length with a fraction")
        << answer(200, 2501, {u"Content-Length: 2501.5"_qs}) << qint64(0) << badSize + u" (\"2501.5\")"_qs;
    QTest::newRow("length followed by a word")
        << answer(200, 2500, {u"Content-Length: 2500 bytes"_qs}) << qint64(2500) << QString();
    QTest::newRow("a web page") << answer(200, -1, {u"Content-Type: text/html; charset=utf-8"_qs})
                                << qint64(0) << page;
    QTest::newRow("a web page, type in capitals")
        << answer(200, -1, {u"Content-Type: Text/HTML"_qs}) << qint64(0) << page;
    QTest::newRow("an XHTML page") << answer(200, -1, {u"Content-Type: application/xhtml+xml"_qs})
                                   << qint64(0) << page;
    QTest::newRow("a page sent as an attachment") << answer(200, -1,
        {u"Content-Type: text/html"_qs, u"Content-Disposition: attachment; filename=\"tool.rar\""_qs})
                                                  << qint64(0) << QString();
    QTest::newRow("gzip-encoded")
        << answer(200, -1, {u"Content-Encoding: gzip"_qs}) << qint64(0)
        << u"the server sent the archive encoded (gzip) although it was asked not to"_qs;
    QTest::newRow("identity encoding")
        << answer(200, -1, {u"Content-Encoding: identity"_qs}) << qint64(0) << QString();
}

void TestAnswerCheck::head()
{
    QFETCH(AnswerHead, head);
    QFETCH(qint64, expected);
    QFETCH(QString, refusal);

    const AnswerCheck::Verdict verdict = AnswerCheck::checkHead(head);
    QCOMPARE(verdict.reason, refusal);
    QCOMPARE(verdict.isArchive, refusal.isEmpty());
    if (verdict.isArchive)
        QCOMPARE(verdict.expected, expected);
}

void TestAnswerCheck::body_data()
{
    QTest::addColumn<qint64>("received");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("closed after the head, no length") << qint64(0) << u"the server sent no data"_qs;
    QTest::newRow("one byte") << qint64(1) << QString();
}

void TestAnswerCheck::body()
{
    QFETCH(qint64, received);
    QFETCH(QString, refusal);
    QCOMPARE(AnswerCheck::checkBody(received), refusal);
}

QTEST_APPLESS_MAIN(TestAnswerCheck)
#include "tst_answercheck.moc"
