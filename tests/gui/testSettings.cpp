#include "Module1Seam.h"
#include "RawDb.h"
#include "StoreProbe.h"
#include "lang/LanguagePacks.h"
#include "store/Module1.h"
#include "store/SettingsRow.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace settings = store::settings;

namespace {

bool execOn(const QString& path, const QString& sql, const QVariantList& values = {})
{
    kit::RawDb raw(path);
    return raw.isOpen() && raw.exec(sql, values);
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_temp;
    QString m_path;

private slots:
    void init();
    void toInt16_data();
    void toInt16();
    void newStoreReadsTheDefaults();
    void writesReachTheSettingsRow();
    void emptyLanguageWritesNothing();
    void readAndWritesUseTheRowXD();
    void withoutTheRowNothingIsWrittenOrCreated();
    void readOfEmptyTableAndOddValues();
    void readAndWriteOfMissingStore();
    void ensureInsertsTheRowOnce();
    void ensureLeavesUnusableAndMissingStoresAlone();
};

void TestSettings::init()
{
    QVERIFY(m_temp.isValid());
    m_path = m_temp.filePath(QStringLiteral("Sav.qlk"));
    QFile::remove(m_path);
    QString error;
    QVERIFY2(store::Module1::createStore(m_path, &error), qPrintable(error));
}

void TestSettings::toInt16_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<int>("expected");

    QTest::newRow("null") << QVariant() << false << 0;
    QTest::newRow("0") << QVariant(0) << true << 0;
    QTest::newRow("1") << QVariant(qlonglong(1)) << true << 1;
    QTest::newRow("2") << QVariant(2) << true << 2;
    QTest::newRow("text 1") << QVariant(QStringLiteral("1")) << true << 1;
    QTest::newRow("text with blanks") << QVariant(QStringLiteral(" 1 ")) << true << 1;
    QTest::newRow("text exponent") << QVariant(QStringLiteral("1e2")) << true << 100;
    QTest::newRow("empty text") << QVariant(QString()) << false << 0;
    QTest::newRow("word") << QVariant(QStringLiteral("yes")) << false << 0;
    QTest::newRow("0.5 to even") << QVariant(0.5) << true << 0;
    QTest::newRow("1.5 to even") << QVariant(1.5) << true << 2;
    QTest::newRow("2.5 to even") << QVariant(2.5) << true << 2;
    QTest::newRow("1.4") << QVariant(1.4) << true << 1;
    QTest::newRow("largest") << QVariant(32767) << true << 32767;
    QTest::newRow("too large") << QVariant(32768) << false << 0;
    QTest::newRow("smallest") << QVariant(-32768) << true << -32768;
    QTest::newRow("too small") << QVariant(qlonglong(-32769)) << false << 0;
    QTest::newRow("not a number") << QVariant(std::nan("")) << false << 0;
    QTest::newRow("blob") << QVariant(QByteArray("1")) << true << 1;
}

void TestSettings::toInt16()
{
    QFETCH(QVariant, value);
    QFETCH(bool, converts);
    QFETCH(int, expected);
    const std::optional<qint16> result = settings::toInt16(value);
    QCOMPARE(result.has_value(), converts);
    if (converts)
        QCOMPARE(int(*result), expected);
}

void TestSettings::newStoreReadsTheDefaults()
{
    store::Module1 db(m_path);
    const settings::StoredSettings stored = settings::readSettings(db);
    QVERIFY2(stored.ok, qPrintable(stored.error));
    QVERIFY(stored.found);
    QCOMPARE(stored.magw, std::optional<qint16>(0));
    QCOMPARE(stored.lng, lang::builtInLanguage());
    QVERIFY(!db.isOpen());
}

void TestSettings::writesReachTheSettingsRow()
{
    store::Module1 db(m_path);
    QString error;
    QVERIFY2(settings::writeMagw(db, 1, &error), qPrintable(error));
    QVERIFY2(settings::writeLanguage(db, QStringLiteral("English (UK)'s"), &error), qPrintable(error));
    QVERIFY(!db.isOpen());
    QList<probe::SettingsRow> rows = probe::settingsRows(m_path);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].magw.toInt(), 1);
    QCOMPARE(rows[0].lng.toString(), QStringLiteral("English (UK)'s"));

    const settings::StoredSettings stored = settings::readSettings(db);
    QCOMPARE(stored.magw, std::optional<qint16>(1));
    QCOMPARE(stored.lng, QStringLiteral("English (UK)'s"));

    QVERIFY(settings::writeMagw(db, 0, &error));
    QVERIFY(settings::resetLanguage(db, &error));
    rows = probe::settingsRows(m_path);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].magw.toInt(), 0);
    QCOMPARE(rows[0].lng.toString(), lang::builtInLanguage());
}

void TestSettings::emptyLanguageWritesNothing()
{
    QVERIFY(execOn(m_path, QStringLiteral("UPDATE sets SET Lng = 'English'")));
    store::Module1 db(m_path);
    QString error;
    QVERIFY(settings::writeLanguage(db, QString(), &error));
    QVERIFY(error.isEmpty());
    QCOMPARE(probe::settingsRows(m_path).at(0).lng.toString(), QStringLiteral("English"));
}

