// Table play in the window: the rests and the hit-point dialog on the sheet as it stands, the stored
// card as text, renaming, the roster and the hint of an empty list, driven through List1's menu.
#include "Form1Seam.h"
#include "RawDb.h"
#include "StoreProbe.h"
#include "WindowDriver.h"
#include "WindowTest.h"
#include "app/Form1.h"
#include "app/dialogs/MessageBox.h"
#include "app/dialogs/Notice.h"
#include "app/list/CardListView.h"
#include "app/list/ListMenu.h"
#include "app/list/ListSearchLine.h"
#include "app/play/HitPointsDialog.h"
#include "app/play/PlayActions.h"
#include "app/play/RosterDialog.h"
#include "app/play/RosterModel.h"
#include "play/CardText.h"
#include "store/RecoveryEntries.h"
#include "store/recovery/Recovery.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using app::Form1;

namespace {

card::Sheet fighter(const QString& name, const QString& level = QStringLiteral("3"))
{
    card::Sheet s;
    s.text[card::NameField] = name;
    s.text[card::LevelField] = level;
    s.text[card::MaxHitPointsField] = QStringLiteral("30");
    s.text[card::BloodiedValueField] = QStringLiteral("15");
    s.text[card::SurgeValueField] = QStringLiteral("7");
    s.text[card::SurgesPerDayField] = QStringLiteral("8");
    s.text[card::CurrentHitPointsField] = QStringLiteral("20");
    s.text[card::CurrentSurgesField] = QStringLiteral("2");
    s.text[card::TemporaryHitPointsField] = QStringLiteral("5");
    return s;
}

} // namespace

class TestPlayActions : public kit::WindowTest
{
    Q_OBJECT

private:
    app::PlayActions& play() { return *form().findChild<app::PlayActions*>(); }
    card::Sheet stored(const QString& name)
    {
        const store::LoadResult result = form().cards().load(name);
        card::Sheet sheet;
        card::applyCardRecord(result.record, sheet);
        return sheet;
    }
    QString selectedName()
    {
        const QModelIndexList selected = form().widgets().list1->selectionModel()->selectedIndexes();
        return selected.isEmpty() ? QString() : selected.first().data(Qt::UserRole + 1).toString();
    }

private slots:
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    void aLongRestChangesTheSheetAndOnlySavingStoresIt()
    {
        // Nothing loaded and nothing being added: no sheet to rest.
        QAction* rest = menuAction(QString(), QStringLiteral("长休"));
        QVERIFY(rest && !rest->isEnabled());
        addCard(fighter(QStringLiteral("Ann")));
        pick(QStringLiteral("Ann"));
        rest = menuAction(QStringLiteral("Ann"), QStringLiteral("长休"));
        QVERIFY(rest->isEnabled());
        rest->trigger();
        const card::Sheet sheet = form().readSheet();
        QCOMPARE(sheet.text[card::CurrentHitPointsField], QStringLiteral("30"));
        QCOMPARE(sheet.text[card::CurrentSurgesField], QStringLiteral("8"));
        QVERIFY(sheet.text[card::TemporaryHitPointsField].isEmpty());
        QVERIFY(app::Notice::current() && app::Notice::current()->text().contains(QStringLiteral("Ann")));
        // An edit as typing makes one: the draft follows, the store does not.
        QVERIFY(app::Form1Seam::draftTimer(form())->isActive());
        QCOMPARE(stored(QStringLiteral("Ann")).text[card::CurrentHitPointsField], QStringLiteral("20"));
        QVERIFY(form().flushDraft());
        QVERIFY(app::Form1Seam::recovery(form()).drafts().hasCard(QStringLiteral("Ann")));
        form().Command3_Click();
        QCOMPARE(stored(QStringLiteral("Ann")).text[card::CurrentHitPointsField], QStringLiteral("30"));
        QCOMPARE(stored(QStringLiteral("Ann")).text[card::CurrentSurgesField], QStringLiteral("8"));
    }

