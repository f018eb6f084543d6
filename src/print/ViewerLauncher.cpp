#include "ViewerLauncher.h"

#include "DesktopViewer.h"

namespace {

std::function<bool(const QString&)>& replacement()
{
    static std::function<bool(const QString&)> launcher;
    return launcher;
}

} // namespace

bool launchViewer(const QString& path)
{
    return replacement() ? replacement()(path) : openWithDesktopViewer(path);
}

void setViewerLauncher(std::function<bool(const QString&)> launcher)
{
    replacement() = std::move(launcher);
}
