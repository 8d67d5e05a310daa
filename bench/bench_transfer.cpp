// Times the program's own Download button against curl and wget, all fetching the same files from one
// local nginx in the same run, and prints a Markdown table. It measures; it never fails on a figure.

#include "catalog/toolcatalog.h"
#include "controls/xpbutton.h"
#include "controls/xpcombobox.h"
#include "support/nginxfixture.h"
#include "ui/application.h"
#include "ui/form1.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr qint64 mebibyte = 1024 * 1024;

// Catalog positions and what the benchmark serves for them.
constexpr int largePosition = 1;
constexpr qint64 largeSize = 256 * mebibyte;
constexpr int hugePosition = 2;
constexpr qint64 hugeSize = 1024 * mebibyte;
constexpr int throttledPosition = 3;
constexpr qint64 throttledSize = 8 * mebibyte;
constexpr QByteArrayView throttledRate = "1m";

constexpr double wallGoalRatio = 1.25;
constexpr double throttledCpuGoalPercent = 2.0;
constexpr double hugePeakGoalMiB = 80.0;

constexpr QLatin1StringView timeProgram{"/usr/bin/time"};

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int)
{
    interrupted = 1;
}

// No SA_RESTART: a blocking wait should come back and look at the flag.
void catchInterrupts()
{
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

void note(const QString &line)
{
    err() << "bench_transfer: " << line << Qt::endl;
}

QString shellQuoted(const QString &word)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./=:,+@%-]+$"));
    if (plain.match(word).hasMatch())
        return word;
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString shellLine(const QStringList &words)
{
    QStringList quoted;
    for (const QString &word : words)
        quoted.append(shellQuoted(word));
    return quoted.join(QLatin1Char(' '));
}

QByteArray catalogKey(int position)
{
    return ToolCatalog::entries().at(position - 1).downloadKey.toLatin1();
}

QString sizeLabel(qint64 size)
{
    if (size >= 1024 * mebibyte && size % (1024 * mebibyte) == 0)
        return QString::number(size / (1024 * mebibyte)) + QLatin1String(" GiB");
    return QString::number(double(size) / double(mebibyte), 'g', 4) + QLatin1String(" MiB");
}

QString proxyUrl(quint16 port)
{
    return QLatin1String("http://127.0.0.1:") + QString::number(port);
}

// ---------------------------------------------------------------------------------------------------
// Client mode: what one press of the Download button costs, in a process of its own.

int complain(const QString &message)
{
    err() << "bench_transfer --client: " << message << Qt::endl;
    return 1;
}

int runClient(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Set up exactly as the program does.
    Application::beforeApplication();
    QApplication app(argc, argv);
    Application::setUp();

    int position = 0;
    qint64 expectedSize = -1;
    QString folder;
    bool startupOnly = false;
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const QString value = i + 1 < arguments.size() ? arguments.at(i + 1) : QString();
        if (argument == QLatin1String("--client")) {
            continue;
        } else if (argument == QLatin1String("--startup-only")) {
            startupOnly = true;
        } else if (argument == QLatin1String("--position") && !value.isEmpty()) {
            position = value.toInt();
            ++i;
        } else if (argument == QLatin1String("--size") && !value.isEmpty()) {
            expectedSize = value.toLongLong();
            ++i;
        } else if (argument == QLatin1String("--folder") && !value.isEmpty()) {
            folder = value;
            ++i;
        } else {
            return complain(
                QStringLiteral("unexpected argument %1 (see bench_transfer --help)").arg(argument));
        }
    }
    if (position < 1 || position > ToolCatalog::count())
        return complain(QStringLiteral("--position must be 1 to %1").arg(ToolCatalog::count()));

    // VORN_BENCH_PROFILE is deliberately not read: a profiled run must do what a measured one does.
    std::optional<QTemporaryDir> ownFolder;
    if (folder.isEmpty()) {
        ownFolder.emplace();
        folder = ownFolder->path();
    }

    Form1 form(folder);
    form.show();
    QCoreApplication::processEvents();

    const QString name = ToolCatalog::displayName(position);
    form.Combo1->setCurrentIndex(form.Combo1->findText(name));
    if (form.Combo1->text() != name)
        return complain(QStringLiteral("the tool list does not offer %1").arg(name));
    if (startupOnly)
        return 0;

    std::optional<TransferResult> result;
    QObject::connect(&form.commands(), &DownloadCommands::transferFinished, &form,
        [&result](const QString &, const TransferResult &finished) { result = finished; });
    form.xpButton4->click();

    if (!result)
        return complain(QStringLiteral("the Download button returned without a transfer"));
    if (result->outcome != TransferResult::Outcome::Complete)
        return complain(DownloadCommands::failureMessage(name, *result));
    const QFileInfo archive(ToolCatalog::destinationPath(folder, position));
    if (expectedSize >= 0 && archive.size() != expectedSize)
        return complain(
            QStringLiteral("%1 has %2 bytes, expected %3")
                .arg(archive.filePath(), QString::number(archive.size()), QString::number(expectedSize)));
    return 0;
}

