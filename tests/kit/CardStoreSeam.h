#pragma once

// Test-only: breaks card operations on purpose, through a connection put into the card store that
// fails as a broken one would. The program never builds this.
#include "store/CardStore.h"

#include <memory>

namespace store {

struct CardStoreSeam
{
    // The connection with the faults a test switched on; each is off at first.
    struct FaultyConnection : CardConnection
    {
        bool noTransaction = false;      // writes run without a transaction
        QString failBetweenRows;         // when set, each write fails with this text between its rows
        bool otherSqliteLibrary = false; // the driver is taken for one on another SQLite library

        bool begin(Module1& db, QString* error) override
        {
            return noTransaction || CardConnection::begin(db, error);
        }
        bool commit(Module1& db, QString* error) override
        {
            return noTransaction || CardConnection::commit(db, error);
        }
        void rollback(Module1& db) override
        {
            if (!noTransaction)
                CardConnection::rollback(db);
        }
        bool betweenRows(QString* error) override
        {
            if (failBetweenRows.isEmpty())
                return true;
            *error = failBetweenRows;
            return false;
        }
        bool onOwnSqliteLibrary(const QSqlDatabase& db) override
        {
            return !otherSqliteLibrary && CardConnection::onOwnSqliteLibrary(db);
        }
    };

    // Writes run without a transaction: the negative control of the crash tests.
    static void runWithoutTransaction(CardStore& cards, bool on) { faults(cards).noTransaction = on; }
    // Each write fails between its two rows with the text "测试中断：两行之间".
    static void failBetweenRows(CardStore& cards, bool on)
    {
        faults(cards).failBetweenRows = on ? QStringLiteral("测试中断：两行之间") : QString();
    }
    // The list scan behaves as where Qt's driver runs on a SQLite library of its own.
    static void takeOtherSqliteLibrary(CardStore& cards, bool on) { faults(cards).otherSqliteLibrary = on; }

private:
    static FaultyConnection& faults(CardStore& cards)
    {
        auto faulty = std::dynamic_pointer_cast<FaultyConnection>(cards.m_connection);
        if (!faulty) {
            faulty = std::make_shared<FaultyConnection>();
            cards.m_connection = faulty;
        }
        return *faulty;
    }
};

} // namespace store
