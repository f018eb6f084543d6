#include "SdiReceipt.h"

#include "SignedContent.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <algorithm>
#include <array>

namespace {

const QString kMessagesNamespace = QStringLiteral("http://www.fatturapa.gov.it/sdi/messaggi/v1.0");

struct KindName
{
    SdiReceiptKind kind;
    const char* code;
    const char* element;
};

constexpr std::array<KindName, 5> kKinds{{
    {SdiReceiptKind::Delivered, "RC", "RicevutaConsegna"},
    {SdiReceiptKind::Rejected, "NS", "NotificaScarto"},
    {SdiReceiptKind::NotDelivered, "MC", "NotificaMancataConsegna"},
    {SdiReceiptKind::DeadlinePassed, "DT", "NotificaDecorrenzaTermini"},
    {SdiReceiptKind::NotDeliverable, "AT", "AttestazioneTrasmissioneFattura"},
}};

// Receipts are a few kilobytes; anything far larger is no receipt.
constexpr qint64 kLargestReceipt = 4 * 1024 * 1024;

QString day(const QDate& date)
{
    return date.toString(QStringLiteral("dd/MM/yyyy"));
}

QDateTime dateTime(const QString& text)
{
    // xs:dateTime, with or without fractions of a second and a zone.
    QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
    return t.isValid() ? t : QDateTime::fromString(text, Qt::ISODate);
}

class Reader
{
public:
    explicit Reader(const QByteArray& data) : m_xml(data) {}

    std::optional<SdiReceipt> read(QString* message)
    {
        if (!m_xml.readNextStartElement()) {
            *message =
                m_xml.hasError()
                    ? QStringLiteral("non è un file XML leggibile (%1)").arg(m_xml.errorString())
                    : QStringLiteral("è vuoto");
            return std::nullopt;
        }
        const QString root = m_xml.name().toString();
        const auto* kind = std::find_if(kKinds.begin(), kKinds.end(), [&](const KindName& k) {
            return root == QLatin1String(k.element);
        });
        if (m_xml.namespaceUri() != kMessagesNamespace || kind == kKinds.end()) {
            *message =
                m_xml.namespaceUri() == kMessagesNamespace
                    ? QStringLiteral("è una notifica %1, che il programma non registra").arg(root)
                    : QStringLiteral("non è una ricevuta del Sistema di Interscambio "
                                     "(contiene %1)")
                          .arg(root);
            return std::nullopt;
        }
        m_receipt.kind = kind->kind;
        // Only the root's own children count: RiferimentoArchivio nests
        // another IdentificativoSdI and NomeFile.
        while (m_xml.readNextStartElement())
            child();
        if (m_xml.hasError()) {
            *message = QStringLiteral("non è un file XML leggibile (%1)").arg(m_xml.errorString());
            return std::nullopt;
        }
        if (const QString missing = firstMissing(); !missing.isEmpty()) {
            *message = QStringLiteral("ricevuta %1 incompleta: manca %2").arg(root, missing);
            return std::nullopt;
        }
        return m_receipt;
    }

private:
    void child()
    {
        const auto name = m_xml.name();
        if (name == QLatin1String("IdentificativoSdI"))
            m_receipt.identificativoSdI = m_xml.readElementText().trimmed();
        else if (name == QLatin1String("NomeFile"))
            m_receipt.nomeFile = m_xml.readElementText().trimmed();
        else if (name == QLatin1String("DataOraRicezione"))
            m_receipt.received = dateTime(m_xml.readElementText().trimmed());
        else if (name == QLatin1String("DataOraConsegna"))
            m_receipt.delivered = dateTime(m_xml.readElementText().trimmed());
        else if (name == QLatin1String("MessageId"))
            m_receipt.messageId = m_xml.readElementText().trimmed();
        else if (name == QLatin1String("Descrizione"))
            m_receipt.description = m_xml.readElementText().simplified();
        else if (name == QLatin1String("ListaErrori"))
            errors();
        else
            m_xml.skipCurrentElement();
    }