QStringList clientCommand(int position, qint64 size, const QString &folder)
{
    QStringList command = {QCoreApplication::applicationFilePath(), QStringLiteral("--client"),
        QStringLiteral("--position"), QString::number(position)};
    if (size >= 0)
        command << QStringLiteral("--size") << QString::number(size);
    if (!folder.isEmpty())
        command << QStringLiteral("--folder") << folder;
    return command;
}

// ---------------------------------------------------------------------------------------------------
// Measuring one child process.

struct Run
{
    bool ok = false;
    QString failure;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    double peakRssMiB = 0;
};

double seconds(const timeval &value)
{
    return double(value.tv_sec) + double(value.tv_usec) / 1e6;
}

// Every child goes through GNU time: a child's ru_maxrss also counts the address space it was forked
// from, which for a direct child would be this whole process rather than a tiny launcher.
class Launcher
{
public:
    explicit Launcher(const QString &statsPath)
        : m_statsPath(statsPath)
    { }

    enum class Output { Shown, Discarded };

    Run measure(
        const QStringList &command, const QStringList &environment, Output output = Output::Shown) const
    {
        Run run;
        QFile::remove(m_statsPath);
        const QStringList words
            = QStringList{QString(timeProgram), QStringLiteral("-f"), QStringLiteral("%M"),
                  QStringLiteral("-o"), m_statsPath, QStringLiteral("--")}
            + command;

        std::vector<QByteArray> storage;
        storage.reserve(size_t(words.size() + environment.size()));
        std::vector<char *> argv;
        for (const QString &word : words) {
            storage.push_back(QFile::encodeName(word));
            argv.push_back(storage.back().data());
        }
        argv.push_back(nullptr);
        std::vector<char *> envp;
        for (const QString &variable : environment) {
            storage.push_back(variable.toLocal8Bit());
            envp.push_back(storage.back().data());
        }
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        if (output == Output::Discarded) {
            posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        } else {
            // Standard output is the table's; whatever a child prints goes with our notes instead.
            posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
        }

        pid_t pid = 0;
        const auto started = std::chrono::steady_clock::now();
        const int spawnError = posix_spawn(&pid, argv.front(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawnError != 0) {
            run.failure = QStringLiteral("cannot start %1: %2")
                              .arg(QString(timeProgram), QString::fromLocal8Bit(std::strerror(spawnError)));
            return run;
        }
        int status = 0;
        rusage usage = {};
        while (wait4(pid, &status, 0, &usage) < 0) {
            if (errno != EINTR) {
                run.failure = QStringLiteral("wait4: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
                return run;
            }
        }
        const auto ended = std::chrono::steady_clock::now();

        run.wallSeconds = std::chrono::duration<double>(ended - started).count();
        run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
        run.peakRssMiB = double(peakRssKiB()) / 1024.0;
        if (WIFSIGNALED(status))
            run.failure = QStringLiteral("killed by signal %1").arg(WTERMSIG(status));
        else if (WEXITSTATUS(status) != 0)
            run.failure = QStringLiteral("exit status %1").arg(WEXITSTATUS(status));
        else if (run.peakRssMiB <= 0)
            run.failure = QStringLiteral("GNU time reported no peak memory");
        run.ok = run.failure.isEmpty();
        return run;
    }

private:
    // The last line is the format's; a failed command gets a line of its own before it.
    qint64 peakRssKiB() const
    {
        QFile stats(m_statsPath);
        if (!stats.open(QIODevice::ReadOnly))
            return 0;
        const QList<QByteArray> lines = stats.readAll().trimmed().split('\n');
        return lines.isEmpty() ? 0 : lines.constLast().trimmed().toLongLong();
    }

    QString m_statsPath;
};

// ---------------------------------------------------------------------------------------------------
// The benchmark proper.

struct Payload
{
    int position = 0;
    qint64 size = 0;
    QByteArray sha256;
    bool throttled = false;

    QString label() const
    {
        return throttled ? sizeLabel(size) + QLatin1String(" at 1 MiB/s") : sizeLabel(size);
    }
};

// CurlSynced is curl followed by an fsync of what it wrote: the program syncs its file before it
// calls it complete, and this shows how much of any gap that alone explains.
enum class ToolKind { Program, Curl, CurlSynced, Wget };

struct Tool
{
    ToolKind kind;
    QString name;
    QString executable;
};

QByteArray sha256Of(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray block(4 * int(mebibyte), Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(block.data(), block.size());
        if (n < 0)
            return {};
        if (n == 0)
            break;
        hash.addData(QByteArrayView(block.constData(), qsizetype(n)));
    }
    return hash.result();
}

bool readThrough(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray block(4 * int(mebibyte), Qt::Uninitialized);
    qint64 n = 0;
    while ((n = file.read(block.data(), block.size())) > 0) { }
    return n == 0;
}

QStringList childEnvironment(const QString &proxy)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
             "ALL_PROXY", "no_proxy", "NO_PROXY"})
        environment.remove(QString::fromLatin1(name));
    if (!proxy.isEmpty()) {
        environment.insert(QStringLiteral("http_proxy"), proxy);
        environment.insert(QStringLiteral("HTTP_PROXY"), proxy);
    }
    return environment.toStringList();
}

