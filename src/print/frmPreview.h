#pragma once

#include "PdfExport.h"

#include <QDialog>
#include <QImage>
#include <QPointF>
#include <QWidget>
#include <functional>
#include <optional>

class Database;
class PageRecorder;
class PrintRun;
class QLabel;
class QPushButton;
class QScrollBar;
class QToolButton;
class QFrame;

// The page picture of the preview: it shows the last replayed page and
// reports mouse releases in paper twips.
class PreviewPicture : public QWidget
{
    Q_OBJECT
public:
    explicit PreviewPicture(QWidget* parent = nullptr);

    QImage& image() { return m_image; }
    // The picture's coordinates: the paper in twips.
    void setPaperTwips(QSizeF paper) { m_paper = paper; }
    QSizeF paperTwips() const { return m_paper; }

signals:
    void mouseUp(QPointF twips);
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage m_image;
    QSizeF m_paper;
};

// "Anteprima di Stampa": one page of the run's recorded document at a time,
// the page navigator, zoom by a click, printing and, when pdf is given, PDF
// export. Closing it deletes the page files.
class frmPreview : public QDialog
{
    Q_OBJECT
public:
    // db receives the STAMPA rows; without one they are not written.
    explicit frmPreview(PrintRun& run, QWidget* parent = nullptr, Database* db = nullptr,
                        std::optional<PdfExportRequest> pdf = std::nullopt);
    ~frmPreview() override;

    void Form_Load();
    void ScorriPagine_Validate(int action);
    void Form_Resize();
    void HScroll1_Change();
    void VScroll1_Change();
    void Pic_MouseUp(QPointF twips);
    void Pic_Click();
    void Stampa_Click();
    void PDF_Click();
    void Form_Unload();

    int pageCount() const { return m_pageCount; }
    int currentPage() const { return m_currentPage; }
    int zoom() const { return m_zoom; }
    QString caption() const;
    // The picture width over the paper width, both in twips, zoom included.
    double previewScale() const { return m_previewScale; }
    // Where the PDF button writes; empty when it is not offered.
    QString pdfPath() const { return m_pdf ? m_pdf->path : QString(); }
    PrintRun& run() const { return m_run; }

    QFrame* CoolBar1 = nullptr;
    QWidget* Barra = nullptr;
    QPushButton* Stampa = nullptr;
    QPushButton* PDF = nullptr;
    QWidget* ScorriPagine = nullptr;
    PreviewPicture* Pic = nullptr;
    QScrollBar* VScroll1 = nullptr;
    QScrollBar* HScroll1 = nullptr;
    QWidget* Tappo = nullptr;

    enum Azione { Prima = 1, Precedente = 2, Successiva = 3, Ultima = 4 };

public slots:
    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void setupPreview();
    void replay();
    double screenDpi() const;
    double twipsToPixels(double twips) const;

    PrintRun& m_run;
    Database* m_db;
    std::optional<PdfExportRequest> m_pdf;
    double m_previewScale = 0;
    QLabel* m_caption = nullptr;
    QToolButton* m_navigation[4] = {};
    int m_pageCount = 1;
    int m_currentPage = 0;
    int m_zoom = 1;
    QPointF m_mouseUp;
    double m_referenceLeft = 0;
    double m_referenceTop = 0;
    bool m_unloaded = false;
    int m_lastFailedPage = -1;
};

// How a document window prints: records one document on the program's
// printer through layout, which returns the message to show when it cannot
// draw its page, and shows it in the preview; pdf, when given, is what the
// preview's PDF button writes. A page that could not be drawn is never
// offered as a PDF. Afterwards the status panel is idle. False when the
// document could not be recorded (the reason has been shown) and no preview
// opened.
bool AnteprimaDocumento(QWidget* parent, Database* db,
                        const std::function<QString(PageRecorder&)>& layout,
                        std::optional<PdfExportRequest> pdf = std::nullopt);

// The shared wording of an error met while printing.
QString testoErroreStampa(const QString& description);

// Empties STAMPA and writes one row per page, numbered from 1.
bool RiempiStampa(Database& db, int pageCount, QString* error);
