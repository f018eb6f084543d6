#include "PageEngineTest.h"

#include "LogTarget.h"
#include "PageEngine.h"
#include "PageRecord.h"
#include "PdfChecks.h"
#include "TestLayout.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

QString readText(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("<missing %1>").arg(path);
    return QString::fromUtf8(f.readAll());
}

QString run(const QString& program, const QStringList& args, int* exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString& path)
{
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

struct Word
{
    double xMin, yMin, xMax, yMax;
};

// Words of page 1 as pdftotext places them, in points from the top left.
QMultiMap<QString, Word> wordsOf(const QString& path)
{
    QMultiMap<QString, Word> words;
    const QString html =
        run(QStringLiteral("pdftotext"),
            {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
             QStringLiteral("-l"), QStringLiteral("1"), path, QStringLiteral("-")});
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.insert(m.captured(5), {m.captured(1).toDouble(), m.captured(2).toDouble(),
                                     m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}

constexpr double kPointsPerMillimetre = 72 / 25.4;

} // namespace

void PageEngineTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_oldTemp = qgetenv("TEMP");
    qputenv("TEMP", m_dir->path().toLocal8Bit());
    PageEngine::resetInstance();
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    m_printer->setPageSize(QPageSize(QPageSize::A4));
    m_printer->setOutputFileName(m_dir->filePath(QStringLiteral("printed.pdf")));
    pageEngine().setPrinter(m_printer.get());
    pageEngine().setViewerLauncher([](const QString&) { return true; });
}

void PageEngineTest::cleanup()
{
    PageEngine::resetInstance();
    m_printer.reset();
    qputenv("TEMP", m_oldTemp);
    m_dir.reset();
}

void PageEngineTest::recordsLayoutAsGoldenDump()
{
    PageEngine& e = pageEngine();
    QVERIFY(e.BeginDocument());
    e.UnitY = 276;
    e.UnitX = 199.5;
    e.SetFontName(QStringLiteral("Arial"));
    e.SetFontSize(12);
    e.SetFontBold(true);
    e.PrintText(4, 5, 0, QStringLiteral("Fattura\tN 12"));
    e.PrintTextRight(5, 60.25, 10, QStringLiteral("Totale euro"));
    e.PrintTextStyled(6, 40, 0, 8, 2, QStringLiteral("001"), QStringLiteral("nota"));
    e.DrawBox(1, 4.5, 3.5, 76.5, 4, 1);
    e.DrawHLine(8.5, 5, 23, 4);
    e.DrawVLine(60, 5, 86, 2);
    e.DrawImage(100, 100, 3000, 1000, QStringLiteral("/tmp/logo"));
    e.SetFontItalic(true);
    e.SetFontUnderline(false);
    e.PrintText(-2.5, 0.125, 0, QStringLiteral("margine"));
    QVERIFY(e.NewPage());
    e.PrintText(1, 1, 0, QStringLiteral("seconda"));
    QVERIFY(e.EndDocument());
    QCOMPARE(e.pageCount(), 2);

    QString page0 = QStringLiteral("10\tArial\r\n"
                                   "11\t 12 \r\n"
                                   "12\t-1\r\n"
                                   "21\t 4 \t 5 \t 0 \tFattura\x1bN 12\r\n"
                                   "22\t 5 \t 60.25 \t 10 \tTotale euro\r\n"
                                   "20\t 6 \t 40 \t 0 \t 8 \t 2 \t001\tnota\r\n"
                                   "30\t 1 \t 4.5 \t 3.5 \t 76.5 \t 4 \t 1 \r\n"
                                   "31\t 8.5 \t 5 \t 23 \t 4 \r\n"
                                   "32\t 60 \t 5 \t 86 \t 2 \r\n"
                                   "90\t 100 \t 100 \t 3000 \t 1000 \t/tmp/logo\r\n"
                                   "14\t-1\r\n"
                                   "13\t0\r\n"
                                   "21\t-2.5 \t 0.125 \t 0 \tmargine\r\n");
    QString page1 = QStringLiteral("0\t 276 \t 199.5 \tArial\t 12 \t-1\t0\t-1\r\n"
                                   "21\t 1 \t 1 \t 0 \tseconda\r\n");
    // Numbers follow the user's locale; the texts above hold no separator.
    const QChar separator = PageRecord::systemDecimalSeparator();
    page0.replace(QLatin1Char('.'), separator);
    page1.replace(QLatin1Char('.'), separator);
    QCOMPARE(readText(e.pageFilePath(0)), page0);
    QCOMPARE(readText(e.pageFilePath(1)), page1);
}

void PageEngineTest::tabsAndDecimalCommasSurviveReplay()
{
    PageEngine& e = pageEngine();
    e.setDecimalSeparator(QLatin1Char(','));
    e.BeginDocument();
    e.UnitY = 200;
    e.UnitX = 100;
    e.PrintText(3.5, 4, 0, QStringLiteral("a\tb\tc"));
    e.EndDocument();
    QCOMPARE(readText(e.pageFilePath(0)), QStringLiteral("21\t 3,5 \t 4 \t 0 \ta\x1b"
                                                         "b\x1b"
                                                         "c\r\n"));

    LogTarget target;
    e.CurrentPage = 0;
    QVERIFY(e.ReplayPageOnto(target));
    QCOMPARE(target.texts.size(), 1);
    QCOMPARE(target.texts[0].text, QStringLiteral("a\tb\tc"));
    QCOMPARE(target.texts[0].x, 400.0);
    QCOMPARE(target.texts[0].y, 700.0);
}

void PageEngineTest::pageStateOnEveryPageButTheFirst()
{
    PageEngine& e = pageEngine();
    e.BeginDocument();
    e.UnitY = 184;
    e.UnitX = 140;
    e.SetFontName(QStringLiteral("Times New Roman"));
    e.SetFontSize(8);
    for (int page = 0; page < 13; ++page) {
        e.PrintText(1, 1, 0, QStringLiteral("pagina %1").arg(page));
        e.NewPage();
    }
    e.EndDocument();
    QCOMPARE(e.pageCount(), 13);
    QCOMPARE(QFileInfo(e.pageFilePath(12)).fileName(), QStringLiteral("~WRK0012.Tmp"));
    QVERIFY(QFile::exists(e.pageFilePath(12)));
    QVERIFY(!readText(e.pageFilePath(0)).startsWith(QStringLiteral("0\t")));
    for (int page = 1; page < 13; ++page)
        QVERIFY2(
            readText(e.pageFilePath(page))
                .startsWith(QStringLiteral("0\t 184 \t 140 \tTimes New Roman\t 8 \t0\t0\t0\r\n")),
            qPrintable(QString::number(page)));

    // Replaying a later page takes units and font from its state record,
    // even after other values were set since.
    e.UnitY = 1;
    e.UnitX = 1;
    e.SetFontName(QStringLiteral("Courier New"));
    LogTarget target;
    e.CurrentPage = 5;
    QVERIFY(e.ReplayPageOnto(target));
    QCOMPARE(e.UnitY, 184.0);
    QCOMPARE(target.texts.value(0).font.name, QStringLiteral("Times New Roman"));
    QCOMPARE(target.texts.value(0).font.size, 8.0);
    QCOMPARE(target.texts.value(0).y, 184.0);
}

void PageEngineTest::trailingNewPageLeavesNoBlankPage()
{
    PageEngine& e = pageEngine();
    // A long font name makes the state record longer than 60 bytes: the
    // page still counts as blank, because nothing is drawn on it.
    e.SetFontName(QStringLiteral("Liberation Sans Narrow Condensed Extra"));
    e.BeginDocument();
    e.UnitY = 184.123456;
    e.UnitX = 140.654321;
    e.PrintText(1, 1, 0, QStringLiteral("una riga"));
    e.NewPage();
    e.SetFontSize(9); // a font change alone draws nothing
    e.EndDocument();
    QCOMPARE(e.pageCount(), 1);
    QVERIFY(!QFile::exists(e.pageFilePath(1)));
    QVERIFY(QFile::exists(e.pageFilePath(0)));
}

void PageEngineTest::emptyDocumentStillHasOnePage()
{
    PageEngine& e = pageEngine();
    QVERIFY(e.BeginDocument());
    QVERIFY(e.EndDocument());
    QCOMPARE(e.pageCount(), 1);
    QVERIFY(QFile::exists(e.pageFilePath(0)));
    LogTarget target;
    e.CurrentPage = 0;
    QVERIFY(e.ReplayPageOnto(target));
    QVERIFY(target.log.isEmpty());

    // The next document deletes what the last one left.
    recordReport(e, 3, 2);
    QCOMPARE(e.pageCount(), 3);
    e.BeginDocument();
    e.EndDocument();
    QVERIFY(!QFile::exists(e.pageFilePath(1)));
}

void PageEngineTest::pageFolderIsPrivate()
{
    PageEngine& e = pageEngine();
    const QString folder = e.TempFolder();
    QVERIFY(folder.startsWith(m_dir->path() + QLatin1Char('/')));
    QCOMPARE(QFileInfo(folder).permissions() &
                 ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                   QFile::WriteUser | QFile::ExeUser),
             QFileDevice::Permissions());
    recordReport(e, 2, 1);
    e.DeletePageFiles();
    QVERIFY(QDir(folder).entryList({QStringLiteral("~WRK*.Tmp")}, QDir::Files).isEmpty());
}

