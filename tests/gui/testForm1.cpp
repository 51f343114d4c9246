// The main window driven offscreen: its start-up state, the pages built as they are first shown, the
// store it cannot use, Timer1, notices and the message boxes kept for tests.
#include "WindowTest.h"
#include "app/Form1.h"
#include "app/dialogs/Notice.h"
#include "card/layout/Layout.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QSignalSpy>
#include <QTabBar>
#include <QTimer>
#include <QtTest>

using app::Form1;

namespace {

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

} // namespace

class TestForm1 : public kit::WindowTest
{
    Q_OBJECT

private slots:
    void init() { openWindowWithAllPages(); }
    void cleanup() { closeWindow(); }

    void startsWithTheEmptySheetAndOnlyPrepareEnabled()
    {
        QCOMPARE(form().windowTitle(), QStringLiteral("羽笔卷宗(Quillmark)  0.3 Alpha"));
        // The program's icon, read as the PNG it is, at its own size.
        QCOMPARE(form().windowIcon().availableSizes(), QList<QSize>{QSize(64, 64)});
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
