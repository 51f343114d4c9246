#pragma once

#include "app/window/WindowPlace.h"

#include <QObject>

class QMainWindow;
class QScrollArea;
class QWidget;

namespace app {

// Keeps the main window on the screens: opens it where it was last closed (kept in the user's
// settings), or centred on the primary screen the first time, and, where a screen's available area
// is smaller than the window, opens it inside that area with its content in a scroll area. Where the
// window fits, its widgets and sizes stay exactly as built.
class WindowFit : public QObject
{
    Q_OBJECT
public:
    // client is the window's central widget, of the window's full content size.
    WindowFit(QMainWindow* window, QWidget* client);

    // Sizes and moves the window before it is first shown.
    void place();

    // A widget of the content (the tab strip) that stays in view at the top while the content scrolls
    // up and down: it follows the scrolling, cut to its own height and drawn over what it passes.
    // Call before place(). Where nothing scrolls, it stays exactly as built.
    void keepAtTop(QWidget* header) { m_header = header; }

    bool scrolls() const { return m_scroll != nullptr; }
    QScrollArea* scrollArea() const { return m_scroll; }

    // The side panel's narrowing and widening: the outer width the window takes for the given fixed
    // width. While the content scrolls, the wide window takes the width it opened with instead,
    // inside the screen's area, and the narrow one never scrolls sideways.
    int outerWidth(bool narrowed, int fixedWidth);

    // The settings key of the remembered place.
    static QString positionKey();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowPlacement compute(QMargins frame) const;
    void apply(const WindowPlacement& placement, QMargins frame);
    void startScrolling();
    void setNarrowed(bool narrowed);
    void followScroll(int offset);
    void savePosition() const;

    QMainWindow* m_window;
    QWidget* m_client;
    QSize m_clientSize;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_header = nullptr;
    int m_headerTop = 0;    // where the header stands in the content
    QMargins m_frame;       // the frame the last placement assumed
    int m_openWidth = 0;    // the outer width the last placement gave
    bool m_settled = false; // the real frame has been seen once
    bool m_narrowed = false;
};

} // namespace app
