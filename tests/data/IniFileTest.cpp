#include "IniFileTest.h"

#include "IniFile.h"
#include "Settings.h"

#include <QFile>
#include <QStringEncoder>
#include <QtTest>
#include <sys/stat.h>

QString IniFileTest::write(const QByteArray& content)
{
    QFile f(m_file);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
    return m_file;
}

QByteArray IniFileTest::contents() const
{
    QFile f(m_file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void IniFileTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_file = m_dir->filePath("falmide.ini");
}

void IniFileTest::readsKeys()
{
    write("junk line without equals\n"
          "orphan=outside any section\n"
          "; comment=not a key\n"
          "  [ generale ]  \n"
          "calcolo = GEOMETRA  \n"
          "Intesta=\"Studio Tecnico\"\n"
          "Vuoto=\n"
          "Spazi=   \n"
          "[CartaIntestata]\n"
          "logo_x=250\n"
          "[Generale]\n"
          "Importo=second section of the same name is not read\n");
    QCOMPARE(LeggiIni("Generale", "Calcolo", m_file), std::optional<QString>("GEOMETRA"));
    QCOMPARE(LeggiIni("GENERALE", "CALCOLO", m_file), std::optional<QString>("GEOMETRA"));
    QCOMPARE(LeggiIni("Generale", "Intesta", m_file), std::optional<QString>("Studio Tecnico"));
    QCOMPARE(LeggiIni("cartaintestata", "LOGO_X", m_file), std::optional<QString>("250"));
    // Empty counts as absent.
    QVERIFY(!LeggiIni("Generale", "Vuoto", m_file));
    QVERIFY(!LeggiIni("Generale", "Spazi", m_file));
    QVERIFY(!LeggiIni("Generale", "Importo", m_file));
    QVERIFY(!LeggiIni("Generale", "orphan", m_file));
    QVERIFY(!LeggiIni("Generale", "; comment", m_file));
    QVERIFY(!LeggiIni("Manca", "Calcolo", m_file));
    QVERIFY(!LeggiIni("Generale", "Calcolo", m_dir->filePath("missing.ini")));
}

void IniFileTest::longValuesAreCut()
{
    const QByteArray value(300, 'x');
    write("[Generale]\nNota_RA=" + value + "\n");
    const auto read = LeggiIni("Generale", "Nota_RA", m_file);
    QVERIFY(read);
    QCOMPARE(read->size(), 254);
    QCOMPARE(*read, QString(254, 'x'));

    // A very long line elsewhere does not disturb the others.
    write("[A]\n" + QByteArray(100000, 'y') + "\nk=v\n");
    QCOMPARE(LeggiIni("A", "k", m_file), std::optional<QString>("v"));
}

void IniFileTest::writeKeepsOtherLines()
{
    write("; settings of the studio\n"
          "[Generale]\n"
          "Calcolo=GEOMETRA\n"
          "\n"
          "[Consulta]\n"
          "richieste0=1200\n"
          "\n"
          "[Altro]\n"
          "x=1\n");
    QVERIFY(ScriviIni("consulta", "Richieste0", m_file, "900"));
    QVERIFY(ScriviIni("Consulta", "Tipo", m_file, "2"));
    QCOMPARE(contents(), QByteArray("; settings of the studio\n"
                                    "[Generale]\n"
                                    "Calcolo=GEOMETRA\n"
                                    "\n"
                                    "[Consulta]\n"
                                    "richieste0=900\n"
                                    "Tipo=2\n"
                                    "\n"
                                    "[Altro]\n"
                                    "x=1\n"));
    QCOMPARE(LeggiIni("Consulta", "Richieste0", m_file), std::optional<QString>("900"));

    // A value cannot smuggle a line of its own into the file.
    QVERIFY(ScriviIni("Altro", "x", m_file, "a\n[Generale]"));
    QCOMPARE(LeggiIni("Altro", "x", m_file), std::optional<QString>("a [Generale]"));
}

void IniFileTest::writeCreatesFileAndSection()
{
    QVERIFY(ScriviIni("Consulta", "Tipo", m_file, "1"));
    QCOMPARE(contents(), QByteArray("[Consulta]\nTipo=1\n"));
    QVERIFY(ScriviIni("Generale", "Calcolo", m_file, "GEOMETRA"));
    QCOMPARE(contents(), QByteArray("[Consulta]\nTipo=1\n[Generale]\nCalcolo=GEOMETRA\n"));

    // A file without a final line break gets the new section on a line of its own.
    write("[A]\nk=v");
    QVERIFY(ScriviIni("B", "n", m_file, "1"));
    QCOMPARE(contents(), QByteArray("[A]\nk=v\n[B]\nn=1\n"));
}

void IniFileTest::crlfAndLatin1Files()
{
    write("[Generale]\r\nIntesta=Studio Citt\xe0\r\nCalcolo=GEOMETRA\r\n");
    QCOMPARE(LeggiIni("Generale", "Intesta", m_file),
             std::optional<QString>(QString::fromUtf8("Studio Città")));
    QCOMPARE(LeggiIni("Generale", "Calcolo", m_file), std::optional<QString>("GEOMETRA"));
    QVERIFY(ScriviIni("Generale", "Calcolo", m_file, QString::fromUtf8("perù")));
    // Line ends and the other line's bytes stay as they were.
    QCOMPARE(contents(),
             QByteArray("[Generale]\r\nIntesta=Studio Citt\xe0\r\nCalcolo=per\xf9\r\n"));

    write("[Generale]\nIntesta=Studio Citt\xc3\xa0\n");
    QCOMPARE(LeggiIni("Generale", "Intesta", m_file),
             std::optional<QString>(QString::fromUtf8("Studio Città")));
}

void IniFileTest::encodingsKeptOnWrite_data()
{
    QTest::addColumn<QByteArray>("bom");
    QTest::addColumn<int>("encoding");
    QTest::newRow("UTF-16 LE") << QByteArray("\xFF\xFE") << int(QStringConverter::Utf16LE);
    QTest::newRow("UTF-16 BE") << QByteArray("\xFE\xFF") << int(QStringConverter::Utf16BE);
    QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF") << int(QStringConverter::Utf8);
    QTest::newRow("UTF-8") << QByteArray() << int(QStringConverter::Utf8);
}

void IniFileTest::encodingsKeptOnWrite()
{
    // Windows editors save "Unicode" files as UTF-16 with a byte-order mark.
    QFETCH(QByteArray, bom);
    QFETCH(int, encoding);
    auto encoded = [&](const QString& text) {
        return bom + QByteArray(QStringEncoder(QStringConverter::Encoding(encoding))(text));
    };
    write(encoded(QString::fromUtf8("[Generale]\r\nCalcolo=GEOMETRA\r\nIntesta=Studio Città\r\n"
                                    "[Consulta]\r\nTipo=1\r\n")));
    QCOMPARE(LeggiIni("Generale", "Calcolo", m_file), std::optional<QString>("GEOMETRA"));
    QCOMPARE(Settings(m_file).feeProfile(), FeeProfile::Geometra);
    QCOMPARE(LeggiIni("Generale", "Intesta", m_file),
             std::optional<QString>(QString::fromUtf8("Studio Città")));

    QVERIFY(ScriviIni("Consulta", "Tipo", m_file, "2"));
    QVERIFY(ScriviIni("Generale", "Importo", m_file, QString::fromUtf8("Onorario €")));
    QCOMPARE(contents(),
             encoded(QString::fromUtf8("[Generale]\r\nCalcolo=GEOMETRA\r\nIntesta=Studio Città\r\n"
                                       "Importo=Onorario €\r\n[Consulta]\r\nTipo=2\r\n")));
    QCOMPARE(LeggiIni("Generale", "Importo", m_file),
             std::optional<QString>(QString::fromUtf8("Onorario €")));
}

void IniFileTest::nulEndsTheValue()
{
    // The caption and the withholding both see "GEOMETRA".
    const char raw[] =
        "[Generale]\nCalcolo=GEOMETRA\0 resto\nImporto=\0Onorario\nIntesta=Studio \0\n";
    write(QByteArray(raw, sizeof raw - 1));
    QCOMPARE(LeggiIni("Generale", "Calcolo", m_file), std::optional<QString>("GEOMETRA"));
    QCOMPARE(Settings(m_file).feeProfile(), FeeProfile::Geometra);
    QVERIFY(!LeggiIni("Generale", "Importo", m_file));
    QCOMPARE(LeggiIni("Generale", "Intesta", m_file), std::optional<QString>("Studio"));

    write("\xFF\xFE" +
          QByteArray(QStringEncoder(QStringConverter::Utf16LE)(
              QStringLiteral("[Generale]\nCalcolo=GEOMETRA"))) +
          QByteArray("\0\0x\0", 4));
    QCOMPARE(LeggiIni("Generale", "Calcolo", m_file), std::optional<QString>("GEOMETRA"));
}

void IniFileTest::undecodableFileIsNotRewritten()
{
    // UTF-16 with a byte missing: what can be read is read, but a rewrite
    // would lose the odd byte, so nothing is written.
    const QByteArray damaged = "\xFF\xFE" +
                               QByteArray(QStringEncoder(QStringConverter::Utf16LE)(
                                   QStringLiteral("[Generale]\nCalcolo=GEOMETRA\n"))) +
                               'x';
    write(damaged);
    QCOMPARE(LeggiIni("Generale", "Calcolo", m_file), std::optional<QString>("GEOMETRA"));
    QVERIFY(!ScriviIni("Consulta", "Tipo", m_file, "1"));
    QCOMPARE(contents(), damaged);
}

void IniFileTest::newFileIsPrivate()
{
    const mode_t oldMask = umask(022);
    QVERIFY(ScriviIni("Consulta", "Tipo", m_file, "1"));
    const QFile::Permissions owner =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    QCOMPARE(QFile::permissions(m_file), owner);
    // A file the user made keeps the permissions the user gave it.
    const QFile::Permissions shared = owner | QFile::ReadGroup | QFile::ReadOther;
    QVERIFY(QFile::setPermissions(m_file, shared));
    QVERIFY(ScriviIni("Consulta", "Tipo", m_file, "2"));
    QCOMPARE(QFile::permissions(m_file), shared);
    umask(oldMask);
}

void IniFileTest::unwritableFileIsReported()
{
    // A folder where the file should be: nothing can be written or read, and
    // the failure is reported instead of claimed as done.
    const QString blocked = m_dir->filePath("blocked.ini");
    QVERIFY(QDir().mkpath(blocked));
    QVERIFY(!ScriviIni("A", "b", blocked, "c"));
    QVERIFY(!LeggiIni("A", "b", blocked));
}
