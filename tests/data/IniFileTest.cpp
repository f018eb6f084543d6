#include "SettingsTest.h"

#include "IniFile.h"
#include "Settings.h"

#include <QFile>
#include <QStringEncoder>
#include <QtTest>
#include <sys/stat.h>

QString SettingsTest::write(const QByteArray& content)
{
    QFile f(m_file);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
    return m_file;
}

QByteArray SettingsTest::contents() const
{
    QFile f(m_file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void SettingsTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_file = m_dir->filePath("falmide.ini");
}

void SettingsTest::reading_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // null: absent

    const QByteArray file = "junk line without equals\n"
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
                            "Importo=second section of the same name is not read\n";
    const auto row = [](const char* tag, const QByteArray& content, const char* section,
                        const char* key, const QString& expected) {
        QTest::newRow(tag) << content << QString::fromLatin1(section) << QString::fromLatin1(key)
                           << expected;
    };
    const QString absent;
    row("trimmed", file, "Generale", "Calcolo", "GEOMETRA");
    row("quotes dropped", file, "Generale", "Intesta", "Studio Tecnico");
    row("second section", file, "cartaintestata", "LOGO_X", "250");
    // Empty counts as absent.
    row("empty", file, "Generale", "Vuoto", absent);
    row("blanks", file, "Generale", "Spazi", absent);
    row("section named twice", file, "Generale", "Importo", absent);
    row("outside a section", file, "Generale", "orphan", absent);
    row("comment", file, "Generale", "; comment", absent);
    row("no section", file, "Manca", "Calcolo", absent);
    row("cut at 254", "[Generale]\nNota_RA=" + QByteArray(300, 'x') + "\n", "Generale", "Nota_RA",
        QString(254, 'x'));
    row("after a very long line", "[A]\n" + QByteArray(100000, 'y') + "\nk=v\n", "A", "k", "v");
    row("Latin-1, CRLF", "[Generale]\r\nIntesta=Studio Citt\xe0\r\n", "Generale", "Intesta",
        QString::fromUtf8("Studio Città"));
    // The caption and the withholding both see "GEOMETRA".
    const char raw[] =
        "[Generale]\nCalcolo=GEOMETRA\0 resto\nImporto=\0Onorario\nIntesta=Studio \0\n";
    const QByteArray nul(raw, sizeof raw - 1);
    row("a NUL ends the value", nul, "Generale", "Calcolo", "GEOMETRA");
    row("a NUL first", nul, "Generale", "Importo", absent);
    row("a NUL after a blank", nul, "Generale", "Intesta", "Studio");
    row("a NUL in UTF-16",
        "\xFF\xFE" +
            QByteArray(QStringEncoder(QStringConverter::Utf16LE)(
                QStringLiteral("[Generale]\nCalcolo=GEOMETRA"))) +
            QByteArray("\0\0x\0", 4),
        "Generale", "Calcolo", "GEOMETRA");
}

void SettingsTest::reading()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    write(content);
    QCOMPARE(LeggiIni(section, key, m_file).value_or(QString()), expected);
    QCOMPARE(LeggiIni(section, key, m_file).has_value(), !expected.isNull());
    if (expected == QLatin1String("GEOMETRA"))
        QCOMPARE(Settings(m_file).feeProfile(), FeeProfile::Geometra);
    QVERIFY(!LeggiIni(section, key, m_dir->filePath("missing.ini")));
}

void SettingsTest::writeKeepsOtherLines()
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

void SettingsTest::writeCreatesFileAndSection()
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

void SettingsTest::crlfAndLatin1Files()
{
    write("[Generale]\r\nIntesta=Studio Citt\xe0\r\nCalcolo=GEOMETRA\r\n");
    QVERIFY(ScriviIni("Generale", "Calcolo", m_file, QString::fromUtf8("perù")));
    // Line ends and the other line's bytes stay as they were.
    QCOMPARE(contents(),
             QByteArray("[Generale]\r\nIntesta=Studio Citt\xe0\r\nCalcolo=per\xf9\r\n"));
}

void SettingsTest::encodingsKeptOnWrite_data()
{
    QTest::addColumn<QByteArray>("bom");
    QTest::addColumn<int>("encoding");
    QTest::newRow("UTF-16 LE") << QByteArray("\xFF\xFE") << int(QStringConverter::Utf16LE);
    QTest::newRow("UTF-16 BE") << QByteArray("\xFE\xFF") << int(QStringConverter::Utf16BE);
    QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF") << int(QStringConverter::Utf8);
    QTest::newRow("UTF-8") << QByteArray() << int(QStringConverter::Utf8);
}

void SettingsTest::encodingsKeptOnWrite()
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

void SettingsTest::undecodableFileIsNotRewritten()
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

void SettingsTest::newFileIsPrivate()
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

void SettingsTest::unwritableFileIsReported()
{
    // A folder where the file should be: nothing can be written or read, and
    // the failure is reported instead of claimed as done.
    const QString blocked = m_dir->filePath("blocked.ini");
    QVERIFY(QDir().mkpath(blocked));
    QVERIFY(!ScriviIni("A", "b", blocked, "c"));
    QVERIFY(!LeggiIni("A", "b", blocked));
}

void SettingsTest::readOnceWhileARunLasts()
{
    write("[FatturaPA]\nAllegaPDF=1\nBollo=2,00\n");
    const std::optional<QString> one("1");
    {
        const IniReadOnce once;
        QCOMPARE(LeggiIni("FatturaPA", "AllegaPDF", m_file), one);
        // Changed behind the run's back: the run goes on with what it read,
        // in a run within it too.
        write("[FatturaPA]\nAllegaPDF=0\n");
        {
            const IniReadOnce inner;
        }
        QCOMPARE(LeggiIni("FatturaPA", "AllegaPDF", m_file), one);
        QCOMPARE(LeggiIni("fatturapa", "Bollo", m_file), std::optional<QString>("2,00"));
        // What the run writes itself it reads back.
        QVERIFY(ScriviIni("FatturaPA", "Bollo", m_file, "4,00"));
        QCOMPARE(LeggiIni("FatturaPA", "Bollo", m_file), std::optional<QString>("4,00"));
        QCOMPARE(LeggiIni("FatturaPA", "AllegaPDF", m_file), std::optional<QString>("0"));
    }
    // After the run, the file as it is.
    write("[FatturaPA]\nAllegaPDF=si\n");
    QCOMPARE(LeggiIni("FatturaPA", "AllegaPDF", m_file), std::optional<QString>("si"));
    QCOMPARE(LeggiIni("FatturaPA", "Bollo", m_file), std::nullopt);
}
