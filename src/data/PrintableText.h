#pragma once

#include <QString>

// Text from the archive (a client's name, a code) as a message may show it:
// control characters, which would break a line or drive a terminal, are
// written as escapes ("\n", "\t", "\x1B", "\u202E").
QString withControlsEscaped(const QString& text);