class Benchmark
{
public:
    Benchmark(const QString &workPath, quint16 port)
        : m_workPath(workPath)
        , m_port(port)
        , m_launcher(QDir(workPath).filePath(QStringLiteral("time.out")))
    {
        QStringList programEnvironment = childEnvironment(proxyUrl(port));
        programEnvironment.append(QStringLiteral("QT_QPA_PLATFORM=offscreen"));
        m_programEnvironment = programEnvironment;
        // curl and wget are told the proxy on their command lines, like the commands in the report.
        m_plainEnvironment = childEnvironment(QString());
    }

    QString downloadFolder() const { return QDir(m_workPath).filePath(QStringLiteral("downloads")); }

    QString outputPath(const Tool &tool, const Payload &payload) const
    {
        QString stem;
        switch (tool.kind) {
        case ToolKind::Program:
            return ToolCatalog::destinationPath(downloadFolder(), payload.position);
        case ToolKind::Curl:
            stem = QStringLiteral("curl-");
            break;
        case ToolKind::CurlSynced:
            stem = QStringLiteral("curl-synced-");
            break;
        case ToolKind::Wget:
            stem = QStringLiteral("wget-");
            break;
        }
        return QDir(downloadFolder()).filePath(stem + QString::number(payload.position));
    }

    QStringList curlCommand(const QString &curl, const QString &output, const QString &url) const
    {
        // -q first: no ~/.curlrc, so the machine's settings can't change what is measured.
        return {curl, QStringLiteral("-q"), QStringLiteral("-s"), QStringLiteral("-o"), output,
            QStringLiteral("-x"), proxyUrl(m_port), QStringLiteral("-H"), QStringLiteral("Range: bytes=0-"),
            url};
    }

