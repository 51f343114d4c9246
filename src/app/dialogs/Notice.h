#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace app {

// A short notice in a small bubble over a widget, gone by itself after a few seconds. It never
// takes the focus, never blocks and needs no answer: for news the player may ignore.
class Notice
{
public:
    static constexpr int ShownMs = 3500;

    // Shows text over the top edge of anchor, replacing a notice still shown.
    static void show(QWidget* anchor, const QString& text, int shownMs = ShownMs);
    // The bubble now shown, or null (tests read its text).
    static QLabel* current();
};

} // namespace app
