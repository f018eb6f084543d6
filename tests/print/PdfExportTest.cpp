#include "PrintTests.h"

#include "DesktopViewer.h"
#include "PdfExport.h"
#include "PdfTestSupport.h"
#include "PdfText.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QUrl>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

namespace {

// The box of each word on page 1 as pdftotext places it, in points from the top left.
QMap<QString, QRectF> wordsOf(const QString& path)
{
    QMap<QString, QRectF> words;
    static const QRegularExpression word(R"x(<word xMin="([\d.]+)" yMin="([\d.]+)" )x"
                                         R"x(xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)x");
    const QString html = pdftest::output("pdftotext", {"-bbox", "-f", "1", "-l", "1", path, "-"});
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words[m.captured(5)] = QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                      QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
    }
    return words;
}

bool ownerOnly(const QString& path)
{
    const QFileDevice::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                            QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    const QFileDevice::Permissions p = QFileInfo(path).permissions();
    return (p & others) == 0 && (p & QFile::ReadOwner) && (p & QFile::WriteOwner);
}

// The widths the file declares for the font named key, by character code.
QMap<int, int> declaredWidths(const QByteArray& pdf, const QByteArray& key)
{
    QMap<int, int> widths;
    for (const QByteArray& object : pdftest::objectsOf(pdf)) {
        if (!QRegularExpression("/Name /" + QRegularExpression::escape(key) + "[\r ]")
                 .match(object)
                 .hasMatch())
            continue;
        const auto first = QRegularExpression(R"(/FirstChar (\d+))").match(object);
        const auto list = QRegularExpression(R"(/Widths \[([^\]]*)\])").match(object);
        int code = first.captured(1).toInt();
        for (const QByteArray& w : list.captured(1).toLatin1().simplified().split(' '))
            widths[code++] = w.toInt();
    }
    return widths;
}

// Every file in the archive folder, hidden ones included.
QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

void PdfExportTest::exportedPdfPlacesTexts()
{
    PageRecorder& e = m_fixture.recorder();
    QStringList launched;
    PdfExportRequest pdf;
    pdf.openViewer = [&](const QString& path) { return launched << path, true; };
    e.BeginDocument();
    useFont(e, "Arial", 12);
    e.PrintText(10, 5, 0, "SINISTRA");
    e.PrintTextRight(12, 50, 0, "DESTRA");
    e.SetFontName("Times New Roman");
    e.SetFontBold(true);
    e.PrintTextCentred(14, 30, 0, "CENTRO");
    e.PrintTextStyled(16, 50, 0, 8, 1, "010", "PICCOLO");
    e.DrawBox(20, 5, 24, 50, 4, 1);
    e.DrawFilledBox(26, 5, 28, 50, 0x2E6DB4);
    e.DrawColouredLine(30, 5, 32, 50, 16, 0xD9822B);
    e.NewPage();
    // Courier is written as Arial, and underline has no mark of its own in a PDF.
    e.SetFontName("Courier New");
    e.SetFontSize(10);
    e.SetFontBold(false);
    e.SetFontUnderline(true);
    e.PrintText(5, 5, 0, "SECONDA");
    e.SetFontBold(true);
    e.PrintText(6, 5, 0, "Grassetto");
    e.NewPage();
    e.PrintText(5, 5, 0, "TERZA");
    e.EndDocument();

    pdf.path = m_fixture.dir->filePath("Fatture/2026/Fattura_2026_7 (copia).pdf");
    QString error;
    bool viewer = false;
    QVERIFY2(ExportPdf(*m_fixture.run, 1, e.pageCount(), pdf, &error, &viewer), qPrintable(error));
    QVERIFY(viewer);
    QCOMPARE(launched, QStringList{pdf.path});
    CHECK_PDF(pdf.path, {"SINISTRA", "SECONDA", "Grassetto", "TERZA"});
    QCOMPARE(pdftest::pageCount(pdf.path), 3);
    const QByteArray file = pdftest::readFile(pdf.path);
    // Without a title of its own, the file's name alone: the folders stay private.
    QVERIFY(file.contains("/Title (Fattura_2026_7 \\(copia\\))\r"));
    // Colours and round ends are set for a chart's shape only, then put back.
    const QByteArray first = pdftest::pageContent(file, 0);
    QVERIFY2(QRegularExpression(" rg\r\nn\r\n[^\r]* re\r\nf\r\n0 g\r\n[^\r]* RG\r\n1 J\r\n"
                                "[^\r]* w\r\n[^\r]* m\r\n[^\r]* l\r\nS\r\n0 J\r\n0 G\r\n")
                 .match(first)
                 .hasMatch(),
             first.constData());
    const QByteArray second = pdftest::pageContent(file, 1);
    QVERIFY2(second.contains("/Arial 10 Tf") && second.contains("/ArialB 10 Tf"),
             second.constData());
    QVERIFY(!second.contains("Fnt4") && !second.contains(" re\r\n") && !second.contains(" l\r\n"));
    // All eight fonts a text can be drawn in are in the file whether used or not; none other.
    for (const char* key : {"TNR", "TNRB", "TNRI", "TNRBI", "Arial", "ArialB", "ArialI", "ArialBI"})
        QVERIFY2(QRegularExpression(QString("/Name /%1[ \r]").arg(key)).match(file).hasMatch(),
                 key);
    QCOMPARE(file.count("/Type /Font "), 8);

    // Within a millimetre of the twips position (twips / 20 = points).
    const auto words = wordsOf(pdf.path);
    const auto near = [&](double points, double columns) {
        return std::abs(points - columns * e.UnitX / 20) < 72 / 25.4;
    };
    QVERIFY(near(words["SINISTRA"].left(), 5));
    QVERIFY(near(words["DESTRA"].right(), 50));
    QVERIFY(near(words["CENTRO"].center().x(), 30));
    QVERIFY(near(words["PICCOLO"].right(), 50));
    // The top of the letters lies just below the top of the row.
    const double top = words["SINISTRA"].top() - 10 * e.UnitY / 20;
    QVERIFY2(top > -1 && top < 12, qPrintable(QString::number(top)));
    QVERIFY(words["DESTRA"].top() > words["SINISTRA"].bottom());
}

