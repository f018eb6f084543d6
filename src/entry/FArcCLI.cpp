#include "FArcCLI.h"

#include "AppContext.h"
#include "CodeDeletion.h"
#include "MasterDataFields.h"
#include "MessageBox.h"
#include "Sendings.h"

#include <tuple>

FArcCLI::FArcCLI(AppContext& context, QWidget* parent) : ArchiveWindow(context, parent)
{
    setObjectName(QStringLiteral("FArcCLI"));
    setWindowTitle(QStringLiteral("Archivio CLIENTI"));
    setRecordNoun(QStringLiteral("Cliente"), false);
    Form_Load(Table::Clienti, clientFields(), kCodeTabIndex);
}

bool FArcCLI::mayDelete()
{
    return mayDeleteCode(this, m_context.DbArchivi, CodeOwner::Client, text(ClientField::Code));
}

SaveResult FArcCLI::storeRecord(SaveMode mode, qint64* version, QString* why)
{
    const Client client = clientFromFields(*this);
    if (const QString problem = countryAndProvinceProblem(client); !problem.isEmpty()) {
        *why = problem;
        return SaveResult::Refused;
    }
    QString error;
    const auto before = Clients(m_context.DbArchivi).find(client.code, &error);
    const SaveResult result = Clients(m_context.DbArchivi).save(client, mode, why, version);
    const bool dataChanged =
        before &&
        std::tie(before->name, before->address, before->town, before->postcode, before->vatNumber,
                 before->taxCode, before->nazione, before->provincia) !=
            std::tie(client.name, client.address, client.town, client.postcode, client.vatNumber,
                     client.taxCode, client.nazione, client.provincia);
    if (result == SaveResult::Replaced && dataChanged &&
        clientHasLiveSendings(m_context.DbArchivi, client.code, &error))
        MessageBox::show(this,
                         QStringLiteral("Le fatture elettroniche già scritte per il cliente "
                                        "%1 conservano i dati precedenti: valgono per le "
                                        "fatture successive.")
                             .arg(client.code.trimmed()),
                         QMessageBox::Warning);
    return result;
}

QString FArcCLI::taxCountry() const
{
    return text(ClientField::Nazione);
}

DeleteResult FArcCLI::removeRecord(qint64 version, QString* why)
{
    return Clients(m_context.DbArchivi).remove(text(ClientField::Code), why, version);
}