void PageEngineTest::failedPageGivesUpTheDocument()
{
    PageEngine& e = pageEngine();
    QVERIFY(e.BeginDocument());
    e.UnitY = 200;
    e.UnitX = 100;
    e.PrintText(1, 1, 0, QStringLiteral("prima pagina"));
    // Something in the way of the next page file.
    QVERIFY(QDir(e.TempFolder()).mkdir(QStringLiteral("~WRK0001.Tmp")));
    QString error;
    QVERIFY(!e.NewPage(&error));
    QVERIFY2(error.contains(QStringLiteral("~WRK0001.Tmp")), qPrintable(error));
    QVERIFY(!e.recording());
    // The rest of the layout draws nothing, and certainly not on paper.
    e.PrintText(2, 1, 0, QStringLiteral("seconda pagina"));
    e.DrawBox(1, 1, 5, 5, 4, 1);
    QVERIFY(!e.NewPage());
    QString endError;
    QVERIFY(!e.EndDocument(&endError));
    QCOMPARE(endError, error);
    QCOMPARE(e.pageCount(), 0);
    QVERIFY(!QFile::exists(m_printer->outputFileName()));
    QVERIFY(!QFile::exists(e.pageFilePath(0)));

    // The next document starts afresh.
    QVERIFY(QDir(e.TempFolder()).rmdir(QStringLiteral("~WRK0001.Tmp")));
    recordReport(e, 2, 1);
    QCOMPARE(e.pageCount(), 2);
}

