#include "BatchCommands.h"

const std::vector<BatchCommand>& batchCommands()
{
    static const std::vector<BatchCommand> commands = {
        demoCommand(),         calcolaCommand(),    fatturaPdfCommand(),
        parcellaPdfCommand(),  reportCommand(),     fatturaPACommand(),
        annullaInvioCommand(), ricevuteCommand(),   ricevuteFornitoriCommand(),
        backupCommand(),       verificaCommand(),   compattaCommand(),
        riparaCommand(),       ripristinaCommand(),
    };
    return commands;
}
