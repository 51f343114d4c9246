// Cards leaving the window and coming back as card files, one or all at once, "复制为新角色", and the
// shortcuts of the selected card, driven through the list's context menu offscreen.
#include "CardTransferTest.h"
#include "Form1Seam.h"
#include "StoreProbe.h"
#include "WindowDriver.h"
#include "app/Form1.h"
#include "app/Shortcuts.h"
#include "app/dialogs/MessageBox.h"
#include "app/list/ListMenu.h"
#include "app/transfer/CardTransfer.h"
#include "card/CardFile.h"

#include <QAction>
#include <QListView>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QtTest>

using app::Form1;
using transfer::answerFileDialog;

namespace {

// Every value of both rows of every card, as hexadecimal bytes, in name order.
QList<QStringList> storedBytes(const QString& storePath)
{
    QString columns = QStringLiteral("hex(Nae), hex(Info), hex(Chk)");
    for (const char* column : card::NoteColumns)
        columns += QStringLiteral(", hex(%1)").arg(QLatin1String(column));
    QList<QStringList> rows =
        probe::rows(storePath, QStringLiteral("SELECT %1 FROM card ORDER BY Nae").arg(columns));
    rows += probe::rows(storePath,
                        QStringLiteral("SELECT hex(Nam), hex(lv), hex(race), hex(tra), hex(cmp) FROM lstt "
                                       "ORDER BY Nam"));
    return rows;
}

} // namespace

class TestCardTransfer : public transfer::CardTransferTest
{
    Q_OBJECT

private slots:
    void init() { CardTransferTest::init(); }
    void cleanup() { CardTransferTest::cleanup(); }

    void theMenuOffersEachItemWhereItApplies()
    {
        addCard(named(QStringLiteral("Ann")));
        QMenu* menu = form().listMenu()->menu();
        QStringList texts, needLine;
        form().listMenu()->prepare(QPoint(5, form().widgets().list1->viewport()->height() - 2));
        for (QAction* a : menu->actions()) {
            if (a->isSeparator())
                continue;
            texts << a->text();
            if (!a->isEnabled())
                needLine << a->text();
        }
        QCOMPARE(texts, (QStringList{"导出角色卡…", "导出为PDF…", "打印…", "复制为新角色", "导入角色卡…",
                                     "导出全部角色卡…", "短休", "长休", "生命值…", "复制为文字", "打印预览…",
                                     "重命名…", "角色卡总览…", "恢复…"}));
        QCOMPARE(needLine, (QStringList{"导出角色卡…", "导出为PDF…", "打印…", "复制为新角色", "复制为文字",
                                        "打印预览…", "重命名…"}));
    }

    void exportThenImportGivesBackBothRowsByteForByte()
    {
        card::Sheet hostile;
        for (int i = 1; i < card::FieldCount; ++i)
            hostile.text[i] = QStringLiteral("  v%1\u00a0😀 שָׁלוֹם عربي \t").arg(i);
        hostile.text[card::ReferenceField].clear();
        hostile.text[0] = QStringLiteral(" O'Brien/全\u00a0");
        hostile.text[6] = QStringLiteral("3");
        hostile.text[25] = QStringLiteral("\r\n第一行\r\n\r\n  ");
        hostile.text[300] =
            QString(1024 * 1024 / 4, QLatin1Char('x')).replace(QLatin1Char('x'), QStringLiteral("笔\r\n"));
        hostile.checkF[0] = hostile.checkWN[56] = true;
        addCard(hostile);
        addCard(named(QStringLiteral("Bob")));

        // The dialog offers a safe file name; an existing file is never replaced.
        const QByteArray kept = writeFile(QStringLiteral("taken.json"), "not mine");
        answerFileDialog(path(QStringLiteral("taken.json")));
        menuItem(hostile.text[0], QStringLiteral("导出角色卡…"));
        QVERIFY(lastText().contains(QStringLiteral("已经存在")));
        QFile taken(path(QStringLiteral("taken.json")));
        QVERIFY(taken.open(QIODevice::ReadOnly));
        QCOMPARE(taken.readAll(), kept);

        answerFileDialog(path(QStringLiteral("card.json")));
        menuItem(hostile.text[0], QStringLiteral("导出角色卡…"));
        QVERIFY(QFile::exists(path(QStringLiteral("card.json"))));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2); // no temporary file left

