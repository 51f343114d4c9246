// The main window driven offscreen: start-up state and the card operations with their messages.
#include "CardStoreSeam.h"
#include "Form1Seam.h"
#include "RawDb.h"
#include "WindowDriver.h"
#include "app/FieldWidgets.h"
#include "app/Form1.h"
#include "app/dialogs/MessageBox.h"
#include "app/dialogs/Notice.h"
#include "app/list/CardListModel.h"
#include "app/list/ListFill.h"
#include "app/list/ListMenu.h"
#include "app/list/ListSearchLine.h"
#include "card/CardRecord.h"
#include "card/layout/Layout.h"
#include "list/ListLines.h"
#include "list/ListSearch.h"
#include "list/NameOrder.h"
#include "store/recovery/Recovery.h"
#include "store/recovery/RecoveryEntries.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using app::Form1;

namespace {

const QString Title = QStringLiteral("qlmk-Orz");
const QString RenamedText = QStringLiteral("请不要修改角色名称，如果要新建人物请先点击“新增”按钮。");

// The fields the layout table places on one page.
QList<int> fieldsOn(int page)
{
    QList<int> out;
    for (const layout::Item& item : layout::items()) {
        if (item.kind == layout::Kind::Field && item.page == page)
            out << item.index;
    }
    return out;
}

// Counts the lines a list has when its first paint comes.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QListView* list) : m_list(list) { list->viewport()->installEventFilter(this); }
    int rows = -1;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && rows < 0)
            rows = m_list->model()->rowCount();
        return false;
    }

private:
    QListView* m_list;
};

