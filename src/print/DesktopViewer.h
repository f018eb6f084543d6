#pragma once

#include <QString>

// Opening a written file with the desktop's viewer. QDesktopServices only
// says whether xdg-open could be started, not whether it found a program
// for the file; here xdg-open's own exit status decides.

// How the opener ended, as far as the program waited for it.
struct OpenerOutcome
{
    enum class State {
        NotFound,      // no xdg-open on this machine
        FailedToStart, // it could not be run
        Crashed,
        Finished,     // exitCode holds its status
        StillRunning, // still at work when the wait ended
    };
    State state = State::NotFound;
    int exitCode = 0;
};

// Whether a viewer shows the file after the opener ended so. An opener that
// is still running holds the viewer itself: without a desktop environment
// xdg-open runs the viewer and waits for it to close.
bool viewerShowsFile(const OpenerOutcome& outcome);

// Runs xdg-open on the file and waits at most waitMs for its verdict; an
// opener still running then is left to go on.
OpenerOutcome runDesktopOpener(const QString& path, int waitMs);

// The launcher of exported files: true when a viewer shows the file.
bool openWithDesktopViewer(const QString& path);
