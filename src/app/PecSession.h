#pragma once

#include <QString>
#include <optional>

class QWidget;
struct PecSettings;

// The PEC password for the windows: from the desktop's secret store, or,
// where there is none, asked once and kept in memory until the program
// ends, never on disk.
namespace PecSession {

// The password of the account: remembered this run, stored, or asked;
// nothing when the user cancels the question.
std::optional<QString> password(const PecSettings& pec, QWidget* parent);
// Keeps the password for the rest of the run.
void remember(const PecSettings& pec, const QString& password);
// Forgets it, after the server refused it: the next try asks again.
void forget(const PecSettings& pec);

} // namespace PecSession