void PdfExportTest::cutTextsFitTheirRoomInThePdf_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("maxWidth");
    // Pairs the printer's fonts kern closer than the PDF's widths set them.
    QTest::newRow("Times, kerned pairs")
        << "Times New Roman" << false << false << "AVAVAVAVAVAVAVAVAVAVAVAVAVAVAV" << 10.0;
    QTest::newRow("Arial italic, kerned pairs")
        << "Arial" << false << true << "WAVE To Ty Yo Te Va WAVE To Ty Yo" << 12.0;
    // A PDF draws Courier as Arial, whose letters are wider.
    QTest::newRow("Courier drawn as Arial")
        << "Courier New" << false << false << "Rilievo topografico, lotto 7 bis" << 9.5;
    QTest::newRow("characters the fonts lack")
        << "Arial" << false << false
        << QString::fromUtf8("Nota 😀 ok ") + QChar(0xd800) + " e ancora testo da tagliare" << 10.0;
    QTest::newRow("accents and euro sign")
        << "Arial" << true << false << QString::fromUtf8("Perizia già è più € àèìòù ÈÉ fine")
        << 8.0;
}

// A text cut to its maximum width fits it by the widths the PDF declares for
// its font, and one more character would not: what a reader draws stays in
// its column.
void PdfExportTest::cutTextsFitTheirRoomInThePdf()
{
    QFETCH(QString, face);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(QString, text);
    QFETCH(double, maxWidth);
    PageRecorder& e = m_fixture.recorder();
    QVERIFY(e.BeginDocument());
    useFont(e, face, 12);
    e.SetFontBold(bold);
    e.SetFontItalic(italic);
    e.PrintText(5, 3, maxWidth, text);
    QVERIFY(e.EndDocument());
    const PdfExportRequest pdf{m_fixture.dir->filePath("taglio.pdf"), {}, {}, {}};
    QString error;
    QVERIFY2(ExportPdf(*m_fixture.run, 1, 1, pdf, &error), qPrintable(error));

    const QByteArray file = pdftest::readFile(pdf.path);
    const QByteArray content = pdftest::pageContent(file, 0);
    const auto font = QRegularExpression(R"(/(\w+) 12 Tf)").match(QString::fromLatin1(content));
    const qsizetype end = content.indexOf(") Tj");
    const qsizetype start = content.lastIndexOf('(', end);
    QVERIFY2(font.hasMatch() && start >= 0, content.constData());
    const QMap<int, int> widths = declaredWidths(file, font.captured(1).toLatin1());
    QVERIFY(!widths.isEmpty());
    const QByteArray drawn = content.mid(start + 1, end - start - 1);
    const QByteArray whole = QByteArray::fromStdString(pdf::toWinAnsi(text.toStdString()));
    QVERIFY2(whole.startsWith(drawn) && drawn.size() < whole.size(), drawn.constData());
    auto points = [&widths](const QByteArray& bytes) {
        double units = 0;
        for (const char c : bytes)
            units += widths.value(uchar(c));
        return units * 12 / 1000;
    };
    // Columns are twips, which the export turns into centimetres, and the
    // writer into points.
    const double room = maxWidth * e.UnitX / 567 / 2.54 * 72;
    QVERIFY2(points(drawn) <= room, qPrintable(QString("%1 > %2").arg(points(drawn)).arg(room)));
    QVERIFY(points(whole.left(drawn.size() + 1)) > room);
}