    QStringList command(const Tool &tool, const Payload &payload) const
    {
        const QString url = ToolCatalog::url(payload.position);
        switch (tool.kind) {
        case ToolKind::Program:
            return clientCommand(payload.position, payload.size, downloadFolder());
        case ToolKind::Curl:
            return curlCommand(tool.executable, outputPath(tool, payload), url);
        case ToolKind::CurlSynced:
            return QStringList{QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                       QStringLiteral("out=$1; shift; \"$@\" && exec sync -- \"$out\""), QStringLiteral("sh"),
                       outputPath(tool, payload)}
            + curlCommand(tool.executable, outputPath(tool, payload), url);
        case ToolKind::Wget:
            return {tool.executable, QStringLiteral("--no-config"), QStringLiteral("-q"),
                QStringLiteral("-O"), outputPath(tool, payload), QStringLiteral("-e"),
                QStringLiteral("use_proxy=yes"), QStringLiteral("-e"),
                QStringLiteral("http_proxy=127.0.0.1:") + QString::number(m_port), url};
        }
        return {};
    }

    // One download, verified and then deleted.
    Run download(const Tool &tool, const Payload &payload) const
    {
        QDir().mkpath(downloadFolder());
        const QString path = outputPath(tool, payload);
        Run run = m_launcher.measure(command(tool, payload),
            tool.kind == ToolKind::Program ? m_programEnvironment : m_plainEnvironment);
        if (run.ok) {
            const QFileInfo info(path);
            if (!info.exists())
                run.failure = QStringLiteral("no file at %1").arg(path);
            else if (info.size() != payload.size)
                run.failure = QStringLiteral("%1 bytes instead of %2").arg(info.size()).arg(payload.size);
            else if (sha256Of(path) != payload.sha256)
                run.failure = QStringLiteral("SHA-256 differs from the served file");
            run.ok = run.failure.isEmpty();
        }
        QFile::remove(path);
        QFile::remove(path + QLatin1String(".part"));
        return run;
    }

    Run startupOnly(Launcher::Output output = Launcher::Output::Shown) const
    {
        QStringList command = clientCommand(largePosition, -1, downloadFolder());
        command.append(QStringLiteral("--startup-only"));
        return m_launcher.measure(command, m_programEnvironment, output);
    }

    Run warmUp(const Tool &tool) const
    {
        if (tool.kind == ToolKind::Program)
            return startupOnly(Launcher::Output::Discarded);
        if (tool.kind == ToolKind::CurlSynced)
            return m_launcher.measure(
                {QStringLiteral("/bin/sh"), QStringLiteral("-c"), QStringLiteral("sync --version")},
                m_plainEnvironment, Launcher::Output::Discarded);
        return m_launcher.measure(
            {tool.executable, QStringLiteral("--version")}, m_plainEnvironment, Launcher::Output::Discarded);
    }

private:
    QString m_workPath;
    quint16 m_port;
    Launcher m_launcher;
    QStringList m_programEnvironment;
    QStringList m_plainEnvironment;
};

struct Row
{
    QString tool;
    QString file;
    std::vector<Run> runs;
    QString failure; // the first failed run's reason; such a row has no figures

    void add(const Run &run)
    {
        if (!run.ok && failure.isEmpty())
            failure = run.failure;
        runs.push_back(run);
    }

    bool valid() const { return failure.isEmpty() && !runs.empty(); }

    // The run with the median wall time (the lower one of the middle two for an even count).
    Run median() const
    {
        std::vector<Run> sorted = runs;
        std::sort(sorted.begin(), sorted.end(),
            [](const Run &a, const Run &b) { return a.wallSeconds < b.wallSeconds; });
        return sorted.at((sorted.size() - 1) / 2);
    }
};

QString figure(double value, int decimals = 2)
{
    return QString::number(value, 'f', decimals);
}

const Row *findRow(const std::vector<Row> &rows, const QString &tool, const QString &file)
{
    for (const Row &row : rows) {
        if (row.tool == tool && row.file == file)
            return &row;
    }
    return nullptr;
}

