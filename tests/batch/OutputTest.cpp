#include "OutputTest.h"

#include "BatchTestSupport.h"
#include "InstanceLock.h"
#include "PdfTestSupport.h"
#include "TestDatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QtTest>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

void OutputTest::init()
{
    QVERIFY(m_dir.isValid());
    qputenv("FALMIDE_HOME", m_dir.filePath(QStringLiteral("home")).toUtf8());
}

namespace {

// What a path is, without following a link: enough to tell that nothing
// replaced it.
QString describe(const QString& path)
{
    struct stat st
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("nothing");
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("link to ") + QFileInfo(path).symLinkTarget();
    if (S_ISREG(st.st_mode))
        return QStringLiteral("file %1 ").arg(st.st_ino) +
               QCryptographicHash::hash(pdftest::readFile(path), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("type %1").arg(st.st_mode & S_IFMT, 0, 8);
}

QStringList everything(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

} // namespace

void OutputTest::keptFilesAreNoOutputs_data()
{
    // Each row: a command writing a file, and the file it is told to
    // write: one the data folder (@) keeps, reached by any path (~ is the
    // test's folder), or no regular file at all.
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("message");
    const std::pair<const char*, QStringList> commands[] = {
        {"fattura-pdf", {"fattura-pdf", "@year", "@number", "--output"}},
        {"parcella-pdf", {"parcella-pdf", "@year", "1", "--output"}},
        {"report", {"report", "fatturato", "--output"}},
        {"fatturapa", {"fatturapa", "@year", "@number", "--output"}},
        {"backup", {"backup"}},
    };
    const char* const targets[][3] = {
        {"database", "@/falmide.db", "è l'archivio del programma"},
        {"database, another spelling", "@/Backup/.././falmide.db", "è l'archivio del programma"},
        {"hard link to the database", "~/studio.pdf", "è l'archivio del programma"},
        {"symbolic link to the database", "~/collegamento.pdf", "è l'archivio del programma"},
        {"journal", "@/falmide.db-journal", "è il giornale dell'archivio"},
        {"compaction's copy", "@/falmide.BAK", "è la copia .BAK dell'archivio"},
        {"lock, held", "@/falmide.lock", "è il blocco della cartella dei dati"},
        {"lock, free", "@/falmide.lock", "è il blocco della cartella dei dati"},
        {"settings through a linked folder", "~/alias/falmide.ini", "è il file delle impostazioni"},
        {"logo", "@/logo.bmp", "è il logo della carta intestata"},
        {"daily copy", "@/Backup/falmide-2026-12-06.db", "è una copia giornaliera"},
        {"daily copy not made yet", "~/alias/Backup/falmide-2099-01-01.db",
         "è una copia giornaliera"},
        {"damaged copy", "@/falmide-danneggiato-20261206-120000.db",
         "è un archivio danneggiato conservato"},
        {"FIFO", "~/coda", "è una pipe (FIFO), non un file normale"},
        {"folder", "~/alias", "è una cartella, non un file normale"},
        {"device", "/dev/null", "è un dispositivo, non un file normale"},
    };
    for (const auto& [name, command] : commands)
        for (const auto& target : targets)
            QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(name, target[0])))
                << command << target[1] << target[2];
}

void OutputTest::keptFilesAreNoOutputs()
{
    QFETCH(QStringList, command);
    QFETCH(QString, target);
    QFETCH(QString, message);
    if (testsOnServer())
        QSKIP("about the database file and the files kept beside it");
    const QString home = folder(m_dir, QStringLiteral("kept"));
    if (!QFile::exists(home + "/falmide.db")) {
        QCOMPARE(run({"demo", "--dir", home, "--fatture", "5", "--parcelle", "2"}).status, 0);
        QCOMPARE(run({"compatta", "--dir", home}).status, 0);
        const QString db = home + "/falmide.db";
        QVERIFY(QDir().mkpath(home + "/Backup"));
        QVERIFY(QFile::copy(db, home + "/Backup/falmide-2026-12-06.db"));
        QVERIFY(QFile::copy(db, home + "/falmide-danneggiato-20261206-120000.db"));
        QVERIFY(pdftest::writeFile(home + "/falmide.ini", "[Generale]\nCalcolo=GEOMETRA\n"));
        QVERIFY(pdftest::writeFile(home + "/logo.bmp", "BM"));
        QCOMPARE(::link(QFile::encodeName(db).constData(),
                        QFile::encodeName(m_dir.filePath("studio.pdf")).constData()),
                 0);
        QVERIFY(QFile::link(db, m_dir.filePath("collegamento.pdf")));
        QVERIFY(QFile::link(home, m_dir.filePath("alias")));
        QCOMPARE(::mkfifo(QFile::encodeName(m_dir.filePath("coda")).constData(), 0600), 0);
    }
    const auto invoice = lastInvoice(home);
    QVERIFY(invoice);
    command.replaceInStrings("@year", QString::number(invoice->key.year()))
        .replaceInStrings("@number", QString::number(invoice->key.number()));
    target.replace('@', home).replace('~', m_dir.path());

    std::optional<InstanceLock> program;
    if (QString(QTest::currentDataTag()).endsWith("held")) {
        program.emplace(home);
        QVERIFY(program->acquire(nullptr));
    }
    const QString before = describe(target);
    const QStringList files = everything(home);
    const Outcome outcome = run(command + QStringList{target, "--dir", home});
    QCOMPARE(outcome.status, 2);
    QVERIFY2(outcome.err.startsWith("falmide: " + target) && outcome.err.contains(message) &&
                 outcome.err.count('\n') == 1,
             qPrintable(outcome.err));
    QCOMPARE(outcome.out, QString());
    QCOMPARE(describe(target), before);
    QCOMPARE(everything(home), files);
}

