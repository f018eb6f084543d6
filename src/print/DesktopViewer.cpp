#include "DesktopViewer.h"

#include <QProcess>
#include <QStandardPaths>
#include <algorithm>

namespace {

// Long enough for xdg-open to try every way it knows and give up, short
// enough for the hourglass it is waited under.
constexpr int kOpenerWaitMs = 3000;
// The status the wrapper ends with when the opener outlasts the wait;
// xdg-open's own codes stay below 10.
constexpr int kStillRunningStatus = 100;

// The opener runs in the background of a small shell, which reports its
// status or, when the wait runs out, leaves it running on its own: a
// QProcess that ended the wait for the opener itself would kill it, and the
// viewer with it.
const char kWrapper[] = "\"$1\" \"$2\" </dev/null >/dev/null 2>&1 &\n"
                        "opener=$!\n"
                        "ticks=$3\n"
                        "while kill -0 \"$opener\" 2>/dev/null; do\n"
                        "    [ \"$ticks\" -le 0 ] && exit $4\n"
                        "    sleep 0.1\n"
                        "    ticks=$((ticks - 1))\n"
                        "done\n"
                        "wait \"$opener\"\n";

} // namespace

bool viewerShowsFile(const OpenerOutcome& outcome)
{
    switch (outcome.state) {
    case OpenerOutcome::State::Finished:
        return outcome.exitCode == 0;
    case OpenerOutcome::State::StillRunning:
        return true;
    case OpenerOutcome::State::NotFound:
    case OpenerOutcome::State::FailedToStart:
    case OpenerOutcome::State::Crashed:
        return false;
    }
    return false;
}

OpenerOutcome runDesktopOpener(const QString& path, int waitMs)
{
    OpenerOutcome outcome;
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return outcome;
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"), QString::fromLatin1(kWrapper), QStringLiteral("sh"),
                   opener, path, QString::number(std::max(waitMs, 0) / 100),
                   QString::number(kStillRunningStatus)});
    if (!process.waitForStarted()) {
        outcome.state = OpenerOutcome::State::FailedToStart;
        return outcome;
    }
    // The shell ends on its own a little after the wait; should it not,
    // only the shell is stopped.
    if (!process.waitForFinished(std::max(waitMs, 0) + 2000)) {
        outcome.state = OpenerOutcome::State::StillRunning;
        return outcome;
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        outcome.state = OpenerOutcome::State::Crashed;
        return outcome;
    }
    outcome.exitCode = process.exitCode();
    outcome.state = outcome.exitCode == kStillRunningStatus ? OpenerOutcome::State::StillRunning
                                                            : OpenerOutcome::State::Finished;
    return outcome;
}

bool openWithDesktopViewer(const QString& path)
{
    return viewerShowsFile(runDesktopOpener(path, kOpenerWaitMs));
}
