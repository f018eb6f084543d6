#pragma once

#include "BatchCommand.h"

// Every command the program runs from the shell, in the order --help lists
// them. Each is made by a function of its own file.
const std::vector<BatchCommand>& batchCommands();

BatchCommand demoCommand();
BatchCommand calcolaCommand();
BatchCommand fatturaPdfCommand();
BatchCommand parcellaPdfCommand();
BatchCommand reportCommand();
BatchCommand esportaCommand();
BatchCommand backupCommand();
BatchCommand verificaCommand();
BatchCommand compattaCommand();
BatchCommand riparaCommand();
BatchCommand ripristinaCommand();
BatchCommand fatturaPACommand();
BatchCommand annullaInvioCommand();
BatchCommand ricevuteCommand();
BatchCommand ricevuteFornitoriCommand();
BatchCommand pecCommand();
BatchCommand trasferisciCommand();
BatchCommand importaCommand();
