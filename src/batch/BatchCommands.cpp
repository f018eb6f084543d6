#include "BatchCommands.h"

const std::vector<BatchCommand>& batchCommands()
{
    static const std::vector<BatchCommand> commands = {
        demoCommand(),        calcolaCommand(),
        fatturaPdfCommand(),  parcellaPdfCommand(),
        reportCommand(),      esportaCommand(),
        fatturaPACommand(),   annullaInvioCommand(),
        ricevuteCommand(),    ricevuteFornitoriCommand(),
        pecCommand(),         backupCommand(),
        verificaCommand(),    compattaCommand(),
        riparaCommand(),      ripristinaCommand(),
        trasferisciCommand(), importaCommand(),
    };
    return commands;
}