void PageEngineTest::truncationKeepsLongestFittingPrefix_data()
{
    QTest::addColumn<QString>("font");
    QTest::addColumn<double>("maxWidth");
    QTest::newRow("Arial 10 columns") << "Arial" << 10.0;
    QTest::newRow("Times 10 columns") << "Times New Roman" << 10.0;
    QTest::newRow("Arial half column") << "Arial" << 0.5;
    QTest::newRow("Times 15.5 columns") << "Times New Roman" << 15.5;
}

void PageEngineTest::truncationKeepsLongestFittingPrefix()
{
    QFETCH(QString, font);
    QFETCH(double, maxWidth);
    PageEngine& e = pageEngine();
    e.BeginDocument();
    e.SetFontName(font);
    e.SetFontSize(12);
    e.UnitY = e.TextHeight(QStringLiteral("M"));
    e.UnitX = e.TextWidth(QStringLiteral("M"));
    const QString text = QStringLiteral("Onorario per rilievo topografico, lotto 7");
    QCOMPARE(text.size(), 41);
    e.PrintText(3, 5, maxWidth, text);
    e.PrintTextRight(4, 60, maxWidth, text);
    e.EndDocument();

    // The PDF target cuts with the printer's widths: the Liberation fonts.
    LogTarget target([&e](const QString& s) { return e.TextWidth(s); });
    e.CurrentPage = 0;
    QVERIFY(e.ReplayPageOnto(target));
    QCOMPARE(target.texts.size(), 2);
    const double limit = maxWidth * e.UnitX;
    for (const auto& drawn : target.texts) {
        QVERIFY(text.startsWith(drawn.text));
        QVERIFY(drawn.text.size() < text.size());
        QVERIFY(e.TextWidth(drawn.text) <= limit);
        QVERIFY(e.TextWidth(text.left(drawn.text.size() + 1)) > limit);
    }
    // Wide letters fill ten columns of M with fewer characters than narrow ones.
    if (maxWidth == 10)
        QVERIFY(target.texts[0].text.size() > 10);
}

