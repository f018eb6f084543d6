#pragma once

#include "PdfExport.h"

#include <QDialog>
#include <QPointF>
#include <optional>

class Database;
class PreviewPicture;
class PrintRun;
class QAction;
class QLabel;
class QPushButton;
class QScrollArea;
class QToolBar;
class QToolButton;

// "Anteprima di Stampa": one page of the run's recorded document at a time,
// the page navigator, zoom by a click at the clicked point, printing and,
// when pdf is given, PDF export. Closing it deletes the page files.
class frmPreview : public QDialog
{
    Q_OBJECT
public:
    // db receives the STAMPA rows; without one they are not written.
    explicit frmPreview(PrintRun& run, QWidget* parent = nullptr, Database* db = nullptr,
                        std::optional<PdfExportRequest> pdf = std::nullopt);
    ~frmPreview() override;

    int pageCount() const { return m_pageCount; }
    // 1-based; 0 while a document of one page has never been turned.
    int currentPage() const { return m_currentPage; }
    int zoom() const { return m_zoom; }
    QString caption() const;
    // The picture width over the paper width, both in twips, zoom included.
    double previewScale() const { return m_previewScale; }
    // Where the PDF button writes; empty when it is not offered.
    QString pdfPath() const { return m_pdf ? m_pdf->path : QString(); }
    PrintRun& run() const { return m_run; }

    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum PageAction { First = 1, Previous = 2, Next = 3, Last = 4 };

    void Form_Load();
    void ScorriPagine_Validate(int action);
    void Form_Resize();
    void Pic_MouseUp(QPointF twips);
    void Pic_Click();
    void Stampa_Click();
    void PDF_Click();
    void Form_Unload();

    void makeToolBar();
    void setupPreview();
    void replay();
    double screenDpi() const;

    PrintRun& m_run;
    Database* m_db;
    std::optional<PdfExportRequest> m_pdf;

    QToolBar* m_barra = nullptr;
    QPushButton* m_stampa = nullptr;
    QPushButton* m_pdfButton = nullptr;
    QAction* m_pdfAction = nullptr;
    QLabel* m_caption = nullptr;
    QToolButton* m_navigation[4] = {};
    QScrollArea* m_area = nullptr;
    PreviewPicture* m_pic = nullptr;

    int m_pageCount = 1;
    int m_currentPage = 0;
    int m_zoom = 1;
    double m_previewScale = 0;
    QPointF m_mouseUp;
    bool m_unloaded = false;
    int m_lastFailedPage = -1;
};