void printTable(const std::vector<Row> &rows)
{
    out() << "| tool | file | wall s | CPU s | CPU % of a core | peak RSS MiB | wall / curl | wall min-max s "
             "|\n";
    out() << "|---|---|--:|--:|--:|--:|--:|--:|\n";
    for (const Row &row : rows) {
        out() << "| " << row.tool << " | " << row.file << " | ";
        if (!row.valid()) {
            out() << "failed: " << row.failure << " | | | | | |\n";
            continue;
        }
        const auto [fastest, slowest] = std::minmax_element(row.runs.begin(), row.runs.end(),
            [](const Run &a, const Run &b) { return a.wallSeconds < b.wallSeconds; });
        const Run run = row.median();
        const Row *curl = findRow(rows, QStringLiteral("curl"), row.file);
        const QString ratio = curl && curl->valid() && curl->median().wallSeconds > 0
            ? figure(run.wallSeconds / curl->median().wallSeconds) + QLatin1String(" x")
            : QStringLiteral("-");
        out() << figure(run.wallSeconds) << " | " << figure(run.cpuSeconds, 3) << " | "
              << figure(100.0 * run.cpuSeconds / run.wallSeconds, 1) << " | " << figure(run.peakRssMiB, 1)
              << " | " << ratio << " | " << figure(fastest->wallSeconds) << "-"
              << figure(slowest->wallSeconds) << " |\n";
    }
}

QString verdict(std::optional<bool> met)
{
    if (!met)
        return QStringLiteral("not measured");
    return *met ? QStringLiteral("yes") : QStringLiteral("no");
}

void printGoals(const std::vector<Row> &rows, const QString &largeFile, const QString &hugeFile,
    const QString &throttledFile)
{
    out() << "goals: program wall <= 1.25 x curl; CPU while throttled < 2 % of a core; peak memory < 80 MiB "
             "for 1 GiB\n\n";

    std::optional<bool> wallMet;
    QStringList ratios;
    for (const QString &file : {largeFile, hugeFile}) {
        const Row *program = findRow(rows, QStringLiteral("program"), file);
        const Row *curl = findRow(rows, QStringLiteral("curl"), file);
        if (!program || !curl || !program->valid() || !curl->valid()) {
            wallMet.reset();
            ratios.clear();
            break;
        }
        const double ratio = program->median().wallSeconds / curl->median().wallSeconds;
        wallMet = wallMet.value_or(true) && ratio <= wallGoalRatio;
        ratios.append(figure(ratio) + QLatin1String(" x at ") + file);
    }
    out() << "- program wall <= 1.25 x curl: " << verdict(wallMet);
    if (!ratios.isEmpty())
        out() << " (" << ratios.join(QLatin1String(", ")) << ")";
    out() << "\n";

    const Row *throttled = findRow(rows, QStringLiteral("program"), throttledFile);
    std::optional<bool> cpuMet;
    double cpuPercent = 0;
    if (throttled && throttled->valid()) {
        const Run run = throttled->median();
        cpuPercent = 100.0 * run.cpuSeconds / run.wallSeconds;
        cpuMet = cpuPercent < throttledCpuGoalPercent;
    }
    out() << "- CPU while throttled < 2 % of a core: " << verdict(cpuMet);
    if (cpuMet)
        out() << " (" << figure(cpuPercent) << " %)";
    out() << "\n";

    const Row *huge = findRow(rows, QStringLiteral("program"), hugeFile);
    std::optional<bool> memoryMet;
    double peak = 0;
    if (huge && huge->valid()) {
        peak = huge->median().peakRssMiB;
        memoryMet = peak < hugePeakGoalMiB;
    }
    out() << "- peak memory < 80 MiB for 1 GiB: " << verdict(memoryMet);
    if (memoryMet)
        out() << " (" << figure(peak, 1) << " MiB)";
    out() << "\n";
}

// The machine is shared, so the figures come with how busy it was.
QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    const QList<QByteArray> fields = file.readAll().split(' ');
    return fields.size() >= 3 ? QString::fromLatin1(fields.mid(0, 3).join(' ')) : QStringLiteral("unknown");
}

