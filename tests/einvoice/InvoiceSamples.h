#pragma once

#include "FatturaPAInvoice.h"

#include <QFile>
#include <QProcess>
#include <tuple>
#include <utility>

// What the electronic invoice tests share: amounts from text, files, the
// external programs they check with, and one complete invoice.
namespace samples {

inline Money euro(const char* text)
{
    return Money::fromText(QString::fromLatin1(text)).value_or(Money());
}

// Nothing for an empty text.
inline std::optional<Money> amountOrNone(const char* text)
{
    return *text ? std::optional<Money>(euro(text)) : std::nullopt;
}

inline QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool put(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

// A program's exit status and what it printed; -1 when it did not run.
inline std::pair<int, QString> run(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForFinished(60000))
        return {-1, program + QStringLiteral(" did not run: ") + p.errorString()};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAll())};
}

// A signer of its own in `dir` ("firma.key", "firma.crt"); the arguments of
// `openssl cms` that sign with it, to be completed with the output.
inline QStringList signerOf(const QString& dir, const QString& name, QString* problem)
{
    const QString key = dir + "/firma.key";
    const QString certificate = dir + "/firma.crt";
    const auto [status, output] =
        run("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=" + name,
                        "-days", "1", "-keyout", key, "-out", certificate});
    *problem = status == 0 ? QString() : output;
    return {"cms", "-sign", "-binary", "-outform", "DER", "-signer", certificate, "-inkey", key};
}

// A complete invoice of a professional in Rome to a company in Forlì whose
// name needs escaping: a fee and its VAT.
inline FatturaPAInvoice sampleInvoice()
{
    FatturaPAInvoice e;
    e.invoice.key = *DocumentKey::of(QDate(2026, 3, 15), 7);
    e.invoice.date = QDate(2026, 3, 15);
    e.invoice.clientCode = "C1";
    e.invoice.subject = "Accatastamento";
    e.invoice.description = "Pratica DOCFA\nvisura";
    e.invoice.fee = euro("1000");
    e.invoice.vatRate = 22;
    e.invoice.vat = euro("220");
    Client& c = e.client;
    std::tie(c.code, c.name, c.address, c.town) =
        std::tuple("C1", "D'Angelo & Figli <Srl>", "Via Roma 1", "Forlì");
    std::tie(c.postcode, c.vatNumber, c.taxCode, c.pec) =
        std::tuple("47121", "01234567897", "dngmra70a01d704y", "d'angelo@pec.it");
    e.datiUtente = {"Geom. Mario Rossi", "Via Appia 10",    "Roma", "00179",
                    "09876543217",       "RSSMRA80A01H501U"};
    e.settings.provincia = "RM";
    e.settings.iban = "IT60 X054 2811 1010 0000 0123 456";
    return e;
}

} // namespace samples
