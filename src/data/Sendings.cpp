#include "Sendings.h"

#include "Database.h"
#include "FeeDocument.h"
#include "InvoiceArchive.h"
#include "KeyText.h"
#include "ProgressivoInvio.h"
#include "Schema.h"
#include "Snapshot.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <array>

namespace {

constexpr std::array kStates = {
    std::pair{SendingState::Written, "SC"},      std::pair{SendingState::Delivered, "RC"},
    std::pair{SendingState::Rejected, "NS"},     std::pair{SendingState::NotDelivered, "MC"},
    std::pair{SendingState::TermsExpired, "DT"}, std::pair{SendingState::Attested, "AT"},
    std::pair{SendingState::Withdrawn, "AN"},    std::pair{SendingState::Sent, "IN"}};

QString column(const Database& db, SendingColumn c)
{
    return db.quoted(sendingsTableDef().columns.at(std::size_t(c)).name);
}

QString table(const Database& db)
{
    return db.quoted(sendingsTableDef().name);
}

QString versionColumn(const Database& db)
{
    return db.quoted(kRowVersionColumn);
}

QVariant textOrNull(const QString& text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant timeOrNull(const QDateTime& when)
{
    return when.isValid() ? QVariant(storedDateTime(when)) : QVariant();
}

Sending fromRow(const QVariantList& row)
{
    auto at = [&row](SendingColumn c) { return row.value(int(c)); };
    Sending s;
    s.id = at(SendingColumn::Key).toLongLong();
    s.invoice =
        DocumentKey::fromStored(at(SendingColumn::Invoice).toString()).value_or(DocumentKey());
    s.progressive = at(SendingColumn::Progressive).toString();
    if (!at(SendingColumn::Counter).isNull())
        s.counter = at(SendingColumn::Counter).toLongLong();
    s.fileName = at(SendingColumn::FileName).toString();
    s.written = dateTimeFromStored(at(SendingColumn::Written));
    s.sha256 = at(SendingColumn::Sha256).toString();
    s.state = stateFromStored(at(SendingColumn::State).toString());
    s.stateDate = dateTimeFromStored(at(SendingColumn::StateDate));
    s.sdiId = at(SendingColumn::SdiId).toString();
    s.errors = at(SendingColumn::Errors).toString();
    s.messageId = at(SendingColumn::MessageId).toString();
    s.version = row.value(rowVersionColumn(sendingsTableDef())).toLongLong();
    return s;
}

QString fileSha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return hash.addData(&file) ? QString::fromLatin1(hash.result().toHex()) : QString();
}

} // namespace

QString storedState(SendingState state)
{
    for (const auto& [s, text] : kStates)
        if (s == state)
            return QLatin1String(text);
    return {};
}

SendingState stateFromStored(const QString& stored)
{
    for (const auto& [s, text] : kStates)
        if (stored == QLatin1String(text))
            return s;
    return SendingState::Written;
}

bool Sending::isLive() const
{
    return state != SendingState::Rejected && state != SendingState::Withdrawn;
}

bool Sending::mayWithdraw() const
{
    return state == SendingState::Written || state == SendingState::Rejected;
}

bool Sending::awaitsReceipt() const
{
    return state == SendingState::Written || state == SendingState::Sent;
}

std::optional<QVector<Sending>> Sendings::select(const QString& where, const QVariantList& values,
                                                 QString* error) const
{
    error->clear();
    const auto found =
        Snapshot::Open(m_db,
                       QStringLiteral("SELECT * FROM %1 WHERE %2 ORDER BY %3")
                           .arg(table(m_db), where, column(m_db, SendingColumn::Key)),
                       values, error);
    if (!found)
        return std::nullopt;
    QVector<Sending> sendings;
    for (const QVariantList& row : found->rows())
        sendings << fromRow(row);
    return sendings;
}

std::optional<QVector<Sending>> Sendings::ofInvoice(const DocumentKey& invoice,
                                                    QString* error) const
{
    return select(column(m_db, SendingColumn::Invoice) + QStringLiteral(" = ?"), {invoice.stored()},
                  error);
}

