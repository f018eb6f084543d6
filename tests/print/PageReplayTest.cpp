#include "PrintTests.h"

#include "LogTarget.h"
#include "PainterTarget.h"
#include "PdfTestSupport.h"
#include "PreviewGeometry.h"
#include "PrinterJob.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

void PageReplayTest::previewGeometry_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QSize>("picture");
    // A4 is 11900 x 16840 twips here; 96 dpi.
    QTest::newRow("tall window, width decides") << QSize(500, 1000) << 1 << QSize(400, 566);
    QTest::newRow("wide window, height decides") << QSize(1000, 540) << 1 << QSize(283, 400);
    QTest::newRow("zoom 2 doubles") << QSize(1000, 540) << 2 << QSize(566, 800);
}

void PageReplayTest::previewGeometry()
{
    QFETCH(QSize, window);
    QFETCH(int, zoom);
    QFETCH(QSize, picture);
    const QSizeF a4(11900, 16840);
    const PreviewGeometry g = computePreviewGeometry(window, 40, a4, zoom, 96);
    QCOMPARE(g.picture, picture);
    // Picture width in twips over paper width.
    QVERIFY(std::abs(g.previewScale - picture.width() * 15.0 / 11900) < 0.002 * zoom);

    // A text spans about the twips it takes on paper at any zoom, so its pixels
    // grow with the picture.
    PageRecorder& e = m_fixture.recorder();
    e.SetFontName("Arial");
    e.SetFontSize(12);
    const QString text = "Onorario professionale";
    QImage image(g.picture, QImage::Format_RGB32);
    QPainter painter(&image);
    PainterTarget target(painter, PainterTarget::Kind::Preview, image.width() / a4.width());
    target.setFont(FontState{"Arial", 12});
    const double twips = target.truncationWidth(text);
    QVERIFY2(std::abs(twips - e.TextWidth(text)) < e.TextWidth(text) * 0.06,
             qPrintable(QString::number(twips)));
}

void PageReplayTest::previewRulesFollowPaper_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<double>("lineWidth"); // twips, as the PDF draws it
    QTest::newRow("hairline") << 1 << 4.0;
    QTest::newRow("broad rule") << 1 << 120.0;
    QTest::newRow("broad rule zoomed") << 2 << 120.0;
}

