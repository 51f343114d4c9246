// The window's settings offscreen: the "磁性窗体" box and its guard, the language box, and what
// start-up reads, adds and resets in the settings row.
#include "RawDb.h"
#include "StoreProbe.h"
#include "WindowTest.h"
#include "app/Form1.h"
#include "app/dialogs/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QtTest>

using app::Form1;

namespace {

const QString BuiltIn = QStringLiteral("简体中文(内置)");

probe::SettingsRow xdOf(const QString& path)
{
    for (const probe::SettingsRow& row : probe::settingsRows(path)) {
        if (row.btips == QLatin1String("XD"))
            return row;
    }
    return {};
}

bool execOn(const QString& path, const QString& sql, const QVariantList& values = {})
{
    kit::RawDb raw(path);
    return raw.exec(sql, values);
}

// Counts every write to sets from now on, even one that stores the value already there (SQLite
// leaves the file untouched in that case, so the file alone cannot tell).
bool watchWrites(const QString& path)
{
    kit::RawDb raw(path);
    return raw.exec(QStringLiteral("CREATE TABLE setsWrites (n INTEGER)")) &&
           raw.exec(QStringLiteral("CREATE TRIGGER setsUpdated AFTER UPDATE ON sets"
                                   " BEGIN INSERT INTO setsWrites VALUES (1); END")) &&
           raw.exec(QStringLiteral("CREATE TRIGGER setsInserted AFTER INSERT ON sets"
                                   " BEGIN INSERT INTO setsWrites VALUES (1); END"));
}

int writesTo(const QString& path)
{
    const QVariant n = kit::RawDb(path).scalar(QStringLiteral("SELECT COUNT(*) FROM setsWrites"));
    return n.isValid() ? n.toInt() : -1;
}

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QStringList comboEntries(const QComboBox* combo)
{
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    return entries;
}

} // namespace

class TestShellSettings : public kit::WindowTest
{
    Q_OBJECT

private:
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
    void init() { openFolder(); }

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

void TestShellSettings::tickAndUntickWriteAndSwitchTheTimer()
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

void TestShellSettings::failedTickWriteIsReportedAndTheTimerStillFollows()
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
    QVERIFY(probe::settingsRows(storePath()).isEmpty());
}

void TestShellSettings::startUpWithStoredOnTicksWithoutWriting()
{
    firstStart();
    QVERIFY(execOn(storePath(), QStringLiteral("UPDATE sets SET magw = 1")));
    QVERIFY(watchWrites(storePath()));
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
    QCOMPARE(writesTo(storePath()), 0);
    QCOMPARE(xdOf(storePath()).magw.toInt(), 1);
    QVERIFY(MessageBox::history().isEmpty());
}

void TestShellSettings::startUpWithStoredOffOrOddValue_data()
{
    QTest::addColumn<QVariant>("magw");
    QTest::newRow("0") << QVariant(0);
    QTest::newRow("2") << QVariant(2);
    QTest::newRow("-1") << QVariant(-1);
    QTest::newRow("text") << QVariant(QStringLiteral("on"));
    QTest::newRow("null") << QVariant();
    QTest::newRow("out of range") << QVariant(65537);
}

void TestShellSettings::startUpWithStoredOffOrOddValue()
{
    QFETCH(QVariant, magw);
    firstStart();
    QVERIFY(execOn(storePath(), QStringLiteral("UPDATE sets SET magw = ?"), {magw}));
    QVERIFY(watchWrites(storePath()));
    const QByteArray before = fileHash(storePath());
    {
        Form1 f(m_dir->path());
        QVERIFY(!f.widgets().checkSet->isChecked());
        QVERIFY(!f.timer1()->isActive());
        QCOMPARE(f.CtlChk, QVariant(1));
    }
    QCOMPARE(fileHash(storePath()), before);
    QCOMPARE(writesTo(storePath()), 0);
}

