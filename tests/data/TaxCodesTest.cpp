#include "TaxCodesTest.h"

#include "TaxCodes.h"

#include <QtTest>

void TaxCodesTest::checks_data()
{
    QTest::addColumn<bool>("vatNumber"); // a partita IVA, else a codice fiscale
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("country");
    QTest::addColumn<QString>("problem");

    const QString it = QStringLiteral("IT");
    QTest::newRow("person") << false << "RSSMRA80A01H501U" << it << "";
    QTest::newRow("woman") << false << "BNCLCU85T68F205K" << it << "";
    QTest::newRow("lower case, blanks") << false << "rssmra 80a01 h501u" << it << "";
    QTest::newRow("blank country is Italy") << false << "VRDGPP13R10B293P"
                                            << ""
                                            << "";
    QTest::newRow("omocodia, one letter") << false << "RSSMRA80A01H50MM" << it << "";
    QTest::newRow("omocodia, all seven") << false << "RSSMRALPALMHVLNZ" << it << "";
    QTest::newRow("company") << false << "00743110157" << it << "";
    QTest::newRow("public body") << false << "06363391001" << it << "";
    QTest::newRow("blank") << false << "" << it << "";
    QTest::newRow("foreign, any form") << false << "X1234567"
                                       << "DE"
                                       << "";
    QTest::newRow("wrong check letter")
        << false << "RSSMRA80A01H501Z" << it << "il carattere di controllo dovrebbe essere U";
    QTest::newRow("omocodia, wrong check")
        << false << "RSSMRA80A01H50MU" << it << "il carattere di controllo dovrebbe essere M";
    QTest::newRow("letter where a digit goes")
        << false << "RSSMRA8XA01H501U" << it << "il carattere 8 (\"X\") dovrebbe essere una cifra";
    QTest::newRow("digit where a letter goes")
        << false << "RSSMR180A01H501U" << it
        << "il carattere 6 (\"1\") dovrebbe essere una lettera";
    QTest::newRow("no such month")
        << false << "RSSMRA80F01H501U" << it << "la lettera del mese \"F\" non esiste";
    QTest::newRow("no such day") << false << "RSSMRA80A35H501U" << it
                                 << "il giorno di nascita 35 non esiste";
    QTest::newRow("too short")
        << false << "RSSMRA80A01H501" << it
        << "dovrebbe avere 16 caratteri (11 cifre per società ed enti), non 15";
    QTest::newRow("company, wrong check digit")
        << false << "00743110158" << it << "la cifra di controllo dovrebbe essere 7";
    QTest::newRow("company, ten digits")
        << false << "0074311015" << it << "dovrebbe avere 11 cifre per una società o un ente";

    QTest::newRow("VAT number") << true << "12345678903" << it << "";
    QTest::newRow("VAT number, blanks") << true << " 0636339 1001" << it << "";
    QTest::newRow("foreign VAT number") << true << "DE123456789"
                                        << "DE"
                                        << "";
    QTest::newRow("VAT number, wrong check digit")
        << true << "12345678901" << it << "la cifra di controllo dovrebbe essere 3";
    QTest::newRow("VAT number, ten digits")
        << true << "1234567890" << it << "dovrebbe avere 11 cifre";
    QTest::newRow("VAT number, letters")
        << true << "IT123456789" << it << "dovrebbe avere 11 cifre";
    QTest::newRow("VAT number, zeros")
        << true << "00000000000" << it << "non può essere fatta di soli zeri";
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