void PageEngineTest::paragraphPastRowLimitReturnsRest()
{
    PageEngine& e = pageEngine();
    e.BeginDocument();
    e.SetFontName(QStringLiteral("Arial"));
    e.SetFontSize(12);
    e.UnitY = e.TextHeight(QStringLiteral("M"));
    e.UnitX = e.TextWidth(QStringLiteral("M"));
    const QString first = QStringLiteral(
        "Rilievo plano-altimetrico del lotto con restituzione grafica in scala adeguata e "
        "redazione della relazione tecnica descrittiva delle opere eseguite in cantiere");
    const QString second = QStringLiteral("Secondo paragrafo da non perdere");
    QString text = first + QStringLiteral("\r\n") + second;
    double row = 10;
    double spacing = 0;
    e.PrintParagraph(5, 20, row, 11, text, 0, spacing);
    QCOMPARE(spacing, 1.0);
    QCOMPARE(row, 12.0); // two lines printed, the second passed the limit
    // The rest starts inside the first paragraph and keeps the second.
    QVERIFY(!text.isEmpty());
    QVERIFY(first.endsWith(text.left(text.indexOf(QStringLiteral("\r\n")))));
    QVERIFY(text.endsWith(QStringLiteral("\r\n") + second));
    QVERIFY(!text.startsWith(QLatin1Char(' ')));

    // Printing the rest on the next pages loses no word and adds none.
    QString printed;
    int guard = 0;
    while (!text.isEmpty() && ++guard < 50) {
        e.NewPage();
        row = 1;
        e.PrintParagraph(5, 20, row, 3, text, 0, spacing);
    }
    QVERIFY(text.isEmpty());
    e.EndDocument();
    const int pages = e.pageCount();
    QVERIFY(pages > 2);
    for (int page = 0; page < pages; ++page) {
        LogTarget target;
        e.CurrentPage = page;
        QVERIFY(e.ReplayPageOnto(target));
        for (const auto& t : target.texts)
            printed += t.text + QLatin1Char(' ');
    }
    QCOMPARE(printed.simplified(), (first + QLatin1Char(' ') + second).simplified());
}

void PageEngineTest::justifiedLinesEndAtRightEdge()
{
    PageEngine& e = pageEngine();
    for (const char* font : {"Arial", "Times New Roman"}) {
        e.BeginDocument();
        e.SetFontName(QString::fromLatin1(font));
        e.SetFontSize(12);
        e.UnitY = e.TextHeight(QStringLiteral("M"));
        e.UnitX = e.TextWidth(QStringLiteral("M"));
        QString text = QStringLiteral(
            "Prestazione professionale per la redazione del frazionamento catastale e "
            "dell'accatastamento dell'unita immobiliare sita nel comune di residenza del "
            "committente con sopralluogo, rilievo dei confini, verifica delle distanze dai "
            "fabbricati vicini e deposito della pratica presso l'ufficio provinciale");
        double row = 23;
        double spacing = 1;
        e.PrintParagraph(11, 45, row, 40, text, 3, spacing);
        e.EndDocument();

        LogTarget target([&e](const QString& s) { return e.TextWidth(s); });
        e.CurrentPage = 0;
        QVERIFY(e.ReplayPageOnto(target));
        const double right = (11 + 45) * e.UnitX;
        const double left = 11 * e.UnitX;
        const double space = e.TextWidth(QStringLiteral(" "));
        int justified = 0;
        for (const auto& t : target.texts) {
            if (t.align != 1)
                continue;
            ++justified;
            QCOMPARE(t.x, right);
            // The spread part ends no further than one blank from the last word.
            const auto leftPart =
                std::find_if(target.texts.begin(), target.texts.end(),
                             [&](const auto& o) { return o.align == 0 && o.y == t.y; });
            QVERIFY(leftPart != target.texts.end());
            const double gap = right - e.TextWidth(t.text) - (left + e.TextWidth(leftPart->text));
            QVERIFY2(gap >= 0 && gap <= 2 * space + 1, qPrintable(QString::number(gap)));
        }
        QVERIFY2(justified >= 2, qPrintable(target.log.join(QLatin1Char('\n'))));
        // The last line of the paragraph is left-aligned.
        QCOMPARE(target.texts.last().align, 0);
        QCOMPARE(target.texts.last().x, left);
    }
}

void PageEngineTest::paragraphLineCountsAgree_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("lines");
    QTest::newRow("empty") << QString() << 20.0 << 0;
    QTest::newRow("one word") << QStringLiteral("Onorario") << 20.0 << 1;
    QTest::newRow("blank paragraph between") << QStringLiteral("uno\r\n\r\ndue") << 20.0 << 3;
    QTest::newRow("trailing line end") << QStringLiteral("uno\r\n") << 20.0 << 1;
    QTest::newRow("bare line feeds") << QStringLiteral("uno\ndue\ntre") << 20.0 << 3;
    QTest::newRow("word wider than the line")
        << QStringLiteral("Precipitevolissimevolmente") << 3.0 << -1;
}

