#include "app/dialogs/Notice.h"

#include <QLabel>
#include <QPointer>
#include <QPropertyAnimation>
#include <QTimer>

namespace app {

namespace {
QPointer<QLabel> s_bubble;
constexpr int FadeMs = 400;
} // namespace

void Notice::show(QWidget* anchor, const QString& text, int shownMs)
{
    delete s_bubble.data();
    // A tool-tip window: drawn above the sheet, outside the layout, and never activated.
    auto* bubble = new QLabel(text, anchor, Qt::ToolTip | Qt::FramelessWindowHint);
    bubble->setObjectName(QStringLiteral("Notice"));
    bubble->setAccessibleName(QStringLiteral("提示"));
    bubble->setAttribute(Qt::WA_ShowWithoutActivating);
    bubble->setForegroundRole(QPalette::ToolTipText);
    bubble->setBackgroundRole(QPalette::ToolTipBase);
    bubble->setAutoFillBackground(true);
    bubble->setFrameShape(QFrame::Box);
    bubble->setMargin(4);
    bubble->setWordWrap(anchor->width() > 0);
    if (anchor->width() > 0)
        bubble->setMaximumWidth(qMax(anchor->width(), 160));
    bubble->adjustSize();
    bubble->move(anchor->mapToGlobal(QPoint(0, 0)) - QPoint(0, bubble->height() + 2));
    bubble->show();
    s_bubble = bubble;

    QTimer::singleShot(shownMs, bubble, [bubble] {
        auto* fade = new QPropertyAnimation(bubble, "windowOpacity", bubble);
        fade->setDuration(FadeMs);
        fade->setStartValue(1.0);
        fade->setEndValue(0.0);
        QObject::connect(fade, &QPropertyAnimation::finished, bubble, &QObject::deleteLater);
        fade->start();
    });
}

QLabel* Notice::current()
{
    return s_bubble.data();
}

} // namespace app