std::optional<Sending> Sendings::live(const DocumentKey& invoice, QString* error) const
{
    const auto all = ofInvoice(invoice, error);
    if (!all)
        return std::nullopt;
    for (auto s = all->crbegin(); s != all->crend(); ++s)
        if (s->isLive())
            return *s;
    return std::nullopt;
}

std::optional<Sending> Sendings::byFileName(const QString& fileName, QString* error) const
{
    const auto found =
        select(column(m_db, SendingColumn::FileName) + QStringLiteral(" = ?"), {fileName}, error);
    if (!found || found->isEmpty())
        return std::nullopt;
    return found->constLast();
}

std::optional<QVector<Sending>> Sendings::liveInPeriod(const QDate& first, const QDate& last,
                                                       QString* error) const
{
    const TableDef& invoices = tableDef(Table::Fatture);
    auto invoiceColumn = [this, &invoices](FeeColumn c) {
        return m_db.quoted(invoices.columns.at(int(c)).name);
    };
    const auto found = select(
        QStringLiteral("%1 IN (SELECT %2 FROM %3 WHERE %4 >= ? AND %4 <= ?) AND %5 NOT IN (?, ?)")
            .arg(column(m_db, SendingColumn::Invoice), invoiceColumn(FeeColumn::Key),
                 m_db.quoted(invoices.name), invoiceColumn(FeeColumn::Date),
                 column(m_db, SendingColumn::State)),
        {first.toString(Qt::ISODate), last.toString(Qt::ISODate),
         storedState(SendingState::Rejected), storedState(SendingState::Withdrawn)},
        error);
    if (!found)
        return std::nullopt;
    // Oldest first: a later sending of an invoice takes the earlier's place.
    QMap<QString, Sending> latest;
    for (const Sending& s : *found)
        latest.insert(s.invoice.stored(), s);
    return QVector<Sending>(latest.cbegin(), latest.cend());
}

std::optional<QVector<Sending>> Sendings::unsentLiveInPeriod(const QDate& first, const QDate& last,
                                                             QString* error) const
{
    auto live = liveInPeriod(first, last, error);
    if (live)
        live->removeIf([](const Sending& s) { return s.state != SendingState::Written; });
    return live;
}

std::optional<Sending> Sendings::byId(qint64 id, QString* error) const
{
    const auto found =
        select(column(m_db, SendingColumn::Key) + QStringLiteral(" = ?"), {id}, error);
    if (!found || found->isEmpty())
        return std::nullopt;
    return found->constFirst();
}

std::optional<QHash<QString, Sending>> Sendings::latestOf(const QVector<DocumentKey>& invoices,
                                                          QString* error) const
{
    QHash<QString, Sending> latest;
    error->clear();
    if (invoices.isEmpty())
        return latest;
    QVariantList keys;
    for (const DocumentKey& key : invoices)
        keys << key.stored();
    const auto found = select(QStringLiteral("%1 IN (?%2)")
                                  .arg(column(m_db, SendingColumn::Invoice),
                                       QStringLiteral(", ?").repeated(int(keys.size()) - 1)),
                              keys, error);
    if (!found)
        return std::nullopt;
    for (const Sending& s : *found)
        latest.insert(s.invoice.stored(), s);
    return latest;
}

std::optional<qint64> Sendings::nextCounter(QString* error) const
{
    const auto found = Snapshot::Open(m_db,
                                      QStringLiteral("SELECT MAX(%1) FROM %2")
                                          .arg(column(m_db, SendingColumn::Counter), table(m_db)),
                                      {}, error);
    if (!found)
        return std::nullopt;
    return found->rows().value(0).value(0).toLongLong() + 1;
}