    void theSheetBeforeARestIsKeptInRecoveryAndComesBack()
    {
        addCard(fighter(QStringLiteral("Ann")));
        pick(QStringLiteral("Ann"));
        menuAction(QStringLiteral("Ann"), QStringLiteral("短休"))->trigger();
        menuAction(QStringLiteral("Ann"), QStringLiteral("长休"))->trigger();
        QCOMPARE(form().readSheet().text[card::CurrentHitPointsField], QStringLiteral("30"));
        // The latest one only: the sheet after the short rest, before the long one.
        QList<store::RecoveryEntry> kept;
        for (const store::RecoveryEntry& e :
             store::recoveryEntries(app::Form1Seam::recovery(form()), form().cards()).entries) {
            if (e.kind == store::RecoveryEntry::Kind::BeforePlay)
                kept << e;
        }
        QVERIFY2(kept.size() == 1, qPrintable(app::Notice::current()->text()));
        QCOMPARE(store::kindText(kept[0].kind), QStringLiteral("改动前"));
        QCOMPARE(kept[0].name, QStringLiteral("Ann"));
        QCOMPARE(kept[0].draft.sheet.text[card::CurrentHitPointsField], QStringLiteral("20"));
        QVERIFY(kept[0].draft.sheet.text[card::TemporaryHitPointsField].isEmpty());
        // Renaming the card takes it along.
        QVERIFY(play().renameTo(QStringLiteral("Ann"), QStringLiteral("Eve")));
        for (const store::RecoveryEntry& e :
             store::recoveryEntries(app::Form1Seam::recovery(form()), form().cards()).entries) {
            if (e.kind == store::RecoveryEntry::Kind::BeforePlay && e.name == QStringLiteral("Eve"))
                form().restoreEntry(e);
        }
        QCOMPARE(selectedName(), QStringLiteral("Eve"));
        QCOMPARE(form().readSheet().text[card::NameField], QStringLiteral("Eve"));
        QCOMPARE(form().readSheet().text[card::CurrentHitPointsField], QStringLiteral("20"));
        QVERIFY(app::Form1Seam::draftTimer(form())->isActive());
        QCOMPARE(stored(QStringLiteral("Eve")).text[card::CurrentHitPointsField], QStringLiteral("20"));
    }

