#include "SettingsTest.h"

#include "Settings.h"

#include <QFile>
#include <QtTest>

void SettingsTest::defaultsWhenAbsent()
{
    // Empty values count as absent.
    const Settings s(write("[Generale]\nCalcolo=\nImporto=\n[CartaIntestata]\nlogo_x=\n"));
    QVERIFY(!s.profession());
    QCOMPARE(s.feeProfile(), FeeProfile::General);
    QVERIFY(!s.feeCaption() && !s.heading() && !s.withholdingNote() && !s.letterheadFooter());
    QVERIFY(s.flatRateStatement().isEmpty());
    QCOMPARE(s.privacyNotice(), QString());
    const LogoPlacement logo = s.logoPlacement();
    QCOMPARE(logo.top, 100.0);
    QCOMPARE(logo.left, 100.0);
    QCOMPARE(logo.width, 3000.0);
    QCOMPARE(logo.height, 2000.0);
    QVERIFY(!s.proFormaOnLetterhead());
    QVERIFY(!s.consultColumnWidth(0));
    QVERIFY(!s.consultDocumentType());
    QCOMPARE(Settings(m_dir->filePath("missing.ini")).feeProfile(), FeeProfile::General);
    const FatturaPASettings e = s.fatturaPA();
    QVERIFY(e.regimeFiscale == "RF01" && e.tipoCassa == "TC03");
    QVERIFY(e.provincia.isEmpty() && e.iban.isEmpty() && !e.allegaPdf);
}

void SettingsTest::valuesAsTheirReadersTakeThem()
{
    const Settings s(write("[Generale]\nCalcolo=Geometra\nMinimi_1=Uno\nMinimi_3=Tre\n"
                           "[CartaIntestata]\nlogo_y=250 twips\nlogo_alt=1500.5\nLogoParcella=0\n"
                           "[Consulta]\nRichieste0=largo\nRichieste1=0\nRichieste2= 900 \n"
                           "Tipo=-1\n"));
    // The profession's name, whatever its case and surrounding blanks,
    // computes as a geometra does; the caption keeps it as written.
    QCOMPARE(s.profession(), QStringLiteral("Geometra"));
    QCOMPARE(s.feeProfile(), FeeProfile::Geometra);
    for (const char* profile : {"geometra", " GEOMETRA ", "\tGeometra"})
        QVERIFY2(feeProfileNamed(QString::fromLatin1(profile)) == FeeProfile::Geometra, profile);
    for (const char* profile : {"GEOMETRA2", "GEOM ETRA", "Ingegnere", ""})
        QVERIFY2(feeProfileNamed(QString::fromLatin1(profile)) == FeeProfile::General, profile);
    QCOMPARE(s.flatRateStatement(), (QStringList{"Uno", "Tre"}));
    QCOMPARE(s.logoPlacement().left, 250.0);
    QCOMPARE(s.logoPlacement().height, 1500.5);
    QCOMPARE(s.logoPlacement().top, 100.0);
    QVERIFY(s.proFormaOnLetterhead()); // any value, even 0
    QVERIFY(!s.consultColumnWidth(0));
    QVERIFY(!s.consultColumnWidth(1));
    QCOMPARE(s.consultColumnWidth(2), 900);
    QVERIFY(!s.consultDocumentType());

    QVERIFY(s.setConsultDocumentType(1) && s.setConsultColumnWidth(0, 1200));
    QCOMPARE(s.consultDocumentType(), 1);
    QCOMPARE(s.consultColumnWidth(0), 1200);
    QCOMPARE(s.flatRateStatement(), (QStringList{"Uno", "Tre"})); // the rest kept

    const FatturaPASettings e =
        Settings(write("[fatturapa]\nRegimeFiscale= RF19 \nTipoCassa=  \nProvincia=RM\n"))
            .fatturaPA();
    QVERIFY(e.regimeFiscale == "RF19" && e.tipoCassa == "TC03" && e.provincia == "RM");
    for (const char* on : {"1", " Si ", "sì", "TRUE"})
        QVERIFY2(Settings(write(QString("[FatturaPA]\nallegapdf=%1\n").arg(on).toUtf8()))
                     .fatturaPA()
                     .allegaPdf,
                 on);
    for (const char* off : {"0", "no", "2", ""})
        QVERIFY2(!Settings(write(QString("[FatturaPA]\nAllegaPDF=%1\n").arg(off).toUtf8()))
                      .fatturaPA()
                      .allegaPdf,
                 off);

    // Section and key names match whatever their case.
    QCOMPARE(Settings(write("[generale]\ncalcolo=GEOMETRA\n")).feeProfile(), FeeProfile::Geometra);
}

