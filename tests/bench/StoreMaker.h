#pragma once

#include "card/Sheet.h"

#include <QString>
#include <QStringList>

namespace bench {

// Realistic cards: every field filled, names in mixed scripts, a few KB of Chinese multi-line text
// per card (CR LF line breaks, as the sheet stores them). The same index always gives the same card.
class CardMaker
{
public:
    CardMaker();

    // Names are unique for indexes below NameCount.
    static constexpr int NameCount = 64 * 64 * 32;
    QString name(int index) const;
    // Whether the name parts come in the counts that keep the names unique.
    bool isComplete() const
    {
        return m_given.size() == 64 && m_family.size() == 64 && m_epithet.size() == 32;
    }
    card::Sheet sheet(int index) const;

private:
    QStringList m_given;
    QStringList m_family;
    QStringList m_epithet;
    QStringList m_lines;       // one-line Chinese sentences for the multi-line fields
    QStringList m_shortValues; // short values for the one-line fields
    QStringList m_races;
    QStringList m_classes;
    QStringList m_alignments;
};

// A store of the given number of cards in dir/Sav.qlk, generated once (one transaction, prepared
// statements) and kept for later runs. Returns the folder, or an empty string with the cause.
QString cachedStore(const QString& cacheRoot, int cards, QString* error);

// A copy of a (small) store with the edge auto-hide switched on, for the idle figure.
QString autoHideStore(const QString& cacheRoot, const QString& fromDir, QString* error);

} // namespace bench
