#pragma once

#include "StartUp.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

class DailyCopyJob;
class HeldKeys;
class QAction;
class QFrame;
class QLabel;
class QPushButton;
struct AppContext;
struct DailyCopyOutcome;

// The program's main window: menus, the four shortcut buttons, today's date
// and the status panel. Every other window is opened from here, modally.
class Main : public QMainWindow
{
    Q_OBJECT
public:
    static inline const QString kDesignCaption = QStringLiteral("Falmide - EURO");

    explicit Main(AppContext& context, QWidget* parent = nullptr);
    ~Main() override;

    // Start-up: separators, edges, caption, database, heading data, date;
    // then the day's copy starts on a thread of its own.
    StartUpOutcome MDIForm_Load(QString* error);

    // Start-up as the program runs it: the window is shown at once, the
    // commands that need the archives disabled, and the archives are
    // opened (MDIForm_Load) right after its first paint; keys typed
    // meanwhile act once they are open. loaded() tells the outcome; a
    // window closed before then opens nothing and tells none.
    void showAndLoad();
    bool archivesReady() const { return m_archivesReady; }
    // The day's copy is under way.
    bool dailyCopyRunning() const;

    void VoceStampante_Click();
    void VoceAbout_Click();
    void VoceClienti_Click();
    void VoceFornitori_Click();
    void IntUT_Click();
    void VoceMovimenti_Click();
    void VoceFatture_Click();
    void VoceStampaFattura_Click();
    void VoceStampaEtichette_Click();
    void VoceBollo_Click();
    void VoceAndamento_Click();
    void VoceCommercialista_Click();
    void VoceImportaClienti_Click();
    void VoceImportaFornitori_Click();
    void VoceCompArc_Click();
    void VoceRgnChv_Click();
    void VoceSalvaCopia_Click();
    void VoceRicevute_Click();
    void VoceZip_Click();
    void VoceFattureRicevute_Click();
    void VoceVisualizzaFE_Click();
    void VoceInviaPEC_Click();
    void VoceRiceviPEC_Click();
    void VoceImpostazioniPEC_Click();
    void OpStaz_Click(int index);
    void MenuUscita_Click();
    void Exit_Click();

    QAction* voce(const QString& name) const;
    QPushButton* opStaz(int index) const { return m_opStaz.at(std::size_t(index)); }

signals:
    // After showAndLoad(): the archives are open (Ready), or why not, the
    // messages shown already.
    void loaded(StartUpOutcome outcome, const QString& error);
    // The day's copy ended, its outcome said in the status bar.
    void dailyCopyEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    QWidget* buildBarra();
    QWidget* buildPanOpStaz();
    void MDIForm_Resize();
    void updateBorders();
    void offerRepairWhenIdle(const QString& report);
    // Runs `action` once no modal window is open: a message that comes
    // while the user works never lands over another window.
    void whenIdle(std::function<void()> action);
    void loadAfterFirstPaint();
    void setArchivesReady(bool ready);
    void startDailyCopy();
    void dailyCopyDone(const DailyCopyOutcome& outcome);

    AppContext& m_context;
    QLabel* m_stato = nullptr;
    QWidget* m_barra = nullptr;
    QPushButton* m_exit = nullptr;
    QFrame* m_p3d2 = nullptr;
    QLabel* m_giorno = nullptr;
    QLabel* m_finestra = nullptr;
    std::array<QPushButton*, 4> m_opStaz{};
    QLabel* m_dailyCopyPanel = nullptr; // the day's copy, in the status bar
    std::unique_ptr<DailyCopyJob> m_dailyCopy;
    std::unique_ptr<HeldKeys> m_heldKeys;
    bool m_archivesReady = true;
    bool m_loadPending = false;
};
