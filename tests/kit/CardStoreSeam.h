#pragma once

// Test-only: breaks card operations on purpose, through the seam the card store opens to tests
// alone. The program never builds this.
#include "store/CardStore.h"

namespace store {

struct CardStoreSeam
{
    // Writes run without a transaction: the negative control of the crash tests.
    static void runWithoutTransaction(CardStore& cards, bool on) { cards.m_faults.noTransaction = on; }
    // Each write fails between its two rows with the text "测试中断：两行之间".
    static void failBetweenRows(CardStore& cards, bool on)
    {
        cards.m_faults.failBetweenRows = on ? QStringLiteral("测试中断：两行之间") : QString();
    }
    // The list scan behaves as where Qt's driver runs on a SQLite library of its own.
    static void takeOtherSqliteLibrary(CardStore& cards, bool on) { cards.m_faults.otherSqliteLibrary = on; }
};

} // namespace store
