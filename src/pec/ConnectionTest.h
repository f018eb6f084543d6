#pragma once

#include "PecAccount.h"

#include <QStringList>

// Logs in to the sending and the receiving server and sends nothing: one
// line per server, "Invio (SMTP): collegamento riuscito" or why not.
QStringList testPecConnection(const PecAccount& account);
