// The fill of a large card list whose first screenful comes from the names kept beside the store: the
// full read has the last word, and keeps the names for the next start.
#include "app/list/CardListModel.h"
#include "app/list/ListFill.h"
#include "list/HeadCache.h"
#include "list/ListLines.h"
#include "list/ListSearch.h"
#include "store/CardStore.h"

#include "RawDb.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestListFill : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void keptNamesShowFirstAndTheFullReadReplacesWrongOnes();
    void findKeystrokeByKeystrokeShowsWhatAFullMatchShows();

private:
    QStringList lineTexts() const
    {
        QStringList texts;
        for (const app::CardListModel::Line& line : m_model->lines())
            texts << line.text;
        return texts;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::unique_ptr<store::Module1> m_db;
    std::unique_ptr<store::CardStore> m_cards;
    std::unique_ptr<app::CardListModel> m_model;
    QStringList m_sorted; // every line's text, in name order
};

void TestListFill::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("Sav.qlk"));
    m_db = std::make_unique<store::Module1>(m_path);
    QCOMPARE(m_db->prepare().status, store::Module1::PrepareStatus::Created);
    QList<card::ListEntry> entries;
    kit::RawDb raw(m_path);
    QVERIFY(raw.exec(QStringLiteral("BEGIN")));
    // Names in normal form, plain or not, and one that is not (a full-width letter).
    const QStringList kinds{QStringLiteral("hero %1"), QStringLiteral("角色%1"), QStringLiteral("Héro %1"),
                            QStringLiteral("\uff48ERO %1")};
    for (int i = 0; i < app::ListFill::SliceRows + 300; ++i) {
        const card::ListEntry e{kinds[i % kinds.size()].arg(i * 37 % 1301),
                                QString::number(i % 20),
                                QStringLiteral("精灵"),
                                {},
                                {}};
        QVERIFY(raw.exec(QStringLiteral("INSERT INTO lstt VALUES (?, ?, ?, '', '')"), {e.nam, e.lv, e.race}));
        entries << e;
    }
    QVERIFY(raw.exec(QStringLiteral("COMMIT")));
    list::sortByName(entries, list::NameOrder());
    m_sorted.clear();
    for (const card::ListEntry& e : entries)
        m_sorted << list::entryText(list::modeName(), e);
    m_cards = std::make_unique<store::CardStore>(*m_db);
    m_model = std::make_unique<app::CardListModel>();
}

void TestListFill::keptNamesShowFirstAndTheFullReadReplacesWrongOnes()
{
    const int head = app::ListFill::HeadLines;
    QString error;
    // Names kept for this very store, but not its first ones: as a collation that changed would give.
    QStringList wrong;
    for (qsizetype i = m_sorted.size() - head; i < m_sorted.size(); ++i)
        wrong << list::selectedName(list::modeName(), m_sorted[i]);
    QVERIFY(list::keepHead(m_path, wrong, m_model->order()));
    {
        app::ListFill fill(*m_cards, *m_model);
        fill.keepHeadBeside(true);
        QSignalSpy replaced(&fill, &app::ListFill::replaced);
        QVERIFY2(fill.start(list::modeName(), false, &error), qPrintable(error));
        QVERIFY(fill.isBusy());
        QCOMPARE(lineTexts(), m_sorted.mid(m_sorted.size() - head)); // shown first, as kept
        QVERIFY(fill.finish(&error));
        QCOMPARE(lineTexts(), m_sorted);
        QCOMPARE(replaced.count(), 1);
    }
    // The full read kept the right names for the next start, which shows them and replaces nothing.
    QStringList right;
    for (qsizetype i = 0; i < head; ++i)
        right << list::selectedName(list::modeName(), m_sorted[i]);
    QCOMPARE(list::cachedHead(m_path, head, m_model->order()).value_or(QStringList()), right);
    app::ListFill fill(*m_cards, *m_model);
    fill.keepHeadBeside(true);
    QSignalSpy replaced(&fill, &app::ListFill::replaced);
    QVERIFY(fill.start(list::modeName(), false, &error));
    QCOMPARE(lineTexts(), m_sorted.mid(0, head));
    QVERIFY(fill.finish(&error));
    QCOMPARE(lineTexts(), m_sorted);
    QCOMPARE(replaced.count(), 0);
}

void TestListFill::findKeystrokeByKeystrokeShowsWhatAFullMatchShows()
{
    QString error;
    app::ListFill fill(*m_cards, *m_model);
    QVERIFY(fill.start(list::modeName(), false, &error) && fill.finish(&error));
    QStringList all = m_sorted; // every line, shown or not
    const auto shown = [this] {
        QStringList texts;
        for (int row = 0; row < m_model->rowCount(); ++row)
            texts << m_model->data(m_model->index(row)).toString();
        return texts;
    };
    const auto matching = [&all](const QString& typed) {
        QStringList texts;
        for (const QString& text : all) {
            if (list::matchesSearch(text, list::searchForm(typed)))
                texts << text;
        }
        return texts;
    };
    // Typed on, taken back, typed on again, emptied, full-width; a line removed and one added between
    // two keystrokes.
    const QStringList typed{QStringLiteral("h"),       QStringLiteral("he"),
                            QStringLiteral("hero 1"),  QStringLiteral("hero 12"),
                            QStringLiteral("hero 1"),  QStringLiteral("he"),
                            QStringLiteral("角"),      QStringLiteral("角色1"),
                            QStringLiteral("角色"),    QString(),
                            QStringLiteral("\uff48"),  QStringLiteral("\uff48ero 1"),
                            QStringLiteral("h\u00e9"), QStringLiteral("hero"),
                            QStringLiteral("hero 1"),  QStringLiteral("h")};
    for (int i = 0; i < typed.size(); ++i) {
        m_model->setFilter(typed[i]);
        QCOMPARE(shown(), matching(typed[i]));
        if (typed[i] == QStringLiteral("hero 12")) {
            m_model->removeName(list::selectedName(list::modeName(), shown().constFirst()));
            m_model->putEntry(list::modeName(), {QStringLiteral("hero 1x"), {}, {}, {}, {}});
            QCOMPARE(lineTexts().size(), all.size());
            QVERIFY(lineTexts() != all);
            all = lineTexts();
        }
    }
}

QTEST_MAIN(TestListFill)
#include "testListFill.moc"
