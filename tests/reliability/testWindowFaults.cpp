// The window offscreen, its store file misbehaving under it. Whatever fails, the user is told why,
// the typed sheet stays as typed, the list and buttons stay, and the file keeps every byte.
// Run as an unprivileged user, since root ignores file modes.
#include "Form1Seam.h"
#include "Module2Seam.h"
#include "ReliabilityKit.h"
#include "WindowDriver.h"
#include "WindowTest.h"
#include "WriterProcess.h"
#include "app/FieldWidgets.h"
#include "app/Form1.h"
#include "app/dialogs/MessageBox.h"
#include "store/CardStore.h"
#include "store/recovery/Recovery.h"
#include "tray/Module2.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QtTest>

#include <unistd.h>

using app::Form1;

namespace {

enum class Fault { ReadOnlyFile, ReadOnlyFolder, Deleted, Locked };

bool needsModes(Fault f)
{
    return f == Fault::ReadOnlyFile || f == Fault::ReadOnlyFolder;
}

} // namespace

class TestWindowFaults : public kit::WindowTest
{
    Q_OBJECT

private:
    std::unique_ptr<rel::WriterProcess> m_holder;

    QString awayPath() const { return m_dir->filePath(QStringLiteral("moved.qlk")); }
    void addThroughWindow(const card::Sheet& sheet) { addCard(sheet); }
    void apply(Fault fault)
    {
        switch (fault) {
        case Fault::ReadOnlyFile:
            QVERIFY(
                QFile::setPermissions(storePath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
            break;
        case Fault::ReadOnlyFolder:
            QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
            break;
        case Fault::Deleted:
            QVERIFY(QFile::rename(storePath(), awayPath()));
            break;
        case Fault::Locked:
            m_holder = std::make_unique<rel::WriterProcess>();
            QVERIFY(m_holder->start({QStringLiteral("hold"), storePath(), QStringLiteral("immediate")}));
            QVERIFY(m_holder->waitForLine("holding"));
            break;
        }
    }
    void undo()
    {
        if (m_holder) {
            m_holder->send("release");
            m_holder->finish();
            m_holder.reset();
        }
        QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(storePath(), QFile::ReadOwner | QFile::WriteOwner);
        if (QFileInfo::exists(awayPath()))
            QFile::rename(awayPath(), storePath());
    }
    // The recovery store made unusable from outside: a folder where its file belongs.
    void blockDrafts()
    {
        QVERIFY(!QFileInfo::exists(app::Form1Seam::recovery(form()).recoveryFile()));
        QVERIFY(QDir().mkdir(app::Form1Seam::recovery(form()).recoveryFile()));
    }
    // The words of the buttons of the last question, and whether it was the question before a close.
    QStringList lastChoices() const
    {
        QStringList out;
        if (MessageBox::history().isEmpty())
            return out;
        const MessageBox::Shown& box = MessageBox::history().last();
        if (box.title == QStringLiteral("Qlmk") && box.text.contains(QStringLiteral("修改")))
            for (const MessageBox::Choice& choice : box.choices)
                out << choice.text;
        return out;
    }
    // The last message is a warning of ours that names the cause.
    void toldWhy(const QString& cause, int shownBefore)
    {
        QCOMPARE(MessageBox::history().size(), shownBefore + 1);
        const MessageBox::Shown& box = MessageBox::history().last();
        QCOMPARE(box.title, QStringLiteral("qlmk-Orz"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QVERIFY2(box.text.contains(cause), qPrintable(box.text));
    }

private slots:
    void init()
    {
        openWindow();
        QVERIFY(QFileInfo::exists(storePath()));
        addThroughWindow(rel::makeSheet(QStringLiteral("Ann"), 0));
        addThroughWindow(rel::makeSheet(QStringLiteral("Bob"), 0));
        QCOMPARE(listTexts().size(), 2);
        QVERIFY(MessageBox::history().isEmpty());
    }
    void cleanup()
    {
        undo();
        closeWindow();
    }

    void failedWritesKeepTheTypedSheet_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("cause");
        QTest::newRow("read-only file") << int(Fault::ReadOnlyFile) << QStringLiteral("只读");
        QTest::newRow("read-only folder") << int(Fault::ReadOnlyFolder) << QStringLiteral("文件夹");
        QTest::newRow("file deleted") << int(Fault::Deleted) << QStringLiteral("找不到数据库文件");
        QTest::newRow("write lock of another program") << int(Fault::Locked) << QStringLiteral("其他程序");
    }
    void failedWritesKeepTheTypedSheet()
    {
        QFETCH(int, fault);
        QFETCH(QString, cause);
        const Fault f = static_cast<Fault>(fault);
        if (needsModes(f) && ::geteuid() == 0)
            QSKIP("root ignores file modes; run this test as another user");
        const QStringList list = listTexts();

        // Save: Ann loaded, edited, then the fault.
        pick(0);
        QCOMPARE(app::fieldText(form().widgets().text[0]), QStringLiteral("Ann"));
        const card::Sheet edited = rel::makeSheet(QStringLiteral("Ann"), 1);
        form().writeSheet(edited);
        apply(f);
        const QByteArray before = rel::fileBytes(storePath());
        int shown = int(MessageBox::history().size());
        form().Command3_Click();
        toldWhy(cause, shown);
        QVERIFY(form().readSheet() == edited);
        QVERIFY(enabled(form(), 2) && enabled(form(), 3));
        QCOMPARE(listTexts(), list);

        // Delete of the selected card: refused, nothing cleared.
        shown = int(MessageBox::history().size());
        MessageBox::setNextAnswer(MessageBox::Yes);
        form().Command4_Click();
        QCOMPARE(MessageBox::history().at(shown).text, QStringLiteral("确定要删除本条信息吗？"));
        toldWhy(cause, shown + 1);
        QVERIFY(form().readSheet() == edited);
        QCOMPARE(listTexts(), list);

        // Add of a new card: refused, the typed card stays for another try.
        form().Command1_Click();
        const card::Sheet typed = rel::makeSheet(QStringLiteral("Carl"), 0);
        form().writeSheet(typed);
        shown = int(MessageBox::history().size());
        form().Command2_Click();
        toldWhy(cause, shown);
        QVERIFY(form().readSheet() == typed);
        QVERIFY(enabled(form(), 1));

        QCOMPARE(rel::fileBytes(storePath()), before);
        if (f == Fault::Deleted)
            QVERIFY(!QFileInfo::exists(storePath())); // refused, never recreated
        undo();
        const rel::StoreCheck check =
            rel::checkStore(storePath(), {{QStringLiteral("Ann"), 0}, {QStringLiteral("Bob"), 0}});
        QVERIFY2(check.ok(), qPrintable(check.problems.join(QLatin1Char('\n'))));

        // With the fault gone, the very same sheet goes in.
        form().Command2_Click();
        QCOMPARE(listTexts().size(), 3);
    }

    void closeAsksWhenTheDraftCannotBeWritten_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("继续编辑") << int(MessageBox::Cancel);
        QTest::newRow("不保留并关闭") << int(MessageBox::Discard);
        QTest::newRow("保存后关闭") << int(MessageBox::Save);
    }
    void closeAsksWhenTheDraftCannotBeWritten()
    {
        QFETCH(int, answer);
        form().show();
        pick(0);
        const card::Sheet edited = rel::makeSheet(QStringLiteral("Ann"), 1);
        form().writeSheet(edited);
        blockDrafts();
        MessageBox::setNextAnswer(static_cast<MessageBox::Button>(answer));
        const bool closed = form().close();
        QCOMPARE(MessageBox::history().size(), 1);
        QCOMPARE(lastChoices(), (QStringList{QStringLiteral("继续编辑"), QStringLiteral("保存后关闭"),
                                             QStringLiteral("不保留并关闭")}));
        QCOMPARE(closed, answer != MessageBox::Cancel);
        QCOMPARE(form().isVisible(), !closed);
        QCOMPARE(tray::Module2Seam::hasIcon(*app::Form1Seam::trayModule(form())), !closed);
        if (!closed) {
            QVERIFY(form().readSheet() == edited);
            QVERIFY(enabled(form(), 2) && enabled(form(), 3));
        }
        const rel::StoreCheck check =
            rel::checkStore(storePath(), {{QStringLiteral("Ann"), answer == MessageBox::Save ? 1 : 0},
                                          {QStringLiteral("Bob"), 0}});
        QVERIFY2(check.ok(), qPrintable(check.problems.join(QLatin1Char('\n'))));
    }

    void aSaveThatFailsKeepsTheWindowOpen()
    {
        form().show();
        pick(0);
        form().writeSheet(rel::makeSheet(QStringLiteral("Anna"), 1)); // renamed: the save refuses
        blockDrafts();
        MessageBox::setNextAnswer(MessageBox::Save);
        QVERIFY(!form().close());
        QCOMPARE(MessageBox::history().size(), 2);
        QCOMPARE(MessageBox::history().last().text,
                 QStringLiteral("请不要修改角色名称，如果要新建人物请先点击“新增”按钮。"));
        QVERIFY(form().isVisible());
        QCOMPARE(app::fieldText(form().widgets().text[0]), QStringLiteral("Anna"));
    }

    void exitAsksOnlyWhileTheDraftCannotBeWritten()
    {
        form().show();
        form().Command1_Click();
        const card::Sheet typed = rel::makeSheet(QStringLiteral("Carl"), 0);
        form().writeSheet(typed);
        blockDrafts();
        QAction* exit = form().trayMenu()->actions().at(1);
        MessageBox::setNextAnswer(MessageBox::Cancel);
        exit->trigger();
        // A new sheet: nothing to save it over.
        QCOMPARE(lastChoices(), (QStringList{QStringLiteral("继续编辑"), QStringLiteral("不保留并关闭")}));
        QVERIFY(form().isVisible() && tray::Module2Seam::hasIcon(*app::Form1Seam::trayModule(form())));
        QVERIFY(form().readSheet() == typed);

        // Once the draft can be written again, "退出" asks nothing and the draft is kept.
        QVERIFY(QDir().rmdir(app::Form1Seam::recovery(form()).recoveryFile()));
        exit->trigger();
        QCOMPARE(MessageBox::history().size(), 1);
        QVERIFY(!form().isVisible() && !tray::Module2Seam::hasIcon(*app::Form1Seam::trayModule(form())));
        QString error;
        const QList<store::Draft> drafts = app::Form1Seam::recovery(form()).drafts().list(&error);
        QCOMPARE(drafts.size(), 1);
        QVERIFY(drafts.first().isNew && drafts.first().sheet == typed);
    }

    void theSessionsEndKeepsTheDraftInTheDataFolder()
    {
        QStandardPaths::setTestModeEnabled(true);
        const QDir data(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        const bool existed = data.exists();
        const QStringList before = data.entryList(QDir::Files);
        const auto restore = qScopeGuard([&] {
            m_form.reset();
            for (const QString& name : data.entryList(QDir::Files)) {
                if (!before.contains(name))
                    QFile::remove(data.filePath(name));
            }
            if (!existed)
                QDir().rmdir(data.path());
            QStandardPaths::setTestModeEnabled(false);
        });
        pick(1);
        const card::Sheet edited = rel::makeSheet(QStringLiteral("Bob"), 2);
        form().writeSheet(edited);
        blockDrafts();
        // What the program is told as the session ends; no question can be answered then.
        QVERIFY(QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection));
        QVERIFY(MessageBox::history().isEmpty());

        // The next start, with the recovery store usable again, offers the edits under "恢复".
        m_form.reset();
        QVERIFY(QDir().rmdir(QDir(m_dir->path()).filePath(QStringLiteral("Sav.qlk.recovery"))));
        m_form = std::make_unique<Form1>(m_dir->path());
        QString error;
        const QList<store::Draft> drafts = app::Form1Seam::recovery(form()).drafts().list(&error);
        QCOMPARE(drafts.size(), 1);
        QCOMPARE(drafts.first().name, QStringLiteral("Bob"));
        QVERIFY(!drafts.first().isNew && drafts.first().sheet == edited);
    }

    void unusableFileAtStartUpIsReportedAndKept_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("binary") << QByteArray::fromHex("00ff13370badf00d").repeated(3000);
        QTest::newRow("truncated store") << QByteArray();
    }
    void unusableFileAtStartUpIsReportedAndKept()
    {
        QFETCH(QByteArray, bytes);
        m_form.reset();
        if (bytes.isEmpty())
            bytes = rel::fileBytes(storePath()).chopped(777);
        QVERIFY(rel::writeFile(storePath(), bytes));
        MessageBox::clearHistory();
        m_form = std::make_unique<Form1>(m_dir->path());
        QTRY_COMPARE(MessageBox::history().size(), 1);
        QVERIFY(MessageBox::history().last().text.contains(QStringLiteral("Sav.qlk")));
        QCOMPARE(listTexts(), QStringList{});
        form().Command1_Click();
        const card::Sheet typed = rel::makeSheet(QStringLiteral("Carl"), 0);
        form().writeSheet(typed);
        form().Command2_Click();
        QCOMPARE(MessageBox::history().size(), 2);
        QVERIFY(form().readSheet() == typed);
        m_form.reset();
        QCOMPARE(rel::fileBytes(storePath()), bytes);
    }
    void readOnlyStoreBesideGivesWayToTheDataFolderStore()
    {
        if (::geteuid() == 0)
            QSKIP("file modes do not bind root; run through asNobody.sh");
        m_form.reset();
        QStandardPaths::setTestModeEnabled(true);
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        const QString dataStore = QDir(data).filePath(QStringLiteral("Sav.qlk"));
        const bool existed = QFileInfo::exists(data);
        const auto restore = qScopeGuard([&] {
            m_form.reset();
            QFile::remove(dataStore);
            if (!existed)
                QDir().rmdir(data);
            QStandardPaths::setTestModeEnabled(false);
        });
        QVERIFY(QDir().mkpath(data));
        QVERIFY(!QFileInfo::exists(dataStore));
        QVERIFY(rel::makeStore(dataStore));
        {
            store::Module1 db(dataStore);
            QVERIFY(store::CardStore(db).add(rel::makeSheet(QStringLiteral("Dora"), 0)).ok());
        }
        // Another account's store beside the program, which this user cannot write.
        apply(Fault::ReadOnlyFile);
        const QByteArray beside = rel::fileBytes(storePath());
        MessageBox::clearHistory();
        m_form = std::make_unique<Form1>(m_dir->path());
        QCOMPARE(app::Form1Seam::database(form()).filePath(), dataStore);
        QCOMPARE(listTexts().size(), 1);
        QVERIFY(listTexts().first().startsWith(QStringLiteral("Dora")));
        // Said once at start-up, as a notice: the store in use and where the other one lies.
        QTRY_COMPARE(MessageBox::history().size(), 1);
        const MessageBox::Shown box = MessageBox::history().first();
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QVERIFY2(box.text.contains(QDir::toNativeSeparators(dataStore)), qPrintable(box.text));
        QVERIFY2(box.text.contains(QDir::toNativeSeparators(storePath())), qPrintable(box.text));
        addThroughWindow(rel::makeSheet(QStringLiteral("Eve"), 0));
        QCOMPARE(listTexts().size(), 2);
        QCOMPARE(MessageBox::history().size(), 1);
        QCOMPARE(rel::fileBytes(storePath()), beside);
    }
};

QTEST_MAIN(TestWindowFaults)
#include "testWindowFaults.moc"