std::unique_ptr<QTemporaryDir> makeWorkDir()
{
    const QString base = qEnvironmentVariable("VORN_BENCH_DIR");
    auto dir = base.isEmpty()
        ? std::make_unique<QTemporaryDir>()
        : std::make_unique<QTemporaryDir>(QDir(base).filePath(QStringLiteral("bench_transfer-XXXXXX")));
    if (!dir->isValid()) {
        note(QStringLiteral("cannot create a work folder: %1").arg(dir->errorString()));
        return nullptr;
    }
    return dir;
}

bool writeFiles(const QString &filesPath, std::vector<Payload> &payloads)
{
    QDir().mkpath(filesPath);
    for (Payload &payload : payloads) {
        note(QStringLiteral("writing %1 for %2")
                 .arg(sizeLabel(payload.size), ToolCatalog::displayName(payload.position)));
        QString error;
        payload.sha256
            = NginxFixture::writeKeyFile(filesPath, catalogKey(payload.position), payload.size, &error);
        if (payload.sha256.isEmpty()) {
            note(
                QStringLiteral("cannot write the file for position %1: %2").arg(payload.position).arg(error));
            return false;
        }
    }
    return true;
}

bool requireTimeProgram()
{
    if (QFileInfo(QString(timeProgram)).isExecutable())
        return true;
    note(QStringLiteral("%1 is missing (Debian package \"time\")").arg(timeProgram));
    return false;
}

int runBenchmark()
{
    bool repeatGiven = false;
    const int repeat = std::max(1, qEnvironmentVariableIntValue("VORN_BENCH_REPEAT", &repeatGiven));
    const int repeatCount = repeatGiven ? repeat : 3;

    if (!requireTimeProgram())
        return 1;
    // From here on Ctrl-C lets the running step finish, so the temporary gigabytes get removed.
    catchInterrupts();
    const QString loadBefore = loadAverage();
    std::vector<Tool> tools
        = {{ToolKind::Program, QStringLiteral("program"), QCoreApplication::applicationFilePath()}};
    for (const auto &[kind, name] : {std::pair{ToolKind::Curl, QStringLiteral("curl")},
             std::pair{ToolKind::Wget, QStringLiteral("wget")}}) {
        const QString executable = QStandardPaths::findExecutable(name);
        if (executable.isEmpty()) {
            note(QStringLiteral("%1 is not installed").arg(name));
            return 1;
        }
        tools.push_back({kind, name, executable});
        if (kind == ToolKind::Curl)
            tools.push_back({ToolKind::CurlSynced, QStringLiteral("curl + fsync"), executable});
    }

    std::unique_ptr<QTemporaryDir> work = makeWorkDir();
    if (!work)
        return 1;
    const QString filesPath = QDir(work->path()).filePath(QStringLiteral("files"));
    std::vector<Payload> payloads = {{largePosition, largeSize, {}, false},
        {hugePosition, hugeSize, {}, false}, {throttledPosition, throttledSize, {}, true}};
    if (!writeFiles(filesPath, payloads))
        return 1;
    if (interrupted)
        return 130;

    NginxFixture nginx(filesPath);
    nginx.setRate(catalogKey(throttledPosition), throttledRate.toByteArray());
    if (!nginx.start()) {
        note(QStringLiteral("nginx did not start: %1").arg(nginx.errorString()));
        return interrupted ? 130 : 1;
    }
    note(QStringLiteral("nginx on %1, files in %2").arg(proxyUrl(nginx.port()), filesPath));

    // Every tool reads from a warm page cache and starts from binaries that are already loaded.
    for (const Payload &payload : payloads) {
        if (!readThrough(QDir(filesPath).filePath(QString::fromLatin1(catalogKey(payload.position))))) {
            note(QStringLiteral("cannot read the served files back"));
            return 1;
        }
    }
    Benchmark bench(work->path(), nginx.port());
    for (const Tool &tool : tools) {
        const Run run = bench.warmUp(tool);
        if (!run.ok) {
            note(QStringLiteral("%1 does not start: %2").arg(tool.name, run.failure));
            return interrupted ? 130 : 1;
        }
    }

    std::vector<Row> rows;
    const std::vector<Payload> timed(payloads.begin(), payloads.begin() + 2);
    for (const Payload &payload : timed) {
        for (const Tool &tool : tools)
            rows.push_back({tool.name, payload.label(), {}, {}});
    }
    auto rowFor = [&rows](const Tool &tool, const Payload &payload) -> Row & {
        for (Row &row : rows) {
            if (row.tool == tool.name && row.file == payload.label())
                return row;
        }
        Q_UNREACHABLE();
    };

    for (int round = 0; round < repeatCount && !interrupted; ++round) {
        // Each round starts with another tool, so none always runs right after the same neighbour.
        for (const Payload &payload : timed) {
            for (size_t t = 0; t < tools.size() && !interrupted; ++t) {
                const Tool &tool = tools.at((t + size_t(round)) % tools.size());
                const Run run = bench.download(tool, payload);
                rowFor(tool, payload).add(run);
                note(QStringLiteral("round %1/%2: %3, %4: %5")
                         .arg(round + 1)
                         .arg(repeatCount)
                         .arg(tool.name, payload.label(),
                             run.ok ? figure(run.wallSeconds) + QLatin1String(" s")
                                    : QLatin1String("failed: ") + run.failure));
            }
        }
    }

    const Payload &throttled = payloads.at(2);
    for (const Tool &tool : {tools.at(0), tools.at(1)}) {
        if (interrupted)
            break;
        Row row{tool.name, throttled.label(), {}, {}};
        note(QStringLiteral("%1, %2 (about %3 s)")
                 .arg(tool.name, throttled.label(), QString::number(throttled.size / mebibyte)));
        row.add(bench.download(tool, throttled));
        rows.push_back(row);
    }

    Row startup{QStringLiteral("program, start-up and exit only"), QStringLiteral("none"), {}, {}};
    for (int round = 0; round < repeatCount && !interrupted; ++round)
        startup.add(bench.startupOnly());
    rows.push_back(startup);

    if (interrupted) {
        note(QStringLiteral("interrupted"));
        return 130;
    }

    out() << "## bench_transfer, " << QDateTime::currentDateTime().toString(Qt::ISODate) << "\n\n";
    out() << "One nginx on 127.0.0.1, files in the page cache, " << QThread::idealThreadCount()
          << " CPUs, load average " << loadBefore << " before and " << loadAverage() << " after. "
          << "Figures are the run with the median wall time of " << repeatCount
          << " (the throttled rows: one run); CPU is user + system; peak RSS is ru_maxrss. "
          << "\"curl + fsync\" is curl followed by sync(1) on its file, as the program syncs before it "
             "completes.\n\n";
    printTable(rows);
    out() << "\n";
    printGoals(rows, payloads.at(0).label(), payloads.at(1).label(), throttled.label());
    out().flush();

    const bool allValid = std::all_of(rows.begin(), rows.end(), [](const Row &row) { return row.valid(); });
    return allValid ? 0 : 1;
}

