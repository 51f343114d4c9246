// The window's shell offscreen: tab pages, side panel, tray menu, edge auto-hide and settings.
#include "app/FieldWidgets.h"
#include "app/Form1.h"
#include "app/MessageBox.h"
#include "tray/Module2.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using app::Form1;

namespace {

const QString BuiltIn = QStringLiteral("简体中文(内置)");

struct SetsRow
{
    QString btips;
    QVariant magw;
    QString lng;
};

// The store file read and changed behind the program's back, on a connection of its own.
class RawDb
{
public:
    explicit RawDb(const QString& path) : m_name(QStringLiteral("shell-raw-%1").arg(++s_count))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        m_ok = db.open();
    }
    ~RawDb()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    bool exec(const QString& sql, const QVariantList& values = {})
    {
        QSqlQuery q(QSqlDatabase::database(m_name));
        if (!m_ok || !q.prepare(sql))
            return false;
        for (const QVariant& v : values)
            q.addBindValue(v);
        return q.exec();
    }
    QList<SetsRow> sets()
    {
        QList<SetsRow> rows;
        QSqlQuery q(QSqlDatabase::database(m_name));
        if (m_ok && q.exec(QStringLiteral("SELECT Btips, magw, Lng FROM sets ORDER BY rowid"))) {
            while (q.next())
                rows.append({q.value(0).toString(), q.value(1), q.value(2).toString()});
        }
        return rows;
    }

private:
    static inline int s_count = 0;
    QString m_name;
    bool m_ok = false;
};

QList<SetsRow> setsOf(const QString& path)
{
    RawDb raw(path);
    return raw.sets();
}

SetsRow xdOf(const QString& path)
{
    for (const SetsRow& row : setsOf(path)) {
        if (row.btips == QLatin1String("XD"))
            return row;
    }
    return {};
}

bool execOn(const QString& path, const QString& sql, const QVariantList& values = {})
{
    RawDb raw(path);
    return raw.exec(sql, values);
}

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

int visiblePages(const Form1& f, int* which)
{
    int count = 0;
    for (int i = 0; i < 5; ++i) {
        if (!f.widgets().frameA[i]->isHidden()) {
            ++count;
            *which = i;
        }
    }
    return count;
}

QStringList comboEntries(const QComboBox* combo)
{
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    return entries;
}

// Notes whether the tray icon is still there when the window receives its close request.
class CloseWatcher : public QObject
{
public:
    explicit CloseWatcher(tray::Module2* tray) : m_tray(tray) {}
    int closeRequests = 0;
    bool iconAtClose = true;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            ++closeRequests;
            iconAtClose = m_tray->hasIcon();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    tray::Module2* m_tray;
};

} // namespace

class TestShell : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString storePath() const { return m_dir->filePath(QStringLiteral("Sav.qlk")); }
    // Creates the store with a first start and lets the test change it before the next one.
    void firstStart()
    {
        Form1 f(m_dir->path());
        QVERIFY(QFile::exists(storePath()));
    }
    void writePack(const QString& file, const QByteArray& content)
    {
        QDir(m_dir->path()).mkpath(QStringLiteral("lngs"));
        QFile f(m_dir->filePath(QStringLiteral("lngs/") + file));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

private slots:
    void initTestCase() { MessageBox::setAutoAnswer(true); }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        MessageBox::clearHistory();
    }

    void exactlyOnePageAfterEveryTabChange();
    void sidePanelNarrowsAndWidens();
    void trayIconTipAndMenu();
    void trayClickOnTheWindow();
    void exitRemovesTheIconBeforeClosing();
    void closeButtonRemovesTheIcon();
    void timerTickDocksAndHidesTheWindow();
    void tickAndUntickWriteAndSwitchTheTimer();
    void failedTickWriteIsReportedAndTheTimerStillFollows();
    void startUpWithStoredOnTicksWithoutWriting();
    void startUpWithStoredOffOrOddValue_data();
    void startUpWithStoredOffOrOddValue();
    void twoSettingsRows();
    void languageChoiceAndEmptyText();
    void startUpAddsAMissingSettingsRow();
    void startUpLanguageCheck_data();
    void startUpLanguageCheck();
};

