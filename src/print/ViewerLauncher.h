#pragma once

#include <QString>
#include <functional>

// How the windows open an exported file: with the desktop's viewer, unless
// a test has put a launcher of its own in; an empty one goes back to the
// viewer. True when a viewer shows the file.
bool launchViewer(const QString& path);
void setViewerLauncher(std::function<bool(const QString&)> launcher);
