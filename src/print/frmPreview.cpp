#include "frmPreview.h"

#include "ApplicationPrinter.h"
#include "Database.h"
#include "DocumentPreview.h"
#include "FrmStampa.h"
#include "MessageBox.h"
#include "PainterTarget.h"
#include "PreviewGeometry.h"
#include "PreviewPicture.h"
#include "PrintRun.h"
#include "PrinterJob.h"
#include "PrinterSystem.h"
#include "WaitCursor.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

frmPreview::frmPreview(PrintRun& run, QWidget* parent, Database* db,
                       std::optional<PdfExportRequest> pdf)
    : QDialog(parent), m_run(run), m_db(db), m_pdf(std::move(pdf))
{
    setWindowTitle(QStringLiteral("Anteprima di Stampa"));
    setObjectName(QStringLiteral("frmPreview"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    makeToolBar();

    m_pic = new PreviewPicture;
    m_area = new QScrollArea(this);
    m_area->setObjectName(QStringLiteral("PageView"));
    m_area->setWidget(m_pic);
    m_area->setAlignment(Qt::AlignCenter);
    m_area->setBackgroundRole(QPalette::Dark);
    m_area->setFrameShape(QFrame::NoFrame);
    m_area->horizontalScrollBar()->setObjectName(QStringLiteral("HScroll1"));
    m_area->verticalScrollBar()->setObjectName(QStringLiteral("VScroll1"));
    // Page Up and Page Down turn pages: neither the area nor its bars may
    // take them.
    for (QWidget* w : std::initializer_list<QWidget*>{m_area, m_area->horizontalScrollBar(),
                                                      m_area->verticalScrollBar()})
        w->setFocusPolicy(Qt::NoFocus);
    m_area->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_barra);
    layout->addWidget(m_area, 1);

    connect(m_pic, &PreviewPicture::mouseUp, this, &frmPreview::Pic_MouseUp);
    connect(m_pic, &PreviewPicture::clicked, this, &frmPreview::Pic_Click);

    // A large window, within the screen it opens on.
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    setMinimumSize(320, 240);
    resize(available.size() * 0.9);
    move(available.center() - rect().center());

    Form_Load();
}

void frmPreview::makeToolBar()
{
    m_barra = new QToolBar(this);
    m_barra->setObjectName(QStringLiteral("Barra"));
    m_barra->setMovable(false);

    m_stampa = new QPushButton(QStringLiteral("&Stampa ..."));
    m_stampa->setObjectName(QStringLiteral("Stampa"));
    m_pdfButton = new QPushButton(QStringLiteral("&Esporta PDF ..."));
    m_pdfButton->setObjectName(QStringLiteral("PDF"));
    for (QPushButton* b : {m_stampa, m_pdfButton}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
    }
    connect(m_stampa, &QPushButton::clicked, this, &frmPreview::Stampa_Click);
    connect(m_pdfButton, &QPushButton::clicked, this, &frmPreview::PDF_Click);

    auto* navigator = new QWidget;
    navigator->setObjectName(QStringLiteral("ScorriPagine"));
    auto* navLayout = new QHBoxLayout(navigator);
    navLayout->setContentsMargins(0, 0, 0, 0);
    const struct
    {
        const char* name;
        const char* text;
        const char* tip;
        PageAction action;
    } buttons[] = {{"Prima", "|<", "Prima pagina (Inizio)", First},
                   {"Precedente", "<", "Pagina precedente (PgSu)", Previous},
                   {"Successiva", ">", "Pagina successiva (PgGiù)", Next},
                   {"Ultima", ">|", "Ultima pagina (Fine)", Last}};
    m_caption = new QLabel(QStringLiteral("Pagina 1"), navigator);
    m_caption->setObjectName(QStringLiteral("ScorriPagineCaption"));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setMinimumWidth(
        fontMetrics().horizontalAdvance(QStringLiteral("Pagina 00000/00000")));
    for (int i = 0; i < 4; ++i) {
        auto* b = new QToolButton(navigator);
        b->setObjectName(QString::fromLatin1(buttons[i].name));
        b->setText(QString::fromLatin1(buttons[i].text));
        b->setToolTip(QString::fromUtf8(buttons[i].tip));
        b->setFocusPolicy(Qt::NoFocus);
        const int action = buttons[i].action;
        connect(b, &QToolButton::clicked, this, [this, action] { ScorriPagine_Validate(action); });
        m_navigation[i] = b;
        navLayout->addWidget(b);
        if (i == 1)
            navLayout->addWidget(m_caption);
    }

    m_barra->addWidget(m_stampa);
    m_pdfAction = m_barra->addWidget(m_pdfButton);
    m_barra->addSeparator();
    m_barra->addWidget(navigator);
}

frmPreview::~frmPreview()
{
    Form_Unload();
}

QString frmPreview::caption() const
{
    return m_caption->text();
}

double frmPreview::screenDpi() const
{
    const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
    return shown ? shown->logicalDotsPerInchX() : 96.0;
}

void frmPreview::Form_Load()
{
    m_pageCount = m_run.pageCount();
    m_currentPage = 0;
    m_zoom = 1;

    if (m_db && m_db->isOpen()) {
        QString error;
        if (!writePageRows(*m_db, m_pageCount, &error))
            MessageBox::error(this, error);
    }
    ScorriPagine_Validate(First);
    // A toolbar shows and hides its widgets through their actions.
    m_pdfAction->setVisible(!pdfPath().isEmpty());
    for (QToolButton* b : m_navigation)
        b->setEnabled(m_pageCount > 1);
}

void frmPreview::ScorriPagine_Validate(int action)
{
    if (m_pageCount <= 1)
        return;
    int page = m_currentPage;
    switch (action) {
    case First:
        page = 1;
        break;
    case Previous:
        page = std::max(1, m_currentPage - 1);
        break;
    case Next:
        page = std::min(m_pageCount, m_currentPage + 1);
        break;
    case Last:
        page = m_pageCount;
        break;
    default:
        return;
    }
    if (page == m_currentPage)
        return;
    m_currentPage = page;
    m_caption->setText(QStringLiteral("Pagina %1/%2").arg(page).arg(m_pageCount));
    setupPreview();
    replay();
}

void frmPreview::setupPreview()
{
    const QSizeF paper = m_run.paperTwips();
    const PreviewGeometry g =
        computePreviewGeometry(size(), m_barra->height(), paper, m_zoom, screenDpi());
    if (g.picture.isEmpty())
        return;
    m_pic->resize(g.picture);
    m_pic->setPaperTwips(paper);
    QImage& image = m_pic->image();
    if (image.size() != g.picture)
        image = QImage(g.picture, QImage::Format_RGB32);
    image.fill(Qt::white);
    m_previewScale = g.previewScale;
}

void frmPreview::replay()
{
    QImage& image = m_pic->image();
    const QSizeF paper = m_pic->paperTwips();
    QString error;
    bool replayed = false;
    if (!image.isNull() && paper.width() > 0) {
        QPainter painter(&image);
        PainterTarget target(painter, PainterTarget::Kind::Preview, image.width() / paper.width());
        // A document of one page never moves the navigator off 0.
        replayed = m_run.ReplayPage(std::max(m_currentPage, 1) - 1, target, &error);
    }
    if (!replayed && m_lastFailedPage != m_currentPage) {
        // Said once per page: a page that cannot be read stays blank.
        m_lastFailedPage = m_currentPage;
        MessageBox::error(this, error);
    }
    m_pic->update();
}

void frmPreview::Form_Resize()
{
    setupPreview();
    replay();
    // Zoomed in, the clicked point comes to the middle of the view, as near
    // as the page's edges allow; at zoom 1 the whole page is in view.
    QScrollBar* h = m_area->horizontalScrollBar();
    QScrollBar* v = m_area->verticalScrollBar();
    const QSizeF paper = m_pic->paperTwips();
    if (m_zoom == 2 && paper.width() > 0 && paper.height() > 0) {
        const QSize view = m_area->viewport()->size();
        h->setValue(int(m_mouseUp.x() / paper.width() * m_pic->width()) - view.width() / 2);
        v->setValue(int(m_mouseUp.y() / paper.height() * m_pic->height()) - view.height() / 2);
    } else {
        h->setValue(0);
        v->setValue(0);
    }
}

void frmPreview::Pic_MouseUp(QPointF twips)
{
    m_mouseUp = twips;
}

void frmPreview::Pic_Click()
{
    m_zoom = m_zoom + 1 > 2 ? 1 : m_zoom + 1;
    Form_Resize();
}

void frmPreview::Stampa_Click()
{
    PrinterSystem& printers = PrinterSystem::current();
    if (printers.printers().isEmpty()) {
        MessageBox::warning(this, QStringLiteral("Nessuna stampante installata"));
        return;
    }
    FrmStampa selection(PageRange{1, m_pageCount}, this, printers);
    selection.exec();
    const std::optional<PageRange> range = selection.chosenRange();
    if (range && range->last != 0) {
        QString error;
        bool printed = false;
        {
            const WaitCursor wait;
            PrinterJob job(applicationPrinter());
            printed = job.PrintPages(m_run, range->first, range->last, &error);
        }
        if (!printed) {
            MessageBox::error(this, printErrorText(error));
            // The preview goes on showing the page.
            setupPreview();
            replay();
            return;
        }
    }
    accept();
}

void frmPreview::PDF_Click()
{
    if (!m_pdf)
        return;
    if (m_pageCount != 0) {
        QString error;
        bool viewer = false;
        bool written = false;
        {
            const WaitCursor wait;
            written = ExportPdf(m_run, 1, m_pageCount, *m_pdf, &error, &viewer);
        }
        if (!written) {
            MessageBox::error(this, error);
            setupPreview();
            replay();
            return;
        }
        if (!viewer)
            MessageBox::warning(
                this, QStringLiteral("Il file PDF è stato salvato in %1, ma nessun programma "
                                     "ha potuto aprirlo.")
                          .arg(m_pdf->path));
    }
    accept();
}

void frmPreview::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_run.pages().DeletePageFiles();
}

