// The Jet reader against libmdb's own text path, on files made by Access, and against known bytes.
#include "JetReader.h"
#include "JetText.h"

#include <glib.h>

#include <mdbtools.h>

#include <QDir>
#include <QStringList>
#include <QTest>

#include <algorithm>
#include <map>
#include <memory>

namespace {

constexpr std::size_t BindSize = 65536;

// Every row of the text and memo columns as libmdb binds them: UTF-8, NULL as "".
bool readWithLibmdb(const QString& path, const std::string& table, const std::vector<std::string>& columns,
                    std::vector<std::vector<std::string>>& rows, unsigned& storedRows)
{
    MdbHandle* mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!mdb)
        return false;
    std::unique_ptr<MdbHandle, void (*)(MdbHandle*)> guard(mdb, mdb_close);
    mdb_set_bind_size(mdb, BindSize);
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        return false;
    MdbTableDef* def = mdb_read_table_by_name(mdb, const_cast<gchar*>(table.c_str()), MDB_TABLE);
    if (!def)
        return false;
    std::unique_ptr<MdbTableDef, void (*)(MdbTableDef*)> tableGuard(def, mdb_free_tabledef);
    mdb_read_columns(def);
    storedRows = def->num_rows;
    std::vector<std::vector<char>> buffers(columns.size(), std::vector<char>(BindSize));
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (mdb_bind_column_by_name(def, const_cast<gchar*>(columns[c].c_str()), buffers[c].data(), nullptr) <
            0)
            return false;
    }
    mdb_rewind_table(def);
    while (mdb_fetch_row(def)) {
        std::vector<std::string> row;
        for (const auto& buffer : buffers)
            row.emplace_back(buffer.data());
        rows.push_back(std::move(row));
    }
    return true;
}

bool outsideBmp(const std::string& utf8)
{
    return std::any_of(utf8.begin(), utf8.end(),
                       [](char c) { return (static_cast<unsigned char>(c) & 0xF8) == 0xF0; });
}

QByteArray decoded(const QByteArray& stored, bool* ok = nullptr)
{
    std::string out;
    std::string error;
    const bool good = jet::decodeText(reinterpret_cast<const unsigned char*>(stored.constData()),
                                      std::size_t(stored.size()), out, error);
    if (ok)
        *ok = good;
    return good ? QByteArray::fromStdString(out) : QByteArray();
}

} // namespace

class TestJetReader : public QObject
{
    Q_OBJECT

private slots:
    void decodesStoredText_data();
    void decodesStoredText();
    void refusesBrokenText_data();
    void refusesBrokenText();
    void readsAccessFilesLikeLibmdb_data();
    void readsAccessFilesLikeLibmdb();
};

void TestJetReader::decodesStoredText_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("utf16") << QByteArray("A\0\x16\x4e\r\0\n\0", 8) << QStringLiteral("A世\r\n");
    QTest::newRow("compressed") << QByteArray("\xff\xfe"
                                              "Ann \"q\"")
                                << QStringLiteral("Ann \"q\"");
    QTest::newRow("compressed latin-1") << QByteArray("\xff\xfe\xe9\xff") << QStringLiteral("éÿ");
    QTest::newRow("switching") << QByteArray("\xff\xfeHi\0\x16\x4e\0!", 9) << QStringLiteral("Hi世!");
    QTest::newRow("ends wide") << QByteArray("\xff\xfe"
                                             "a\0\x16\x4e",
                                             6)
                               << QStringLiteral("a世");
    QTest::newRow("surrogate pair") << QByteArray("=\0\x3d\xd8\x00\xde", 6) << QStringLiteral("=😀");
    QTest::newRow("pair in compressed")
        << QByteArray("\xff\xfex\0\x34\xd8\x1e\xdd", 8) << QStringLiteral("x𝄞");
    QTest::newRow("nul character") << QByteArray("a\0\0\0b\0", 6)
                                   << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
}

void TestJetReader::decodesStoredText()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, text);
    bool ok = false;
    QCOMPARE(decoded(stored, &ok), text.toUtf8());
    QVERIFY(ok);
}

void TestJetReader::refusesBrokenText_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("odd length") << QByteArray("A\0B", 3);
    QTest::newRow("compressed, cut wide character") << QByteArray("\xff\xfe"
                                                                  "a\0\x16",
                                                                  5);
    QTest::newRow("lone high surrogate") << QByteArray("\x3d\xd8"
                                                       "a\0",
                                                       4);
    QTest::newRow("high surrogate at the end") << QByteArray("a\0\x3d\xd8", 4);
    QTest::newRow("lone low surrogate") << QByteArray("\x00\xde", 2);
}

void TestJetReader::refusesBrokenText()
{
    QFETCH(QByteArray, stored);
    bool ok = true;
    decoded(stored, &ok);
    QVERIFY(!ok);
}

void TestJetReader::readsAccessFilesLikeLibmdb_data()
{
    QTest::addColumn<QString>("path");
    const QDir data(QStringLiteral(QUILLMARK_SOURCE_DIR "/tests/legacy/data"));
    for (const QString& sub : {QStringLiteral("jackcess"), QStringLiteral("mdb-reader")}) {
        const QDir dir(data.filePath(sub));
        for (const QString& name : dir.entryList({QStringLiteral("*.mdb")}))
            QTest::newRow(qPrintable(sub + QLatin1Char('/') + name)) << dir.filePath(name);
    }
}

void TestJetReader::readsAccessFilesLikeLibmdb()
{
    QFETCH(QString, path);
    jet::Database db;
    std::string error;
    QVERIFY2(db.open(QFile::encodeName(path).toStdString(), error), error.c_str());
    const std::vector<std::string> tables = db.userTables();
    QVERIFY(!tables.empty());
    int compared = 0;
    for (const std::string& table : tables) {
        std::vector<jet::ColumnInfo> infos;
        QVERIFY2(db.columns(table, infos, error), error.c_str());
        std::vector<std::string> columns;
        for (const jet::ColumnInfo& info : infos) {
            if (info.type == MDB_TEXT || info.type == MDB_MEMO)
                columns.push_back(info.name);
        }
        if (columns.empty())
            continue;
        jet::TableData ours;
        QVERIFY2(db.readTable(table, columns, ours, error), error.c_str());
        std::vector<std::vector<std::string>> theirs;
        unsigned storedRows = 0;
        QVERIFY(readWithLibmdb(path, table, columns, theirs, storedRows));
        QCOMPARE(ours.storedRowCount, quint64(storedRows));
        QCOMPARE(ours.rows.size(), theirs.size());
        // libmdb visits a moved row where it was moved to, this reader where it stood: compare sorted.
        std::vector<std::vector<std::string>> mine;
        for (const jet::Row& row : ours.rows) {
            std::vector<std::string> values;
            for (const jet::Value& v : row)
                values.push_back(v.isNull ? std::string() : v.bytes);
            mine.push_back(std::move(values));
        }
        std::sort(mine.begin(), mine.end());
        std::sort(theirs.begin(), theirs.end());
        for (std::size_t r = 0; r < mine.size(); ++r) {
            for (std::size_t c = 0; c < columns.size(); ++c) {
                // libmdb gives back only BMP text shorter than its buffer: these files hold no other.
                QVERIFY(!outsideBmp(mine[r][c]) && mine[r][c].size() + 1 < BindSize);
                QCOMPARE(QByteArray::fromStdString(mine[r][c]), QByteArray::fromStdString(theirs[r][c]));
                ++compared;
            }
        }
    }
    QVERIFY(compared > 0);
}

QTEST_GUILESS_MAIN(TestJetReader)
#include "testJetReader.moc"
