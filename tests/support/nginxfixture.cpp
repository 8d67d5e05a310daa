#include "nginxfixture.h"

#include "scriptedhttpserver.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

#include <unistd.h>

#include <algorithm>

#ifndef VORN_NGINX_CONF_TEMPLATE
#error "Define VORN_NGINX_CONF_TEMPLATE as the path of tests/nginx/vorn-downloads.conf.in"
#endif

namespace {

const QRegularExpression &keyShape()
{
    static const QRegularExpression shape(QStringLiteral("^[0-9]+:[a-z0-9][a-z0-9._-]*$"));
    return shape;
}

bool isCatalogKey(const QByteArray &key)
{
    return keyShape().match(QString::fromLatin1(key)).hasMatch();
}

quint16 pickFreePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

} // namespace

NginxFixture::NginxFixture(QString filesDir)
    : m_filesDir(QDir(filesDir).absolutePath())
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

NginxFixture::~NginxFixture()
{
    stop();
}

void NginxFixture::setRate(const QByteArray &key, const QByteArray &rate)
{
    m_rates.append({key, rate});
}

QString NginxFixture::nginxProgram()
{
    const QString fromEnvironment = qEnvironmentVariable("VORN_NGINX");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString found = QStandardPaths::findExecutable(
        QStringLiteral("nginx"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    return found.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("nginx")) : found;
}

QString NginxFixture::configTemplatePath()
{
    return QStringLiteral(VORN_NGINX_CONF_TEMPLATE);
}

QUrl NginxFixture::downloadUrl(const QByteArray &key)
{
    return QUrl::fromEncoded("http://downloads.vorn.example/index.php?option=com_phocadownload&view=category"
                             "&id=3:v.o.r.n-tools&download="
        + key + "&Itemid=10");
}

qint64 NginxFixture::keyPatternOffset(const QByteArray &key)
{
    quint64 hash = 14695981039346656037ULL;
    for (const char c : key) {
        hash ^= quint8(c);
        hash *= 1099511628211ULL;
    }
    return qint64(hash % quint64(ScriptedHttpServer::patternPeriod));
}

QByteArray NginxFixture::writeKeyFile(const QString &dir, const QByteArray &key, qint64 size, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QByteArray();
    };
    if (!isCatalogKey(key))
        return fail(QStringLiteral("not a catalog key: %1").arg(QString::fromLatin1(key)));
    QSaveFile file(QDir(dir).filePath(QString::fromLatin1(key)));
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const qint64 start = keyPatternOffset(key);
    for (qint64 written = 0; written < size;) {
        const qint64 n = std::min(size - written, ScriptedHttpServer::patternBlockSize);
        const char *data = ScriptedHttpServer::patternData(start + written);
        if (file.write(data, n) != n)
            return fail(file.errorString());
        hash.addData(QByteArrayView(data, qsizetype(n)));
        written += n;
    }
    if (!file.commit())
        return fail(file.errorString());
    return hash.result();
}

bool NginxFixture::fail(const QString &message)
{
    m_errorString = message;
    return false;
}

bool NginxFixture::writeConfig(quint16 port)
{
    QFile templateFile(configTemplatePath());
    if (!templateFile.open(QIODevice::ReadOnly))
        return fail(
            QStringLiteral("cannot read %1: %2").arg(templateFile.fileName(), templateFile.errorString()));
    QByteArray config = templateFile.readAll();

    QByteArray rates;
    for (const auto &[key, rate] : m_rates)
        rates += "        \"" + key + "\" " + rate + ";\n";

    config.replace("@PREFIX@", QFile::encodeName(m_prefix->path()));
    config.replace("@ROOT@", QFile::encodeName(m_filesDir));
    config.replace("@PORT@", QByteArray::number(port));
    // Workers of a root master switch to nobody, who can't read a 0700 temp dir.
    config.replace("@USER@", geteuid() == 0 ? QByteArrayLiteral("user root;") : QByteArray());
    config.replace("@DAEMON@", QByteArrayLiteral("off"));
    config.replace("@RATES@", rates);

    QSaveFile out(m_prefix->filePath(QStringLiteral("nginx.conf")));
    if (!out.open(QIODevice::WriteOnly) || out.write(config) != config.size() || !out.commit())
        return fail(QStringLiteral("cannot write nginx.conf: %1").arg(out.errorString()));
    return true;
}