void PageEngineTest::paragraphLineCountsAgree()
{
    QFETCH(QString, text);
    QFETCH(double, width);
    QFETCH(int, lines);
    PageEngine& e = pageEngine();
    e.BeginDocument();
    e.SetFontName(QStringLiteral("Arial"));
    e.SetFontSize(12);
    e.UnitY = e.TextHeight(QStringLiteral("M"));
    e.UnitX = e.TextWidth(QStringLiteral("M"));
    QString counted = text;
    int16_t count = -7;
    e.CountParagraphLines(width, counted, count);
    QVERIFY(counted.isEmpty());
    if (lines >= 0)
        QCOMPARE(int(count), lines);

    QString printed = text;
    double row = 0;
    double spacing = 1;
    e.PrintParagraph(1, width, row, 1000, printed, 0, spacing);
    QVERIFY(printed.isEmpty());
    QCOMPARE(int(row), int(count));
    e.EndDocument();

    // A word too wide for the line is broken, never lost.
    LogTarget target;
    e.CurrentPage = 0;
    QVERIFY(e.ReplayPageOnto(target));
    QString joined;
    for (const auto& t : target.texts)
        joined += t.text;
    QString expected = text;
    expected.remove(QLatin1Char('\r')).remove(QLatin1Char('\n')).remove(QLatin1Char(' '));
    QCOMPARE(joined.remove(QLatin1Char(' ')), expected);
}

void PageEngineTest::paragraphAlignments()
{
    PageEngine& e = pageEngine();
    e.BeginDocument();
    e.SetFontName(QStringLiteral("Arial"));
    e.SetFontSize(10);
    e.UnitY = 200;
    e.UnitX = 150;
    for (int align : {1, 2}) {
        QString text = QStringLiteral("Minimi uno\r\nMinimi due");
        double row = align * 10;
        double spacing = 2;
        e.PrintParagraph(5, 50, row, 100, text, align, spacing);
        QCOMPARE(row, align * 10 + 4.0);
    }
    e.EndDocument();
    LogTarget target;
    e.CurrentPage = 0;
    QVERIFY(e.ReplayPageOnto(target));
    QCOMPARE(target.log, (QStringList{QStringLiteral("text 8100 2000 1 [ Minimi uno]"),
                                      QStringLiteral("text 8100 2400 1 [ Minimi due]"),
                                      QStringLiteral("text 4500 4000 2 [ Minimi uno]"),
                                      QStringLiteral("text 4500 4400 2 [ Minimi due]")}));
}

void PageEngineTest::previewGeometry_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QSize>("picture");
    // A4 is 11900 x 16840 twips here; 96 dpi.
    QTest::newRow("tall window, width decides") << QSize(500, 1000) << 1 << QSize(400, 566);
    QTest::newRow("wide window, height decides") << QSize(1000, 540) << 1 << QSize(283, 400);
    QTest::newRow("zoom 2 doubles") << QSize(1000, 540) << 2 << QSize(566, 800);
}

void PageEngineTest::previewGeometry()
{
    QFETCH(QSize, window);
    QFETCH(int, zoom);
    QFETCH(QSize, picture);
    const QSizeF a4(11900, 16840);
    const PreviewGeometry g = computePreviewGeometry(window, 40, a4, zoom, 96);
    QCOMPARE(g.picture, picture);
    const PreviewGeometry one = computePreviewGeometry(window, 40, a4, 1, 96);
    QCOMPARE(g.previewScale, one.previewScale * zoom);
    // Picture width in twips over paper width.
    QVERIFY(std::abs(one.previewScale - one.picture.width() * 15.0 / 11900) < 0.002);
}

void PageEngineTest::previewTextFollowsItsScale()
{
    PageEngine& e = pageEngine();
    e.SetFontName(QStringLiteral("Arial"));
    e.SetFontSize(12);
    const double printed = e.TextWidth(QStringLiteral("Onorario professionale"));
    const QSizeF paper = e.paperTwips();
    FontState font;
    font.name = QStringLiteral("Arial");
    font.size = 12;
    QList<double> pixels;
    for (int zoom : {1, 2}) {
        const PreviewGeometry g = computePreviewGeometry(QSize(1000, 1000), 40, paper, zoom, 96);
        QImage image(g.picture, QImage::Format_RGB32);
        QPainter painter(&image);
        PainterTarget target(painter, PainterTarget::Kind::Preview, image.width() / paper.width(),
                             g.previewScale);
        target.setFont(font);
        // The same text spans about the same twips of paper at any zoom,
        // so its pixels double with the zoom.
        const double twips = target.truncationWidth(QStringLiteral("Onorario professionale"));
        QVERIFY2(std::abs(twips - printed) < printed * 0.06, qPrintable(QString::number(twips)));
        pixels << twips * image.width() / paper.width();
        QCOMPARE(target.penWidth(4), std::max(1.0, std::floor(4 * g.previewScale)));
    }
    QVERIFY(std::abs(pixels[1] - 2 * pixels[0]) < pixels[0] * 0.06);
}