void TestShellSettings::twoSettingsRows()
{
    firstStart();
    QVERIFY(
        execOn(storePath(), QStringLiteral("INSERT INTO sets (Btips, magw, Lng) VALUES ('AA', 1, '简体')")));
    {
        Form1 f(m_dir->path());
        // Read from the row "XD", although "AA" sorts first ...
        QVERIFY(!f.widgets().checkSet->isChecked());
        QVERIFY(!f.timer1()->isActive());
        // ... and written to it.
        f.widgets().checkSet->click();
        f.timer1()->stop();
        const QList<probe::SettingsRow> rows = probe::settingsRows(storePath());
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].btips, QStringLiteral("XD"));
        QCOMPARE(rows[0].magw.toInt(), 1);
        QCOMPARE(rows[0].lng.toString(), BuiltIn);
        QCOMPARE(rows[1].magw.toInt(), 1);
        QCOMPARE(rows[1].lng.toString(), QStringLiteral("简体"));
    }
    // The tick lasts: the next start finds it, and unticking there lasts too.
    {
        Form1 f(m_dir->path());
        QVERIFY(f.widgets().checkSet->isChecked());
        f.timer1()->stop();
        f.widgets().checkSet->click();
        f.timer1()->stop();
    }
    Form1 f(m_dir->path());
    QVERIFY(!f.widgets().checkSet->isChecked());
    QCOMPARE(probe::settingsRows(storePath()).at(1).magw.toInt(), 1);
}

void TestShellSettings::languageChoiceAndEmptyText()
{
    writePack(QStringLiteral("en.lng"), "LanguageName=English\r\nAuthor=x\r\n");
    Form1 f(m_dir->path());
    QComboBox* combo = f.widgets().combo2;
    QCOMPARE(comboEntries(combo), (QStringList{BuiltIn, QStringLiteral("English")}));
    QCOMPARE(combo->currentIndex(), -1);

    combo->setCurrentIndex(1);
    emit combo->activated(1);
    QCOMPARE(xdOf(storePath()).lng.toString(), QStringLiteral("English"));

    combo->setCurrentIndex(-1);
    f.Combo2_Click();
    QCOMPARE(xdOf(storePath()).lng.toString(), QStringLiteral("English"));
    QVERIFY(MessageBox::history().isEmpty());
}

void TestShellSettings::startUpAddsAMissingSettingsRow()
{
    firstStart();
    QVERIFY(execOn(storePath(), QStringLiteral("DELETE FROM sets")));
    {
        Form1 f(m_dir->path());
        QVERIFY(!f.widgets().checkSet->isChecked());
        f.widgets().checkSet->click();
        f.timer1()->stop();
    }
    const QList<probe::SettingsRow> rows = probe::settingsRows(storePath());
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].btips, QStringLiteral("XD"));
    QCOMPARE(rows[0].magw.toInt(), 1);
    QCOMPARE(rows[0].lng.toString(), BuiltIn);
    QVERIFY(MessageBox::history().isEmpty());
}

void TestShellSettings::startUpLanguageCheck_data()
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

void TestShellSettings::startUpLanguageCheck()
{
    QFETCH(QStringList, packs);
    QFETCH(QString, stored);
    QFETCH(QString, afterStart);
    for (int i = 0; i < packs.size(); ++i)
        writePack(QStringLiteral("p%1.lng").arg(i), packs[i].toUtf8());
    firstStart();
    QVERIFY(execOn(storePath(), QStringLiteral("UPDATE sets SET Lng = ?"), {stored}));
    QVERIFY(watchWrites(storePath()));
    const QByteArray before = fileHash(storePath());
    {
        Form1 f(m_dir->path());
        QCOMPARE(f.widgets().combo2->count(), packs.size() + 1);
        QCOMPARE(f.widgets().combo2->currentIndex(), -1);
    }
    QCOMPARE(xdOf(storePath()).lng.toString(), afterStart);
    if (stored == afterStart) {
        QCOMPARE(fileHash(storePath()), before);
        QCOMPARE(writesTo(storePath()), 0);
    } else {
        QCOMPARE(writesTo(storePath()), 1);
    }
    QVERIFY(MessageBox::history().isEmpty());
}

QTEST_MAIN(TestShellSettings)
#include "testShellSettings.moc"