bool NginxFixture::launchOnce(quint16 port, bool *portTaken)
{
    *portTaken = false;
    if (!writeConfig(port))
        return false;

    const QString prefix = m_prefix->path();
    QFile::remove(m_prefix->filePath(QStringLiteral("error.log")));
    m_process.start(nginxProgram(),
        {QStringLiteral("-p"), prefix + QLatin1Char('/'), QStringLiteral("-c"),
            m_prefix->filePath(QStringLiteral("nginx.conf")), QStringLiteral("-e"),
            m_prefix->filePath(QStringLiteral("error.log"))});
    if (!m_process.waitForStarted())
        return fail(QStringLiteral("cannot start %1: %2").arg(nginxProgram(), m_process.errorString()));

    // nginx keeps retrying a busy port for a few seconds before it gives up.
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(500)) {
            probe.abort();
            // Something else may have grabbed the port between our probe and
            // nginx; nginx logs the failed bind before it retries.
            if (m_process.state() == QProcess::Running && !errorLog().contains("Address already in use"))
                return true;
        }
        if (m_process.state() == QProcess::NotRunning || m_process.waitForFinished(50)) {
            const QByteArray log = errorLog() + m_process.readAll();
            *portTaken = log.contains("Address already in use");
            return fail(QStringLiteral("nginx exited with %1: %2")
                            .arg(m_process.exitCode())
                            .arg(QString::fromLocal8Bit(log.trimmed())));
        }
    }
    stop();
    return fail(QStringLiteral("nginx did not accept connections on port %1").arg(port));
}

bool NginxFixture::start()
{
    if (isRunning())
        return true;
    m_errorString.clear();

    if (nginxProgram().isEmpty())
        return fail(QStringLiteral("nginx not found (apt-get install nginx-light)"));
    if (!QFileInfo(m_filesDir).isDir())
        return fail(QStringLiteral("no such folder: %1").arg(m_filesDir));
    for (const auto &[key, rate] : m_rates) {
        static const QRegularExpression rateShape(QStringLiteral("^[0-9]+[kKmMgG]?$"));
        if (!isCatalogKey(key) || !rateShape.match(QString::fromLatin1(rate)).hasMatch())
            return fail(QStringLiteral("bad rate %1 for key %2")
                            .arg(QString::fromLatin1(rate), QString::fromLatin1(key)));
    }

    m_prefix = std::make_unique<QTemporaryDir>();
    if (!m_prefix->isValid())
        return fail(QStringLiteral("cannot create a temporary prefix: %1").arg(m_prefix->errorString()));
    // Quoted strings in the config can't hold these.
    for (const QString &path : {m_prefix->path(), m_filesDir}) {
        if (path.contains(QLatin1Char('"')) || path.contains(QLatin1Char('\\'))
            || path.contains(QLatin1Char('$')))
            return fail(QStringLiteral("unusable path for nginx: %1").arg(path));
    }
    if (!QDir(m_prefix->path()).mkpath(QStringLiteral("tmp")))
        return fail(QStringLiteral("cannot create %1/tmp").arg(m_prefix->path()));

    for (int attempt = 0; attempt < 5; ++attempt) {
        const quint16 port = pickFreePort();
        if (port == 0)
            return fail(QStringLiteral("no free port on 127.0.0.1"));
        bool portTaken = false;
        if (launchOnce(port, &portTaken)) {
            m_port = port;
            return true;
        }
        if (!portTaken)
            return false;
    }
    return false;
}

void NginxFixture::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(15000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    m_port = 0;
}

bool NginxFixture::isRunning() const
{
    return m_process.state() == QProcess::Running && m_port != 0;
}

quint16 NginxFixture::port() const
{
    return m_port;
}

QNetworkProxy NginxFixture::proxy() const
{
    return QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), m_port);
}

QString NginxFixture::errorString() const
{
    return m_errorString;
}

QString NginxFixture::prefixPath() const
{
    return m_prefix ? m_prefix->path() : QString();
}

QByteArray NginxFixture::errorLog() const
{
    if (!m_prefix)
        return {};
    QFile log(m_prefix->filePath(QStringLiteral("error.log")));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}
