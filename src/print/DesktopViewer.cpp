#include "DesktopViewer.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

// xdg-mime reads a few small files and answers; the limit is only there
// for one that hangs, and is no guess at how long a viewer takes.
constexpr int kLookupLimitMs = 20000;

QString executable(const QString& program)
{
    return program.isEmpty() ? QString() : QStandardPaths::findExecutable(program);
}

} // namespace

QString defaultDesktopFile(const QString& mimeType)
{
    const QString xdgMime = executable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return {};
    QProcess query;
    query.setStandardInputFile(QProcess::nullDevice());
    query.setStandardErrorFile(QProcess::nullDevice());
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(kLookupLimitMs) || query.exitStatus() != QProcess::NormalExit ||
        query.exitCode() != 0) {
        query.kill();
        query.waitForFinished(1000);
        return {};
    }
    // One name; some desktops list several, the first being the default.
    const QString answer = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    return answer.section(QLatin1Char('\n'), 0, 0).section(QLatin1Char(';'), 0, 0).trimmed();
}

QString desktopFilePath(const QString& name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return {};
    QString candidate = name;
    for (;;) {
        const QString found =
            QStandardPaths::locate(QStandardPaths::ApplicationsLocation, candidate);
        if (!found.isEmpty() || !candidate.contains(QLatin1Char('-')))
            return found;
        candidate[candidate.indexOf(QLatin1Char('-'))] = QLatin1Char('/');
    }
}

std::optional<DesktopEntry> pdfViewer()
{
    const QString file = desktopFilePath(defaultDesktopFile(QStringLiteral("application/pdf")));
    if (file.isEmpty())
        return std::nullopt;
    auto entry = readDesktopEntry(file);
    if (!entry || entry->hidden || entry->terminal ||
        (!entry->tryExec.isEmpty() && executable(entry->tryExec).isEmpty()) ||
        executable(entry->exec.constFirst()).isEmpty())
        return std::nullopt;
    return entry;
}

bool openWithDesktopViewer(const QString& path)
{
    const auto entry = pdfViewer();
    if (!entry)
        return false;
    QStringList command = commandForFile(*entry, path);
    QProcess viewer;
    viewer.setProgram(executable(command.takeFirst()));
    viewer.setArguments(command);
    viewer.setStandardInputFile(QProcess::nullDevice());
    viewer.setStandardOutputFile(QProcess::nullDevice());
    viewer.setStandardErrorFile(QProcess::nullDevice());
    // Started on its own: it outlives this call, and this program too.
    return viewer.startDetached();
}
