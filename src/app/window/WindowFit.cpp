#include "app/window/WindowFit.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>

namespace app {

namespace {

QMargins frameOf(const QWidget* window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

QList<QRect> availableAreas(int* primary)
{
    QList<QRect> areas;
    const QList<QScreen*> screens = QGuiApplication::screens();
    *primary = 0;
    for (int i = 0; i < screens.size(); ++i) {
        areas.append(screens[i]->availableGeometry());
        if (screens[i] == QGuiApplication::primaryScreen())
            *primary = i;
    }
    return areas;
}

} // namespace

WindowFit::WindowFit(QMainWindow* window, QWidget* client)
    : QObject(window), m_window(window), m_client(client), m_clientSize(window->size())
{
    window->installEventFilter(this);
}

QString WindowFit::positionKey()
{
    return QStringLiteral("window/position");
}

WindowPlacement WindowFit::compute(QMargins frame) const
{
    int primary = 0;
    const QList<QRect> areas = availableAreas(&primary);
    const QVariant stored = QSettings().value(positionKey());
    std::optional<QPoint> saved;
    if (stored.isValid() && stored.canConvert<QPoint>())
        saved = stored.toPoint();
    const int scrollBar = m_window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_window);
    return placeWindow(areas, primary, saved, m_clientSize, frame, scrollBar);
}

void WindowFit::place()
{
    m_frame = frameOf(m_window);
    apply(compute(m_frame), m_frame);
}

void WindowFit::apply(const WindowPlacement& placement, QMargins frame)
{
    if (placement.scrolls && !m_scroll)
        startScrolling();
    m_openWidth = placement.outer.width();
    const QSize inner = placement.outer.size().shrunkBy(frame);
    if (m_window->size() != inner)
        m_window->resize(inner);
    // A top-level window's position is that of its frame.
    if (m_window->pos() != placement.outer.topLeft() || !m_window->testAttribute(Qt::WA_Moved))
        m_window->move(placement.outer.topLeft());
}

void WindowFit::startScrolling()
{
    m_window->takeCentralWidget();
    m_scroll = new QScrollArea;
    m_scroll->setObjectName(QStringLiteral("Form1Scroll"));
    m_scroll->setAccessibleName(QStringLiteral("窗口内容"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(false);
    m_client->resize(m_clientSize);
    m_scroll->setWidget(m_client);
    m_window->setCentralWidget(m_scroll);
    setNarrowed(m_narrowed);
    if (m_header) {
        m_headerTop = m_header->y();
        // Only the header's own row goes along: the rest of its area lies under the pages.
        m_header->resize(m_header->width(), m_header->sizeHint().height());
        connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this, &WindowFit::followScroll);
    }
}

void WindowFit::followScroll(int offset)
{
    m_header->move(m_header->x(), m_headerTop + offset);
    // Scrolled, it stands over the page's content: drawn on the window's background, above it.
    m_header->setAutoFillBackground(offset > 0);
    m_header->raise();
}

int WindowFit::outerWidth(bool narrowed, int fixedWidth)
{
    setNarrowed(narrowed);
    if (!m_scroll || narrowed)
        return fixedWidth;
    const QScreen* screen = m_window->screen();
    return screen ? qMin(m_openWidth, screen->availableGeometry().width()) : m_openWidth;
}

void WindowFit::setNarrowed(bool narrowed)
{
    m_narrowed = narrowed;
    if (!m_scroll)
        return;
    // Narrowed, the window shows the side panel alone, from the content's left edge.
    m_scroll->setHorizontalScrollBarPolicy(narrowed ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    if (narrowed)
        m_scroll->horizontalScrollBar()->setValue(0);
}

void WindowFit::savePosition() const
{
    QSettings settings;
    settings.setValue(positionKey(), m_window->pos());
}

bool WindowFit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Close:
        savePosition();
        break;
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
        // The frame is known only once the window system has framed the shown window: the place is
        // worked out again, once, with the real frame.
        if (!m_settled && m_window->isVisible()) {
            const QMargins frame = frameOf(m_window);
            if (frame != m_frame) {
                m_settled = true;
                m_frame = frame;
                apply(compute(frame), frame);
            }
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace app