// The ink of a rule across its width, in pixels: as wide as the rule is on
// paper at the picture's scale, and at least one pixel.
void PageReplayTest::previewRulesFollowPaper()
{
    QFETCH(int, zoom);
    QFETCH(double, lineWidth);
    PageRecorder& e = m_fixture.recorder();
    PrintRun& run = *m_fixture.run;
    beginInUnits(e, 200, 200);
    e.DrawHLine(20, 5, 50, lineWidth);
    e.DrawBox(30, 5, 40, 50, lineWidth, 0);
    e.DrawFilledBox(50, 5, 60, 50, 0x2E6DB4);
    QVERIFY(e.EndDocument());

    const PreviewGeometry g =
        computePreviewGeometry(QSize(1000, 800), 40, e.paperTwips(), zoom, 96);
    QImage picture(g.picture, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const double pixelsPerTwip = picture.width() / e.paperTwips().width();
    {
        QPainter painter(&picture);
        PainterTarget preview(painter, PainterTarget::Kind::Preview, pixelsPerTwip);
        QVERIFY(run.ReplayPage(0, preview));
    }
    const double expected = std::max(1.0, lineWidth * pixelsPerTwip);
    auto inkAcross = [&](int x, double rowTwips) {
        const int y = int(rowTwips * pixelsPerTwip);
        double ink = 0;
        for (int row = std::max(0, y - 20); row < std::min(picture.height(), y + 20); ++row)
            ink += (255 - qGray(picture.pixel(x, row))) / 255.0;
        return ink;
    };
    const int x = int(20 * 200 * pixelsPerTwip);
    QCOMPARE(picture.pixel(x, int(55 * 200 * pixelsPerTwip)), qRgb(0x2E, 0x6D, 0xB4));
    for (const double row : {20.0 * 200, 30.0 * 200, 40.0 * 200}) {
        const double ink = inkAcross(x, row);
        QVERIFY2(std::abs(ink - expected) < 0.35,
                 qPrintable(QString("%1 pixels of ink, %2 expected").arg(ink).arg(expected)));
    }
}

void PageReplayTest::damagedPageFileReplaysWhatItCan()
{
    PageRecorder& e = m_fixture.recorder();
    PrintRun& run = *m_fixture.run;
    e.BeginDocument();
    e.EndDocument();
    const QByteArray damaged = "21\t 1 \t 2 \t 0 \tprima\r\n"
                               "33\t 1 \t 2 \t 3 \t 4 \t 255 \r\n"
                               "33\t 1 \t 2 \t 3 \t 4 \t 16777216 \r\n" // no such colour
                               "34\t 1 \t 2 \t 3 \t 4 \t 5 \t 1,5 \r\n" // nor such
                               "77\t 1 \t 2 \r\n21\t 1 \t 2 \r\n"       // unknown code, no text
                               "21\t uno \t 2 \t 0 \tnumero rotto\r\n"  // not a number
                               "30\t 1 \t 2 \r\n11\t 1e308 \r\n" // box without corners, absurd size
                               "31\t 1e300 \t 2 \t 3 \t 4 \r\n"  // off any sheet
                               "21\t 1 \t 2 \t 0 \t" +
                               QByteArray(400 * 1024, 'x') + // far longer than a record
                               "\r\n\x01\x02\xff\xfe\r\nnan\tinf\r\n\r\n"
                               "32\t 5 \t 1 \t 9 \t 2 \r\n"
                               "21\t 3,5 \t 2 \t 0 \tultima"; // no line end at all
    QVERIFY(pdftest::writeFile(run.pageFilePath(0), damaged));
    LogTarget target;
    e.UnitY = 100;
    e.UnitX = 10;
    int skipped = 0;
    QVERIFY(run.ReplayPage(0, target, nullptr, &skipped));
    QCOMPARE(target.log, (QStringList{"text 20 100 0 [prima]", "fill 100 20 300 40 ff",
                                      "line 50 100 50 900 2", "text 20 350 0 [ultima]"}));
    QCOMPARE(skipped, 9);

    // A page that is gone is reported, not drawn.
    QFile::remove(run.pageFilePath(0));
    QString error;
    QVERIFY(!run.ReplayPage(0, target, &error));
    QVERIFY(error.contains("pagina 1"));
}

void PageReplayTest::printingToPdfPrinterGivesRecordedPages()
{
    PageRecorder& e = m_fixture.recorder();
    PrintRun& run = *m_fixture.run;
    const QString out = m_fixture.printer->outputFileName();
    PrinterJob job(*m_fixture.printer);
    e.drawStraightOn(&job);
    // Setting fonts and measuring before a document starts no print job.
    e.SetFontName("Arial");
    e.SetFontBold(true);
    QVERIFY(e.TextWidth("M") > 0);
    QVERIFY(e.EndDocument());
    QVERIFY(!QFile::exists(out));

    recordReport(e, 4, 30);
    QCOMPARE(e.pageCount(), 4);
    QVERIFY(job.PrintPages(run, 2, 1));
    QVERIFY(job.PrintPages(run, 1, 0));
    QVERIFY(!QFile::exists(out));

    QString error;
    QVERIFY2(job.PrintPages(run, 1, 4, &error), qPrintable(error));
    QCOMPARE(pdftest::pageCount(out), 4);
    const QString text = pdftest::output("pdftotext", {"-f", "3", "-l", "3", out, "-"});
    QVERIFY2(text.contains(reportLine(2, 0).left(20)), qPrintable(text.left(300)));

    // A range beyond the document prints the pages there are.
    QFile::remove(out);
    QVERIFY(job.PrintPages(run, 3, 9));
    QCOMPARE(pdftest::pageCount(out), 2);

    // Nothing recorded: each call draws on the printer at once, as the labels
    // do; NewPage turns the sheet and EndDocument ends the job.
    QFile::remove(out);
    e.PrintText(2, 2, 0, "ETICHETTA1");
    e.DrawBox(1, 1, 5, 30, 4, 1);
    QVERIFY(e.NewPage());
    e.PrintText(2, 2, 0, "ETICHETTA2");
    QVERIFY(e.EndDocument());
    QCOMPARE(pdftest::pageCount(out), 2);
    QCOMPARE(pdftest::output("pdftotext", {"-f", "2", out, "-"}).trimmed(), "ETICHETTA2");
}
