// The card operations of the main window: "新增", "保存" and "删除" with their messages, the buttons they
// turn on and off, what reaches the store, and the writes that fail.
#include "CardStoreSeam.h"
#include "Form1Seam.h"
#include "RawDb.h"
#include "WindowTest.h"
#include "app/Form1.h"
#include "app/list/CardListModel.h"
#include "app/list/ListSearchLine.h"
#include "card/CardRecord.h"

#include <QCheckBox>
#include <QFile>
#include <QListView>
#include <QPlainTextEdit>
#include <QtTest>

using app::Form1;

namespace {

const QString RenamedText = QStringLiteral("请不要修改角色名称，如果要新建人物请先点击“新增”按钮。");

} // namespace

class TestForm1Cards : public kit::WindowTest
{
    Q_OBJECT

private slots:
    void init() { openWindowWithAllPages(); }
    void cleanup() { closeWindow(); }

    void buttonStatesFollowEveryEvent()
    {
        addCard(QStringLiteral("Ann"), QStringLiteral("3"), QStringLiteral("Elf"), QStringLiteral("Wizard"),
                QStringLiteral("Good"));
        // After an add: adding stays on, saving and deleting off.
        QVERIFY(enabled(form(), 1) && !enabled(form(), 2) && !enabled(form(), 3));
        pick(0);
        QVERIFY(!enabled(form(), 1) && enabled(form(), 2) && enabled(form(), 3));
        QCOMPARE(field(0), QStringLiteral("Ann"));
        form().Command1_Click(); // prepare: the selection stays, the buttons turn to adding
        QVERIFY(enabled(form(), 1) && !enabled(form(), 2) && !enabled(form(), 3));
        QCOMPARE(field(0), QString());
        QCOMPARE(form().widgets().list1->selectionModel()->selectedIndexes().size(), 1);
        pick(0);
        setField(0, QStringLiteral("edited"));
        chooseMode(1); // a refresh: the sheet stays, nothing selected, save and delete off
        QCOMPARE(field(0), QStringLiteral("edited"));
        QVERIFY(!enabled(form(), 1) && !enabled(form(), 2) && !enabled(form(), 3));
        QCOMPARE(listTexts(), QStringList{QStringLiteral("Lv.3-Elf-Wizard-Ann-Good")});
        QVERIFY(enabled(form(), 0));
    }

