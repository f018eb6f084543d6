#include "TaxCodesTest.h"

#include "TaxCodes.h"

#include <QtTest>

void TaxCodesTest::checks_data()
{
    QTest::addColumn<bool>("vatNumber"); // a partita IVA, else a codice fiscale
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("country");
    QTest::addColumn<QString>("problem");

    const auto row = [](const char* tag, bool vatNumber, const char* text, const char* country,
                        const char* problem) {
        QTest::newRow(tag) << vatNumber << QString::fromLatin1(text) << QString::fromLatin1(country)
                           << QString::fromUtf8(problem);
    };
    row("person", false, "RSSMRA80A01H501U", "IT", "");
    row("woman", false, "BNCLCU85T68F205K", "IT", "");
    row("lower case, blanks", false, "rssmra 80a01 h501u", "IT", "");
    row("blank country is Italy", false, "VRDGPP13R10B293P", "", "");
    row("omocodia, one letter", false, "RSSMRA80A01H50MM", "IT", "");
    row("omocodia, all seven", false, "RSSMRALPALMHVLNZ", "IT", "");
    row("company", false, "00743110157", "IT", "");
    row("blank", false, "", "IT", "");
    row("foreign, any form", false, "X1234567", "DE", "");
    row("wrong check letter", false, "RSSMRA80A01H501Z", "IT",
        "il carattere di controllo dovrebbe essere U");
    row("omocodia, wrong check", false, "RSSMRA80A01H50MU", "IT",
        "il carattere di controllo dovrebbe essere M");
    row("letter where a digit goes", false, "RSSMRA8XA01H501U", "IT",
        "il carattere 8 (\"X\") dovrebbe essere una cifra");
    row("digit where a letter goes", false, "RSSMR180A01H501U", "IT",
        "il carattere 6 (\"1\") dovrebbe essere una lettera");
    row("no such month", false, "RSSMRA80F01H501U", "IT", "la lettera del mese \"F\" non esiste");
    row("no such day", false, "RSSMRA80A35H501U", "IT", "il giorno di nascita 35 non esiste");
    row("too short", false, "RSSMRA80A01H501", "IT",
        "dovrebbe avere 16 caratteri (11 cifre per società ed enti), non 15");
    row("company, wrong check digit", false, "00743110158", "IT",
        "la cifra di controllo dovrebbe essere 7");
    row("company, ten digits", false, "0074311015", "IT",
        "dovrebbe avere 11 cifre per una società o un ente");

    row("VAT number", true, "12345678903", "IT", "");
    row("VAT number, blanks", true, " 0636339 1001", "IT", "");
    row("foreign VAT number", true, "DE123456789", "DE", "");
    row("VAT number, wrong check digit", true, "12345678901", "IT",
        "la cifra di controllo dovrebbe essere 3");
    row("VAT number, ten digits", true, "1234567890", "IT", "dovrebbe avere 11 cifre");
    row("VAT number, letters", true, "IT123456789", "IT", "dovrebbe avere 11 cifre");
    row("VAT number, zeros", true, "00000000000", "IT", "non può essere fatta di soli zeri");
}

void TaxCodesTest::checks()
{
    QFETCH(bool, vatNumber);
    QFETCH(QString, text);
    QFETCH(QString, country);
    QFETCH(QString, problem);
    QCOMPARE(taxCodeProblem(vatNumber ? TaxCodeKind::PartitaIva : TaxCodeKind::CodiceFiscale, text,
                            country),
             problem);
}