void SettingsTest::privacyNotice()
{
    QCOMPARE(Settings(write("[Generale]\nPrivacy_1=A\nPrivacy_3=C\n")).privacyNotice(),
             QStringLiteral("A C"));
    QCOMPARE(Settings(write("[Generale]\nPrivacy_2=B\n")).privacyNotice(), QStringLiteral(" B"));
    QCOMPARE(Settings(write("")).privacyNotice(), QString());
}

void SettingsTest::pecAccountAndInboxMark()
{
    // Nothing set: the SdI's general address and the TLS ports; nothing to
    // send or receive with.
    const Settings none(write(""));
    const PecSettings d = none.pec();
    QCOMPARE(d.sdiAddress, QStringLiteral("sdi01@pec.fatturapa.it"));
    QVERIFY(d.smtpPort == 465 && d.imapPort == 993);
    QVERIFY(!d.canSend() && !d.canReceive());
    QCOMPARE(none.pecInboxMark().uidValidity, 0);

    // Ports that are no port read as the default; the login falls back on
    // the address.
    const Settings odd(write("[pec]\nIndirizzo= studio@pec.it \nServerSMTP=smtp.pec.it\n"
                             "PortaSMTP=0\nPortaIMAP=porta\nUtente=\n"));
    const PecSettings o = odd.pec();
    QVERIFY(o.smtpPort == 465 && o.imapPort == 993);
    QCOMPARE(o.login(), QStringLiteral("studio@pec.it"));
    QVERIFY(o.canSend() && !o.canReceive());

    // Written and read back; the SdI's address remembered on its own, the
    // other keys kept.
    PecSettings w;
    w.address = "studio@pec.it";
    w.smtpHost = "smtps.pec.it";
    w.smtpPort = 587;
    w.imapHost = "imaps.pec.it";
    w.imapPort = 143;
    w.user = "studio";
    QVERIFY(odd.setPec(w));
    QVERIFY(odd.setPecSdiAddress("sdi23@pec.fatturapa.it"));
    const PecSettings r = odd.pec();
    QVERIFY(r.smtpHost == "smtps.pec.it" && r.smtpPort == 587 && r.imapPort == 143);
    QVERIFY(r.login() == "studio" && r.sdiAddress == "sdi23@pec.fatturapa.it");

    QVERIFY(odd.setPecInboxMark({1700000000, 42}));
    QCOMPARE(odd.pecInboxMark().uidValidity, 1700000000);
    QCOMPARE(odd.pecInboxMark().lastUid, 42);
    QCOMPARE(odd.pec().address, QStringLiteral("studio@pec.it"));
    // A mark that is not a positive number is nothing read yet.
    QCOMPARE(Settings(write("[PEC]\nUIDVALIDITY=-3\nUltimoUID=x\n")).pecInboxMark().lastUid, 0);
}

void SettingsTest::databaseServer()
{
    // No section, or no server in it: the file in the data folder.
    QVERIFY(!Settings(write("")).databaseServer());
    QVERIFY(!Settings(write("[Database]\nDatabase=falmide\nServer= \n")).databaseServer());

    const auto s = Settings(write("[database]\nServer= studio.lan \nPorta=5433\n"
                                  "Database=falmide\nUtente=rossi\n"))
                       .databaseServer();
    QVERIFY(s);
    QCOMPARE(describeServer(*s), QStringLiteral("rossi@studio.lan:5433/falmide"));
    // A port that is no port reads as the server's usual one.
    const auto d =
        Settings(write("[Database]\nServer=127.0.0.1\nPorta=70000\nDatabase=f\n")).databaseServer();
    QVERIFY(d);
    QCOMPARE(d->port, 5432);
    QCOMPARE(describeServer(*d), QStringLiteral("127.0.0.1:5432/f"));
}

void SettingsTest::serverArguments_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("described"); // empty: refused

    const auto row = [](const char* text, const char* described) {
        QTest::newRow(text) << QString::fromLatin1(text) << QString::fromLatin1(described);
    };
    row("rossi@studio:5433/falmide", "rossi@studio:5433/falmide");
    row("studio/falmide", "studio:5432/falmide");
    row(" 127.0.0.1:6543/archivi ", "127.0.0.1:6543/archivi");
    row("rossi@[::1]:5432/falmide", "rossi@[::1]:5432/falmide");
    row("studio:5432", "");
    row("studio:0/falmide", "");
    row("studio:65536/falmide", "");
    row("studio:abc/falmide", "");
    row("rossi@/falmide", "");
    row("", "");
}

void SettingsTest::serverArguments()
{
    QFETCH(QString, text);
    QFETCH(QString, described);
    ServerConnection server;
    QString error;
    const bool parsed = parseServerConnection(text, &server, &error);
    QCOMPARE(parsed, !described.isEmpty());
    if (parsed)
        QCOMPARE(describeServer(server), described);
    else
        QVERIFY2(error.contains("non valid"), qPrintable(error));
}
