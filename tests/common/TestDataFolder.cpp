#include "TestDataFolder.h"

#include "TestDatabase.h"

#include <QFile>

bool TestDataFolder::setUp(QString* error)
{
    setUpFolder();
    return openTestDatabase(m_context->DbArchivi, m_context->databaseFile(), error);
}

void TestDataFolder::setUpFolder()
{
    tearDown();
    m_dir = std::make_unique<QTemporaryDir>();
    m_context = std::make_unique<AppContext>();
    m_context->programFolder = m_dir->path();
}

void TestDataFolder::tearDown()
{
    m_context.reset();
    m_dir.reset();
}

bool TestDataFolder::writeSettings(const QByteArray& content) const
{
    QFile f(m_context->settingsFile());
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}

bool TestDataFolder::addSendableInvoice(QString* error) const
{
    Database& db = m_context->DbArchivi;
    return db.execute("UPDATE datipers SET Denominazione = 'Geom. Rossi', Indirizzo = 'Via Appia', "
                      "Citta = 'Roma', CAP = '00179', PartitaIVA = '09876543217', "
                      "CodiceFiscale = 'RSSMRA80A01H501U'",
                      {}, error) &&
           db.execute("INSERT INTO Clienti (Chiave, CodCliente, Denominazione, Indirizzo, Citta, "
                      "CAP, PartitaIVA, CodDestinatario) VALUES ('B1        ', 'B1', 'Bianchi', "
                      "'Via Po', 'Milano', '20121', '01234567897', 'ABC1234')",
                      {}, error) &&
           db.execute("INSERT INTO Fatture (Chiave, Data, Numero, CodCli, Oggetto, Onorario, "
                      "AliqIVA, ImportoIVA) VALUES ('2026         1', '2026-12-01', 1, 'B1', "
                      "'Rilievo', 100000, 22, 22000)",
                      {}, error);
}