    void theHitPointDialogAppliesDamageAndShowsARefusal()
    {
        addCard(fighter(QStringLiteral("Ann")));
        pick(QStringLiteral("Ann"));
        menuAction(QStringLiteral("Ann"), QStringLiteral("生命值…"))->trigger();
        app::HitPointsDialog* dialog = play().hitPointsDialog();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->shownValues(), QStringLiteral("20/30/5/2"));
        dialog->amount()->setValue(8);
        dialog->button(app::HitPointsDialog::Damage)->click();
        // The temporary hit points take the first 5.
        QCOMPARE(form().readSheet().text[card::CurrentHitPointsField], QStringLiteral("17"));
        QVERIFY(form().readSheet().text[card::TemporaryHitPointsField].isEmpty());
        QCOMPARE(dialog->shownValues(), QStringLiteral("17/30/—/2"));
        QCOMPARE(stored(QStringLiteral("Ann")).text[card::CurrentHitPointsField], QStringLiteral("20"));
        // A field that holds no number refuses the step, which changes nothing.
        card::Sheet broken = form().readSheet();
        broken.text[card::CurrentHitPointsField] = QStringLiteral("很多");
        form().writeSheet(broken);
        dialog->button(app::HitPointsDialog::Damage)->click();
        QVERIFY(dialog->status()->text().contains(QStringLiteral("当前生命值")));
        QCOMPARE(form().readSheet(), broken);
    }

    void copyAsTextTakesTheStoredCard()
    {
        addCard(fighter(QStringLiteral("Ann")));
        pick(QStringLiteral("Ann"));
        card::Sheet edited = form().readSheet();
        edited.text[card::CurrentHitPointsField] = QStringLiteral("1");
        form().writeSheet(edited);
        menuAction(QStringLiteral("Ann"), QStringLiteral("复制为文字"))->trigger();
        const QString text = QGuiApplication::clipboard()->text();
        QCOMPARE(text, play::cardText(stored(QStringLiteral("Ann"))));
        QVERIFY(text != play::cardText(edited));
        QVERIFY(app::Notice::current() && app::Notice::current()->text().contains(QStringLiteral("Ann")));
    }

    void printPreviewShowsTheFivePagesOfTheStoredCard()
    {
        addCard(fighter(QStringLiteral("Ann")));
        // The preview is modal: it is looked at, and closed, from inside its own event loop.
        QString title;
        int pages = -1;
        QTimer::singleShot(0, this, [&title, &pages] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* preview = qobject_cast<QPrintPreviewDialog*>(modal)) {
                title = preview->windowTitle();
                if (auto* widget = preview->findChild<QPrintPreviewWidget*>())
                    pages = widget->pageCount();
            }
            if (modal)
                modal->close();
        });
        menuAction(QStringLiteral("Ann"), QStringLiteral("打印预览…"))->trigger();
        QCOMPARE(title, QStringLiteral("打印预览：Ann"));
        QCOMPARE(pages, 5); // one page per tab page, nothing too long for its box
        QVERIFY(!QApplication::activeModalWidget());
    }

    void aCardGoneFromTheStoreIsSaidAndNothingIsTaken()
    {
        addCard(fighter(QStringLiteral("Ann")));
        QAction* copy = menuAction(QStringLiteral("Ann"), QStringLiteral("复制为文字"));
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        {
            kit::RawDb raw(storePath()); // another program deletes the card; its line is still shown
            QVERIFY(raw.exec(QStringLiteral("DELETE FROM card WHERE Nae = 'Ann'")));
        }
        copy->trigger();
        QCOMPARE(kit::lastBoxText(), QStringLiteral("找不到角色卡“Ann”，它可能已被删除。"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
        MessageBox::clearHistory();
        QVERIFY(!play().renameTo(QStringLiteral("Ann"), QStringLiteral("Bea")));
        QCOMPARE(kit::lastBoxText(), QStringLiteral("找不到角色卡“Ann”，它可能已被删除。"));
        QCOMPARE(probe::rows(storePath(), QStringLiteral("SELECT Nam FROM lstt")),
                 (QList<QStringList>{{"Ann"}}));
    }

    void renameRefusesTakenAndRefusedNamesAndKeepsTheCardLoaded()
    {
        addCard(fighter(QStringLiteral("Ann")));
        addCard(fighter(QStringLiteral("Bob")));
        pick(QStringLiteral("Ann"));
        card::Sheet edited = form().readSheet();
        edited.text[card::CurrentHitPointsField] = QStringLiteral("4");
        form().editSheet(edited);

        QVERIFY(!play().renameTo(QStringLiteral("Ann"), QStringLiteral("Bob")));
        QCOMPARE(kit::lastBoxText(), QStringLiteral("已有名为“Bob”的角色卡。"));
        QVERIFY(!play().renameTo(QStringLiteral("Ann"), QStringLiteral("A@n")));
        QVERIFY(!play().renameTo(QStringLiteral("Ann"), QStringLiteral("A-n")));
        QVERIFY(!play().renameTo(QStringLiteral("Ann"), QString()));
        QCOMPARE(probe::rows(storePath(), QStringLiteral("SELECT Nae FROM card ORDER BY Nae")),
                 (QList<QStringList>{{"Ann"}, {"Bob"}}));

        QVERIFY2(play().renameTo(QStringLiteral("Ann"), QStringLiteral("Cat")),
                 qPrintable(kit::lastBoxText()));
        QCOMPARE(probe::rows(storePath(), QStringLiteral("SELECT Nae FROM card ORDER BY Nae")),
                 (QList<QStringList>{{"Bob"}, {"Cat"}}));
        QCOMPARE(probe::rows(storePath(), QStringLiteral("SELECT Nam, lv FROM lstt ORDER BY Nam")),
                 (QList<QStringList>{{"Bob", "3"}, {"Cat", "3"}}));
        // The draft of the unsaved edit went with the card.
        QVERIFY(app::Form1Seam::recovery(form()).drafts().hasCard(QStringLiteral("Cat")));
        QVERIFY(!app::Form1Seam::recovery(form()).drafts().hasCard(QStringLiteral("Ann")));
        // Still loaded and picked, the edit still on the sheet, saving and deleting as they were.
        QCOMPARE(selectedName(), QStringLiteral("Cat"));
        QCOMPARE(form().readSheet().text[card::NameField], QStringLiteral("Cat"));
        QCOMPARE(form().readSheet().text[card::CurrentHitPointsField], QStringLiteral("4"));
        QVERIFY(form().widgets().command[2]->isEnabled() && form().widgets().command[3]->isEnabled());
        QVERIFY(rowOf(QStringLiteral("Ann")) < 0);
        const int messages = MessageBox::history().size();
        form().Command3_Click();
        QCOMPARE(MessageBox::history().size(), messages);
        QCOMPARE(stored(QStringLiteral("Cat")).text[card::CurrentHitPointsField], QStringLiteral("4"));
    }

    void theRenameDialogTakesANameAsTheNameFieldDoesAndStaysOpenWhenRefused()
    {
        addCard(fighter(QStringLiteral("Ann")));
        addCard(fighter(QStringLiteral("Bob")));
        menuAction(QStringLiteral("Ann"), QStringLiteral("重命名…"))->trigger();
        QDialog* dialog = play().renameDialog();
        QVERIFY(dialog && dialog->isVisible());
        auto* line = dialog->findChild<QLineEdit*>(QStringLiteral("RenameLine"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("RenameButtons"));
        QCOMPARE(line->text(), QStringLiteral("Ann"));
        line->clear();
        QTest::keyClicks(line, QStringLiteral("B@o-b"));
        QCOMPARE(line->text(), QStringLiteral("Bob"));
        buttons->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(kit::lastBoxText(), QStringLiteral("已有名为“Bob”的角色卡。"));
        QVERIFY(dialog->isVisible());
        line->setText(QStringLiteral("Dan"));
        buttons->button(QDialogButtonBox::Ok)->click();
        QVERIFY(!play().renameDialog() || !play().renameDialog()->isVisible());
        QVERIFY(rowOf(QStringLiteral("Dan")) >= 0 && rowOf(QStringLiteral("Ann")) < 0);
    }

    void theRosterSortsByLevelAndAPickLoadsTheCard()
    {
        addCard(fighter(QStringLiteral("Ann"), QStringLiteral("10")));
        addCard(fighter(QStringLiteral("Bob"), QStringLiteral("2")));
        addCard(fighter(QStringLiteral("Cat"), QStringLiteral("新手")));
        menuAction(QString(), QStringLiteral("角色卡总览…"))->trigger();
        app::RosterDialog* roster = play().rosterDialog();
        QVERIFY(roster && roster->isVisible() && !roster->isModal());
        roster->table()->sortByColumn(1, Qt::AscendingOrder);
        QStringList names;
        for (int r = 0; r < roster->model()->rowCount(); ++r)
            names << roster->model()->name(r);
        QCOMPARE(names, (QStringList{"Bob", "Ann", "Cat"}));

        // A search of the list hiding the card is closed by the pick.
        form().searchLine()->open(QStringLiteral("Cat"));
        QVERIFY(rowOf(QStringLiteral("Ann")) < 0);
        roster->findLine()->setText(QStringLiteral("an"));
        QCOMPARE(roster->model()->rowCount(), 1);
        roster->table()->setCurrentIndex(roster->model()->index(0, 0));
        QTest::keyClick(roster->table(), Qt::Key_Return);
        QVERIFY(!form().searchLine()->isOpen());
        QCOMPARE(selectedName(), QStringLiteral("Ann"));
        QCOMPARE(form().readSheet().text[card::LevelField], QStringLiteral("10"));
        QVERIFY(form().widgets().command[2]->isEnabled());
        QVERIFY(roster->isVisible());
    }

    void anEmptyStoreShowsHowToAddTheFirstCard()
    {
        auto* view = dynamic_cast<app::CardListView*>(form().widgets().list1);
        QVERIFY(view);
        QCOMPARE(view->emptyHint(), QStringLiteral("还没有角色卡：按“准备新增”，填写名字，再按“新增”。"));
        addCard(fighter(QStringLiteral("Ann")));
        QVERIFY(view->emptyHint().isEmpty());
        // A search that finds nothing is not an empty store.
        form().searchLine()->open(QStringLiteral("zzz"));
        QCOMPARE(form().widgets().list1->model()->rowCount(), 0);
        QVERIFY(view->emptyHint().isEmpty());
    }
};

QTEST_MAIN(TestPlayActions)
#include "testPlayActions.moc"
