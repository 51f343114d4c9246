// The safety net of the main window: drafts of edits left by a pick, a close or a pause in the typing,
// deleted cards brought back through "恢复", and the automatic backup that fails.
#include "Form1Seam.h"
#include "RawDb.h"
#include "WindowTest.h"
#include "app/Form1.h"
#include "app/dialogs/Notice.h"
#include "app/list/ListFill.h"
#include "app/list/ListMenu.h"
#include "app/list/ListSearchLine.h"
#include "store/recovery/Recovery.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QTimer>
#include <QtTest>

using app::Form1;

class TestForm1Recovery : public kit::WindowTest
{
    Q_OBJECT

private slots:
    void init() { openWindowWithAllPages(); }
    void cleanup() { closeWindow(); }

    void editsLeftByAPickComeBackAndASaveStoresThem()
    {
        addCard(QStringLiteral("Ann"), QStringLiteral("1"), {}, {}, {});
        addCard(QStringLiteral("Bob"), QStringLiteral("2"), {}, {}, {});
        QAction* recover = form().listMenu()->menu()->actions().last();
        QCOMPARE(recover->text(), QStringLiteral("恢复…"));
        form().listMenu()->prepare(QPoint(5, form().widgets().list1->viewport()->height() - 2));
        QVERIFY(recover->isEnabled()); // on no line as well

        pick(0);
        setField(6, QStringLiteral("7"));
        form().widgets().checkF[4]->setChecked(true);
        pick(1); // no question: Bob is loaded as always, Ann's edits are kept aside
        QCOMPARE(field(0), QStringLiteral("Bob"));
        QVERIFY(MessageBox::history().isEmpty());
        pick(0);
        QCOMPARE(field(6), QStringLiteral("1"));
        QVERIFY(app::Notice::current() && app::Notice::current()->text().contains(QStringLiteral("恢复…")));

        const std::optional<store::RecoveryEntry> draft = recoverable(store::RecoveryEntry::Kind::Draft);
        QVERIFY(draft);
        QCOMPARE(draft->name, QStringLiteral("Ann"));
        QCOMPARE(draft->detail, QStringLiteral("2 处与已存的不同"));
        pick(1);
        form().restoreEntry(*draft);
        QCOMPARE(field(0), QStringLiteral("Ann"));
        QCOMPARE(field(6), QStringLiteral("7"));
        QVERIFY(form().widgets().checkF[4]->isChecked());
        QVERIFY(!enabled(form(), 1) && enabled(form(), 2) && enabled(form(), 3));
        form().Command3_Click();
        kit::RawDb raw(storePath());
        QCOMPARE(raw.column(QStringLiteral("SELECT lv FROM lstt WHERE Nam = 'Ann'")),
                 QStringList{QStringLiteral("7")});
        QVERIFY(!recoverable(store::RecoveryEntry::Kind::Draft)); // the save dropped it
        QVERIFY(MessageBox::history().isEmpty());
    }

    void aDraftFindsItsCardWhileItsLineIsNotShown()
    {
        addCard(QStringLiteral("Ann"), QStringLiteral("1"), {}, {}, {});
        addCard(QStringLiteral("Bob"), QStringLiteral("2"), {}, {}, {});
        const auto editAnnAside = [this](const QString& level) {
            pick(0);
            setField(6, level);
            pick(1); // Ann's edits kept aside as a draft
        };
        const auto restoreAndSave = [this](const QString& level) {
            const std::optional<store::RecoveryEntry> draft = recoverable(store::RecoveryEntry::Kind::Draft);
            QVERIFY(draft && draft->name == QStringLiteral("Ann"));
            form().restoreEntry(*draft);
            QCOMPARE(field(0), QStringLiteral("Ann"));
            QCOMPARE(field(6), level);
            QVERIFY(!enabled(form(), 1) && enabled(form(), 2) && enabled(form(), 3));
            form().Command3_Click();
            kit::RawDb raw(storePath());
            QCOMPARE(raw.column(QStringLiteral("SELECT lv FROM lstt WHERE Nam = 'Ann'")), QStringList{level});
        };

        // Its line hidden by a search.
        editAnnAside(QStringLiteral("7"));
        app::Form1Seam::searchLine(form())->open(QStringLiteral("Bob"));
        restoreAndSave(QStringLiteral("7"));
        app::Form1Seam::searchLine(form())->close();

        // A large list still filling, its line not read yet.
        editAnnAside(QStringLiteral("8"));
        m_form.reset();
        {
            kit::RawDb raw(storePath());
            QVERIFY(raw.exec(QStringLiteral("BEGIN")));
            for (int i = 0; i < app::ListFill::SliceRows; ++i)
                QVERIFY(raw.exec(QStringLiteral("INSERT INTO lstt VALUES (?, '1', '', '', '')"),
                                 {QStringLiteral("角色%1").arg(i)}));
            QVERIFY(raw.exec(QStringLiteral("COMMIT")));
        }
        m_form = std::make_unique<Form1>(m_dir->path());
        QVERIFY(form().isListFilling());
        restoreAndSave(QStringLiteral("8"));
    }

