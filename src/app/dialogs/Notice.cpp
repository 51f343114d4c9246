#include "app/dialogs/Notice.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPointer>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

namespace app {

namespace {

constexpr int Gap = 2;     // between an action notice and a plain one over it
constexpr int Margin = 8;  // from the content's edges, where the window sets no place
constexpr int Padding = 4; // around the text

class Bubble;
QPointer<QWidget> s_footer;
int s_maxWidth = 0;
QPointer<Bubble> s_plain;
QPointer<Bubble> s_action;

void layOut(QWidget* window);

// One notice: its text, and for an action notice the action's button and the × that dismisses it.
class Bubble : public QFrame
{
public:
    Bubble(QWidget* window, const QString& text, const QString& actionText, std::function<void()> action)
        : QFrame(window), m_action(std::move(action))
    {
        setObjectName(m_action ? QStringLiteral("ActionNotice") : QStringLiteral("NoticeFrame"));
        setAccessibleName(m_action ? QStringLiteral("操作提示框") : QStringLiteral("提示框"));
        setFocusPolicy(Qt::NoFocus);
        setForegroundRole(QPalette::ToolTipText);
        setBackgroundRole(QPalette::ToolTipBase);
        setAutoFillBackground(true);
        setFrameShape(QFrame::Box);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(Padding, Padding, Padding, Padding);
        row->setSpacing(Padding);
        m_label = new QLabel(text, this);
        m_label->setObjectName(QStringLiteral("Notice"));
        m_label->setAccessibleName(m_action ? QStringLiteral("操作提示") : QStringLiteral("提示"));
        m_label->setForegroundRole(QPalette::ToolTipText);
        row->addWidget(m_label, 1);
        if (m_action) {
            auto* run = new QPushButton(actionText, this);
            run->setObjectName(QStringLiteral("NoticeAction"));
            run->setAccessibleName(actionText);
            run->setFocusPolicy(Qt::NoFocus);
            connect(run, &QPushButton::clicked, this, [this] { runAction(); });
            row->addWidget(run, 0, Qt::AlignVCenter);
            auto* close = new QToolButton(this);
            close->setObjectName(QStringLiteral("NoticeClose"));
            close->setText(QStringLiteral("×"));
            close->setAccessibleName(QStringLiteral("关闭提示"));
            close->setAutoRaise(true);
            close->setFocusPolicy(Qt::NoFocus);
            connect(close, &QToolButton::clicked, this, [this] { dismiss(); });
            row->addWidget(close, 0, Qt::AlignTop);
            // Escape anywhere in the window dismisses it.
            auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
            escape->setContext(Qt::WindowShortcut);
            connect(escape, &QShortcut::activated, this, [this] { dismiss(); });
        }
        window->installEventFilter(this);
    }

    QLabel* label() const { return m_label; }

    // The size of the text on one line, or wrapped at maxWidth where one line would be wider.
    QSize fitted(int maxWidth)
    {
        m_label->setWordWrap(false);
        const QSize natural = sizeHint();
        if (natural.width() <= maxWidth)
            return natural;
        m_label->setWordWrap(true);
        return {maxWidth, heightForWidth(maxWidth)};
    }

    void fadeAfter(int shownMs)
    {
        QTimer::singleShot(shownMs, this, [this] {
            auto* opacity = new QGraphicsOpacityEffect(this);
            setGraphicsEffect(opacity);
            auto* fade = new QPropertyAnimation(opacity, "opacity", this);
            fade->setDuration(Notice::FadeMs);
            fade->setStartValue(1.0);
            fade->setEndValue(0.0);
            connect(fade, &QPropertyAnimation::finished, this, [this] { dismiss(); });
            fade->start();
        });
    }

    void dismiss()
    {
        QWidget* window = parentWidget();
        hide();
        deleteLater();
        if (s_plain == this)
            s_plain = nullptr;
        if (s_action == this)
            s_action = nullptr;
        layOut(window);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (m_action && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            runAction();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parentWidget() && event->type() == QEvent::Resize)
            layOut(parentWidget());
        return QFrame::eventFilter(watched, event);
    }

private:
    void runAction()
    {
        const std::function<void()> action = std::move(m_action);
        dismiss();
        if (action)
            action();
    }

    QLabel* m_label = nullptr;
    std::function<void()> m_action;
};

// The part of the window that shows content: the central widget's, inside its scroll bars.
QRect contentArea(QWidget* window)
{
    auto* main = qobject_cast<QMainWindow*>(window);
    QWidget* central = main ? main->centralWidget() : nullptr;
    if (!central)
        return window->rect();
    if (auto* scroll = qobject_cast<QAbstractScrollArea*>(central))
        return QRect(scroll->viewport()->mapTo(window, QPoint(0, 0)), scroll->viewport()->size());
    return central->geometry();
}

void layOut(QWidget* window)
{
    if (!window)
        return;
    const QRect area = contentArea(window);
    QPoint footer(area.left() + Margin, area.bottom() + 1 - Margin);
    int maxWidth = area.width() - 2 * Margin;
    if (s_footer && s_footer->window() == window) {
        footer = s_footer->mapTo(window, QPoint(0, s_footer->height()));
        maxWidth = s_maxWidth;
    }
    maxWidth = qMax(1, qMin(maxWidth, area.width()));
    for (Bubble* bubble : {s_action.data(), s_plain.data()}) {
        if (!bubble || bubble->parentWidget() != window || bubble->isHidden())
            continue;
        const QRect place = Notice::placeIn(area, footer, bubble->fitted(maxWidth));
        bubble->setGeometry(place);
        bubble->raise();
        footer.setY(place.top() - Gap); // the next one stands over it
    }
}

QWidget* windowOf(QWidget* anchor)
{
    return anchor->window();
}

} // namespace

void Notice::setPlace(QWidget* footer, int maxWidth)
{
    s_footer = footer;
    s_maxWidth = maxWidth;
}

void Notice::show(QWidget* anchor, const QString& text, int shownMs)
{
    delete s_plain.data();
    QWidget* window = windowOf(anchor);
    auto* bubble = new Bubble(window, text, {}, {});
    s_plain = bubble;
    bubble->show();
    layOut(window);
    bubble->fadeAfter(shownMs);
}

void Notice::showAction(QWidget* anchor, const QString& text, const QString& actionText,
                        std::function<void()> action)
{
    delete s_action.data();
    QWidget* window = windowOf(anchor);
    auto* bubble = new Bubble(window, text, actionText, std::move(action));
    s_action = bubble;
    bubble->show();
    layOut(window);
}

QLabel* Notice::current()
{
    if (s_plain)
        return s_plain->label();
    return currentAction();
}

QLabel* Notice::currentAction()
{
    return s_action ? s_action->label() : nullptr;
}

void Notice::dismissAction()
{
    if (s_action)
        s_action->dismiss();
}

QRect Notice::placeIn(const QRect& area, QPoint footerBottomLeft, QSize size)
{
    const int width = qMin(size.width(), area.width());
    const int x = qMax(area.left(), qMin(footerBottomLeft.x(), area.right() + 1 - width));
    const int bottom = qMin(footerBottomLeft.y(), area.bottom() + 1);
    const int top = qMax(area.top(), bottom - size.height());
    return QRect(x, top, width, size.height());
}

} // namespace app