void PageEngineTest::styledTextRestoresTheFont()
{
    PageEngine& e = pageEngine();
    e.BeginDocument();
    e.UnitY = 200;
    e.UnitX = 100;
    e.SetFontName(QStringLiteral("Times New Roman"));
    e.SetFontSize(9);
    e.SetFontBold(true);
    e.PrintTextStyled(2, 10, 0, 11, 0, QStringLiteral(" 011 "), QStringLiteral("RITENUTA"));
    e.PrintText(3, 10, 0, QStringLiteral("dopo"));
    e.EndDocument();
    LogTarget target;
    e.CurrentPage = 0;
    QVERIFY(e.ReplayPageOnto(target));
    QCOMPARE(target.texts.size(), 2);
    const FontState styled = target.texts[0].font;
    QCOMPARE(styled.size, 11.0);
    QVERIFY(!styled.bold);
    QVERIFY(styled.italic);
    QVERIFY(styled.underline);
    const FontState after = target.texts[1].font;
    QCOMPARE(after.size, 9.0);
    QVERIFY(after.bold);
    QVERIFY(!after.italic);
    QVERIFY(!after.underline);
    QCOMPARE(e.printerFont(), after);
}

void PageEngineTest::damagedPageFileReplaysWhatItCan()
{
    PageEngine& e = pageEngine();
    e.BeginDocument();
    e.EndDocument();
    QFile file(e.pageFilePath(0));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("21\t 1 \t 2 \t 0 \tprima\r\n");
    file.write("77\t 1 \t 2 \r\n");                      // unknown code
    file.write("21\t 1 \t 2 \r\n");                      // text missing
    file.write("21\t uno \t 2 \t 0 \tnumero rotto\r\n"); // not a number
    file.write("30\t 1 \t 2 \r\n");                      // box without corners
    file.write("11\t 1e308 \r\n");                       // absurd size, ignored
    file.write("31\t 1e300 \t 2 \t 3 \t 4 \r\n");        // off any sheet
    file.write("21\t 1 \t 2 \t 0 \t");
    file.write(QByteArray(400 * 1024, 'x')); // far longer than a record
    file.write("\r\n");
    file.write("\x01\x02\xff\xfe\r\n");
    file.write("nan\tinf\r\n");
    file.write("\r\n");
    file.write("32\t 5 \t 1 \t 9 \t 2 \r\n");
    file.write("21\t 3,5 \t 2 \t 0 \tultima"); // no line end at all
    file.close();

    LogTarget target;
    e.UnitY = 100;
    e.UnitX = 10;
    e.CurrentPage = 0;
    int skipped = 0;
    QVERIFY(e.ReplayPageOnto(target, nullptr, &skipped));
    QCOMPARE(target.log, (QStringList{QStringLiteral("text 20 100 0 [prima]"),
                                      QStringLiteral("line 50 100 50 900 2"),
                                      QStringLiteral("text 20 350 0 [ultima]")}));
    QCOMPARE(skipped, 7);

    // A page that is gone is reported, not drawn.
    QFile::remove(e.pageFilePath(0));
    QString error;
    QVERIFY(!e.ReplayPageOnto(target, &error));
    QVERIFY(error.contains(QStringLiteral("pagina 1")));
}

void PageEngineTest::printingToPdfPrinterGivesRecordedPages()
{
    // Setting fonts and measuring before a document starts no print job.
    pageEngine().SetFontName(QStringLiteral("Arial"));
    pageEngine().SetFontBold(true);
    QVERIFY(pageEngine().TextWidth(QStringLiteral("M")) > 0);
    QVERIFY(pageEngine().EndDocument());
    QVERIFY(!QFile::exists(m_printer->outputFileName()));

    PageEngine& e = pageEngine();
    recordReport(e, 4, 30);
    QCOMPARE(e.pageCount(), 4);
    const QString out = m_printer->outputFileName();

    QVERIFY(e.PrintPages(2, 1));
    QVERIFY(!QFile::exists(out));
    QVERIFY(e.PrintPages(1, 0));
    QVERIFY(!QFile::exists(out));

    QString error;
    QVERIFY2(e.PrintPages(1, 4, &error), qPrintable(error));
    QCOMPARE(e.outputTarget(), OutputTarget::Printer);
    QCOMPARE(pdfPages(out), 4);
    const QString text = run(QStringLiteral("pdftotext"),
                             {QStringLiteral("-f"), QStringLiteral("3"), QStringLiteral("-l"),
                              QStringLiteral("3"), out, QStringLiteral("-")});
    QVERIFY2(text.contains(reportLine(2, 0).left(20)), qPrintable(text.left(300)));

    // A range beyond the document prints the pages there are.
    QFile::remove(out);
    QVERIFY(e.PrintPages(3, 9));
    QCOMPARE(pdfPages(out), 2);
}