    void aNewSheetAndADeletedCardComeBack()
    {
        form().Command1_Click();
        setField(0, QStringLiteral("Cy"));
        setField(25, QStringLiteral("笔记\r\n第二行"));
        form().close(); // closing keeps the draft, and asks nothing
        m_form = std::make_unique<Form1>(m_dir->path());
        // The start tells of the edits left, in a notice that stays and opens "恢复…".
        QTRY_VERIFY(app::Notice::currentAction());
        QCOMPARE(app::Notice::currentAction()->text(), QStringLiteral("上次有未保存的修改：Cy。"));
        const std::optional<store::RecoveryEntry> draft = recoverable(store::RecoveryEntry::Kind::Draft);
        QVERIFY(draft && draft->draft.isNew);
        QCOMPARE(draft->name, QStringLiteral("Cy")); // a new sheet goes by the name typed into it
        form().restoreEntry(*draft);
        QCOMPARE(field(0), QStringLiteral("Cy"));
        QCOMPARE(field(25), QStringLiteral("笔记\r\n第二行"));
        QVERIFY(enabled(form(), 1) && !enabled(form(), 2));
        form().Command2_Click();
        QVERIFY(!recoverable(store::RecoveryEntry::Kind::Draft)); // the add dropped it

        pick(0);
        form().Command4_Click();
        QVERIFY(listTexts().isEmpty());
        const std::optional<store::RecoveryEntry> deleted = recoverable(store::RecoveryEntry::Kind::Deleted);
        QVERIFY(deleted);
        QVERIFY(store::describeEntry(*deleted).contains(QStringLiteral("第二行")));
        form().restoreEntry(*deleted);
        QCOMPARE(listTexts(), QStringList{QStringLiteral("Cy-Lv.---")});
        // Taken meanwhile: said so, nothing changed.
        pick(0);
        form().Command4_Click();
        addCard(QStringLiteral("Cy"), QStringLiteral("9"), {}, {}, {});
        MessageBox::clearHistory();
        form().restoreEntry(*recoverable(store::RecoveryEntry::Kind::Deleted));
        QCOMPARE(lastMessage().text, QStringLiteral("已有名为“Cy”的角色卡，无法恢复。数据库未作改动。"));
        QCOMPARE(listTexts(), QStringList{QStringLiteral("Cy-Lv.9---")});
    }

    void aFailingBackupIsSaidOnceAndStopsNothing()
    {
        QFile blocker(app::Form1Seam::recovery(form()).backupsDir()); // a file where the folder belongs
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        addCard(QStringLiteral("Ann"), QStringLiteral("1"), {}, {}, {});
        QCOMPARE(listTexts(), QStringList{QStringLiteral("Ann-Lv.1---")});
        QVERIFY(app::Notice::current());
        QVERIFY(app::Notice::current()->text().contains(QStringLiteral("已新增")));
        QVERIFY(app::Notice::current()->text().contains(QStringLiteral("自动备份")));
        addCard(QStringLiteral("Bob"), QStringLiteral("1"), {}, {}, {});
        QVERIFY(!app::Notice::current()->text().contains(QStringLiteral("自动备份")));
        QVERIFY(MessageBox::history().isEmpty());
    }

    void typingThatPausesOrLeavesAFieldLeavesADraft()
    {
        form().show();
        form().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form()));
        form().Command1_Click();
        QWidget* name = form().widgets().text[0];
        name->setFocus();
        QTest::keyClicks(name, QStringLiteral("Dee"));
        QVERIFY(app::Form1Seam::draftTimer(form())->isActive());
        form().widgets().text[1]->setFocus(); // leaving the field writes the draft at once
        QVERIFY(!app::Form1Seam::draftTimer(form())->isActive());
        QCOMPARE(recoverable(store::RecoveryEntry::Kind::Draft)->draft.sheet.text[0], QStringLiteral("Dee"));

        QTest::keyClicks(form().widgets().text[1], QStringLiteral("Fighter"));
        QTRY_COMPARE_WITH_TIMEOUT(recoverable(store::RecoveryEntry::Kind::Draft)->draft.sheet.text[1],
                                  QStringLiteral("Fighter"), 10000);
    }
};

QTEST_MAIN(TestForm1Recovery)
#include "testForm1Recovery.moc"