    void errors()
    {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != QLatin1String("Errore")) {
                m_xml.skipCurrentElement();
                continue;
            }
            SdiError error;
            while (m_xml.readNextStartElement()) {
                if (m_xml.name() == QLatin1String("Codice"))
                    error.code = m_xml.readElementText().trimmed();
                else if (m_xml.name() == QLatin1String("Descrizione"))
                    error.description = m_xml.readElementText().simplified();
                else
                    m_xml.skipCurrentElement();
            }
            m_receipt.errors << error;
        }
    }

    // What the schema requires and the program needs, in the schema's
    // words; empty when nothing is missing.
    QString firstMissing() const
    {
        const SdiReceipt& r = m_receipt;
        if (r.identificativoSdI.isEmpty())
            return QStringLiteral("IdentificativoSdI");
        if (r.nomeFile.isEmpty())
            return QStringLiteral("NomeFile");
        if (r.kind != SdiReceiptKind::DeadlinePassed && !r.received.isValid())
            return QStringLiteral("DataOraRicezione");
        if (r.kind == SdiReceiptKind::Delivered && !r.delivered.isValid())
            return QStringLiteral("DataOraConsegna");
        if (r.kind == SdiReceiptKind::Rejected && r.errors.isEmpty())
            return QStringLiteral("ListaErrori");
        if (r.messageId.isEmpty())
            return QStringLiteral("MessageId");
        return {};
    }

    QXmlStreamReader m_xml;
    SdiReceipt m_receipt;
};

} // namespace

QString sdiReceiptCode(SdiReceiptKind kind)
{
    for (const KindName& k : kKinds)
        if (k.kind == kind)
            return QLatin1String(k.code);
    return {};
}

std::optional<SdiReceiptKind> sdiReceiptKindOfCode(const QString& code)
{
    for (const KindName& k : kKinds)
        if (code == QLatin1String(k.code))
            return k.kind;
    return std::nullopt;
}

QDateTime SdiReceipt::stateTime() const
{
    switch (kind) {
    case SdiReceiptKind::Delivered:
        return delivered;
    case SdiReceiptKind::DeadlinePassed:
        return {};
    default:
        return received;
    }
}

std::optional<SdiReceipt> readSdiReceipt(const QByteArray& data, QString* message)
{
    return Reader(data).read(message);
}

std::optional<SdiReceipt> readSdiReceiptFile(const QString& path, QString* message)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *message = name + QStringLiteral(": impossibile leggerlo (%1)").arg(file.errorString());
        return std::nullopt;
    }
    // Read no further than a receipt can be: the check below refuses it.
    const QByteArray data = file.read(kLargestReceipt + 1);
    if (file.error() != QFileDevice::NoError) {
        *message = name + QStringLiteral(": impossibile leggerlo (%1)").arg(file.errorString());
        return std::nullopt;
    }
    return readSdiReceiptData(name, data, message);
}

std::optional<SdiReceipt> readSdiReceiptData(const QString& fileName, const QByteArray& bytes,
                                             QString* message)
{
    const auto refuse = [&](const QString& why) {
        *message = fileName + QStringLiteral(": ") + why;
        return std::nullopt;
    };
    if (bytes.size() > kLargestReceipt)
        return refuse(QStringLiteral("troppo grande per essere una ricevuta"));
    QByteArray data = bytes;
    QString why;
    if (fileName.endsWith(QLatin1String(".p7m"), Qt::CaseInsensitive) || !looksLikeXml(data)) {
        const auto content = cadesContent(data, &why);
        if (!content)
            return refuse(why);
        data = *content;
    }
    auto receipt = readSdiReceipt(data, &why);
    if (!receipt)
        return refuse(why);
    return receipt;
}

QString sdiStateText(SdiReceiptKind kind, const QDate& date, const QList<SdiError>& errors)
{
    switch (kind) {
    case SdiReceiptKind::Delivered:
        return QStringLiteral("Consegnata il %1").arg(day(date));
    case SdiReceiptKind::Rejected: {
        QStringList reasons;
        for (const SdiError& e : errors)
            reasons << (e.code + QLatin1Char(' ') + e.description).trimmed();
        return QStringLiteral("Scartata il %1: %2")
            .arg(day(date), reasons.join(QStringLiteral("; ")));
    }
    case SdiReceiptKind::NotDelivered:
        return QStringLiteral("Non recapitata: disponibile nel cassetto fiscale del cliente");
    case SdiReceiptKind::DeadlinePassed:
        return QStringLiteral("Decorrenza termini: nessun esito del cliente entro 15 giorni");
    case SdiReceiptKind::NotDeliverable:
        return QStringLiteral("Trasmessa il %1, non recapitabile: avvisare il cliente")
            .arg(day(date));
    }
    return {};
}

QString sdiStateText(const SdiReceipt& receipt)
{
    return sdiStateText(receipt.kind, receipt.stateTime().date(), receipt.errors);
}