void TestShell::exactlyOnePageAfterEveryTabChange()
{
    Form1 f(m_dir->path());
    f.show();
    int page = -1;
    QCOMPARE(visiblePages(f, &page), 1);
    QCOMPARE(page, 0);
    for (int tab : {2, 4, 1, 3, 0, 4}) {
        f.widgets().tabStrip->setCurrentIndex(tab);
        QCOMPARE(visiblePages(f, &page), 1);
        QCOMPARE(page, tab);
    }
    // The tab that is already selected, clicked again.
    f.TabStrip1_Click();
    QCOMPARE(visiblePages(f, &page), 1);
    QCOMPARE(page, 4);
    QVERIFY(!f.widgets().frameL->isHidden());
}

void TestShell::sidePanelNarrowsAndWidens()
{
    Form1 f(m_dir->path());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    app::ClickLabel* lr = f.widgets().labelLR;
    QCOMPARE(lr->text(), QStringLiteral("<"));
    f.move(40, 30);
    const QPoint origin = f.pos();
    const int height = f.frameGeometry().height();

    QTest::mouseClick(lr, Qt::LeftButton);
    QCOMPARE(lr->text(), QStringLiteral(">"));
    QCOMPARE(f.frameGeometry().width(), 6300 / 15);
    QCOMPARE(f.pos(), origin);
    QCOMPARE(f.frameGeometry().height(), height);
    QVERIFY(lr->isVisibleTo(&f));
    QVERIFY(f.frameGeometry().contains(lr->mapTo(&f, lr->rect().bottomRight()) + f.geometry().topLeft()));

    QTest::mouseClick(lr, Qt::LeftButton);
    QCOMPARE(lr->text(), QStringLiteral("<"));
    QCOMPARE(f.frameGeometry().width(), 16185 / 15);
    QCOMPARE(f.pos(), origin);
    QCOMPARE(f.frameGeometry().height(), height);

    // Narrowed, then widened by other means: the next click still sets the fixed wide width.
    f.LabelLR_Click();
    f.resize(700, f.height());
    QCOMPARE(lr->text(), QStringLiteral(">"));
    f.LabelLR_Click();
    QCOMPARE(f.frameGeometry().width(), 16185 / 15);
    QCOMPARE(lr->text(), QStringLiteral("<"));
}

void TestShell::trayIconTipAndMenu()
{
    Form1 f(m_dir->path());
    tray::Module2* tray = f.trayModule();
    QVERIFY(tray);
    QVERIFY(tray->hasIcon());
    QCOMPARE(tray->trayTip(), QStringLiteral("羽笔卷宗"));
    QCOMPARE(tray->trayForm(), &f);
    QCOMPARE(tray->trayMenu(), f.trayMenu());

    const QList<QAction*> items = f.trayMenu()->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0]->text(), QStringLiteral("联系方式"));
    QCOMPARE(items[0]->objectName(), QStringLiteral("mumTrayAbout"));
    QCOMPARE(items[1]->text(), QStringLiteral("退出"));
    QCOMPARE(items[1]->objectName(), QStringLiteral("mumTrayClose"));

    items[0]->trigger();
    QCOMPARE(MessageBox::history().size(), 1);
    const MessageBox::Shown& box = MessageBox::history().first();
    QCOMPARE(box.title, QStringLiteral("羽笔卷宗"));
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    const QStringList lines = box.text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].startsWith(QLatin1String("QQ:")) && lines[0].size() > 3);
    QVERIFY(lines[1].startsWith(QLatin1String("E-mail:")) && lines[1].contains(QLatin1Char('@')));
    QVERIFY(lines[2].startsWith(QLatin1String("Homepage:")) && lines[2].size() > 9);
    QVERIFY(tray->hasIcon());
}