std::optional<qint64> Sendings::add(const Sending& s, QString* error, bool* counterTaken) const
{
    QStringList names;
    const std::vector<ColumnDef>& columns = sendingsTableDef().columns;
    for (std::size_t i = 1; i <= std::size_t(SendingColumn::MessageId); ++i)
        names << m_db.quoted(columns[i].name);
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (?%3)")
                            .arg(table(m_db), names.join(QStringLiteral(", ")),
                                 QStringLiteral(", ?").repeated(int(names.size()) - 1));
    const QVariantList values{s.invoice.stored(),
                              s.progressive,
                              s.counter ? QVariant(*s.counter) : QVariant(),
                              s.fileName,
                              timeOrNull(s.written),
                              textOrNull(s.sha256),
                              storedState(s.state),
                              timeOrNull(s.stateDate),
                              textOrNull(s.sdiId),
                              textOrNull(s.errors),
                              textOrNull(s.messageId)};
    if (counterTaken)
        *counterTaken = false;
    // A savepoint of its own: a server gives up a whole transaction whose
    // statement failed, and the caller's must go on with the next counter.
    if (!m_db.begin(error))
        return std::nullopt;
    if (!m_db.execute(sql, values, error)) {
        if (counterTaken && s.counter)
            *counterTaken = m_db.lastErrorKind() == DatabaseErrorKind::Constraint;
        m_db.rollback();
        return std::nullopt;
    }
    // Found by its counter, which no other sending has: another desk may
    // have added one since.
    const auto found = s.counter
                           ? Snapshot::Open(m_db,
                                            QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                                .arg(column(m_db, SendingColumn::Key), table(m_db),
                                                     column(m_db, SendingColumn::Counter)),
                                            {*s.counter}, error)
                           : Snapshot::Open(m_db,
                                            QStringLiteral("SELECT MAX(%1) FROM %2")
                                                .arg(column(m_db, SendingColumn::Key), table(m_db)),
                                            {}, error);
    if (!found) {
        m_db.rollback();
        return std::nullopt;
    }
    // A failed commit has rolled its savepoint back: the caller's stays.
    if (!m_db.commit(error))
        return std::nullopt;
    return found->rows().value(0).value(0).toLongLong();
}

std::optional<qint64> Sendings::addUnderFreeCounter(Sending* sending, const CounterNaming& name,
                                                    QString* error) const
{
    auto next = nextCounter(error);
    while (next) {
        const auto counter = name(*next, sending, error);
        if (!counter)
            return std::nullopt;
        sending->counter = *counter;
        bool taken = false;
        const auto id = add(*sending, error, &taken);
        if (id || !taken)
            return id;
        next = *counter + 1;
    }
    return std::nullopt;
}

bool Sendings::setState(qint64 id, SendingState state, const QDateTime& when, const QString& sdiId,
                        const QString& errors, QString* error, qint64 version) const
{
    QString sql = QStringLiteral("UPDATE %1 SET %2 = ?, %3 = ?, %4 = ?, %5 = ?, %7 = %7 + 1 "
                                 "WHERE %6 = ?")
                      .arg(table(m_db), column(m_db, SendingColumn::State),
                           column(m_db, SendingColumn::StateDate),
                           column(m_db, SendingColumn::SdiId), column(m_db, SendingColumn::Errors),
                           column(m_db, SendingColumn::Key), versionColumn(m_db));
    QVariantList values{storedState(state), timeOrNull(when), textOrNull(sdiId), textOrNull(errors),
                        id};
    if (version > 0) {
        sql += QStringLiteral(" AND %1 = ?").arg(versionColumn(m_db));
        values << version;
    }
    int changed = 0;
    if (!m_db.execute(sql, values, error, &changed))
        return false;
    if (changed == 1)
        return true;
    // A receipt or a withdrawal that met a sending another desk changed
    // since it was read: nothing on screen to reload, the user repeats it.
    *error = version > 0 ? QStringLiteral("L'invio è stato modificato da un'altra postazione nel "
                                          "frattempo: nulla è cambiato; ripetere l'operazione")
                         : QStringLiteral("Invio non trovato");
    return false;
}