// "-" sends the file to standard output and nothing else there.
void OutputTest::outputToStandardOutput()
{
    const QString home = dataHome(m_dir, QStringLiteral("stdout"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "5", "--parcelle", "2"}).status, 0);
    const auto invoice = lastInvoice(home);
    QVERIFY(invoice);
    const QString year = QString::number(invoice->key.year());
    const QString number = QString::number(invoice->key.number());
    // The file is written whole in a private folder first, gone afterwards.
    const QString temporary = folder(m_dir, QStringLiteral("tmp"));
    QVERIFY(QDir().mkpath(temporary));
    const QByteArray temp = qgetenv("TEMP");
    const auto restore = qScopeGuard([&] { qputenv("TEMP", temp); });
    qputenv("TEMP", temporary.toUtf8());

    // The program itself on its real standard output: the bytes a file
    // would hold; a reader that stops early is told, and the temporary
    // copy still goes.
    auto program = [&](const QString& line) {
        QProcess shell;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("FALMIDE_HOME", home);
        environment.insert("TEMP", temporary);
        shell.setProcessEnvironment(environment);
        shell.start("bash", {"-c", line, FALMIDE_PROGRAM});
        shell.waitForFinished(60000);
        return Outcome{shell.exitCode(),
                       {},
                       QString::fromUtf8(shell.readAllStandardError()),
                       shell.readAllStandardOutput()};
    };
    Outcome outcome = program("\"$0\" fattura-pdf " + year + ' ' + number + " --output -");
    QCOMPARE(outcome.err, QString());
    QCOMPARE(outcome.status, 0);
    const QString piped = m_dir.filePath("da-stdout.pdf");
    const QString file = m_dir.filePath("da-file.pdf");
    QVERIFY(pdftest::writeFile(piped, outcome.data));
    CHECK_PDF(piped, QStringList{number, invoice->subject});
    QCOMPARE(run({"fattura-pdf", year, number, "--dir", home, "--output", file}).status, 0);
    QCOMPARE(pdftest::output("pdftotext", {piped, "-"}), pdftest::output("pdftotext", {file, "-"}));
    outcome = program("\"$0\" backup - | head -c 16 > /dev/null; exit ${PIPESTATUS[0]}");
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.contains("impossibile scrivere sullo standard output"),
             qPrintable(outcome.err));

    for (const QStringList& pdf :
         {QStringList{"report", "fatturato"}, {"parcella-pdf", year, "1"}}) {
        outcome = run(pdf + QStringList{"--dir", home, "--output", "-"});
        QCOMPARE(outcome.status, 0);
        QVERIFY(outcome.out.isEmpty() && outcome.data.startsWith("%PDF-1."));
    }
    outcome = run({"fatturapa", year, number, "--dir", home, "--output", "-"});
    QCOMPARE(outcome.err, QString());
    QVERIFY(outcome.out.isEmpty() && outcome.data.startsWith("<?xml") &&
            outcome.data.contains("<Numero>" + number.toUtf8() + "</Numero>"));
    outcome = run({"backup", "--dir", home, "-"});
    QCOMPARE(outcome.status, 0);
    QVERIFY(outcome.out.isEmpty() && outcome.data.startsWith("SQLite format 3"));
    QVERIFY(pdftest::writeFile(m_dir.filePath("copia-stdout.db"), outcome.data));
    QCOMPARE(rowCounts(m_dir.filePath("copia-stdout.db")), rowCounts(home + "/falmide.db", true));

    // A failure sends nothing.
    outcome = run({"fattura-pdf", year, "999", "--dir", home, "--output", "-"});
    QCOMPARE(outcome.status, 1);
    QVERIFY(outcome.out.isEmpty() && outcome.data.isEmpty());
    QCOMPARE(everything(temporary), QStringList());
}

// A link to a file of the user's is followed as the shell follows it: the
// file it names is written, the link stays.
void OutputTest::outputThroughALink()
{
    const QString home = dataHome(m_dir, QStringLiteral("link"));
    QCOMPARE(run({"demo", "--dir", home, "--fatture", "3"}).status, 0);
    const auto invoice = lastInvoice(home);
    QVERIFY(invoice);
    const QString year = QString::number(invoice->key.year());
    const QString number = QString::number(invoice->key.number());
    const QString real = m_dir.filePath("documenti/fattura.pdf");
    QVERIFY(QDir().mkpath(m_dir.filePath("documenti")));
    QVERIFY(pdftest::writeFile(real, "una versione precedente"));
    const QString link = m_dir.filePath("ultima.pdf");
    QVERIFY(QFile::link("documenti/fattura.pdf", link));
    const QString dangling = m_dir.filePath("nuova.pdf");
    QVERIFY(QFile::link("documenti/nuova-fattura.pdf", dangling));

    for (const auto& [given, written] :
         {std::pair{link, real}, {dangling, m_dir.filePath("documenti/nuova-fattura.pdf")}}) {
        const Outcome outcome =
            run({"fattura-pdf", year, number, "--dir", home, "--output", given});
        QCOMPARE(outcome.err, QString());
        QCOMPARE(outcome.out, written + '\n');
        QVERIFY(QFileInfo(given).isSymLink());
        QCOMPARE(QFileInfo(given).canonicalFilePath(), written);
        CHECK_PDF(written, QStringList{number});
    }
}
