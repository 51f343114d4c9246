#pragma once

#include <QRect>
#include <QString>

#include <functional>

class QLabel;
class QWidget;

namespace app {

// A short notice inside the window, over the footer line of the side panel: sized to its text, it
// never takes the focus, never blocks and needs no answer. A plain notice fades by itself after a
// few seconds; a notice that offers an action stays until it is clicked (which runs the action) or
// dismissed with its × or Escape. A plain notice shown while an action notice stands goes above it.
//
// Notices are written in one style, in full-width punctuation: what was done first, as
// "已保存：艾琳"; where more is said, the first part ends with "。" and each sentence after it too.
class Notice
{
public:
    static constexpr int ShownMs = 3500;
    static constexpr int FadeMs = 400;

    // The place of the notices of footer's window: their bottom left over footer's, no wider than
    // maxWidth. A window that sets none has them at the bottom left of its content.
    static void setPlace(QWidget* footer, int maxWidth);

    // Shows text in anchor's window, replacing a plain notice still shown.
    static void show(QWidget* anchor, const QString& text, int shownMs = ShownMs);
    // Shows text with a button that runs action, replacing an action notice still shown. It stays
    // until clicked (the action runs, the notice goes) or dismissed (it goes, nothing runs).
    static void showAction(QWidget* anchor, const QString& text, const QString& actionText,
                           std::function<void()> action);

    // The text of the notice shown last and still standing, or null (tests read its text).
    static QLabel* current();
    // The text of the action notice standing, or null.
    static QLabel* currentAction();
    // Takes the action notice away as its × does.
    static void dismissAction();

    // Where a notice of size stands in a window: bottom left at the footer's bottom left
    // (footerBottomLeft, window coordinates), moved inside area, the part of the window that shows
    // content. Its top is never above the area's.
    static QRect placeIn(const QRect& area, QPoint footerBottomLeft, QSize size);
};

} // namespace app
