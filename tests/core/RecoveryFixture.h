#pragma once

// What the recovery suites share: a store with its recovery beside it, on a clock the test sets, and
// the cards they keep.
#include "StoreProbe.h"
#include "store/CardStore.h"
#include "store/Module1.h"
#include "store/recovery/Recovery.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace recovery {

inline QStringList paths(const QList<store::BackupFile>& files)
{
    QStringList result;
    for (const store::BackupFile& file : files)
        result << file.path;
    return result;
}

inline card::Sheet namedSheet(const QString& name, const QString& level)
{
    card::Sheet s = probe::blankSheet();
    s.text[0] = name;
    s.text[6] = level;
    s.text[25] = QStringLiteral("种族\r\n特性 ") + name;
    s.text[300] = QStringLiteral("blog 😀");
    s.checkWN[3] = true;
    return s;
}

// A new store before each test; the test classes call init and cleanup from their own slots.
struct Fixture
{
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(QStringLiteral("Sav.qlk"));
        QVERIFY(store::Module1::createStore(m_path, nullptr));
        m_now = QDateTime(QDate(2026, 3, 1), QTime(9, 0));
        m_db = std::make_unique<store::Module1>(m_path);
        m_recovery = std::make_unique<store::Recovery>(m_path, [this] { return m_now; });
        m_cards = std::make_unique<store::CardStore>(*m_db, m_recovery.get());
    }
    void cleanup()
    {
        m_cards.reset();
        m_recovery.reset();
        m_db.reset();
        m_dir.reset();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    QDateTime m_now;
    std::unique_ptr<store::Module1> m_db;
    std::unique_ptr<store::Recovery> m_recovery;
    std::unique_ptr<store::CardStore> m_cards;
};

} // namespace recovery
