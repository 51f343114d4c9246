#pragma once

// Test-only: puts the store into states the program reaches only through its own checks. The program
// never builds this.
#include "store/Module1.h"

namespace store {

struct Module1Seam
{
    // Every later operation refuses with this reason, as after a failed start-up check.
    static void markUnusable(Module1& db, const QString& reason) { db.m_unusable = reason; }
};

} // namespace store