void TestShell::trayClickOnTheWindow()
{
    Form1 f(m_dir->path());
    f.show();
    tray::Module2* tray = f.trayModule();
    tray->TrayWindowProc(QSystemTrayIcon::Trigger);
    QVERIFY(f.isMinimized());
    tray->TrayWindowProc(QSystemTrayIcon::Trigger);
    QVERIFY(!f.isMinimized() && !f.isMaximized());
    f.showMaximized();
    tray->TrayWindowProc(QSystemTrayIcon::Trigger);
    QVERIFY(!f.isMinimized() && !f.isMaximized());
    tray->TrayWindowProc(QSystemTrayIcon::Trigger);
    tray->TrayWindowProc(QSystemTrayIcon::DoubleClick);
    QVERIFY(!f.isMinimized() && !f.isMaximized());
}

void TestShell::exitRemovesTheIconBeforeClosing()
{
    Form1 f(m_dir->path());
    f.show();
    tray::Module2* tray = f.trayModule();
    CloseWatcher watcher(tray);
    f.installEventFilter(&watcher);
    f.trayMenu()->actions().at(1)->trigger();
    QCOMPARE(watcher.closeRequests, 1);
    QVERIFY(!watcher.iconAtClose);
    QVERIFY(!tray->hasIcon());
    QVERIFY(!f.isVisible());
    QVERIFY(MessageBox::history().isEmpty());
    // A further close request removes the icon a second time, harmlessly.
    QVERIFY(f.close());
    QVERIFY(!tray->hasIcon());
}

void TestShell::closeButtonRemovesTheIcon()
{
    Form1 f(m_dir->path());
    f.show();
    QVERIFY(f.trayModule()->hasIcon());
    QVERIFY(f.close());
    QVERIFY(!f.trayModule()->hasIcon());
    QVERIFY(!f.isVisible());
    QVERIFY(MessageBox::history().isEmpty());
}

void TestShell::timerTickDocksAndHidesTheWindow()
{
    Form1 f(m_dir->path());
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QScreen* screen = f.screen();
    QVERIFY(screen);
    const QRect area = screen->geometry();
    // Well inside the screen's width and height, touching the top edge only.
    f.resize(area.width() / 2, area.height() / 2);
    f.move(area.topLeft() + QPoint(20, 0));
    const QRect shown = f.frameGeometry();
    QCOMPARE(shown.top(), area.top());

    QCursor::setPos(screen, shown.center().x(), shown.bottom() + 40);
    if (QCursor::pos(screen) != QPoint(shown.center().x(), shown.bottom() + 40))
        QSKIP("this platform cannot place the cursor");
    f.Timer1_Timer();
    // 50 twips stay: 3 of the window's pixels at 15 twips per pixel.
    QCOMPARE(f.frameGeometry().bottom() - area.top(), 3 - 1);
    QCOMPARE(f.frameGeometry().left(), shown.left());

    QCursor::setPos(screen, shown.center().x(), area.top() + 1);
    f.Timer1_Timer();
    QCOMPARE(f.frameGeometry(), shown);

    // At the bottom nothing stays on the screen: the window parks 50 twips (3 pixels) below it.
    f.move(shown.left(), area.bottom() + 1 - shown.height());
    const QRect bottom = f.frameGeometry();
    QCOMPARE(bottom.bottom(), area.bottom());
    QCursor::setPos(screen, bottom.center().x(), bottom.top() - 10);
    f.Timer1_Timer();
    QCOMPARE(f.frameGeometry().top(), area.bottom() + 1 + 3);
    QCursor::setPos(screen, bottom.center().x(), area.bottom());
    f.Timer1_Timer();
    QCOMPARE(f.frameGeometry(), bottom);
}

