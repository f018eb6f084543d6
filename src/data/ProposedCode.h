#pragma once

#include <QString>
#include <functional>
#include <optional>

// A code for a new client or supplier made from its name: the name's
// letters (accents taken off) and digits in capitals, cut to `width`
// ("Rossi S.r.l." gives ROSSISRL), or `fallback` for a name without any; a
// code `taken` says is in use gets a number in place of its last characters
// (ROSSISRL2, ROSSISRL3 ...). `taken` answers nothing on a failure, and the
// proposal is then nothing too.
std::optional<QString>
proposedCode(const QString& name, int width, const QString& fallback,
             const std::function<std::optional<bool>(const QString&)>& taken);
