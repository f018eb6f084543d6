#pragma once

#include <QString>
#include <optional>

struct PecSettings;

// The PEC password is never written into the settings file. It lives in the
// desktop's secret store (the Secret Service or KWallet, through QtKeychain)
// under the account's login and server; where there is no store, the
// windows ask for it once per run and the commands read it from a file of
// the user's own.
namespace PecPassword {

// The name the store knows the password by: "PEC studio@pec.it
// (imaps.pec.it)".
QString storeKey(const PecSettings& pec);

// The password stored for the account; nothing when there is none or no
// store, and why in `problem`.
std::optional<QString> readStored(const PecSettings& pec, QString* problem);
// Stores the password; false and why when there is no store or it refused.
bool store(const PecSettings& pec, const QString& password, QString* problem);
// Removes the stored password, if any.
void forget(const PecSettings& pec);

// The environment variable naming the commands' password file.
constexpr const char* kFileVariable = "FALMIDE_PEC_PASSWORD_FILE";

// The password in `path`: its first line. Refused, and why, when the file
// cannot be read, is not a regular file, belongs to another user, or
// others than its owner may read or write it (chmod 600 makes it right).
std::optional<QString> readFile(const QString& path, QString* problem);

// What a command uses: the file FALMIDE_PEC_PASSWORD_FILE names when set,
// otherwise the secret store. Nothing, and a sentence saying how to give
// it, when neither has the password.
std::optional<QString> forCommand(const PecSettings& pec, QString* problem);

} // namespace PecPassword