void TestShell::tickAndUntickWriteAndSwitchTheTimer()
{
    Form1 f(m_dir->path());
    QCOMPARE(f.CtlChk, QVariant(1));
    QVERIFY(!f.widgets().checkSet->isChecked());
    QVERIFY(!f.timer1()->isActive());
    QCOMPARE(f.timer1()->objectName(), QStringLiteral("Timer1"));

    f.widgets().checkSet->click();
    QCOMPARE(xdOf(storePath()).magw.toInt(), 1);
    QVERIFY(f.timer1()->isActive());
    QCOMPARE(f.CtlChk, QVariant(1));

    f.widgets().checkSet->click();
    QCOMPARE(xdOf(storePath()).magw.toInt(), 0);
    QVERIFY(!f.timer1()->isActive());
    QCOMPARE(f.CtlChk, QVariant(1));
    QVERIFY(MessageBox::history().isEmpty());

    // With the guard down (start-up's own assignment) the click only switches the timer.
    f.CtlChk = 0;
    f.widgets().checkSet->setChecked(true);
    QVERIFY(f.timer1()->isActive());
    QCOMPARE(xdOf(storePath()).magw.toInt(), 0);
    f.CtlChk = QVariant();
    f.widgets().checkSet->setChecked(false);
    QVERIFY(!f.timer1()->isActive());
    QCOMPARE(xdOf(storePath()).magw.toInt(), 0);
}

void TestShell::failedTickWriteIsReportedAndTheTimerStillFollows()
{
    Form1 f(m_dir->path());
    QVERIFY(execOn(storePath(), QStringLiteral("DELETE FROM sets")));
    f.widgets().checkSet->click();
    QVERIFY(f.timer1()->isActive());
    QCOMPARE(f.CtlChk, QVariant(1));
    QCOMPARE(MessageBox::history().size(), 1);
    QCOMPARE(MessageBox::history().first().title, Form1::messageTitle());
    QCOMPARE(MessageBox::history().first().icon, QMessageBox::Warning);
    QVERIFY(!MessageBox::history().first().text.isEmpty());
    QVERIFY(setsOf(storePath()).isEmpty());
}

void TestShell::startUpWithStoredOnTicksWithoutWriting()
{
    firstStart();
    QVERIFY(execOn(storePath(), QStringLiteral("UPDATE sets SET magw = 1")));
    const QByteArray before = fileHash(storePath());
    QVERIFY(!before.isEmpty());
    {
        Form1 f(m_dir->path());
        QVERIFY(f.widgets().checkSet->isChecked());
        QVERIFY(f.timer1()->isActive());
        QCOMPARE(f.CtlChk, QVariant(1));
        f.timer1()->stop();
    }
    QCOMPARE(fileHash(storePath()), before);
    QCOMPARE(xdOf(storePath()).magw.toInt(), 1);
    QVERIFY(MessageBox::history().isEmpty());
}

void TestShell::startUpWithStoredOffOrOddValue_data()
{
    QTest::addColumn<QVariant>("magw");
    QTest::newRow("0") << QVariant(0);
    QTest::newRow("2") << QVariant(2);
    QTest::newRow("-1") << QVariant(-1);
    QTest::newRow("text") << QVariant(QStringLiteral("on"));
    QTest::newRow("null") << QVariant();
    QTest::newRow("out of range") << QVariant(65537);
}

void TestShell::startUpWithStoredOffOrOddValue()
{
    QFETCH(QVariant, magw);
    firstStart();
    QVERIFY(execOn(storePath(), QStringLiteral("UPDATE sets SET magw = ?"), {magw}));
    const QByteArray before = fileHash(storePath());
    {
        Form1 f(m_dir->path());
        QVERIFY(!f.widgets().checkSet->isChecked());
        QVERIFY(!f.timer1()->isActive());
        QCOMPARE(f.CtlChk, QVariant(1));
    }
    QCOMPARE(fileHash(storePath()), before);
}

void TestShell::twoSettingsRows()
{
    firstStart();
    QVERIFY(
        execOn(storePath(), QStringLiteral("INSERT INTO sets (Btips, magw, Lng) VALUES ('AA', 1, '简体')")));
    Form1 f(m_dir->path());
    // Read from the row that sorts first ...
    QVERIFY(f.widgets().checkSet->isChecked());
    QVERIFY(f.timer1()->isActive());
    f.timer1()->stop();
    // ... written to the row "XD".
    f.widgets().checkSet->click();
    QList<SetsRow> rows = setsOf(storePath());
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].btips, QStringLiteral("XD"));
    QCOMPARE(rows[0].magw.toInt(), 0);
    QCOMPARE(rows[0].lng, BuiltIn);
    QCOMPARE(rows[1].magw.toInt(), 1);
    QCOMPARE(rows[1].lng, QStringLiteral("简体"));
    f.widgets().checkSet->click();
    QCOMPARE(xdOf(storePath()).magw.toInt(), 1);
    f.timer1()->stop();
}