void PageEngineTest::drawingStraightOntoThePrinter()
{
    // Nothing recorded: each call draws on the printer at once, as the
    // labels do; NewPage turns the sheet and EndDocument ends the job.
    PageEngine& e = pageEngine();
    e.setOutputTarget(OutputTarget::Printer);
    e.SetFontName(QStringLiteral("Arial"));
    e.SetFontSize(10);
    e.UnitY = e.TextHeight(QStringLiteral("M"));
    e.UnitX = e.TextWidth(QStringLiteral("M"));
    e.PrintText(2, 2, 0, QStringLiteral("ETICHETTA1"));
    e.DrawBox(1, 1, 5, 30, 4, 1);
    QVERIFY(e.NewPage());
    e.PrintText(2, 2, 0, QStringLiteral("ETICHETTA2"));
    QVERIFY(e.EndDocument());
    QCOMPARE(pdfPages(m_printer->outputFileName()), 2);
    const QString second =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QStringLiteral("2"),
                                          m_printer->outputFileName(), QStringLiteral("-")});
    QCOMPARE(second.trimmed(), QStringLiteral("ETICHETTA2"));
}

void PageEngineTest::exportedPdfPlacesTexts()
{
    PageEngine& e = pageEngine();
    const QString logo = m_dir->filePath(QStringLiteral("logo.bmp"));
    QVERIFY(pdfcheck::writeFile(logo, pdfcheck::makeBmp24(4, 2, 200, 30, 30)));
    e.setLogoFile(logo);
    int launched = 0;
    QString launchedPath;
    e.setViewerLauncher([&](const QString& path) {
        ++launched;
        launchedPath = path;
        return true;
    });

    e.BeginDocument();
    e.SetFontName(QStringLiteral("Arial"));
    e.SetFontSize(12);
    e.UnitY = e.TextHeight(QStringLiteral("M"));
    e.UnitX = e.TextWidth(QStringLiteral("M"));
    e.PrintText(10, 5, 0, QStringLiteral("SINISTRA"));
    e.PrintTextRight(12, 50, 0, QStringLiteral("DESTRA"));
    e.SetFontName(QStringLiteral("Times New Roman"));
    e.SetFontBold(true);
    e.PrintTextCentred(14, 30, 0, QStringLiteral("CENTRO"));
    e.PrintTextStyled(16, 50, 0, 8, 1, QStringLiteral("010"), QStringLiteral("PICCOLO"));
    e.DrawBox(20, 5, 24, 50, 4, 1);
    e.DrawImage(500, 500, 1134, 567, logo);
    e.NewPage();
    e.PrintText(5, 5, 0, QStringLiteral("SECONDA"));
    e.NewPage();
    e.PrintText(5, 5, 0, QStringLiteral("TERZA"));
    e.EndDocument();
    QCOMPARE(e.pageCount(), 3);

    e.PdfPath = m_dir->filePath(QStringLiteral("Fatture/2026/Fattura_2026_7 (copia).pdf"));
    QString error;
    bool viewer = false;
    QVERIFY2(e.ExportPdf(1, e.pageCount(), &error, &viewer), qPrintable(error));
    QVERIFY(viewer);
    QCOMPARE(launched, 1);
    QCOMPARE(launchedPath, e.PdfPath);
    QCOMPARE(e.outputTarget(), OutputTarget::PDF);
    const QStringList texts{QStringLiteral("SINISTRA"), QStringLiteral("SECONDA"),
                            QStringLiteral("TERZA")};
    VERIFY_PDF(e.PdfPath, texts);
    QCOMPARE(pdfPages(e.PdfPath), 3);
    const QByteArray bytes = pdfcheck::readFile(e.PdfPath);
    QVERIFY(bytes.contains("/Img1 Do"));
    QVERIFY(bytes.contains(
        "/Title (" + QFile::encodeName(e.PdfPath).replace("(", "\\(").replace(")", "\\)") + ")"));

    const auto words = wordsOf(e.PdfPath);
    const double toPoints = 1.0 / 20;
    const double mm = kPointsPerMillimetre;
    const Word left = words.value(QStringLiteral("SINISTRA"));
    QVERIFY2(std::abs(left.xMin - 5 * e.UnitX * toPoints) < mm,
             qPrintable(QString::number(left.xMin)));
    const Word right = words.value(QStringLiteral("DESTRA"));
    QVERIFY2(std::abs(right.xMax - 50 * e.UnitX * toPoints) < mm,
             qPrintable(QString::number(right.xMax)));
    const Word centre = words.value(QStringLiteral("CENTRO"));
    QVERIFY2(std::abs((centre.xMin + centre.xMax) / 2 - 30 * e.UnitX * toPoints) < mm,
             qPrintable(QString::number(centre.xMin)));
    const Word small = words.value(QStringLiteral("PICCOLO"));
    QVERIFY(std::abs(small.xMax - 50 * e.UnitX * toPoints) < mm);
    // The top of the letters lies just below the top of the row.
    QVERIFY2(left.yMin > 10 * e.UnitY * toPoints - 1 && left.yMin < 10 * e.UnitY * toPoints + 12,
             qPrintable(QString::number(left.yMin)));
    QVERIFY(words.value(QStringLiteral("DESTRA")).yMin > left.yMax);
}