void TestSettings::readAndWritesUseTheRowXD()
{
    // Two more rows, both sorting before "XD" (NULL sorts first of all).
    QVERIFY(execOn(m_path, QStringLiteral("INSERT INTO sets (Btips, magw, Lng) VALUES (?, ?, ?)"),
                   {QStringLiteral("AA"), 1, QStringLiteral("Deutsch")}));
    QVERIFY(
        execOn(m_path, QStringLiteral("INSERT INTO sets (Btips, magw, Lng) VALUES (NULL, 1, 'Français')")));
    store::Module1 db(m_path);
    settings::StoredSettings stored = settings::readSettings(db);
    QVERIFY(stored.found);
    QCOMPARE(stored.magw, std::optional<qint16>(0));
    QCOMPARE(stored.lng, lang::builtInLanguage());

    // What is written is what the next start reads.
    QVERIFY(settings::writeMagw(db, 1));
    QVERIFY(settings::writeLanguage(db, QStringLiteral("English")));
    stored = settings::readSettings(db);
    QCOMPARE(stored.magw, std::optional<qint16>(1));
    QCOMPARE(stored.lng, QStringLiteral("English"));
    QVERIFY(settings::writeMagw(db, 0));
    QCOMPARE(settings::readSettings(db).magw, std::optional<qint16>(0));

    const QList<probe::SettingsRow> rows = probe::settingsRows(m_path);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0].btips, QStringLiteral("XD"));
    QCOMPARE(rows[0].magw.toInt(), 0);
    QCOMPARE(rows[0].lng.toString(), QStringLiteral("English"));
    QCOMPARE(rows[1].btips, QStringLiteral("AA"));
    QCOMPARE(rows[1].magw.toInt(), 1);
    QCOMPARE(rows[1].lng.toString(), QStringLiteral("Deutsch"));
    QCOMPARE(rows[2].lng.toString(), QStringLiteral("Français"));
}

void TestSettings::withoutTheRowNothingIsWrittenOrCreated()
{
    QVERIFY(execOn(m_path, QStringLiteral("UPDATE sets SET Btips = 'xd'")));
    store::Module1 db(m_path);
    QString error;
    QVERIFY(!settings::writeMagw(db, 1, &error));
    QVERIFY(!error.isEmpty());
    error.clear();
    QVERIFY(!settings::resetLanguage(db, &error));
    QVERIFY(!error.isEmpty());
    const QList<probe::SettingsRow> rows = probe::settingsRows(m_path);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].btips, QStringLiteral("xd"));
    QCOMPARE(rows[0].magw.toInt(), 0);
    QCOMPARE(rows[0].lng.toString(), lang::builtInLanguage());
}

void TestSettings::readOfEmptyTableAndOddValues()
{
    QVERIFY(execOn(m_path, QStringLiteral("UPDATE sets SET magw = 'on', Lng = NULL")));
    store::Module1 db(m_path);
    settings::StoredSettings stored = settings::readSettings(db);
    QVERIFY(stored.ok && stored.found);
    QVERIFY(!stored.magw.has_value());
    QVERIFY(stored.lng.isEmpty());

    QVERIFY(execOn(m_path, QStringLiteral("DELETE FROM sets")));
    stored = settings::readSettings(db);
    QVERIFY(stored.ok);
    QVERIFY(!stored.found);
    QVERIFY(!stored.magw.has_value());
    QVERIFY(stored.lng.isEmpty());
}

void TestSettings::readAndWriteOfMissingStore()
{
    const QString missing = m_temp.filePath(QStringLiteral("gone.qlk"));
    store::Module1 db(missing);
    const settings::StoredSettings stored = settings::readSettings(db);
    QVERIFY(!stored.ok);
    QVERIFY(!stored.error.isEmpty());
    QString error;
    QVERIFY(!settings::writeMagw(db, 1, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(missing));
}

void TestSettings::ensureInsertsTheRowOnce()
{
    QVERIFY(execOn(m_path, QStringLiteral("DELETE FROM sets")));
    QVERIFY(execOn(m_path, QStringLiteral("INSERT INTO sets (Btips, magw, Lng) VALUES ('AA', 1, 'x')")));
    store::Module1 db(m_path);
    QString error;
    QVERIFY2(settings::ensureSettingsRow(db, &error), qPrintable(error));
    QVERIFY(!db.isOpen());
    QList<probe::SettingsRow> rows = probe::settingsRows(m_path);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].btips, QStringLiteral("XD"));
    QCOMPARE(rows[1].magw.toInt(), 0);
    QCOMPARE(rows[1].lng.toString(), lang::builtInLanguage());

    // With the row in place nothing changes, not even its values.
    QVERIFY(execOn(m_path, QStringLiteral("UPDATE sets SET magw = 1, Lng = 'English' WHERE Btips = 'XD'")));
    QVERIFY(settings::ensureSettingsRow(db, &error));
    rows = probe::settingsRows(m_path);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].magw.toInt(), 1);
    QCOMPARE(rows[1].lng.toString(), QStringLiteral("English"));
}

void TestSettings::ensureLeavesUnusableAndMissingStoresAlone()
{
    QVERIFY(execOn(m_path, QStringLiteral("DELETE FROM sets")));
    store::Module1 db(m_path);
    store::Module1Seam::markUnusable(db, QStringLiteral("kept as it is"));
    QString error;
    QVERIFY(!settings::ensureSettingsRow(db, &error));
    QCOMPARE(error, QStringLiteral("kept as it is"));
    QVERIFY(probe::settingsRows(m_path).isEmpty());

    const QString missing = m_temp.filePath(QStringLiteral("gone.qlk"));
    store::Module1 none(missing);
    QVERIFY(!settings::ensureSettingsRow(none, &error));
    QVERIFY(!QFile::exists(missing));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "testSettings.moc"
