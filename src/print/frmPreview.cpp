#include "frmPreview.h"

#include "ApplicationPrinter.h"
#include "Database.h"
#include "FrmStampa.h"
#include "MessageBox.h"
#include "PainterTarget.h"
#include "PreviewGeometry.h"
#include "PrintRun.h"
#include "PrinterJob.h"
#include "PrinterSystem.h"
#include "StatusMessage.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>
#include <cmath>

namespace {

constexpr int kScrollMax = 1000;
constexpr double kTwipsPerInch = 1440;

// The hourglass for the length of a print or an export.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

bool AnteprimaDocumento(QWidget* parent, Database* db,
                        const std::function<QString(PageRecorder&)>& layout,
                        std::optional<PdfExportRequest> pdf)
{
    PrintRun run(applicationPrinter());
    PageRecorder& recorder = run.recorder();
    QString error;
    bool shown = false;
    if (recorder.BeginDocument(&error)) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const QString message = layout(recorder);
        QApplication::restoreOverrideCursor();
        const bool ended = recorder.EndDocument(&error);
        if (!message.isEmpty()) {
            pdf.reset();
            Messaggio::avviso(parent, message);
        }
        if (ended) {
            frmPreview preview(run, parent, db, std::move(pdf));
            preview.exec();
            shown = true;
        }
    }
    if (!shown)
        Messaggio::errore(parent, testoErroreStampa(error));
    MessaggioStato(QString(), false);
    return shown;
}

QString testoErroreStampa(const QString& description)
{
    return QStringLiteral("The following Error occurred:\n") + description;
}

bool RiempiStampa(Database& db, int pageCount, QString* error)
{
    if (!db.begin(error))
        return false;
    bool ok = db.execute(QStringLiteral("DELETE FROM STAMPA"), {}, error);
    for (int page = 1; ok && page <= pageCount; ++page)
        ok = db.execute(QStringLiteral("INSERT INTO STAMPA (Pagina) VALUES (?)"), {page}, error);
    if (!ok) {
        db.rollback();
        return false;
    }
    return db.commit(error);
}

PreviewPicture::PreviewPicture(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Pic"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
}

void PreviewPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_image.isNull())
        painter.fillRect(rect(), Qt::white);
    else
        painter.drawImage(0, 0, m_image);
}

void PreviewPicture::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || width() <= 0 || height() <= 0)
        return;
    const QPointF p = event->position();
    emit mouseUp(QPointF(p.x() * m_paper.width() / width(), p.y() * m_paper.height() / height()));
    if (rect().contains(p.toPoint()))
        emit clicked();
}