void PageEngineTest::exportWithoutLogoAndCourierAsArial()
{
    PageEngine& e = pageEngine();
    e.setLogoFile(m_dir->filePath(QStringLiteral("nessun_logo.bmp")));
    e.BeginDocument();
    e.SetFontName(QStringLiteral("Courier New"));
    e.SetFontSize(10);
    e.SetFontUnderline(true);
    e.UnitY = 240;
    e.UnitX = 144;
    e.PrintText(3, 3, 0, QStringLiteral("Courier"));
    e.SetFontBold(true);
    e.PrintText(4, 3, 0, QStringLiteral("Grassetto"));
    e.DrawImage(100, 100, 1000, 1000, QStringLiteral("/non/esiste.bmp"));
    e.EndDocument();
    e.PdfPath = m_dir->filePath(QStringLiteral("senza_logo.pdf"));
    QString error;
    QVERIFY2(e.ExportPdf(1, 1, &error), qPrintable(error));
    const QStringList texts{QStringLiteral("Courier"), QStringLiteral("Grassetto")};
    VERIFY_PDF(e.PdfPath, texts);
    const QByteArray content = pdfcheck::firstPageContent(pdfcheck::readFile(e.PdfPath));
    QVERIFY2(content.contains("/Arial 10 Tf"), content.constData());
    QVERIFY(content.contains("/ArialB 10 Tf"));
    QVERIFY(!content.contains("Img1"));
    QVERIFY(!content.contains("Fnt4"));
    // All nine fonts are in the file whether used or not.
    const QByteArray file = pdfcheck::readFile(e.PdfPath);
    for (const char* key :
         {"TNR", "TNRB", "TNRI", "TNRBI", "Arial", "ArialB", "ArialI", "ArialBI", "Fnt4"})
        QVERIFY2(file.contains(QByteArray("/Name /") + key + ' ') ||
                     file.contains(QByteArray("/Name /") + key + '\r'),
                 key);
    // Underline has no mark of its own in a PDF: text only.
    QVERIFY(!content.contains(" re\r\n") && !content.contains(" l\r\n"));
}

void PageEngineTest::failedExportKeepsEarlierFile()
{
    PageEngine& e = pageEngine();
    recordReport(e, 2, 3);
    e.PdfPath = m_dir->filePath(QStringLiteral("archivio.pdf"));
    QVERIFY(e.ExportPdf(1, 2));
    const QByteArray good = pdfcheck::readFile(e.PdfPath);
    QVERIFY(good.startsWith("%PDF-1.3"));

    // A page file that disappeared makes the export fail: the file already
    // in the archive stays as it was, and the viewer is not started.
    QFile::remove(e.pageFilePath(1));
    int launched = 0;
    e.setViewerLauncher([&](const QString&) { return ++launched, true; });
    QString error;
    QVERIFY(!e.ExportPdf(1, 2, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(pdfcheck::readFile(e.PdfPath), good);
    QCOMPARE(launched, 0);
    QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("*.bak")}, QDir::Files | QDir::Hidden),
             QStringList());

    // No path: nothing to do and said so.
    e.PdfPath.clear();
    QVERIFY(!e.ExportPdf(1, 2, &error));
}