// ---------------------------------------------------------------------------------------------------
// --serve and --help: a server and the command lines for running one client by hand.

int runServe(const QStringList &arguments)
{
    qint64 sizeMiB = 32;
    if (!arguments.isEmpty()) {
        bool ok = false;
        sizeMiB = arguments.constFirst().toLongLong(&ok);
        if (!ok || sizeMiB <= 0) {
            note(QStringLiteral("--serve takes a size in MiB, e.g. --serve 32"));
            return 1;
        }
    }
    std::unique_ptr<QTemporaryDir> work = makeWorkDir();
    if (!work)
        return 1;
    const QString filesPath = QDir(work->path()).filePath(QStringLiteral("files"));
    const QString downloads = QDir(work->path()).filePath(QStringLiteral("downloads"));
    QDir().mkpath(downloads);
    std::vector<Payload> payloads
        = {{largePosition, sizeMiB * mebibyte, {}, false}, {throttledPosition, throttledSize, {}, true}};
    if (!writeFiles(filesPath, payloads))
        return 1;
    NginxFixture nginx(filesPath);
    nginx.setRate(catalogKey(throttledPosition), throttledRate.toByteArray());
    if (!nginx.start()) {
        note(QStringLiteral("nginx did not start: %1").arg(nginx.errorString()));
        return 1;
    }

    const QString environment = QLatin1String("env QT_QPA_PLATFORM=offscreen http_proxy=")
        + proxyUrl(nginx.port()) + QLatin1String(" no_proxy= VORN_BENCH_PROFILE=1 ");
    out() << "nginx serves on " << proxyUrl(nginx.port()) << "; downloads go to " << downloads << "\n\n";
    for (const Payload &payload : payloads) {
        out() << "# " << ToolCatalog::displayName(payload.position) << ", " << payload.label()
              << ": the program, then curl\n"
              << environment << shellLine(clientCommand(payload.position, payload.size, downloads)) << "\n"
              << shellLine({QStringLiteral("curl"), QStringLiteral("-q"), QStringLiteral("-s"),
                     QStringLiteral("-o"),
                     QDir(downloads).filePath(QStringLiteral("curl-") + QString::number(payload.position)),
                     QStringLiteral("-x"), proxyUrl(nginx.port()), QStringLiteral("-H"),
                     QStringLiteral("Range: bytes=0-"), ToolCatalog::url(payload.position)})
              << "\n\n";
    }
    out() << "Ctrl-C stops the server and removes " << work->path() << "\n";
    out().flush();

    // Blocked while we look at the flag, so a signal can't slip in between the look and the sleep.
    catchInterrupts();
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    sigprocmask(SIG_BLOCK, &blocked, &previous);
    while (!interrupted && nginx.isRunning())
        sigsuspend(&previous);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return 0;
}