bool Sendings::markSent(qint64 id, const QDateTime& when, const QString& messageId,
                        QString* error) const
{
    const auto s = byId(id, error);
    if (!s) {
        if (error->isEmpty())
            *error = QStringLiteral("Invio non trovato");
        return false;
    }
    if (s->state != SendingState::Written) {
        *error = QStringLiteral("Il file %1 non è da inviare (%2)")
                     .arg(s->fileName, sendingStateCell(*s));
        return false;
    }
    // Only a written sending changes: the same file is never marked twice,
    // even by two programs at once.
    const QString sql =
        QStringLiteral("UPDATE %1 SET %2 = ?, %3 = ?, %4 = ?, %6 = %6 + 1 WHERE %5 = ? AND %2 = ?")
            .arg(table(m_db), column(m_db, SendingColumn::State),
                 column(m_db, SendingColumn::StateDate), column(m_db, SendingColumn::MessageId),
                 column(m_db, SendingColumn::Key), versionColumn(m_db));
    int changed = 0;
    if (!m_db.execute(sql,
                      {storedState(SendingState::Sent), timeOrNull(when), textOrNull(messageId), id,
                       storedState(SendingState::Written)},
                      error, &changed))
        return false;
    if (changed == 1)
        return true;
    *error = QStringLiteral("Il file %1 non è più da inviare").arg(s->fileName);
    return false;
}

bool Sendings::withdraw(qint64 id, const QDateTime& when, QString* error) const
{
    const auto found = byId(id, error);
    if (!found) {
        if (error->isEmpty())
            *error = QStringLiteral("Invio non trovato");
        return false;
    }
    const Sending& s = *found;
    if (s.state == SendingState::Sent) {
        *error = QStringLiteral("Il file %1 è già stato inviato con PEC al Sistema di "
                                "Interscambio: l'invio non si può annullare; attendere la "
                                "ricevuta, e per correggere la fattura emettere una nota di "
                                "credito")
                     .arg(s.fileName);
        return false;
    }
    if (!s.mayWithdraw()) {
        *error = QStringLiteral("Il file %1 è già stato accettato dal Sistema di Interscambio: "
                                "l'invio non si può annullare; per correggere la fattura "
                                "emettere una nota di credito")
                     .arg(s.fileName);
        return false;
    }
    return setState(id, SendingState::Withdrawn, when, s.sdiId, s.errors, error, s.version);
}

bool migrateWrittenInvoices(Database& db, const QString& dataFolder, QString* error)
{
    const auto heading = Snapshot::Open(
        db,
        QStringLiteral("SELECT %1 FROM %2")
            .arg(db.quoted(QStringLiteral("PartitaIVA")), db.quoted(QStringLiteral("datipers"))),
        {}, error);
    if (!heading)
        return false;
    const QString vatNumber = heading->rows().value(0).value(0).toString();
    const TableDef& invoices = tableDef(Table::Fatture);
    auto invoiceColumn = [&db, &invoices](FeeColumn c) {
        return db.quoted(invoices.columns.at(std::size_t(c)).name);
    };
    const auto written =
        Snapshot::Open(db,
                       QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %3 IS NOT NULL ORDER BY %1")
                           .arg(invoiceColumn(FeeColumn::Key), invoiceColumn(FeeColumn::Date),
                                invoiceColumn(FeeColumn::XmlWritten), db.quoted(invoices.name)),
                       {}, error);
    if (!written)
        return false;
    const Sendings sendings(db);
    for (const QVariantList& row : written->rows()) {
        const auto key = DocumentKey::fromStored(row.value(0).toString());
        if (!key)
            continue;
        Sending s;
        s.invoice = *key;
        s.progressive = progressivoInvio(*key).value_or(QString());
        s.fileName = fatturaPAFileName(vatNumber, s.progressive);
        s.written = dateTimeFromStored(row.value(2));
        s.stateDate = s.written;
        const QString pdf =
            invoiceArchivePath(dataFolder, QString::number(key->number()),
                               row.value(1).toDate().toString(QStringLiteral("dd/MM/yyyy")));
        if (!pdf.isEmpty())
            s.sha256 = fileSha256(QFileInfo(pdf).path() + QLatin1Char('/') + s.fileName);
        if (!sendings.add(s, error))
            return false;
    }
    return true;
}

