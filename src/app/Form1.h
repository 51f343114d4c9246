#pragma once

#include "app/SheetBuilder.h"
#include "card/Sheet.h"
#include "store/CardStore.h"
#include "store/Module1.h"
#include "store/StoreLocation.h"

#include <QMainWindow>
#include <QVariant>

#include <memory>
#include <optional>

class QMenu;
class QTimer;

namespace tray {
class Module2;
}

namespace store {
class Recovery;
struct Draft;
struct StartUpNotice;
struct RecoveryEntry;
} // namespace store

namespace app {

class CardListModel;
class ListFill;
class ListSearchLine;
class ListMenu;
class EdgeClaims;
class Shortcuts;
class WindowFit;

// The program's one window: the side panel, the five-page sheet and every event handler.
class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    // Builds the window and runs the start-up sequence. programDir is the folder of the program:
    // the store and the language packs are looked for there (for an installed copy, the store in the
    // user's data folder and the packs in the installed data folder too).
    explicit Form1(const QString& programDir, QWidget* parent = nullptr);
    ~Form1() override;

    // The settings-write guard of "磁性窗体": null until start-up, 0 while start-up loads the box, 1 after.
    QVariant CtlChk;

    // The sheet, copied to and from a plain snapshot. Pages not built yet keep their values here
    // and show them when they are built.
    card::Sheet readSheet() const;
    void writeSheet(const card::Sheet& sheet);

    // The controls of a page are built the first time it is shown. Whatever needs the controls of
    // every page (rather than the card's values) builds them all first.
    bool isPageBuilt(int page) const;
    void buildPage(int page);
    void buildAllPages();

    void RefreshList();
    // After a card is written: its one line changes as a full refresh would show it (in its place,
    // nothing selected, saving and deleting off), without reading the list again.
    void putListLine(const card::ListEntry& entry);
    void ClearSheet();
    // Puts values on the sheet as typing would: the draft of unsaved edits follows; nothing is stored.
    void editSheet(const card::Sheet& sheet);
    // Keeps the sheet as it stands in "恢复", before a rest or a hit-point step changes it.
    bool keepBeforePlay(QString* error);
    // Picks a stored card as a click on its line does; a search hiding the line is closed first.
    void pickListCard(const QString& name);
    // Renames a stored card with its recovery entries, in one transaction of the store.
    store::Outcome renameStoredCard(const QString& from, const QString& to);
    // After a stored card was renamed: its line moves, and where it is the loaded card it stays
    // loaded and picked under the new name, with the buttons as they were.
    void cardRenamed(const QString& from, const card::ListEntry& entry);

    // The controls built so far: those of a page not built yet are null.
    const SheetWidgets& widgets() const { return m_w; }
    store::CardStore& cards() { return m_cards; }
    QTimer* timer1() const { return m_timer1; }
    QMenu* trayMenu() const { return m_mumTray; }
    // The context menu of List1: the capabilities beyond the buttons add their items to it.
    ListMenu* listMenu() const { return m_listMenu; }
    // Whether the list is still being filled from the store in slices.
    bool isListFilling() const;
    // The search line over List1.
    ListSearchLine* searchLine() const { return m_searchLine; }

    // The safety net under the card operations: drafts of unsaved edits, written half a second after
    // the typing pauses, when the focus leaves a field, and at once before the sheet is cleared or
    // replaced; and the dialog "恢复".
    static constexpr int DraftDelayMs = 500;
    static constexpr int TellDraftsAfterMs = 250;
    // Writes the draft of unsaved edits, if any: whether they are kept (or there are none).
    bool flushDraft();
    // The desktop session ends, or the program quits: no question can be answered now. A draft the
    // recovery store cannot take goes to one of its own in the user's data folder, which the next
    // start carries back into the recovery store.
    void keepDraftAtSessionEnd();
    void openRecovery();
    void restoreEntry(const store::RecoveryEntry& entry);

