// The window's keyboard shortcuts, through real key events on the focused control.
#include "WindowDriver.h"
#include "app/FieldWidgets.h"
#include "app/Form1.h"
#include "app/dialogs/MessageBox.h"
#include "app/dialogs/Notice.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>

using app::Form1;

class TestShortcuts : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Form1> m_form;

    Form1& form() { return *m_form; }
    QWidget* text(int i) { return form().widgets().text[i]; }
    bool enabled(int button) { return form().widgets().command[button]->isEnabled(); }
    int rows() { return form().widgets().list1->model()->rowCount(); }
    QString notice() { return app::Notice::current() ? app::Notice::current()->text() : QString(); }

    // A key as the keyboard sends it: to the control that has the focus.
    void press(QWidget* focus, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        focus->setFocus(Qt::OtherFocusReason);
        QVERIFY(QTest::qWaitFor([focus] { return focus->hasFocus(); }));
        QTest::keyClick(focus, key, modifiers);
    }
    void pick(int row) { kit::pickLine(form(), row); }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        MessageBox::setAutoAnswer(true);
        MessageBox::clearHistory();
        m_form = std::make_unique<Form1>(m_dir->path());
        form().show();
        form().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form()));
    }
    void cleanup()
    {
        m_form.reset();
        m_dir.reset();
    }

    void cardKeysDoWhatTheirButtonsDoOnlyWhenEnabled()
    {
        // At start only "准备新增" is enabled: Ctrl+Return and Ctrl+S change nothing, and say why.
        app::setFieldText(text(0), QStringLiteral("Ann"));
        press(text(0), Qt::Key_Return);
        QCOMPARE(notice(), QStringLiteral("现在不能新增：请先按“准备新增”，填写名字后再按“新增”。"));
        press(text(0), Qt::Key_S);
        QCOMPARE(notice(), QStringLiteral("没有选中的角色卡：在列表中点选角色卡后再保存。"));
        QCOMPARE(rows(), 0);
        QCOMPARE(app::fieldText(text(0)), QStringLiteral("Ann"));
        QVERIFY(enabled(0) && !enabled(1) && !enabled(2) && !enabled(3));

        // Ctrl+N from a multi-line field: the sheet empties and the name field has the focus.
        app::setFieldText(text(25), QStringLiteral("x"));
        press(text(25), Qt::Key_N);
        QCOMPARE(app::fieldText(text(0)), QString());
        QVERIFY(text(0)->hasFocus());
        QVERIFY(enabled(1) && !enabled(2) && !enabled(3));
        // A new card is added, not saved.
        press(text(0), Qt::Key_S);
        QCOMPARE(notice(), QStringLiteral("新的角色卡还没有存入：请按“新增”。"));
        QVERIFY(enabled(0) && enabled(1) && !enabled(2) && !enabled(3));

        // Ctrl+Return from inside a multi-line field adds the card, with a quiet notice.
        QTest::keyClicks(text(0), QStringLiteral("Ann"));
        press(text(25), Qt::Key_Return);
        QCOMPARE(rows(), 1);
        QCOMPARE(app::fieldText(text(25)), QString()); // no line break typed: the sheet was cleared
        QCOMPARE(notice(), QStringLiteral("已新增：Ann"));

        // Ctrl+S saves the picked card; afterwards the list is refreshed and saving is off.
        pick(0);
        app::setFieldText(text(3), QStringLiteral("god"));
        press(text(3), Qt::Key_S);
        QCOMPARE(notice(), QStringLiteral("已保存：Ann"));
        QVERIFY(!enabled(2));
        app::setFieldText(text(3), QStringLiteral("not saved"));
        press(text(3), Qt::Key_S);
        QCOMPARE(notice(), QStringLiteral("没有选中的角色卡：在列表中点选角色卡后再保存。"));
        QVERIFY(!enabled(1) && !enabled(2) && !enabled(3));
        pick(0);
        QCOMPARE(app::fieldText(text(3)), QStringLiteral("god"));
        QVERIFY(MessageBox::history().isEmpty()); // never a message box on success

        // Delete asks only where the list has the focus and "删除" is enabled.
        QListView* list = form().widgets().list1;
        press(text(3), Qt::Key_Delete, Qt::NoModifier);
        QVERIFY(MessageBox::history().isEmpty());
        MessageBox::setNextAnswer(MessageBox::No);
        press(list, Qt::Key_Delete, Qt::NoModifier);
        QCOMPARE(MessageBox::history().size(), 1);
        QCOMPARE(MessageBox::history().last().text, QStringLiteral("确定要删除本条信息吗？"));
        QCOMPARE(rows(), 1);
        press(text(0), Qt::Key_N); // "删除" off
        press(list, Qt::Key_Delete, Qt::NoModifier);
        QCOMPARE(MessageBox::history().size(), 1);
        QCOMPARE(notice(), QStringLiteral("没有选中的角色卡：在列表中点选角色卡后再删除。"));
        pick(0);
        MessageBox::setNextAnswer(MessageBox::Yes);
        press(list, Qt::Key_Delete, Qt::NoModifier);
        QCOMPARE(rows(), 0);
    }

    void pageKeysWorkFromInsideTheFields()
    {
        QTabBar* tabs = form().widgets().tabStrip;
        press(text(25), Qt::Key_Tab); // a multi-line field
        QCOMPARE(tabs->currentIndex(), 1);
        QVERIFY(!form().widgets().frameA[1]->isHidden() && form().widgets().frameA[0]->isHidden());
        auto* line = form().widgets().frameA[1]->findChild<app::FieldLine*>();
        QVERIFY(line);
        press(line, Qt::Key_PageDown);
        QCOMPARE(tabs->currentIndex(), 2);
        press(line, Qt::Key_PageUp);
        QCOMPARE(tabs->currentIndex(), 1);
        press(form().widgets().list1, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(tabs->currentIndex(), 0);
        press(text(0), Qt::Key_PageUp); // round to the last page
        QCOMPARE(tabs->currentIndex(), 4);
        QCOMPARE(app::fieldText(text(25)), QString()); // no tab typed into the field
    }

    void buttonsNameTheirShortcuts()
    {
        const QStringList keys{QStringLiteral("Ctrl+N"), QStringLiteral("Ctrl+Return"),
                               QStringLiteral("Ctrl+S"), QStringLiteral("Del")};
        for (int i = 0; i < 4; ++i) {
            QPushButton* button = form().widgets().command[i];
            QVERIFY2(button->accessibleDescription().contains(keys[i]),
                     qPrintable(button->accessibleDescription()));
            QVERIFY(button->toolTip().isEmpty());
        }
    }
};

QTEST_MAIN(TestShortcuts)
#include "testShortcuts.moc"
