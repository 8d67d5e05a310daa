#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkProxy>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>
#include <utility>

// Debian's nginx on 127.0.0.1 serving one file per catalog key, configured
// from tests/nginx/vorn-downloads.conf.in in a private temporary prefix.
class NginxFixture
{
public:
    // filesDir holds one file per key, named exactly by the key,
    // e.g. "218:vorn-tandem-loader-v1.30".
    explicit NginxFixture(QString filesDir);
    ~NginxFixture();

    NginxFixture(const NginxFixture &) = delete;
    NginxFixture &operator=(const NginxFixture &) = delete;

    // nginx limit_rate for one key, e.g. "1m" or "200k"; before start().
    void setRate(const QByteArray &key, const QByteArray &rate);

    // Blocks until the port accepts connections or nginx has given up.
    bool start();
    // Fast shutdown (SIGTERM) and wait; also done by the destructor.
    void stop();
    bool isRunning() const;

    quint16 port() const;
    QNetworkProxy proxy() const; // HttpProxy 127.0.0.1:port()
    QString errorString() const;
    QString prefixPath() const;
    QByteArray errorLog() const;

    static QString nginxProgram();
    static QString configTemplatePath();

    // The URL the program asks for, for one catalog key.
    static QUrl downloadUrl(const QByteArray &key);

    // Deterministic content for a key: ScriptedHttpServer's pattern from
    // keyPatternOffset(key), so keys of the same size still differ.
    static qint64 keyPatternOffset(const QByteArray &key);
    // Writes dir/key with size bytes of that content, in blocks; returns
    // its SHA-256 (raw digest) or an empty array on failure.
    static QByteArray writeKeyFile(
        const QString &dir, const QByteArray &key, qint64 size, QString *error = nullptr);

private:
    bool fail(const QString &message);
    bool writeConfig(quint16 port);
    bool launchOnce(quint16 port, bool *portTaken);

    QString m_filesDir;
    QList<std::pair<QByteArray, QByteArray>> m_rates;
    std::unique_ptr<QTemporaryDir> m_prefix;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_errorString;
};
