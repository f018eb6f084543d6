#pragma once

#include "CodeUsage.h"

class Database;
class QWidget;

// Whether the client or supplier `code` may be deleted: not while documents
// use it, or their printouts would lose the name and address. A refusal, or
// a failure to count, is shown to the user over `parent`.
bool mayDeleteCode(QWidget* parent, Database& db, CodeOwner owner, const QString& code);
