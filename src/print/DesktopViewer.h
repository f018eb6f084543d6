#pragma once

#include "DesktopEntry.h"

#include <QString>
#include <optional>

// Opening a written file with the program the desktop associates with its
// type. The program is looked up first and started on its own, not waited
// for: whether a viewer shows the file is known at once, however long the
// viewer takes to appear, and a file nobody can open is told as such.

// The desktop file xdg-mime names as the default program for a MIME type
// ("org.gnome.Evince.desktop"); empty when there is none or no xdg-mime.
QString defaultDesktopFile(const QString& mimeType);

// Where a desktop file is installed: the applications folders of
// $XDG_DATA_HOME and $XDG_DATA_DIRS, a dash of its name standing for a
// subfolder when needed ("kde4-okular.desktop" in kde4/). Empty when it is
// nowhere.
QString desktopFilePath(const QString& name);

// The desktop's program for PDF files, when it is installed: its entry
// found, not hidden, not for a terminal, its TryExec and its program on
// the PATH.
std::optional<DesktopEntry> pdfViewer();

// The launcher of exported PDF files: starts the desktop's program for PDF
// files on the file without waiting for it; true when it was started.
bool openWithDesktopViewer(const QString& path);