frmPreview::frmPreview(PrintRun& run, QWidget* parent, Database* db,
                       std::optional<PdfExportRequest> pdf)
    : QDialog(parent), m_run(run), m_db(db), m_pdf(std::move(pdf))
{
    setWindowTitle(QStringLiteral("Anteprima di Stampa"));
    setObjectName(QStringLiteral("frmPreview"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setStyleSheet(QStringLiteral("frmPreview { background: #808080; }"));

    Pic = new PreviewPicture(this);

    CoolBar1 = new QFrame(this);
    CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
    CoolBar1->setFrameShape(QFrame::StyledPanel);
    CoolBar1->setAutoFillBackground(true);
    Barra = new QWidget(CoolBar1);
    Barra->setObjectName(QStringLiteral("Barra"));
    auto* barLayout = new QHBoxLayout(Barra);
    barLayout->setContentsMargins(6, 4, 6, 4);

    Stampa = new QPushButton(QStringLiteral("&Stampa ..."), Barra);
    Stampa->setObjectName(QStringLiteral("Stampa"));
    PDF = new QPushButton(QStringLiteral("&Esporta PDF ..."), Barra);
    PDF->setObjectName(QStringLiteral("PDF"));
    for (QPushButton* b : {Stampa, PDF}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
    }

    ScorriPagine = new QWidget(Barra);
    ScorriPagine->setObjectName(QStringLiteral("ScorriPagine"));
    auto* navLayout = new QHBoxLayout(ScorriPagine);
    navLayout->setContentsMargins(0, 0, 0, 0);
    const struct
    {
        const char* name;
        const char* text;
        const char* tip;
        Azione action;
    } buttons[] = {{"Prima", "|<", "Prima pagina (Inizio)", Prima},
                   {"Precedente", "<", "Pagina precedente (PgSu)", Precedente},
                   {"Successiva", ">", "Pagina successiva (PgGiù)", Successiva},
                   {"Ultima", ">|", "Ultima pagina (Fine)", Ultima}};
    m_caption = new QLabel(QStringLiteral("Pagina 1"), ScorriPagine);
    m_caption->setObjectName(QStringLiteral("ScorriPagineCaption"));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setMinimumWidth(
        fontMetrics().horizontalAdvance(QStringLiteral("Pagina 00000/00000")));
    for (int i = 0; i < 4; ++i) {
        auto* b = new QToolButton(ScorriPagine);
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

    barLayout->addWidget(Stampa);
    barLayout->addWidget(PDF);
    barLayout->addSpacing(12);
    barLayout->addWidget(ScorriPagine);
    barLayout->addStretch(1);

    VScroll1 = new QScrollBar(Qt::Vertical, this);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    for (QScrollBar* s : {VScroll1, HScroll1}) {
        s->setRange(0, kScrollMax);
        s->setSingleStep(25);
        s->setPageStep(200);
        s->setValue(kScrollMax / 2);
        // Page Up and Page Down turn pages; the bars must not take them.
        s->setFocusPolicy(Qt::NoFocus);
    }
    Tappo = new QWidget(this);
    Tappo->setObjectName(QStringLiteral("Tappo"));
    Tappo->setAutoFillBackground(true);

    connect(Stampa, &QPushButton::clicked, this, &frmPreview::Stampa_Click);
    connect(PDF, &QPushButton::clicked, this, &frmPreview::PDF_Click);
    connect(HScroll1, &QScrollBar::valueChanged, this, &frmPreview::HScroll1_Change);
    connect(VScroll1, &QScrollBar::valueChanged, this, &frmPreview::VScroll1_Change);
    connect(Pic, &PreviewPicture::mouseUp, this, &frmPreview::Pic_MouseUp);
    connect(Pic, &PreviewPicture::clicked, this, &frmPreview::Pic_Click);

    // A large window, within the screen it opens on.
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    setMinimumSize(320, 240);
    resize(available.size() * 0.9);
    move(available.center() - rect().center());

    Form_Load();
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

double frmPreview::twipsToPixels(double twips) const
{
    return twips * screenDpi() / kTwipsPerInch;
}

void frmPreview::Form_Load()
{
    m_pageCount = m_run.pageCount();
    m_currentPage = 0;
    m_zoom = 1;

    if (m_db && m_db->isOpen()) {
        QString error;
        if (!RiempiStampa(*m_db, m_pageCount, &error))
            Messaggio::errore(this, error);
    }
    ScorriPagine_Validate(Prima);
    HScroll1->setValue(kScrollMax / 2);
    VScroll1->setValue(kScrollMax / 2);
    PDF->setVisible(!pdfPath().isEmpty());
    for (QToolButton* b : m_navigation)
        b->setEnabled(m_pageCount > 1);
}

void frmPreview::ScorriPagine_Validate(int action)
{
    if (m_pageCount <= 1)
        return;
    int page = m_currentPage;
    switch (action) {
    case Prima:
        page = 1;
        break;
    case Precedente:
        page = std::max(1, m_currentPage - 1);
        break;
    case Successiva:
        page = std::min(m_pageCount, m_currentPage + 1);
        break;
    case Ultima:
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
        computePreviewGeometry(size(), CoolBar1->height(), paper, m_zoom, screenDpi());
    if (g.picture.isEmpty())
        return;
    Pic->resize(g.picture);
    Pic->setPaperTwips(paper);
    QImage& image = Pic->image();
    if (image.size() != g.picture)
        image = QImage(g.picture, QImage::Format_RGB32);
    image.fill(Qt::white);
    m_previewScale = g.previewScale;
}

void frmPreview::replay()
{
    QImage& image = Pic->image();
    const QSizeF paper = Pic->paperTwips();
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
        Messaggio::errore(this, error);
    }
    Pic->update();
}

void frmPreview::Form_Resize()
{
    Pic->hide();
    CoolBar1->setGeometry(0, 0, width(), Barra->sizeHint().height() + 4);
    Barra->setGeometry(2, 2, width() - 4, Barra->sizeHint().height());
    const int bar = CoolBar1->height();
    const int vWidth = VScroll1->sizeHint().width();
    const int hHeight = HScroll1->sizeHint().height();
    const int gap = int(std::lround(twipsToPixels(60)));
    VScroll1->setGeometry(width() - vWidth, bar + gap, vWidth,
                          std::max(0, height() - hHeight - bar - gap));
    HScroll1->setGeometry(0, height() - hHeight, std::max(0, width() - vWidth), hHeight);
    Tappo->setGeometry(VScroll1->x(), HScroll1->y(), vWidth, hHeight);

    setupPreview();
    replay();

    m_referenceLeft = (width() - vWidth - Pic->width()) / 2.0;
    m_referenceTop = bar + (height() - hHeight - bar - Pic->height() - twipsToPixels(400)) / 2.0;

    int h = kScrollMax / 2;
    int v = kScrollMax / 2;
    if (m_zoom == 2) {
        const QSizeF paper = Pic->paperTwips();
        if (paper.width() > 0 && paper.height() > 0) {
            h = std::clamp(int(m_mouseUp.x() / paper.width() * kScrollMax), 0, kScrollMax);
            v = std::clamp(int(m_mouseUp.y() / paper.height() * kScrollMax), 0, kScrollMax);
        }
    }
    const QSignalBlocker blockH(HScroll1);
    const QSignalBlocker blockV(VScroll1);
    HScroll1->setValue(h);
    VScroll1->setValue(v);
    HScroll1_Change();
    VScroll1_Change();
    Pic->show();
    // The bars and the tool bar stay above a zoomed page.
    Pic->lower();
}

void frmPreview::HScroll1_Change()
{
    Pic->move(int(std::lround(m_referenceLeft +
                              (0.5 - double(HScroll1->value()) / kScrollMax) * Pic->width())),
              Pic->y());
}

void frmPreview::VScroll1_Change()
{
    Pic->move(Pic->x(),
              int(std::lround(m_referenceTop +
                              (0.5 - double(VScroll1->value()) / kScrollMax) * Pic->height())));
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
        Messaggio::avviso(this, QStringLiteral("Nessuna stampante installata"));
        return;
    }
    FrmStampa selection(PageRange{1, m_pageCount}, this, printers);
    selection.exec();
    const std::optional<PageRange> range = selection.chosenRange();
    if (range && range->last != 0) {
        QString error;
        bool printed = false;
        {
            WaitCursor wait;
            PrinterJob job(applicationPrinter());
            printed = job.PrintPages(m_run, range->first, range->last, &error);
        }
        if (!printed) {
            Messaggio::errore(this, testoErroreStampa(error));
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
            WaitCursor wait;
            written = ExportPdf(m_run, 1, m_pageCount, *m_pdf, &error, &viewer);
        }
        if (!written) {
            Messaggio::errore(this, error);
            setupPreview();
            replay();
            return;
        }
        if (!viewer)
            Messaggio::avviso(
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

void frmPreview::wheelEvent(QWheelEvent* event)
{
    // The wheel pans a zoomed page as the bars do, two small steps a notch;
    // with Shift it pans sideways.
    const int notches = event->angleDelta().y() / 120;
    QScrollBar* bar = event->modifiers() & Qt::ShiftModifier ? HScroll1 : VScroll1;
    bar->setValue(bar->value() - notches * 2 * bar->singleStep());
    event->accept();
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
        action = Successiva;
        break;
    case Qt::Key_PageUp:
        action = Precedente;
        break;
    case Qt::Key_Home:
        action = Prima;
        break;
    case Qt::Key_End:
        action = Ultima;
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