bool enabled(const Form1& f, int button)
{
    return f.widgets().command[button]->isEnabled();
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir* m_dir = nullptr;
    std::unique_ptr<Form1> m_form;

    QString storePath() const { return m_dir->filePath(QStringLiteral("Sav.qlk")); }
    Form1& form() { return *m_form; }
    void setField(int i, const QString& text) { app::setFieldText(form().widgets().text[i], text); }
    QString field(int i) const { return app::fieldText(m_form->widgets().text[i]); }
    QStringList listTexts() const { return kit::listLines(*m_form); }
    QStringList listNames() const { return kit::listNames(*m_form); }
    void pick(int row) { kit::pickLine(form(), row); }
    void addCard(const QString& name, const QString& level, const QString& race, const QString& cls,
                 const QString& alignment)
    {
        kit::addCard(form(), {{0, name}, {6, level}, {8, race}, {1, cls}, {2, alignment}});
    }
    void chooseMode(int index)
    {
        form().widgets().combo1->setCurrentIndex(index);
        form().Combo1_Click();
    }
    // Real key events carrying any characters, as an input method delivers them.
    static void typeText(QWidget* widget, const QString& text)
    {
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    bool nothingSelected() const { return !m_form->widgets().list1->selectionModel()->hasSelection(); }
    MessageBox::Shown lastMessage() const { return MessageBox::history().last(); }
    // The first entry of that kind the dialog "恢复" would list.
    std::optional<store::RecoveryEntry> recoverable(store::RecoveryEntry::Kind kind)
    {
        for (const store::RecoveryEntry& entry :
             store::recoveryEntries(app::Form1Seam::recovery(form()), form().cards()).entries) {
            if (entry.kind == kind)
                return entry;
        }
        return std::nullopt;
    }

    static card::Sheet fullSheet()
    {
        card::Sheet s;
        for (int i = 0; i < card::FieldCount; ++i) {
            if (i == card::ReferenceField)
                continue;
            s.text[i] = card::isMultiLine(i)
                            ? QStringLiteral(" 第%1行\r\n\tsecond\u00a0line \r\n\r\n😀 end ").arg(i)
                            : QStringLiteral(" v%1 值\u00a0😀 ").arg(i);
        }
        s.text[0] = QStringLiteral("O'Brien 全");
        for (int i = 0; i < card::CheckFCount; ++i)
            s.checkF[i] = i % 3 == 0;
        for (int i = 0; i < card::CheckWNCount; ++i)
            s.checkWN[i] = i % 2 == 1;
        s.text[card::ReferenceField] = card::referenceText();
        return s;
    }

private slots:
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        MessageBox::setAutoAnswer(true);
        MessageBox::clearHistory();
        m_form = std::make_unique<Form1>(m_dir->path());
        m_form->buildAllPages();
    }
    void cleanup()
    {
        m_form.reset();
        delete m_dir;
        m_dir = nullptr;
    }

    void startsWithTheEmptySheetAndOnlyPrepareEnabled()
    {
        QCOMPARE(form().windowTitle(), QStringLiteral("羽笔卷宗(Quillmark)  0.3 Alpha"));
        int texts = 0, wn = 0, f = 0;
        for (QWidget* w : form().findChildren<QWidget*>()) {
            const QString n = w->objectName();
            texts += n.startsWith(QLatin1String("Text1_"));
            wn += n.startsWith(QLatin1String("CheckWN_"));
            f += n.startsWith(QLatin1String("CheckF_"));
        }
        QCOMPARE(texts, 301);
        QCOMPARE(wn, 57);
        QCOMPARE(f, 30);
        QCOMPARE(field(289), card::referenceText());
        QVERIFY(enabled(form(), 0));
        QVERIFY(!enabled(form(), 1));
        QVERIFY(!enabled(form(), 2));
        QVERIFY(!enabled(form(), 3));
        QVERIFY(!form().widgets().frameA[0]->isHidden());
        for (int i = 1; i < 5; ++i)
            QVERIFY(form().widgets().frameA[i]->isHidden());
        QVERIFY(QFile::exists(storePath()));
        QVERIFY(MessageBox::history().isEmpty());
        QCOMPARE(form().widgets().combo1->currentText(), QString());
    }

    void pagesNotBuiltYetKeepTheCardsValues()
    {
        m_form.reset();
        m_form = std::make_unique<Form1>(m_dir->path());
        QSignalSpy built(m_form.get(), &Form1::pageBuilt);
        QVERIFY(form().isPageBuilt(0));
        for (int page = 1; page < 5; ++page) {
            QVERIFY(!form().isPageBuilt(page));
            QVERIFY(!fieldsOn(page).isEmpty());
            for (int i : fieldsOn(page))
                QVERIFY(!form().widgets().text[i]);
        }

        // Written, read back and cleared without the pages; a card added from them is whole.
        const card::Sheet typed = fullSheet();
        form().writeSheet(typed);
        QVERIFY(form().readSheet() == typed);
        form().Command1_Click();
        card::Sheet empty;
        empty.text[card::ReferenceField] = card::referenceText();
        QVERIFY(form().readSheet() == empty);
        form().writeSheet(typed);
        form().Command2_Click();
        QVERIFY(form().readSheet() == empty);
        pick(0);
        QVERIFY(form().readSheet() == typed);
        QCOMPARE(built.size(), 0);

        // A page built later shows the values of the moment, and its edits are read.
        form().widgets().tabStrip->setCurrentIndex(4);
        QVERIFY(form().isPageBuilt(4) && !form().widgets().frameA[4]->isHidden());
        QCOMPARE(built.size(), 1);
        QCOMPARE(built.first().first().toInt(), 4);
        for (int i : fieldsOn(4))
            QCOMPARE(field(i), typed.text[i]);
        setField(fieldsOn(4).first(), QStringLiteral("改过"));
        QCOMPARE(form().readSheet().text[fieldsOn(4).first()], QStringLiteral("改过"));
        form().ClearSheet();
        form().buildAllPages();
        QCOMPARE(built.size(), 4);
        QVERIFY(form().readSheet() == empty);
    }

    void listMenuNamesTheLineUnderThePointerAndLeavesTheSelection()
    {
        addCard(QStringLiteral("Ann"), {}, {}, {}, {});
        addCard(QStringLiteral("Bob"), {}, {}, {}, {});
        pick(0);
        QListView* list = form().widgets().list1;
        app::ListMenu* menu = form().listMenu();
        QStringList fired;
        QAction* onLine = menu->addItem(QStringLiteral("甲"), true, [&](const QString& n) { fired << n; });
        QAction* anywhere = menu->addItem(QStringLiteral("乙"), false, [&](const QString& n) { fired << n; });

        menu->prepare(list->visualRect(list->model()->index(1, 0)).center());
        QVERIFY(onLine->isEnabled() && anywhere->isEnabled());
        onLine->trigger();
        QCOMPARE(fired, QStringList{QStringLiteral("Bob")});
        QCOMPARE(list->selectionModel()->selectedIndexes().first().row(), 0);
        QCOMPARE(field(0), QStringLiteral("Ann"));

        // Below the last line: only the items that need no line.
        menu->prepare(QPoint(5, list->visualRect(list->model()->index(1, 0)).bottom() + 3));
        QVERIFY(!onLine->isEnabled() && anywhere->isEnabled());
        anywhere->trigger();
        QCOMPARE(fired.last(), QString());
    }

    void writesChangeOneLineAsAFullRefreshWould()
    {
        // Names that the collation orders apart from their code points, or finds equal.
        const QStringList pool =
            QString::fromUtf8("Ann ann Ａnn Bob bob 丙 丁 乙 阿 张三 张三丰 Lv.3 Lv.11 Lv.2 O'Brien "
                              "Zoë zoe 𠀀 ｶｲ カイ 李白 Élodie elodie 10 9 x")
                .split(u' ');
        QRandomGenerator random(20261207);
        const auto value = [&random](const char* prefix) -> QString {
            return QString::fromUtf8(prefix) + QString::number(random.bounded(12));
        };
        // Every display mode, and the first one again with a search open.
        for (int pass = 0; pass < 7; ++pass) {
            chooseMode(pass < 6 ? pass - 1 : 0);
            if (pass == 6)
                app::Form1Seam::searchLine(form())->open(QStringLiteral("a"));
            for (int step = 0; step < 30; ++step) {
                const int rows = form().widgets().list1->model()->rowCount();
                const int op = random.bounded(3);
                if (op == 0 || rows == 0) {
                    addCard(pool[random.bounded(pool.size())], value(""), value("精灵"), value("Wizard"),
                            value("善良"));
                } else {
                    pick(random.bounded(rows));
                    if (op == 1) {
                        setField(6, value(""));
                        setField(2, value("Ｇood"));
                        form().Command3_Click();
                    } else {
                        MessageBox::setNextAnswer(MessageBox::Yes);
                        form().Command4_Click();
                    }
                }
                QVERIFY(nothingSelected());
                QVERIFY(!enabled(form(), 2) && !enabled(form(), 3));
            }
            const QStringList texts = listTexts();
            const QStringList names = listNames();
            const bool adding = enabled(form(), 1);
            form().RefreshList();
            QCOMPARE(texts, listTexts());
            QCOMPARE(names, listNames());
            QCOMPARE(enabled(form(), 1), adding);
        }
        QVERIFY(MessageBox::history().size() > 0); // the duplicate adds were refused, as they should be
    }

    void findShowsTheLinesThatContainTheTypedText()
    {
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        for (const char* name : {"Ann", "Bob", "ｂｏｂ２", "张三", "Dana"})
            addCard(QString::fromUtf8(name), QStringLiteral("3"), {}, {}, {});
        QListView* list = form().widgets().list1;
        app::ListSearchLine* find = app::Form1Seam::searchLine(form());
        list->setFocus();
        pick(static_cast<int>(listNames().indexOf(QStringLiteral("Bob")))); // loaded
        QCOMPARE(field(0), QStringLiteral("Bob"));

        // Typing into the list opens the search line over its top, inside its rectangle.
        QTest::keyClicks(list, QStringLiteral("B"));
        QVERIFY(find->isVisible() && find->hasFocus());
        QVERIFY(list->rect().contains(find->geometry()));
        QVERIFY(list->viewport()->geometry().top() >= find->geometry().bottom());
        QCOMPARE(listNames(), (QStringList{QStringLiteral("Bob"), QStringLiteral("ｂｏｂ２")}));
        QCOMPARE(list->selectionModel()->selectedIndexes().size(), 1); // Bob stays picked
        QVERIFY(enabled(form(), 2));
        typeText(find, QStringLiteral("ｏb2")); // full-width and half-width alike
        QCOMPARE(listNames(), QStringList{QStringLiteral("ｂｏｂ２")});
        QVERIFY(nothingSelected()); // Bob is no longer shown, yet still the card picked
        QVERIFY(enabled(form(), 2) && enabled(form(), 3));
        QCOMPARE(field(0), QStringLiteral("Bob"));
        QTest::keyClick(find, Qt::Key_Down); // the arrows pick among the lines found
        QCOMPARE(field(0), QStringLiteral("ｂｏｂ２"));
        QVERIFY(enabled(form(), 2) && find->hasFocus());

        // Escape clears and closes it: every line is back, the pick stays.
        QTest::keyClick(find, Qt::Key_Escape);
        QVERIFY(!find->isVisible());
        QCOMPARE(find->text(), QString());
        QCOMPARE(listTexts().size(), 5);
        QCOMPARE(list->selectionModel()->selectedIndexes().first().data().toString(),
                 QStringLiteral("ｂｏｂ２-Lv.3---"));
        QVERIFY(list->hasFocus());

        // Ctrl+F from anywhere in the window; nothing found shows no line.
        form().widgets().text[3]->setFocus();
        QTest::keyClick(&form(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(find->isVisible() && find->hasFocus());
        typeText(find, QStringLiteral("张三丰"));
        QCOMPARE(listTexts(), QStringList{});
        QTest::keyClick(find, Qt::Key_Escape);
        QCOMPARE(listTexts().size(), 5);
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

    void aSearchNeverUnpicksTheLoadedCard()
    {
        // More cards than the list shows at once.
        {
            kit::RawDb raw(storePath());
            const card::Sheet empty;
            QVERIFY(raw.exec(QStringLiteral("BEGIN")));
            for (int i = 0; i < 80; ++i) {
                const QString name = QStringLiteral("角色%1").arg(i, 2, 10, QLatin1Char('0'));
                QVERIFY(raw.exec(QStringLiteral("INSERT INTO card (Nae, Info, Chk) VALUES (?, ?, ?)"),
                                 {name, card::encodeInfo(empty), card::encodeTicks(empty)}));
                QVERIFY(raw.exec(QStringLiteral("INSERT INTO lstt VALUES (?, '1', '', '', '')"), {name}));
            }
            QVERIFY(raw.exec(QStringLiteral("COMMIT")));
        }
        form().RefreshList();
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        QListView* list = form().widgets().list1;
        app::ListSearchLine* find = app::Form1Seam::searchLine(form());
        // The card's line is the one selected and the current one, wholly in view.
        const auto pickedInView = [list](const QString& name) {
            const QModelIndexList selected = list->selectionModel()->selectedIndexes();
            return selected.size() == 1 && selected.first() == list->currentIndex() &&
                   selected.first().data(app::CardListModel::NameRole).toString() == name &&
                   list->viewport()->rect().contains(list->visualRect(selected.first()));
        };

        // Hidden by the search, the loaded card can still be saved, with Ctrl+S too.
        pick(70);
        setField(3, QStringLiteral("edited"));
        find->open(QStringLiteral("角色1"));
        QCOMPARE(listNames().size(), 10);
        QVERIFY(enabled(form(), 2) && enabled(form(), 3));
        QTest::keyClick(find, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(nothingSelected() && !enabled(form(), 2));
        QCOMPARE(field(3), QStringLiteral("edited"));
        QTest::keyClick(find, Qt::Key_Escape);
        QVERIFY(nothingSelected());
        pick(70);
        QCOMPARE(field(3), QStringLiteral("edited")); // as saved

        // Escape selects its line again, in view, and loads nothing.
        setField(4, QStringLiteral("kept"));
        find->open(QStringLiteral("角色1"));
        QTRY_VERIFY(list->verticalScrollBar()->maximum() < 10); // laid out for the lines found
        QTest::keyClick(find, Qt::Key_Escape);
        QVERIFY(pickedInView(QStringLiteral("角色70")));
        QCOMPARE(field(4), QStringLiteral("kept"));
        QVERIFY(enabled(form(), 2) && enabled(form(), 3));

        // A card picked through the search is in view once the search closes.
        list->scrollToTop();
        find->open(QStringLiteral("角色7"));
        pick(static_cast<int>(listNames().indexOf(QStringLiteral("角色79"))));
        QTRY_VERIFY(list->verticalScrollBar()->maximum() < 10);
        QTest::keyClick(find, Qt::Key_Escape);
        QVERIFY(pickedInView(QStringLiteral("角色79")));
    }

    void aStoreOfLessThanOneSliceIsListedBeforeTheWindowShows()
    {
        const auto addRows = [this](int from, int to) {
            kit::RawDb raw(storePath());
            bool ok = raw.exec(QStringLiteral("BEGIN"));
            for (int i = from; i < to; ++i)
                ok = ok && raw.exec(QStringLiteral("INSERT INTO lstt VALUES (?, '1', '', '', '')"),
                                    {QStringLiteral("角色%1").arg(i)});
            return ok && raw.exec(QStringLiteral("COMMIT"));
        };
        QVERIFY(addRows(0, app::ListFill::SliceRows - 1));
        m_form = std::make_unique<Form1>(m_dir->path());
        QVERIFY(!form().isListFilling());
        QCOMPARE(listTexts().size(), app::ListFill::SliceRows - 1);

        // One card more and nothing is read before the window is up.
        QVERIFY(addRows(app::ListFill::SliceRows - 1, app::ListFill::SliceRows));
        m_form = std::make_unique<Form1>(m_dir->path());
        QVERIFY(form().isListFilling());
        QCOMPARE(listTexts(), QStringList{});
        QTRY_VERIFY(!form().isListFilling());
        QCOMPARE(listTexts().size(), app::ListFill::SliceRows);
    }

    void aLargeListFillsInSlicesInNameOrder()
    {
        // Several slices, and more lines than one step of the merge adds.
        const int count = app::ListFill::MergeRows + app::ListFill::SliceRows / 2;
        QList<card::ListEntry> expected;
        {
            kit::RawDb raw(storePath());
            QVERIFY(raw.exec(QStringLiteral("BEGIN")));
            for (int i = 0; i < count; ++i) {
                const QString name = (i % 3 == 0   ? QStringLiteral("角色%1")
                                      : i % 3 == 1 ? QStringLiteral("Hero %1")
                                                   : QStringLiteral("hero%1"))
                                         .arg((i * 7919) % count);
                const card::ListEntry e{name, QString::number(i % 20), QStringLiteral("精灵"), {}, {}};
                QVERIFY(raw.exec(QStringLiteral("INSERT INTO lstt VALUES (?, ?, ?, '', '')"),
                                 {e.nam, e.lv, e.race}));
                expected << e;
            }
            QVERIFY(raw.exec(QStringLiteral("COMMIT")));
        }
        list::sortByName(expected, list::NameOrder());
        QStringList texts;
        for (const card::ListEntry& e : expected)
            texts << list::entryText(QStringLiteral("等级"), e);

        // At start-up a large store waits for the window; the first screenful then comes at once.
        m_form = std::make_unique<Form1>(m_dir->path());
        QVERIFY(form().isListFilling());
        QCOMPARE(listTexts(), QStringList{});
        FirstPaint firstPaint(form().widgets().list1);
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        QTRY_VERIFY(firstPaint.rows >= 0);
        QCOMPARE(firstPaint.rows, app::ListFill::HeadLines);
        chooseMode(1);
        QVERIFY(form().isListFilling());
        QCOMPARE(listTexts(), texts.mid(0, app::ListFill::HeadLines));
        QTRY_VERIFY(!form().isListFilling());
        QCOMPARE(listTexts(), texts);

        // Far down the list, the keys reach the lines, the one reached is in view, and the line
        // under a point is the one shown there.
        QListView* list = form().widgets().list1;
        const QRect view = list->viewport()->rect();
        list->setFocus();
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(list->currentIndex().row(), count - 1);
        QVERIFY(view.contains(list->visualRect(list->currentIndex())));
        QTest::keyClick(list, Qt::Key_PageUp);
        const int up = list->currentIndex().row();
        QVERIFY(up < count - 1 &&
                up > count - 1 - view.height() / list->visualRect(list->currentIndex()).height());
        QVERIFY(view.contains(list->visualRect(list->currentIndex())));
        const QModelIndex below = list->model()->index(up + 1, 0);
        QVERIFY(view.contains(list->visualRect(below).center()));
        QCOMPARE(list->indexAt(list->visualRect(below).center()), below);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(below).center());
        QCOMPARE(list->selectionModel()->selectedIndexes(), QModelIndexList{below});

        // The bar scrolls line by line: at its end the last line is wholly in view at the bottom, at its
        // start the first line is at the top, and Home and Page Down walk from there.
        QScrollBar* bar = list->verticalScrollBar();
        bar->setValue(bar->maximum());
        const QRect lastLine = list->visualRect(list->model()->index(count - 1, 0));
        QVERIFY(view.contains(lastLine) && lastLine.bottom() + lastLine.height() > view.bottom());
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(list->visualRect(list->currentIndex()).top(), 0);
        QTest::keyClick(list, Qt::Key_PageDown);
        QCOMPARE(list->currentIndex().row(), view.height() / lastLine.height() - 1);

        // A larger font makes every line taller at once.
        const QFont before = list->font();
        QFont larger = before;
        larger.setPointSize(larger.pointSize() * 2);
        list->setFont(larger);
        const int tall = list->visualRect(list->model()->index(0, 0)).height();
        QVERIFY(tall > lastLine.height());
        QCOMPARE(list->visualRect(list->model()->index(5, 0)).top() -
                     list->visualRect(list->model()->index(0, 0)).top(),
                 5 * tall);
        list->setFont(before);

        // With the search line open, a list filled again shows only the lines that contain the text,
        // and every line once it closes.
        const QString sought = QStringLiteral("角色1");
        QStringList found;
        for (const QString& t : texts) {
            if (list::matchesSearch(t, list::searchForm(sought)))
                found << t;
        }
        QVERIFY(!found.isEmpty() && found.size() < texts.size());
        app::Form1Seam::searchLine(form())->open(sought);
        chooseMode(1);
        QVERIFY(form().isListFilling());
        QTRY_VERIFY(!form().isListFilling());
        QCOMPARE(listTexts(), found);
        QTest::keyClick(app::Form1Seam::searchLine(form()), Qt::Key_Escape);
        QCOMPARE(listTexts(), texts);

        // A write while the list is still filling completes it first.
        chooseMode(1);
        addCard(QStringLiteral("hero0a"), QStringLiteral("1"), {}, {}, {});
        QVERIFY(!form().isListFilling());
        const QStringList all = listTexts();
        QCOMPARE(all.size(), count + 1);
        form().RefreshList();
        QTRY_VERIFY(!form().isListFilling());
        QCOMPARE(listTexts(), all);

        // Another program adds a card while the list is read: the lines are all replaced, as by a new
        // refresh, and the line picked meanwhile is no longer selected.
        chooseMode(1);
        pick(3);
        QVERIFY(enabled(form(), 2));
        {
            kit::RawDb raw(storePath());
            QVERIFY(raw.exec(QStringLiteral("INSERT INTO lstt VALUES ('阿', '1', '', '', '')")));
        }
        QTRY_VERIFY(!form().isListFilling());
        QCOMPARE(listTexts().size(), count + 2);
        QCOMPARE(listTexts().first(), QStringLiteral("Lv.1---阿-"));
        QVERIFY(nothingSelected());
        QVERIFY(!enabled(form(), 2) && !enabled(form(), 3));
    }

    void aNoticeReplacesTheLastOneAndGoesByItself()
    {
        QListView* list = form().widgets().list1;
        app::Notice::show(list, QStringLiteral("第一条"), 50);
        app::Notice::show(list, QStringLiteral("第二条"), 50);
        QVERIFY(app::Notice::current());
        QCOMPARE(app::Notice::current()->text(), QStringLiteral("第二条"));
        QCOMPARE(form().findChildren<QLabel*>(QStringLiteral("Notice")).size(), 1);
        QVERIFY(QApplication::focusWidget() != app::Notice::current());
        QTRY_VERIFY_WITH_TIMEOUT(!app::Notice::current(), 5000);
    }

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
        const std::optional<store::RecoveryEntry> draft = recoverable(store::RecoveryEntry::Kind::Draft);
        QVERIFY(draft && draft->draft.isNew);
        QCOMPARE(draft->name, QStringLiteral("新角色"));
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

    void typingThatPausesLeavesADraft()
    {
        form().Command1_Click();
        QWidget* name = form().widgets().text[0];
        QTest::keyClicks(name, QStringLiteral("Dee"));
        QVERIFY(app::Form1Seam::draftTimer(form())->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(recoverable(store::RecoveryEntry::Kind::Draft), 10000);
        QCOMPARE(recoverable(store::RecoveryEntry::Kind::Draft)->draft.sheet.text[0], QStringLiteral("Dee"));
    }

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

    void theAutoHideTimerSlowsDownWhileTheMouseRests()
    {
        QTimer* timer = form().timer1();
        QCOMPARE(timer->interval(), Form1::Timer1IntervalMs);
        QCursor::setPos(form().screen(), QPoint(5, 5));
        for (int i = 0; i < 40; ++i)
            form().Timer1_Timer();
        QCOMPARE(timer->interval(), Form1::Timer1RestingIntervalMs);
        QCursor::setPos(form().screen(), QPoint(7, 9));
        form().Timer1_Timer();
        QCOMPARE(timer->interval(), Form1::Timer1IntervalMs);
    }

    void anUnusableStoreIsReportedAndNeverTouched()
    {
        m_form.reset();
        QFile f(storePath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const QByteArray junk("this is a letter, not a database\n");
        f.write(junk);
        f.close();
        MessageBox::clearHistory();
        m_form = std::make_unique<Form1>(m_dir->path());
        QTRY_COMPARE(MessageBox::history().size(), 1);
        QVERIFY(lastMessage().text.contains(QStringLiteral("Sav.qlk")));
        QCOMPARE(listTexts(), QStringList{});
        form().Command1_Click();
        setField(0, QStringLiteral("Ann"));
        form().Command2_Click();
        QCOMPARE(MessageBox::history().size(), 2);
        QCOMPARE(field(0), QStringLiteral("Ann"));
        QFile check(storePath());
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), junk);
    }
    void ctrlClickOnTheSelectedLineChangesNothing()
    {
        addCard(QStringLiteral("Ann"), {}, {}, {}, {});
        addCard(QStringLiteral("Bob"), {}, {}, {}, {});
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        QListView* list = form().widgets().list1;
        const auto click = [list](int row, Qt::KeyboardModifiers modifiers) {
            const QModelIndex index = list->model()->index(row, 0);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualRect(index).center());
        };
        const auto selectedRows = [list] {
            QList<int> rows;
            for (const QModelIndex& index : list->selectionModel()->selectedIndexes())
                rows << index.row();
            return rows;
        };
        click(0, Qt::NoModifier);
        QCOMPARE(selectedRows(), QList<int>{0});
        QCOMPARE(field(0), QStringLiteral("Ann"));
        setField(3, QStringLiteral("unsaved"));

        // Ctrl with a click or the space bar on the selected line: still selected, nothing reloaded.
        click(0, Qt::ControlModifier);
        QCOMPARE(selectedRows(), QList<int>{0});
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(selectedRows(), QList<int>{0});
        QCOMPARE(field(0), QStringLiteral("Ann"));
        QCOMPARE(field(3), QStringLiteral("unsaved"));
        QVERIFY(enabled(form(), 2));
        QVERIFY(enabled(form(), 3));

        // Ctrl+click on another line picks that one, as a plain click does.
        click(1, Qt::ControlModifier);
        QCOMPARE(selectedRows(), QList<int>{1});
        QCOMPARE(field(0), QStringLiteral("Bob"));
        QCOMPARE(field(3), QString());
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

    void messagesAreKeptOnlyWhileTheTestSeamAsks()
    {
        MessageBox::inform(&form(), Title, QStringLiteral("kept"));
        QCOMPARE(MessageBox::history().size(), 1);
        MessageBox::setAutoAnswer(false);
        MessageBox::setNextAnswer(MessageBox::Ok);
        MessageBox::inform(&form(), Title, QStringLiteral("not kept"));
        QVERIFY(MessageBox::history().isEmpty());
        MessageBox::setAutoAnswer(true);
    }
};

QTEST_MAIN(TestForm1)
#include "testForm1.moc"