std::optional<QString> withdrawLiveSending(Database& db, const DocumentKey& invoice, QString* error)
{
    const Sendings sendings(db);
    const auto live = sendings.live(invoice, error);
    if (!live) {
        if (error->isEmpty())
            *error = QStringLiteral("La fattura %1/%2 non ha invii da annullare")
                         .arg(invoice.number())
                         .arg(invoice.year());
        return std::nullopt;
    }
    if (!sendings.withdraw(live->id, QDateTime::currentDateTime(), error))
        return std::nullopt;
    return QStringLiteral("Invio %1 della fattura %2/%3 annullato")
        .arg(live->fileName)
        .arg(invoice.number())
        .arg(invoice.year());
}

bool clientHasLiveSendings(Database& db, const QString& code, QString* error)
{
    const TableDef& invoices = tableDef(Table::Fatture);
    auto invoiceColumn = [&db, &invoices](FeeColumn c) {
        return db.quoted(invoices.columns.at(std::size_t(c)).name);
    };
    const auto found = Snapshot::Open(
        db,
        QStringLiteral("SELECT 1 FROM %1 JOIN %2 ON %2.%3 = %1.%4 WHERE %2.%5 = ? AND %1.%6 NOT "
                       "IN (?, ?) LIMIT 1")
            .arg(table(db), db.quoted(invoices.name), invoiceColumn(FeeColumn::Key),
                 column(db, SendingColumn::Invoice), invoiceColumn(FeeColumn::Client),
                 column(db, SendingColumn::State)),
        {keyUpper(code.trimmed()), storedState(SendingState::Rejected),
         storedState(SendingState::Withdrawn)},
        error);
    return found && found->RecordCount() > 0;
}

QString lockedInvoiceMessage()
{
    return QStringLiteral(
        "Fattura già emessa elettronicamente: per correggerla emettere una nota di credito");
}

bool changesWhatXmlCarries(const FeeDocument& stored, const FeeDocument& edited)
{
    // An amount left empty is stored as nothing or as 0: both print 0.
    auto same = [](const std::optional<Money>& a, const std::optional<Money>& b) {
        return a.value_or(Money()) == b.value_or(Money());
    };
    return stored.key != edited.key || stored.date != edited.date || stored.type != edited.type ||
           stored.linkedInvoice != edited.linkedInvoice ||
           stored.linkedInvoiceDate != edited.linkedInvoiceDate ||
           stored.clientCode.trimmed().compare(edited.clientCode.trimmed(), Qt::CaseInsensitive) !=
               0 ||
           stored.subject != edited.subject || stored.description != edited.description ||
           !same(stored.fee, edited.fee) || stored.vatRate != edited.vatRate ||
           stored.contributionRate != edited.contributionRate ||
           stored.withholdingRate != edited.withholdingRate || !same(stored.vat, edited.vat) ||
           !same(stored.contribution, edited.contribution) ||
           !same(stored.withholding, edited.withholding) ||
           !same(stored.expenses, edited.expenses) || !same(stored.stamp, edited.stamp);
}

QString alreadyWrittenText(const Sending& sending)
{
    return QStringLiteral("La fattura %1/%2 è già stata scritta il %3 (%4)")
        .arg(sending.invoice.number())
        .arg(sending.invoice.year())
        .arg(sending.written.toString(QStringLiteral("dd/MM/yyyy")), sending.fileName);
}

QString sendingStateCell(const Sending& sending)
{
    const QString day = sending.stateDate.toString(QStringLiteral("dd/MM/yyyy"));
    switch (sending.state) {
    case SendingState::Written:
        return QStringLiteral("Scritta %1").arg(day);
    case SendingState::Delivered:
        return QStringLiteral("Consegnata %1").arg(day);
    case SendingState::Rejected:
        return QStringLiteral("Scartata %1").arg(day);
    case SendingState::NotDelivered:
        return QStringLiteral("Non recapitata %1").arg(day);
    case SendingState::TermsExpired:
        return QStringLiteral("Decorrenza termini %1").arg(day);
    case SendingState::Attested:
        return QStringLiteral("Non recapitabile %1").arg(day);
    case SendingState::Withdrawn:
        return QStringLiteral("Annullata %1").arg(day);
    case SendingState::Sent:
        return QStringLiteral("Inviata %1").arg(day);
    }
    return {};
}