void PdfExportTest::exportWithoutLogoThenFailedExportKeepsFile()
{
    PrintRun& run = *m_fixture.run;
    PdfExportRequest pdf{m_fixture.dir->filePath("archivio.pdf"),
                         {},
                         m_fixture.dir->filePath("nessun_logo.bmp"),
                         {}};
    recordReport(run.recorder(), 2, 3, true, pdf.logoFile);
    QString error;
    QVERIFY2(ExportPdf(run, 1, 2, pdf, &error), qPrintable(error));
    CHECK_PDF(pdf.path, {reportLine(1, 2).left(20)});
    const QByteArray good = pdftest::readFile(pdf.path);
    QVERIFY(!pdftest::pageContent(good, 0).contains("Img1"));

    // A page file that disappeared makes the export fail: the file already
    // in the archive stays as it was, and the viewer is not started.
    QFile::remove(run.pageFilePath(1));
    int launched = 0;
    pdf.openViewer = [&](const QString&) { return ++launched, true; };
    QVERIFY(!ExportPdf(run, 1, 2, pdf, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(pdftest::readFile(pdf.path), good);
    QCOMPARE(launched, 0);
    // Nothing is left beside it.
    QCOMPARE(QDir(m_fixture.dir->path())
                 .entryList({"archivio*", ".archivio*", "*.bak"}, QDir::Files | QDir::Hidden),
             QStringList{"archivio.pdf"});
    // No path: nothing to do and said so.
    pdf.path.clear();
    QVERIFY(!ExportPdf(run, 1, 2, pdf, &error));
}

void PdfExportTest::writeFailureKeepsArchivedFile()
{
    PrintRun& run = *m_fixture.run;
    recordReport(run.recorder(), 20, 60);
    const QString folder = m_fixture.dir->filePath("Fatture/2026");
    QVERIFY(QDir().mkpath(folder));
    PdfExportRequest pdf;
    pdf.path = folder + "/Fattura_2026_1.pdf";
    const QByteArray old = "%PDF-1.3 archiviato prima\n";
    QVERIFY(pdftest::writeFile(pdf.path, old));
    int launched = 0;
    pdf.openViewer = [&](const QString&) { return ++launched, true; };

    // The file system stops the file from growing past 16 kB: the writer
    // fails part-way through the pages.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool written = ExportPdf(run, 1, 20, pdf, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(!written);
    QVERIFY2(error.contains(pdf.path), qPrintable(error));
    QCOMPARE(pdftest::readFile(pdf.path), old);
    QCOMPARE(filesIn(folder), QStringList{"Fattura_2026_1.pdf"});
    QCOMPARE(launched, 0);

    // Next time it goes through, and the new file is the owner's alone.
    QVERIFY2(ExportPdf(run, 1, 20, pdf, &error), qPrintable(error));
    QCOMPARE(pdftest::pageCount(pdf.path), 20);
    QVERIFY(ownerOnly(pdf.path));
    QCOMPARE(filesIn(folder), QStringList{"Fattura_2026_1.pdf"});
    QCOMPARE(launched, 1);

    // A folder where no file can be made: said so, the archive untouched.
    const QByteArray good = pdftest::readFile(pdf.path);
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    const auto writable = qScopeGuard([&] {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    if (!QFileInfo(folder).isWritable()) { // root may write anywhere
        QVERIFY(!ExportPdf(run, 1, 20, pdf, &error));
        QVERIFY2(error.contains(folder), qPrintable(error));
        QCOMPARE(pdftest::readFile(pdf.path), good);
    }
}

// The logo of the data folder is the picture of every page.
void PdfExportTest::logoOfTheDataFolder()
{
    const QString dataFolder = m_fixture.dir->filePath("dati");
    QVERIFY(QDir().mkpath(dataFolder));
    const QByteArray blue = QByteArray("\x20\x60\xc0").repeated(8);
    QVERIFY(pdftest::writeFile(dataFolder + "/logo.bmp", pdftest::makeBmp(4, 2, 24, blue)));

    PageRecorder& e = m_fixture.recorder();
    QVERIFY(e.BeginDocument());
    useFont(e, "Arial", 12);
    // Two centimetres by one, 25 points from the top and the left.
    e.DrawImage(500, 500, 1134, 567, dataFolder + "/logo.bmp");
    e.PrintText(10, 5, 0, "INTESTAZIONE");
    QVERIFY(e.EndDocument());
    const PdfExportRequest pdf{dataFolder + "/Fatture/2026/Fattura_2026_3.pdf",
                               "Fattura 3/2026",
                               dataFolder + "/logo.bmp",
                               {}};
    QString error;
    QVERIFY2(ExportPdf(*m_fixture.run, 1, 1, pdf, &error), qPrintable(error));

    CHECK_PDF(pdf.path, {"INTESTAZIONE"});
    QVERIFY(pdftest::output("pdfinfo", {pdf.path})
                .contains(QRegularExpression("^Title: +Fattura 3/2026\n")));
    QCOMPARE(pdftest::extractImages(pdf.path), QList<QByteArray>{blue});
    // Rendered at 72 dpi the middle of the logo is its colour.
    QTemporaryDir rendered;
    QCOMPARE(QProcess::execute("pdftoppm", {"-r", "72", "-png", "-singlefile", pdf.path,
                                            rendered.filePath("page")}),
             0);
    const QImage page(rendered.filePath("page.png"));
    QVERIFY(!page.isNull());
    const QColor middle = page.pixelColor(25 + 28, 25 + 14);
    QVERIFY2(std::abs(middle.red() - 0x20) < 8 && std::abs(middle.green() - 0x60) < 8 &&
                 std::abs(middle.blue() - 0xc0) < 8,
             qPrintable(middle.name()));
    QCOMPARE(page.pixelColor(10, 10), QColor(Qt::white));
}

void PdfExportTest::desktopEntries_data()
{
    QTest::addColumn<QString>("exec"); // as the desktop file writes it
    QTest::addColumn<QStringList>("command");
    const QString file = "/dati/Fatture/2026/Fattura 1 (copia).pdf";
    const QString url = "file:///dati/Fatture/2026/Fattura%201%20(copia).pdf";
    QTest::newRow("path") << "evince %f" << QStringList{"evince", file};
    QTest::newRow("URL list") << "okular --new %U" << QStringList{"okular", "--new", url};
    QTest::newRow("no code: the file at the end") << "xpdf" << QStringList{"xpdf", file};
    QTest::newRow("quoted program and blanks")
        << R"("/opt/Lettore PDF/bin/lettore" --title "%c" %F)"
        << QStringList{"/opt/Lettore PDF/bin/lettore", "--title", "Lettore", file};
    QTest::newRow("escapes in quotes") << R"(sh -c "echo \\\\\"\\$HOME\\\\\"" %f)"
                                       << QStringList{"sh", "-c", R"(echo \"$HOME\")", file};
    QTest::newRow("icon, percent and deprecated codes")
        << "lettore %i --zoom=100%% %d %k %f"
        << QStringList{"lettore", "--icon", "lettore-pdf", "--zoom=100%", "/a/lettore.desktop",
                       file};
    QTest::newRow("code inside a word")
        << "lettore --file=%f" << QStringList{"lettore", "--file=" + file};
    QTest::newRow("open quote") << R"(lettore "%f)" << QStringList();
}

// Desktop files as they are written: the command that opens a file.
void PdfExportTest::desktopEntries()
{
    QFETCH(QString, exec);
    QFETCH(QStringList, command);
    const QString desktop = m_fixture.dir->filePath("lettore.desktop");
    QVERIFY(pdftest::writeFile(desktop, "# a viewer\n[Desktop Entry]\nType=Application\n"
                                        "Name[it]=Lettore italiano\nName = Lettore\n"
                                        "Icon=lettore-pdf\nExec=" +
                                            exec.toUtf8() + "\n[Desktop Action Nuova]\nExec=x\n"));
    const auto entry = readDesktopEntry(desktop);
    if (command.isEmpty()) {
        QVERIFY(!entry);
        return;
    }
    QVERIFY(entry);
    DesktopEntry moved = *entry;
    moved.file = "/a/lettore.desktop";
    QCOMPARE(commandForFile(moved, "/dati/Fatture/2026/Fattura 1 (copia).pdf"), command);
}

void PdfExportTest::desktopViewer_data()
{
    // Each row: the desktop file the desktop names for PDFs (empty: none),
    // where it lies under applications/, and whether a viewer starts.
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QString>("place");
    QTest::addColumn<bool>("started");
    const QByteArray head = "[Desktop Entry]\nType=Application\nName=Lettore\n";
    QTest::newRow("started") << head + "Exec=lettore --nuova %U\n"
                             << "lettore.desktop" << true;
    QTest::newRow("in a subfolder") << head + "Exec=lettore --nuova %U\n"
                                    << "studio/lettore.desktop" << true;
    QTest::newRow("no program for PDF") << QByteArray() << "" << false;
    QTest::newRow("program not installed") << head + "Exec=lettore-assente %f\n"
                                           << "lettore.desktop" << false;
    QTest::newRow("TryExec not installed") << head + "TryExec=lettore-assente\nExec=lettore %f\n"
                                           << "lettore.desktop" << false;
    QTest::newRow("removed") << head + "Hidden=true\nExec=lettore %f\n"
                             << "lettore.desktop" << false;
    QTest::newRow("named file missing") << QByteArray("-") << "lettore.desktop" << false;
}

// The desktop's choice, read through xdg-mime from folders of the test's
// own: the viewer is started and left running, or the answer is no at
// once. An xdg-open that fails slowly, as on a busy machine, has no say.
void PdfExportTest::desktopViewer()
{
    QFETCH(QByteArray, entry);
    QFETCH(QString, place);
    QFETCH(bool, started);
    if (QStandardPaths::findExecutable("xdg-mime").isEmpty())
        QSKIP("xdg-mime (xdg-utils) is not installed");
    QDir dir(m_fixture.dir->path());
    for (const char* sub : {"bin", "config", "data/applications/studio", "system"})
        QVERIFY(dir.mkpath(sub));
    const QString bin = dir.filePath("bin");
    const QString viewer = bin + "/lettore";
    QVERIFY(pdftest::writeFile(viewer, "#!/bin/sh\necho $$ > '" + dir.filePath("pid").toUtf8() +
                                           "'\nprintf '%s|' \"$@\" > '" +
                                           dir.filePath("arguments").toUtf8() +
                                           "'\nexec sleep 30\n"));
    QVERIFY(pdftest::writeFile(bin + "/xdg-open", "#!/bin/sh\nsleep 4\nexit 3\n"));
    for (const QString& script : {viewer, bin + "/xdg-open"})
        QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner));
    if (!entry.isEmpty()) {
        const QString id = QString(place).replace('/', '-');
        QVERIFY(
            pdftest::writeFile(dir.filePath("config/mimeapps.list"),
                               "[Default Applications]\napplication/pdf=" + id.toUtf8() + ";\n"));
        if (entry != "-")
            QVERIFY(pdftest::writeFile(dir.filePath("data/applications/" + place), entry));
    }

    const QByteArray config = dir.filePath("config").toUtf8();
    const std::pair<const char*, QByteArray> environment[] = {
        {"PATH", bin.toUtf8() + ':' + qgetenv("PATH")},
        {"XDG_CURRENT_DESKTOP", "X-Generic"},
        {"XDG_CONFIG_HOME", config},
        {"XDG_CONFIG_DIRS", config},
        {"XDG_DATA_HOME", dir.filePath("data").toUtf8()},
        {"XDG_DATA_DIRS", dir.filePath("system").toUtf8()}};
    QList<std::optional<QByteArray>> saved;
    for (const auto& [name, value] : environment) {
        saved << (qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        qputenv(name, value);
    }
    const auto restore = qScopeGuard([&] {
        for (int i = 0; i < 6; ++i)
            saved[i] ? qputenv(environment[i].first, *saved[i]) : qunsetenv(environment[i].first);
    });

    const QString file = dir.filePath("Fattura 1 (copia).pdf");
    QVERIFY(pdftest::writeFile(file, "%PDF-1.3\n%%EOF\n"));
    QCOMPARE(openWithDesktopViewer(file), started);
    if (!started)
        return;
    // The viewer got the file as one argument and is still running: it
    // was not waited for.
    QTRY_COMPARE(QString::fromUtf8(pdftest::readFile(dir.filePath("arguments"))),
                 "--nuova|" + QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded) + '|');
    const pid_t pid = pdftest::readFile(dir.filePath("pid")).trimmed().toInt();
    QVERIFY(pid > 0);
    QCOMPARE(::kill(pid, 0), 0);
    ::kill(pid, SIGTERM);
}