void TestShell::languageChoiceAndEmptyText()
{
    writePack(QStringLiteral("en.lng"), "LanguageName=English\r\nAuthor=x\r\n");
    Form1 f(m_dir->path());
    QComboBox* combo = f.widgets().combo2;
    QCOMPARE(comboEntries(combo), (QStringList{BuiltIn, QStringLiteral("English")}));
    QCOMPARE(combo->currentIndex(), -1);

    combo->setCurrentIndex(1);
    emit combo->activated(1);
    QCOMPARE(xdOf(storePath()).lng, QStringLiteral("English"));

    combo->setCurrentIndex(-1);
    f.Combo2_Click();
    QCOMPARE(xdOf(storePath()).lng, QStringLiteral("English"));
    QVERIFY(MessageBox::history().isEmpty());
}

void TestShell::startUpAddsAMissingSettingsRow()
{
    firstStart();
    QVERIFY(execOn(storePath(), QStringLiteral("DELETE FROM sets")));
    {
        Form1 f(m_dir->path());
        QVERIFY(!f.widgets().checkSet->isChecked());
        f.widgets().checkSet->click();
        f.timer1()->stop();
    }
    const QList<SetsRow> rows = setsOf(storePath());
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].btips, QStringLiteral("XD"));
    QCOMPARE(rows[0].magw.toInt(), 1);
    QCOMPARE(rows[0].lng, BuiltIn);
    QVERIFY(MessageBox::history().isEmpty());
}

void TestShell::startUpLanguageCheck_data()
{
    QTest::addColumn<QStringList>("packs"); // file contents, one pack each
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("afterStart");

    const QStringList two{QStringLiteral("LanguageName=English\r\n"),
                          QStringLiteral("LanguageName=Deutsch\r\n")};
    QTest::newRow("pack still there") << two << QStringLiteral("English") << QStringLiteral("English");
    QTest::newRow("part of a name") << two << QStringLiteral("glis") << QStringLiteral("glis");
    QTest::newRow("across two names") << two << QStringLiteral("ishDeu") << QStringLiteral("ishDeu");
    QTest::newRow("across built-in and pack") << two << QStringLiteral(")Eng") << QStringLiteral(")Eng");
    QTest::newRow("vanished pack") << QStringList{two[1]} << QStringLiteral("English") << BuiltIn;
    QTest::newRow("no packs at all") << QStringList() << QStringLiteral("Deutsch") << BuiltIn;
    QTest::newRow("letter case counts") << two << QStringLiteral("english") << BuiltIn;
    QTest::newRow("empty counts as listed") << QStringList() << QString() << QString();
}

void TestShell::startUpLanguageCheck()
{
    QFETCH(QStringList, packs);
    QFETCH(QString, stored);
    QFETCH(QString, afterStart);
    for (int i = 0; i < packs.size(); ++i)
        writePack(QStringLiteral("p%1.lng").arg(i), packs[i].toUtf8());
    firstStart();
    QVERIFY(execOn(storePath(), QStringLiteral("UPDATE sets SET Lng = ?"), {stored}));
    const QByteArray before = fileHash(storePath());
    {
        Form1 f(m_dir->path());
        QCOMPARE(f.widgets().combo2->count(), packs.size() + 1);
        QCOMPARE(f.widgets().combo2->currentIndex(), -1);
    }
    QCOMPARE(xdOf(storePath()).lng, afterStart);
    if (stored == afterStart)
        QCOMPARE(fileHash(storePath()), before);
    QVERIFY(MessageBox::history().isEmpty());
}

QTEST_MAIN(TestShell)
#include "testShell.moc"
