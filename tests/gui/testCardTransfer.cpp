// Cards leaving the window and coming back: card files out and in, PDF and print, "复制为新角色", and
// the shortcuts of the selected card, driven through the list's context menu offscreen.
#include "Form1Seam.h"
#include "StoreProbe.h"
#include "WindowDriver.h"
#include "app/Form1.h"
#include "app/Shortcuts.h"
#include "app/dialogs/MessageBox.h"
#include "app/list/ListMenu.h"
#include "app/transfer/CardTransfer.h"
#include "app/transfer/SheetPrint.h"
#include "card/CardFile.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using app::Form1;

namespace {

// Answers the next file dialog with these paths, as a player would pick them.
void answerFileDialog(const QString& path)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, path] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->deleteLater();
        // The whole path typed into the name box, as a player may; it is taken as it stands.
        dialog->selectFile(path);
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            edit->setText(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    timer->start(10);
}

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

// The text pdftotext finds on one page of a PDF; what it says of a damaged file goes to errors.
QString pdfText(const QString& pdf, int page, QString* errors = nullptr)
{
    QProcess p;
    const QString n = QString::number(page);
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-f"), n, QStringLiteral("-l"), n, pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    if (errors)
        *errors += QString::fromUtf8(p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(60000);
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace

class TestCardTransfer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir* m_dir = nullptr;
    std::unique_ptr<Form1> m_form;

    Form1& form() { return *m_form; }
    app::CardTransfer& transfer() { return *form().findChild<app::CardTransfer*>(); }
    QShortcut* key(app::Shortcuts::Action action) { return form().findChild<app::Shortcuts*>()->key(action); }
    QString storePath() const { return m_dir->filePath(QStringLiteral("one/Sav.qlk")); }
    QString path(const QString& name) const { return m_dir->filePath(name); }
    bool enabled(int button) { return form().widgets().command[button]->isEnabled(); }
    QString lastText() const { return kit::lastBoxText(); }

    // Through the sheet snapshot, so pages that are not built yet take the text too.
    void setField(int field, const QString& text)
    {
        card::Sheet sheet = form().readSheet();
        sheet.text[field] = text;
        form().writeSheet(sheet);
    }
    void addCard(const card::Sheet& sheet) { kit::addCard(form(), sheet); }
    static card::Sheet named(const QString& name) { return kit::namedSheet(name); }
    int rowOf(const QString& name) { return kit::rowOf(form(), name); }
    void pick(const QString& name) { QVERIFY(kit::pickCard(form(), name)); }
    // Opens the context menu on the line of that card (or below the lines) and fires an item.
    void menuItem(const QString& cardName, const QString& item)
    {
        QListView* list = form().widgets().list1;
        const QPoint at = cardName.isEmpty()
                              ? QPoint(5, list->viewport()->height() - 2)
                              : list->visualRect(list->model()->index(rowOf(cardName), 0)).center();
        form().listMenu()->prepare(at);
        for (QAction* action : form().listMenu()->menu()->actions()) {
            if (action->text() == item) {
                QVERIFY2(action->isEnabled(), qPrintable(item));
                action->trigger();
                return;
            }
        }
        QFAIL(qPrintable(QStringLiteral("no menu item ") + item));
    }
    QByteArray writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(path(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return bytes;
    }

private slots:
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        MessageBox::setAutoAnswer(true);
        MessageBox::clearHistory();
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("one")) &&
                QDir(m_dir->path()).mkdir(QStringLiteral("two")));
        m_form = std::make_unique<Form1>(m_dir->filePath(QStringLiteral("one")));
    }
    void cleanup()
    {
        m_form.reset();
        delete m_dir;
    }

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
        const QList<store::DeletedCard> deleted = app::Form1Seam::recovery(form()).deletedCards(&error);
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
        QVERIFY(enabled(0) && enabled(1) && !enabled(2) && !enabled(3));
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

    void thePdfHasEveryPageAndEveryTypedWordWhileTheWindowStaysAsItWas()
    {
        card::Sheet s = named(QStringLiteral("Ann"));
        const int onPage[] = {13, 290, 207, 288, 264}; // one field on each tab page
        for (int p = 0; p < 5; ++p)
            s.text[onPage[p]] = QStringLiteral("P%1x").arg(p);
        QStringList words;
        for (int w = 0; w < 3000; ++w)
            words << QStringLiteral("W%1").arg(w, 4, 10, QLatin1Char('0'));
        s.text[300] = words.join(QLatin1Char(' '));
        s.text[5] = QStringLiteral("Long%1End").arg(QString(200, QLatin1Char('y'))); // one line, too wide
        // In the side panel, whose card sections are printed beside the first page only. The faces
        // draw these characters with the glyphs of radicals (⽣ ⼒ ⾏ ⻓): the text layer names the
        // characters typed.
        const QString typed = QStringLiteral("长剑的力量与生命，行动点");
        s.text[126] = typed + QString(150, QLatin1Char('z'));
        addCard(s);
        addCard(named(QStringLiteral("Bob")));
        pick(QStringLiteral("Bob"));
        setField(3, QStringLiteral("unsaved"));
        const card::Sheet sheetBefore = form().readSheet();
        const QList<bool> buttonsBefore = {enabled(0), enabled(1), enabled(2), enabled(3)};

        answerFileDialog(path(QStringLiteral("ann.pdf")));
        menuItem(QStringLiteral("Ann"), QStringLiteral("导出为PDF…"));
        const QString pdf = path(QStringLiteral("ann.pdf"));
        QVERIFY(QFile::exists(pdf));
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext (poppler-utils) is needed");
        const int pages = pdfPages(pdf);
        QVERIFY2(pages > 5, qPrintable(QString::number(pages)));
        QString errors;
        for (int p = 0; p < 5; ++p) {
            const QString text = pdfText(pdf, p + 1, &errors);
            QCOMPARE(text.contains(typed.left(4)), p == 0);
            QCOMPARE(text.contains(QStringLiteral("属性值")), p == 0);
            QVERIFY2(text.contains(QStringLiteral("Ann")), qPrintable(text.left(200)));
            QVERIFY2(text.contains(app::SheetPrint::pageTitles()[p].left(1)), qPrintable(text.left(200)));
            QVERIFY2(text.contains(s.text[onPage[p]]), qPrintable(QStringLiteral("page %1").arg(p + 1)));
            QVERIFY(text.contains(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
        }
        QString rest;
        for (int p = 6; p <= pages; ++p)
            rest += pdfText(pdf, p, &errors);
        rest.remove(QLatin1Char('\n'));
        for (const QString& word : words)
            QVERIFY2(rest.contains(word), qPrintable(word));
        QVERIFY(rest.contains(s.text[5]));
        QCOMPARE(rest.count(s.text[126]), 1);
        QVERIFY2(errors.isEmpty(), qPrintable(errors)); // a whole file: no table to repair
        QProcess fonts;
        fonts.start(QStringLiteral("pdffonts"), {pdf});
        fonts.waitForFinished(60000);
        const QString faces = QString::fromUtf8(fonts.readAllStandardOutput());
        QVERIFY2(faces.contains(QStringLiteral("Sans")) && !faces.contains(QStringLiteral("Serif")),
                 qPrintable(faces));

        QVERIFY(form().readSheet() == sheetBefore);
        QCOMPARE((QList<bool>{enabled(0), enabled(1), enabled(2), enabled(3)}), buttonsBefore);
        QCOMPARE(form().widgets().list1->selectionModel()->selectedIndexes().first().row(), rowOf("Bob"));
    }

    void printingFollowsThePrintersPaper()
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path(QStringLiteral("letter.pdf")));
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setPageOrientation(QPageLayout::Landscape);
        QCOMPARE(app::SheetPrint::render(printer, named(QStringLiteral("Ann")), QDate(2026, 1, 2)), 5);
        QProcess p;
        p.start(QStringLiteral("pdfinfo"), {path(QStringLiteral("letter.pdf"))});
        p.waitForFinished(60000);
        QVERIFY(
            QString::fromUtf8(p.readAllStandardOutput()).contains(QStringLiteral("792 x 612 pts (letter)")));
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