void frmPreview::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

void frmPreview::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frmPreview::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Resize();
}

bool frmPreview::eventFilter(QObject* watched, QEvent* event)
{
    // With Shift the wheel pans sideways; without, the area pans down and up.
    if (watched == m_area->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ShiftModifier) {
            QScrollBar* h = m_area->horizontalScrollBar();
            h->setValue(h->value() - wheel->angleDelta().y() / 120 * 3 * h->singleStep());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmPreview::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    if (event->key() == Qt::Key_PageDown || event->key() == Qt::Key_PageUp ||
        event->key() == Qt::Key_Home || event->key() == Qt::Key_End) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmPreview::keyReleaseEvent(QKeyEvent* event)
{
    const bool plain =
        (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
    // Page Down and Page Up turn the page; Home and End go to the first and
    // the last.
    int action = 0;
    switch (event->key()) {
    case Qt::Key_PageDown:
        action = Next;
        break;
    case Qt::Key_PageUp:
        action = Previous;
        break;
    case Qt::Key_Home:
        action = First;
        break;
    case Qt::Key_End:
        action = Last;
        break;
    default:
        break;
    }
    if (plain && action != 0 && !event->isAutoRepeat()) {
        ScorriPagine_Validate(action);
        event->accept();
        return;
    }
    QDialog::keyReleaseEvent(event);
}