    void addRefusesEmptyAndDuplicateNames()
    {
        form().Command1_Click();
        setField(3, QStringLiteral("typed"));
        form().Command2_Click();
        QCOMPARE(lastMessage().title, Title);
        QCOMPARE(lastMessage().text, QStringLiteral("请输入人物名称！"));
        QCOMPARE(lastMessage().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(field(3), QStringLiteral("typed"));

        addCard(QStringLiteral("Ann"), {}, {}, {}, {});
        QCOMPARE(field(0), QString()); // cleared after a successful add
        form().Command1_Click();
        setField(0, QStringLiteral("Ann"));
        setField(3, QStringLiteral("kept"));
        form().Command2_Click();
        QCOMPARE(lastMessage().text,
                 QStringLiteral("对不起，您所要新建角色卡人物名已存在，无法完成本次新建。"));
        QCOMPARE(field(3), QStringLiteral("kept"));
        QVERIFY(enabled(form(), 1));
        QCOMPARE(listTexts().size(), 1);
    }

    void aWholeCardComesBackExactly()
    {
        form().Command1_Click();
        const card::Sheet typed = fullSheet();
        form().writeSheet(typed);
        form().Command2_Click();
        QCOMPARE(listTexts().size(), 1);
        QCOMPARE(form().readSheet().text[0], QString());
        pick(0);
        const card::Sheet loaded = form().readSheet();
        for (int i = 0; i < card::FieldCount; ++i)
            QCOMPARE(loaded.text[i], typed.text[i]);
        QVERIFY(loaded.checkF == typed.checkF);
        QVERIFY(loaded.checkWN == typed.checkWN);
    }

    void saveWritesBackInEveryModeAndRefusesARename()
    {
        addCard(QStringLiteral("Ann"), QStringLiteral("3"), QStringLiteral("Elf"), QStringLiteral("Wizard"),
                QStringLiteral("Good"));
        addCard(QStringLiteral("Bob"), QStringLiteral("1"), QStringLiteral("Dwarf"),
                QStringLiteral("Fighter"), QStringLiteral("Evil"));
        for (int mode : {-1, 1}) {
            chooseMode(mode);
            pick(0);
            setField(26, QStringLiteral("AC%1").arg(mode));
            setField(6, QStringLiteral("4"));
            form().widgets().checkWN[56]->setChecked(mode == 1);
            form().Command3_Click();
            QVERIFY(!enabled(form(), 2) && !enabled(form(), 3));
            pick(0);
            QCOMPARE(field(26), QStringLiteral("AC%1").arg(mode));
            QCOMPARE(form().widgets().checkWN[56]->isChecked(), mode == 1);
        }
        QCOMPARE(listTexts().first(), QStringLiteral("Lv.4-Elf-Wizard-Ann-Good"));
        const int before = MessageBox::history().size();
        setField(0, QStringLiteral("Bob"));
        setField(26, QStringLiteral("overwrite?"));
        form().Command3_Click();
        QCOMPARE(MessageBox::history().size(), before + 1);
        QCOMPARE(lastMessage().text, RenamedText);
        QCOMPARE(lastMessage().title, Title);
        pick(1);
        QCOMPARE(field(26), QString()); // Bob untouched
    }

    void saveOfACardRemovedMeanwhileIsRefused()
    {
        addCard(QStringLiteral("Ann"), {}, {}, {}, {});
        pick(0);
        {
            kit::RawDb raw(storePath());
            QVERIFY(raw.exec(QStringLiteral("DELETE FROM card WHERE Nae = 'Ann'")));
        }
        form().Command3_Click();
        QCOMPARE(lastMessage().text, RenamedText);
        kit::RawDb raw(storePath());
        QCOMPARE(raw.column(QStringLiteral("SELECT Nam FROM lstt")), QStringList{QStringLiteral("Ann")});
        QCOMPARE(raw.column(QStringLiteral("SELECT Nae FROM card")), QStringList{});
    }

    void deleteAsksAndRemovesTheSelectedCard()
    {
        addCard(QStringLiteral("O'Brien"), {}, {}, {}, {});
        addCard(QStringLiteral("Zed"), {}, {}, {}, {});
        pick(0);
        setField(0, QStringLiteral("Zed")); // the selection decides, not field 0
        MessageBox::setNextAnswer(MessageBox::No);
        form().Command4_Click();
        QCOMPARE(lastMessage().title, QStringLiteral("Qlmk"));
        QCOMPARE(lastMessage().text, QStringLiteral("确定要删除本条信息吗？"));
        QCOMPARE(lastMessage().defaultButton, QMessageBox::Yes);
        QCOMPARE(field(0), QStringLiteral("Zed"));
        QCOMPARE(listTexts().size(), 2);
        MessageBox::setNextAnswer(MessageBox::Yes);
        form().Command4_Click();
        QCOMPARE(field(0), QString());
        QCOMPARE(listTexts(), QStringList{QStringLiteral("Zed-Lv.---")});
        QVERIFY(!enabled(form(), 2) && !enabled(form(), 3));
        kit::RawDb raw(storePath());
        QCOMPARE(raw.column(QStringLiteral("SELECT Nae FROM card")), QStringList{QStringLiteral("Zed")});
    }

    void deleteAndSaveLoadNoOtherCard()
    {
        for (const char* name : {"Ann", "Bea", "Cy", "Dee"})
            addCard(QString::fromUtf8(name), QStringLiteral("3"), {}, {}, {});
        card::Sheet empty;
        empty.text[card::ReferenceField] = card::referenceText();
        const auto asAfterAWrite = [this] {
            return nothingSelected() && enabled(form(), 0) && !enabled(form(), 1) && !enabled(form(), 2) &&
                   !enabled(form(), 3);
        };
        // A confirmed delete leaves the sheet empty: what is typed next is a new card's draft.
        pick(1);
        MessageBox::setNextAnswer(MessageBox::Yes);
        form().Command4_Click();
        QVERIFY(form().readSheet() == empty);
        QVERIFY(asAfterAWrite());
        setField(3, QStringLiteral("typed next"));
        form().flushDraft();
        const std::optional<store::RecoveryEntry> draft = recoverable(store::RecoveryEntry::Kind::Draft);
        QVERIFY(draft && draft->draft.isNew);

        // Whatever takes the current line away, the list hands the pick on to no other card.
        pick(1);
        auto* model = qobject_cast<app::CardListModel*>(form().widgets().list1->model());
        model->removeName(QStringLiteral("Cy"));
        QVERIFY(nothingSelected());
        QCOMPARE(field(0), QStringLiteral("Cy"));
        form().RefreshList();

        // Under a search: a saved line that no longer matches goes, the sheet still shows its card.
        form().Command1_Click();
        app::Form1Seam::searchLine(form())->open(QStringLiteral("Lv.3"));
        QCOMPARE(listNames(),
                 (QStringList{QStringLiteral("Ann"), QStringLiteral("Cy"), QStringLiteral("Dee")}));
        pick(0);
        setField(6, QStringLiteral("4"));
        form().Command3_Click();
        QCOMPARE(listNames(), (QStringList{QStringLiteral("Cy"), QStringLiteral("Dee")}));
        QCOMPARE(field(0), QStringLiteral("Ann"));
        QCOMPARE(field(6), QStringLiteral("4"));
        QVERIFY(asAfterAWrite());
        pick(0);
        MessageBox::setNextAnswer(MessageBox::Yes);
        form().Command4_Click();
        QCOMPARE(listNames(), QStringList{QStringLiteral("Dee")});
        QVERIFY(form().readSheet() == empty);
        QVERIFY(asAfterAWrite());
    }

    void aDashInANameNeverReachesAnotherCard()
    {
        // A name with "-" can only come from outside the key filter; the list keeps names beside texts.
        addCard(QStringLiteral("Ann"), {}, {}, {}, {});
        {
            kit::RawDb raw(storePath());
            const card::Sheet empty;
            QVERIFY(raw.exec(QStringLiteral("INSERT INTO card (Nae, Info, Chk) VALUES (?, ?, ?)"),
                             {QStringLiteral("Ann-x"), card::encodeInfo(empty), card::encodeTicks(empty)}));
            QVERIFY(raw.exec(QStringLiteral("INSERT INTO lstt VALUES ('Ann-x', '9', '', '', '')")));
        }
        form().RefreshList();
        QCOMPARE(listTexts(), (QStringList{QStringLiteral("Ann-Lv.---"), QStringLiteral("Ann-x-Lv.9---")}));
        pick(1);
        QCOMPARE(field(0), QStringLiteral("Ann-x"));
        MessageBox::setNextAnswer(MessageBox::Yes);
        form().Command4_Click();
        QCOMPARE(listTexts(), QStringList{QStringLiteral("Ann-Lv.---")});
    }

    void failedWritesKeepTheSheetAndSayWhy()
    {
        addCard(QStringLiteral("Ann"), {}, {}, {}, {});
        pick(0);
        setField(3, QStringLiteral("unsaved"));

        // Another program holds a write transaction: the save waits briefly, then reports.
        {
            kit::RawDb raw(storePath());
            QVERIFY(raw.exec(QStringLiteral("BEGIN IMMEDIATE")));
            form().Command3_Click();
            QCOMPARE(lastMessage().title, Title);
            QVERIFY(lastMessage().text.contains(QStringLiteral("其他程序")));
            QCOMPARE(lastMessage().icon, QMessageBox::Warning);
            raw.exec(QStringLiteral("ROLLBACK"));
        }
        QCOMPARE(field(3), QStringLiteral("unsaved"));
        QVERIFY(enabled(form(), 2)); // list and buttons as they were

        // A failure between the two rows leaves both as they were.
        store::CardStoreSeam::failBetweenRows(form().cards(), true);
        form().Command3_Click();
        QVERIFY(lastMessage().text.contains(QStringLiteral("测试中断")));
        store::CardStoreSeam::failBetweenRows(form().cards(), false);
        form().Command1_Click();
        setField(0, QStringLiteral("Bob"));
        store::CardStoreSeam::failBetweenRows(form().cards(), true);
        form().Command2_Click();
        QCOMPARE(field(0), QStringLiteral("Bob")); // not cleared: nothing was stored
        store::CardStoreSeam::failBetweenRows(form().cards(), false);
        {
            kit::RawDb raw(storePath());
            QCOMPARE(raw.column(QStringLiteral("SELECT Nae FROM card")), QStringList{QStringLiteral("Ann")});
            QCOMPARE(raw.column(QStringLiteral("SELECT Nam FROM lstt")), QStringList{QStringLiteral("Ann")});
            QCOMPARE(raw.column(QStringLiteral("SELECT Info FROM card")), QStringList{QString(286, u'@')});
        }

        // The file vanishes between load and save: reported, never recreated behind the user's back.
        pick(0);
        setField(3, QStringLiteral("unsaved again"));
        QVERIFY(QFile::remove(storePath()));
        form().Command3_Click();
        QVERIFY(lastMessage().text.contains(QStringLiteral("找不到数据库文件")));
        QCOMPARE(field(3), QStringLiteral("unsaved again"));
        QVERIFY(!QFile::exists(storePath()));
        MessageBox::setNextAnswer(MessageBox::Yes);
        form().Command4_Click();
        QCOMPARE(field(3), QStringLiteral("unsaved again")); // a delete that failed clears nothing
    }

    void untouchedNotesAreSavedAsLoaded()
    {
        addCard(QStringLiteral("Ann"), {}, {}, {}, {});
        // Line breaks of other programs: lone CR, lone LF, U+2029, and CR LF beside them.
        const QString racial = QStringLiteral("one\rtwo\nthree\u2029four\r\nfive");
        const QString blog = QStringLiteral("\n\nlog\r");
        {
            kit::RawDb raw(storePath());
            QVERIFY(raw.exec(QStringLiteral("UPDATE card SET ZhongZu = ?, Blog = ?"), {racial, blog}));
        }
        pick(0);
        setField(3, QStringLiteral("edited elsewhere"));
        auto* feats = qobject_cast<QPlainTextEdit*>(form().widgets().text[290]);
        QVERIFY(feats);
        feats->setFocus();
        QTest::keyClicks(feats, QStringLiteral("a"));
        QTest::keyClick(feats, Qt::Key_Return);
        QTest::keyClicks(feats, QStringLiteral("b"));
        form().Command3_Click();
        kit::RawDb raw(storePath());
        QCOMPARE(raw.column(QStringLiteral("SELECT ZhongZu FROM card")), QStringList{racial});
        QCOMPARE(raw.column(QStringLiteral("SELECT Blog FROM card")), QStringList{blog});
        // An edited note takes the editor's CR LF breaks.
        QCOMPARE(raw.column(QStringLiteral("SELECT ZhuanChang FROM card")),
                 QStringList{QStringLiteral("a\r\nb")});
    }
};

QTEST_MAIN(TestForm1Cards)
#include "testForm1Cards.moc"
