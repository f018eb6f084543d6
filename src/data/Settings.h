#pragma once

#include "FeeProfile.h"
#include "ServerConnection.h"

#include <QString>
#include <QStringList>
#include <optional>

// Where the letterhead logo goes, in twips. The first key is the distance
// from the top and the second from the left, whatever their names say.
struct LogoPlacement
{
    double top = 100;  // logo_x
    double left = 100; // logo_y
    double width = 3000;
    double height = 2000;
};

// [FatturaPA]: what the electronic invoice needs beyond the heading data.
struct FatturaPASettings
{
    QString regimeFiscale = QStringLiteral("RF01"); // RegimeFiscale
    QString tipoCassa = QStringLiteral("TC03");     // TipoCassa: the geometri's fund
    QString provincia;                              // Provincia of the professional's seat
    QString iban;                                   // IBAN for the payment by transfer
    bool allegaPdf = false; // AllegaPDF: the invoice's archived PDF goes into the file
};

// [PEC]: the studio's certified mail account. The password is never here:
// it lives in the desktop's secret store (PecPassword.h).
struct PecSettings
{
    QString address;    // Indirizzo: the studio's PEC address
    QString smtpHost;   // ServerSMTP
    int smtpPort = 465; // PortaSMTP: 465 is SMTP over TLS, another port STARTTLS
    QString imapHost;   // ServerIMAP
    int imapPort = 993; // PortaIMAP: 993 is IMAP over TLS, another port STARTTLS
    QString user;       // Utente: the login, the address when empty
    // IndirizzoSdI: where invoices go; the SdI's first receipt names the
    // address assigned to this sender, which then replaces the default.
    QString sdiAddress = QString::fromLatin1(kDefaultSdiAddress);

    static constexpr const char* kDefaultSdiAddress = "sdi01@pec.fatturapa.it";

    // The login: the user, or the address when no user is set.
    QString login() const { return user.isEmpty() ? address : user; }
    // Whether enough is set to send (address, SMTP server) or to receive
    // (address, IMAP server).
    bool canSend() const { return !address.isEmpty() && !smtpHost.isEmpty(); }
    bool canReceive() const { return !address.isEmpty() && !imapHost.isEmpty(); }
};

// How far the PEC inbox has been read: the mailbox's UIDVALIDITY and the
// last message's UID ([PEC] UIDVALIDITY, UltimoUID). Zeros: nothing yet.
struct PecInboxMark
{
    qint64 uidValidity = 0;
    qint64 lastUid = 0;
};

// The settings file by name: each key is named once here, with what applies
// when it is absent or empty. Every read goes to the file, so a change made
// with a text editor counts at once (the profile, for one, is read each
// time the amounts are computed). Only the consult window's layout is
// written back.

class Settings
{
public:
    explicit Settings(QString file) : m_file(std::move(file)) {}
    const QString& file() const { return m_file; }

    // [Generale] Calcolo: the profession, shown in the main window's caption.
    std::optional<QString> profession() const;
    // The profile the profession names (feeProfileNamed): the geometra's
    // withholds on the fee alone; without a profession, the general one.
    FeeProfile feeProfile() const;
    // [Generale] Importo: the caption of the fee; without it the windows keep
    // theirs and the pages print "ONORARIO".
    std::optional<QString> feeCaption() const;
    // [Generale] Intesta: the first line of the textual page heading.
    std::optional<QString> heading() const;
    // [Generale] Nota_RA: what follows the withholding line of an invoice.
    std::optional<QString> withholdingNote() const;
    // [Generale] Minimi_1 to Minimi_3: the flat-rate statement, the lines
    // present in their order.
    QStringList flatRateStatement() const;
    // [Generale] Privacy_1 to Privacy_3: the notice a double click puts into
    // an invoice's notes, the second and third each after a blank.
    QString privacyNotice() const;

    // [CartaIntestata] Ditta: the letterhead's footer.
    std::optional<QString> letterheadFooter() const;
    // [CartaIntestata] logo_x, logo_y, logo_larg, logo_alt: each the number
    // its value starts with, or the default.
    LogoPlacement logoPlacement() const;
    // [CartaIntestata] LogoParcella: any value prints pro-formas on the
    // letterhead.
    bool proFormaOnLetterhead() const;

    // [Database] Server, Porta, Database, Utente, each trimmed: the
    // archives on a database server instead of the file in the data folder.
    // None without a Server; a port that is not a number from 1 to 65535
    // reads as 5432. The password is never here (ServerConnection.h).
    std::optional<ServerConnection> databaseServer() const;
    // [Generale] Archivio: the folder the desks of a studio share for the
    // invoice archive, the reports, the suppliers' files and the logo
    // (ArchiveFolder.h); absent, the data folder.
    std::optional<QString> archiveFolder() const;
    // [Generale] CopieGiornaliere: "0", "no", "off" or "false" turns the
    // daily copies of the database off; they are made otherwise.
    bool dailyCopies() const;
    // [FatturaPA] RegimeFiscale, TipoCassa, Provincia, IBAN, each trimmed.
    FatturaPASettings fatturaPA() const;

    // [PEC] Indirizzo, ServerSMTP, PortaSMTP, ServerIMAP, PortaIMAP, Utente,
    // IndirizzoSdI, each trimmed; a port that is not a number from 1 to
    // 65535 reads as the default.
    PecSettings pec() const;
    // Writes the section's keys; false when the file cannot be written.
    bool setPec(const PecSettings& pec) const;
    // Remembers the SdI's address for this sender alone.
    bool setPecSdiAddress(const QString& address) const;
    PecInboxMark pecInboxMark() const;
    bool setPecInboxMark(const PecInboxMark& mark) const;

    // [Consulta] Richieste<column>: a column's width in twips, when it is a
    // positive whole number.
    std::optional<int> consultColumnWidth(int column) const;
    // [Consulta] Tipo: the document type chosen, when it is an index.
    std::optional<int> consultDocumentType() const;
    // Both false when the file cannot be written: only the layout is lost.
    bool setConsultColumnWidth(int column, int twips) const;
    bool setConsultDocumentType(int index) const;

private:
    std::optional<QString> value(const char* section, const char* key) const;

    QString m_file;
};