void printHelp()
{
    const QString self = QCoreApplication::applicationFilePath();
    out()
        << "Usage: " << self << " [--help | --serve [MiB] | --client ...]\n\n"
        << "Without arguments: serves " << sizeLabel(largeSize) << ", " << sizeLabel(hugeSize) << " and "
        << sizeLabel(throttledSize) << " files (catalog positions " << largePosition << ", " << hugePosition
        << ", " << throttledPosition << ",\n"
        << "the last one at 1 MiB/s) from one nginx on 127.0.0.1, downloads them with the program's "
           "Download\n"
        << "button, curl (also once more with an fsync of the file afterwards) and wget, and prints a\n"
        << "Markdown table on standard output. Exits 0 whether or not the goals are met; 1 when a download\n"
        << "fails or cannot be verified, or the benchmark cannot be set up.\n"
        << "  VORN_BENCH_REPEAT  runs per tool and size, default 3; the median wall time is reported\n"
        << "  VORN_BENCH_DIR     where the files and downloads go, default the temporary folder\n\n"
        << "--serve [MiB]  the same nginx with a MiB-sized file for position " << largePosition
        << " (default 32) and the throttled " << sizeLabel(throttledSize) << " one;\n"
        << "               prints ready-to-paste command lines for single runs and serves until Ctrl-C.\n\n"
        << "A single client run, the way the benchmark starts it (PORT and FOLDER as --serve prints them;\n"
        << "without --folder the client downloads into a temporary folder it removes again):\n"
        << "  env QT_QPA_PLATFORM=offscreen http_proxy=http://127.0.0.1:PORT no_proxy= VORN_BENCH_PROFILE=1 "
        << shellLine(clientCommand(largePosition, 32 * mebibyte, QStringLiteral("FOLDER"))) << "\n"
        << "Put a profiler in front of the program path, e.g. valgrind --tool=callgrind. "
           "VORN_BENCH_PROFILE=1\n"
        << "only marks such runs: the client does exactly what it does in the benchmark. --startup-only\n"
        << "opens the window, picks the tool and exits without downloading.\n";
    out().flush();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--client") == 0)
        return runClient(argc, argv);

    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return runBenchmark();
    if (arguments.constFirst() == QLatin1String("--help") || arguments.constFirst() == QLatin1String("-h")) {
        printHelp();
        return 0;
    }
    if (arguments.constFirst() == QLatin1String("--serve"))
        return runServe(arguments.mid(1));
    note(QStringLiteral("unknown argument %1; see --help").arg(arguments.constFirst()));
    return 2;
}
