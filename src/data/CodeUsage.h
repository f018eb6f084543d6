#pragma once

#include <QString>
#include <optional>

class Database;

// Whose code: a client's (used by invoices and pro-formas) or a supplier's
// (used by purchases).
enum class CodeOwner { Client, Supplier };

// How many documents name a client or supplier code.
struct CodeUsage
{
    int fatture = 0;
    int parcelle = 0;
    int movimenti = 0;
    int total() const { return fatture + parcelle + movimenti; }
};

// Counts the documents whose client or supplier code is `code`, compared as
// keys are (upper case, trailing blanks ignored). Nothing, and the reason,
// when the database fails.
std::optional<CodeUsage> documentsUsingCode(Database& db, CodeOwner owner, const QString& code,
                                            QString* error);

// Why a used code cannot be deleted, e.g. "Il cliente R1 non può essere
// eliminato: è usato da 3 documenti (2 fatture, 1 parcella)."
QString deletionRefusal(CodeOwner owner, const QString& code, const CodeUsage& usage);