    // Timer1 polls the mouse every 15 ms, and every 60 ms once it has rested for a quarter second.
    static constexpr int Timer1IntervalMs = 15;
    static constexpr int Timer1RestingIntervalMs = 60;

    // Title of the program's own message boxes.
    static QString messageTitle();

signals:
    // The controls of a page have just been built and show the card's current values.
    void pageBuilt(int page);

public slots:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void List1_Click();
    void Combo1_Click();
    void Combo2_Click();
    void CheckSet_Click();
    void TabStrip1_Click();
    void LabelLR_Click();
    void Timer1_Timer();
    void mumTrayAbout_Click();
    void mumTrayClose_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend struct Form1Seam;

    void startUp(const store::StartUpNotice& notice);
    void buildMenu();
    void readSettings(QString* lng);
    void checkLanguage(const QString& lng);
    // The card picked in the list: the selected line's, or the one whose line a search hides.
    QString selectedListName() const;
    int selectedListRow() const;
    bool hasPick() const;
    void dropPick();
    // Selects a shown line without loading its card again; false where the line is not shown.
    bool selectLine(const QString& name);
    // Picks a stored card as a click on its line would, whether its line is shown or not.
    void pickCard(const QString& name);
    void listSelectionChanged();
    void removeListLine(const QString& name);
    bool finishListFill();
    void listRefreshed();
    void searchList(const QString& text);
    void setCardButtons(bool add, bool saveAndDelete);
    bool saveSheet();
    void showFailure(const QString& error);
    void setUpRecovery();
    // Table play from List1's menu.
    void setUpPlay();
    void sheetReplaced(const QString& name, bool isNew);
    void cardStored(const card::Sheet& sheet, const QString& name);
    store::Draft draftOf(const card::Sheet& sheet) const;
    // Before the window closes: whether the edits are kept, saved, or given up by the user's choice.
    bool editsSettledForClose();
    void takeBackSessionDrafts();
    void tellUnsavedDrafts();
    void reportBackupFailure(const QString& notice);

    QString m_programDir;
    store::StoreLocation m_location; // where the store was found, and what to say about it at start-up
    std::unique_ptr<store::Module1> m_db;
    std::unique_ptr<store::Recovery> m_recovery;
    store::CardStore m_cards;
    SheetWidgets m_w;
    std::unique_ptr<SheetBuilder> m_builder;
    card::Sheet m_values; // the card's values, read by the pages not built yet
    CardListModel* m_listModel = nullptr;
    ListMenu* m_listMenu = nullptr;
    Shortcuts* m_shortcuts = nullptr;
    WindowFit* m_fit = nullptr;
    ListFill* m_listFill = nullptr;
    ListSearchLine* m_searchLine = nullptr;
    int m_selectedAtPress = -1; // the list row that was selected when the mouse went down
    QString m_hiddenPick;       // the card picked whose line the search hides
    bool m_selectingOnly = false;
    bool m_starting = true;
    QPoint m_lastCursor;  // where Timer1 last saw the mouse
    int m_stillTicks = 0; // ticks since the mouse last moved
    QTimer* m_timer1 = nullptr;
    EdgeClaims* m_edgeClaims = nullptr; // what the window hidden at an edge claims of the screen
    QMenu* m_mumTray = nullptr;
    std::unique_ptr<tray::Module2> m_tray;
    // What the sheet holds: a stored card (by name) or a new sheet, as loaded or last stored.
    QString m_draftName;
    bool m_draftIsNew = true;
    qint64 m_draftId = 0; // the new sheet's draft, once written
    card::Sheet m_baseline;
    std::optional<card::Sheet> m_lastDraft;
    QTimer* m_draftTimer = nullptr;
    QObject* m_editWatcher = nullptr; // gone before the window's widgets, whose focus moves as they go
    bool m_restoring = false;
    bool m_backupReported = false;
    bool m_draftFailureReported = false;
    QString m_draftError; // why the last draft could not be written
};

} // namespace app