        Form1 second(m_dir->filePath(QStringLiteral("two")));
        auto* transfer = second.findChild<app::CardTransfer*>();
        QCOMPARE(transfer->importFiles({path(QStringLiteral("card.json"))}), 1);
        const QList<QStringList> before = storedBytes(storePath());
        const QList<QStringList> after = storedBytes(m_dir->filePath(QStringLiteral("two/Sav.qlk")));
        QCOMPARE(after.size(), 2);
        QVERIFY(before.contains(after[0]));
        QVERIFY(before.contains(after[1]));
    }

    void oneSummaryNamesEveryFileRefusedRenamedReplacedOrSkipped()
    {
        card::Sheet bob = named(QStringLiteral("Bob"));
        bob.text[3] = QStringLiteral("stored");
        for (const card::Sheet& sheet : {named(QStringLiteral("Ann")), named(QStringLiteral("Ann (2)")), bob})
            addCard(sheet);
        card::Sheet at = named(QStringLiteral("Cy"));
        at.text[300] = QStringLiteral("a@b");
        card::Sheet dash = named(QStringLiteral("Dee"));
        dash.text[8] = QStringLiteral("half-elf");
        card::Sheet ann = named(QStringLiteral("Ann"));
        ann.text[3] = QStringLiteral("from the file");
        bob.text[3] = QStringLiteral("from the file");
        writeFile(QStringLiteral("at.json"), card::writeCardFile(at));
        writeFile(QStringLiteral("dash.json"), card::writeCardFile(dash));
        writeFile(QStringLiteral("noname.json"), card::writeCardFile(card::Sheet()));
        writeFile(QStringLiteral("cut.json"), card::writeCardFile(named(QStringLiteral("Cy"))).left(900));
        writeFile(QStringLiteral("bob.json"), card::writeCardFile(bob));
        writeFile(QStringLiteral("ann.json"), card::writeCardFile(ann));
        writeFile(QStringLiteral("eve.json"), card::writeCardFile(named(QStringLiteral("Eve"))));
        const QStringList files = {path("at.json"),  path("dash.json"), path("noname.json"),
                                   path("cut.json"), path("gone.json"), path("bob.json"),
                                   path("ann.json"), path("eve.json")};
        // bob.json is asked about first: replace it; ann.json takes the offered free name.
        MessageBox::setNextAnswer(MessageBox::Save);
        QCOMPARE(transfer().importFiles(files), 3);
        QStringList texts;
        for (const MessageBox::Shown& shown : MessageBox::history())
            texts << shown.text;
        QCOMPARE(texts.size(), 3); // two questions, then the one summary
        QVERIFY2(texts[0].contains(QStringLiteral("“Bob”")) && texts[1].contains(QStringLiteral("“Ann”")),
                 qPrintable(texts.join(QLatin1Char('|'))));
        QVERIFY(MessageBox::history()[1].choices.value(0).text == QStringLiteral("改名为“Ann (3)”"));
        const QString summary = texts[2];
        for (const char* line :
             {"已导入 3 张角色卡", "ann.json：改名为“Ann (3)”", "bob.json：替换了“Bob”",
              "以下 5 个文件没有导入", "at.json：“战役及跑团笔记”里不能有“@”", "dash.json：“种族”里不能有“-”",
              "noname.json：卡上没有填名字", "cut.json：", "gone.json：找不到文件"})
            QVERIFY2(summary.contains(QString::fromUtf8(line)), qPrintable(summary));
        QVERIFY(!summary.contains(QStringLiteral("eve.json")) && !summary.contains(QStringLiteral("分隔符")));
        QCOMPARE(probe::rows(storePath(), QStringLiteral("SELECT Nae FROM card ORDER BY Nae")),
                 (QList<QStringList>{{"Ann"}, {"Ann (2)"}, {"Ann (3)"}, {"Bob"}, {"Eve"}}));
        pick(QStringLiteral("Bob"));
        QCOMPARE(form().readSheet().text[3], QStringLiteral("from the file"));
        pick(QStringLiteral("Ann"));
        QCOMPARE(form().readSheet().text[3], QString()); // renamed, never overwritten
        // The card bob.json replaced is among the deleted cards, as it was.
        QString error;
        const QList<store::DeletedCard> deleted = app::Form1Seam::recovery(form()).deleted().list(&error);
        QCOMPARE(deleted.size(), 1);
        card::Sheet kept;
        card::applyCardRecord(deleted.first().record, kept);
        QCOMPARE(kept.text[3], QStringLiteral("stored"));

        // Skipping leaves the store as it was, and the summary says so.
        const QList<QStringList> before = storedBytes(storePath());
        MessageBox::clearHistory();
        MessageBox::setNextAnswer(MessageBox::Cancel);
        QCOMPARE(transfer().importFiles({path(QStringLiteral("ann.json"))}), 0);
        QVERIFY2(kit::lastBoxText().contains(QStringLiteral("ann.json：已有“Ann”，按你的选择跳过")),
                 qPrintable(kit::lastBoxText()));
        QCOMPARE(storedBytes(storePath()), before);
    }

    void copyAsNewStartsANewCardFromAStoredOne()
    {
        card::Sheet ann = named(QStringLiteral("Ann"));
        ann.text[3] = QStringLiteral("Pelor");
        ann.text[300] = QStringLiteral("notes");
        ann.checkWN[2] = true;
        addCard(ann);
        addCard(named(QStringLiteral("Bob")));
        form().show();
        QVERIFY(QTest::qWaitForWindowActive(&form()));
        pick(QStringLiteral("Bob"));
        form().widgets().tabStrip->setCurrentIndex(3);

        menuItem(QStringLiteral("Ann"), QStringLiteral("复制为新角色"));
        card::Sheet wanted = ann;
        wanted.text[0].clear();
        wanted.text[card::ReferenceField] = card::referenceText();
        QVERIFY(form().readSheet() == wanted);
        QCOMPARE(form().widgets().tabStrip->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), form().widgets().text[0]);
        QVERIFY(enabled(form(), 0) && enabled(form(), 1) && !enabled(form(), 2) && !enabled(form(), 3));
        QCOMPARE(form().widgets().list1->selectionModel()->selectedIndexes().first().row(), rowOf("Bob"));

        setField(0, QStringLiteral("Ann"));
        form().Command2_Click(); // the name check of "新增" still holds
        QVERIFY(lastText().contains(QStringLiteral("已存在")));
        setField(0, QStringLiteral("Cyd"));
        form().Command2_Click();
        pick(QStringLiteral("Cyd"));
        wanted.text[0] = QStringLiteral("Cyd");
        QVERIFY(form().readSheet() == wanted);
    }

    void theShortcutsActOnTheSelectedCardOnly()
    {
        addCard(named(QStringLiteral("Ann")));
        QShortcut* exportKey = key(app::Shortcuts::Action::Export);
        QCOMPARE(exportKey->key(), QKeySequence(QStringLiteral("Ctrl+E")));
        QCOMPARE(key(app::Shortcuts::Action::Print)->key(), QKeySequence(QStringLiteral("Ctrl+P")));
        QCOMPARE(exportKey->context(), Qt::WindowShortcut);
        QVERIFY(!exportKey->isEnabled() && !key(app::Shortcuts::Action::Print)->isEnabled());
        pick(QStringLiteral("Ann"));
        QVERIFY(exportKey->isEnabled() && key(app::Shortcuts::Action::Print)->isEnabled());
        answerFileDialog(path(QStringLiteral("selected.json")));
        emit exportKey->activated();
        const card::CardFileResult back = card::readCardFile(path(QStringLiteral("selected.json")));
        QVERIFY2(back.ok, qPrintable(back.error));
        QCOMPARE(back.sheet.text[0], QStringLiteral("Ann"));
        // Ctrl+P opens the platform's print dialog for that card; cancelling it prints nothing.
        QString printTitle;
        QTimer::singleShot(0, [&printTitle] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                printTitle = dialog->windowTitle();
                QMetaObject::invokeMethod(dialog, "reject");
            }
        });
        const int shown = MessageBox::history().size();
        emit key(app::Shortcuts::Action::Print)->activated();
        QCOMPARE(printTitle, QStringLiteral("打印角色卡“Ann”"));
        QCOMPARE(MessageBox::history().size(), shown);
        form().RefreshList(); // nothing selected any more
        QVERIFY(!exportKey->isEnabled() && !key(app::Shortcuts::Action::Print)->isEnabled());
    }

    void exportAllWritesOneFilePerCardIntoAFolder()
    {
        addCard(named(QStringLiteral("a/b")));
        addCard(named(QStringLiteral("a_b")));
        addCard(named(QStringLiteral("Cy")));
        QDir(m_dir->path()).mkdir(QStringLiteral("out"));
        writeFile(QStringLiteral("out/Cy.json"), "someone else's");
        // A list line whose card is gone cannot be exported: the summary names it and leaves it out.
        QVERIFY(probe::execute(storePath(),
                               {QStringLiteral("INSERT INTO lstt VALUES ('Dee', '1', '', '', '')")}));
        answerFileDialog(path(QStringLiteral("out")));
        menuItem({}, QStringLiteral("导出全部角色卡…"));
        QVERIFY2(lastText().contains(QStringLiteral("已导出：3 张")) &&
                     lastText().contains(QStringLiteral("“Dee”")),
                 qPrintable(lastText()));
        QStringList written = QDir(path(QStringLiteral("out"))).entryList(QDir::Files);
        written.sort();
        QCOMPARE(written, (QStringList{"Cy (2).json", "Cy.json", "a_b (2).json", "a_b.json"}));
        QStringList names;
        for (const char* f : {"Cy (2).json", "a_b (2).json", "a_b.json"})
            names << card::readCardFile(path(QStringLiteral("out/") + QString::fromUtf8(f))).sheet.text[0];
        names.sort();
        QCOMPARE(names, (QStringList{"Cy", "a/b", "a_b"}));
    }

    void exportAllCancelledMidwayLeavesOnlyWholeFiles()
    {
        for (int i = 0; i < 8; ++i)
            addCard(named(QStringLiteral("Card %1").arg(i)));
        const QString out = path(QStringLiteral("out"));
        QDir(m_dir->path()).mkdir(QStringLiteral("out"));
        const auto written = [&out] {
            return QDir(out).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        };
        // Between two cards the window runs its events: cancel there, once two files are written.
        QTimer canceller;
        connect(&canceller, &QTimer::timeout, this, [&] {
            if (written().size() >= 2)
                if (auto* progress = form().findChild<QProgressDialog*>(QStringLiteral("WorkProgress")))
                    progress->cancel();
        });
        canceller.start(0);
        answerFileDialog(out);
        menuItem({}, QStringLiteral("导出全部角色卡…"));
        canceller.stop();
        const QStringList files = written();
        QVERIFY2(files.size() >= 2 && files.size() < 8, qPrintable(files.join(QLatin1Char(' '))));
        for (const QString& file : files) {
            QVERIFY2(file.endsWith(QStringLiteral(".json")), qPrintable(file)); // no temporary left
            QVERIFY(card::readCardFile(out + QLatin1Char('/') + file).ok);
        }
        QVERIFY2(lastText().contains(QStringLiteral("已导出：%1 张").arg(files.size())) &&
                     lastText().contains(QStringLiteral("导出已取消")) &&
                     lastText().contains(QStringLiteral("其余 %1 张没有导出").arg(8 - files.size())),
                 qPrintable(lastText()));
        QVERIFY(!form().findChild<QProgressDialog*>(QStringLiteral("WorkProgress")));
    }
};

QTEST_MAIN(TestCardTransfer)
#include "testCardTransfer.moc"
