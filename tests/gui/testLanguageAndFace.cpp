// Qt's own texts in Chinese, and the one face of the whole interface.
#include "app/FieldWidgets.h"
#include "app/SheetBuilder.h"
#include "app/dialogs/MessageBox.h"
#include "app/window/LanguageAndFace.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFileIconProvider>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestLanguageAndFace : public QObject
{
    Q_OBJECT

private slots:
    void standardTextsReadInChinese()
    {
        QVERIFY(app::loadQtTranslations(qApp));

        // The delete question, as the player sees it; its buttons are read, then No is pressed.
        QStringList buttons;
        QTimer::singleShot(0, this, [&buttons] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            buttons << box->button(QMessageBox::Yes)->text() << box->button(QMessageBox::No)->text();
            box->button(QMessageBox::No)->click();
        });
        const MessageBox::Button answer =
            MessageBox::question(nullptr, QStringLiteral("Qlmk"), QStringLiteral("确定要删除本条信息吗？"));
        QCOMPARE(answer, MessageBox::No);
        QCOMPARE(buttons.size(), 2);
        QVERIFY2(buttons[0].startsWith(QStringLiteral("是")), qPrintable(buttons[0]));
        QVERIFY2(buttons[1].startsWith(QStringLiteral("否")), qPrintable(buttons[1]));

        // A field's own context menu.
        app::FieldLine field(0, nullptr);
        std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        QStringList items;
        for (QAction* action : menu->actions())
            items << action->text();
        QVERIFY2(items.join(u' ').contains(QStringLiteral("全选")), qPrintable(items.join(u' ')));
    }

    void boxesShowTheirWholeTitleAndFoldersReadInChinese()
    {
        QVERIFY(app::loadQtTranslations(qApp));
        // The program's shortest message: the box is still wide enough for its title.
        int width = 0;
        QTimer::singleShot(0, this, [&width] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            width = box->width();
            box->button(QMessageBox::Ok)->click();
        });
        MessageBox::inform(nullptr, MessageBox::informTitle(), QStringLiteral("请输入人物名称！"));
        const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
        const int needed = MessageBox::widthForTitle(title.horizontalAdvance(MessageBox::informTitle()));
        QVERIFY2(width >= needed, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needed)));

        // The file dialog's "Type" column names a folder in Chinese.
        QTemporaryDir folder;
        QCOMPARE(QFileIconProvider().type(QFileInfo(folder.path())), QStringLiteral("文件夹"));
    }

    void oneFaceForChineseLatinAndDigits()
    {
        QWidget client;
        const app::SheetWidgets w = app::buildSheet(&client);
        const QString face = QStringLiteral("Noto Sans CJK SC");
        // A field of the sheet, a button and a box of the side panel, a frame's caption.
        QCOMPARE(QFontInfo(w.text[6]->font()).family(), face);
        QCOMPARE(QFontInfo(w.command[0]->font()).family(), face);
        QCOMPARE(QFontInfo(w.checkSet->font()).family(), face);
        QCOMPARE(QFontInfo(w.labelAbout->font()).family(), face);
        QCOMPARE(w.text[6]->font().pointSize(), 9);
    }
};

QTEST_MAIN(TestLanguageAndFace)
#include "testLanguageAndFace.moc"
