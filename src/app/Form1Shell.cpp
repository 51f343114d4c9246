// The shell of the main window: tab pages, side panel, edge auto-hide, tray menu and settings.

#include "app/FieldWidgets.h"
#include "app/Form1.h"
#include "app/dialogs/MessageBox.h"
#include "app/window/AutoHide.h"
#include "app/window/EdgeClaims.h"
#include "app/window/WindowFit.h"
#include "lang/LanguagePacks.h"
#include "store/SettingsRow.h"
#include "tray/Module2.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QMenu>
#include <QScreen>
#include <QTabBar>
#include <QTimer>

#include <cmath>

namespace app {

namespace {

constexpr int PageCount = SheetBuilder::PageCount;
constexpr int RestingTicks = 16; // a quarter second of quick ticks without a move
// Outer window widths (frame included) of the narrowed and the wide window, in twips.
constexpr double NarrowWidthTwips = 6300;
constexpr double WideWidthTwips = 16185;

int twipsToPixels(double twips)
{
    return static_cast<int>(std::lround(twips / AutoHideTwipsPerPixel));
}

QString applicationTitle()
{
    return QStringLiteral("羽笔卷宗");
}

QString contactText()
{
    return QStringLiteral("QQ:10000\nE-mail:team@quillmark.example\nHomepage:https://quillmark.example");
}

} // namespace

void Form1::buildMenu()
{
    m_mumTray = new QMenu(this);
    m_mumTray->setObjectName(QStringLiteral("mumTray"));
    QAction* about = m_mumTray->addAction(QStringLiteral("联系方式"));
    about->setObjectName(QStringLiteral("mumTrayAbout"));
    connect(about, &QAction::triggered, this, &Form1::mumTrayAbout_Click);
    QAction* exit = m_mumTray->addAction(QStringLiteral("退出"));
    exit->setObjectName(QStringLiteral("mumTrayClose"));
    connect(exit, &QAction::triggered, this, &Form1::mumTrayClose_Click);
}

void Form1::mumTrayAbout_Click()
{
    MessageBox::inform(this, applicationTitle(), contactText());
}

void Form1::mumTrayClose_Click()
{
    // Edits no draft can keep are asked about before the icon goes: going on editing changes nothing.
    if (!editsSettledForClose())
        return;
    if (m_tray)
        m_tray->RemoveTrayIcon();
    close();
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Any close request ends the program: the icon goes before the window does. Nothing is saved to
    // the store unasked; unsaved edits are kept as a draft, and only where that fails is the user asked.
    if (!editsSettledForClose()) {
        event->ignore();
        return;
    }
    if (m_tray)
        m_tray->RemoveTrayIcon();
    event->accept();
}

void Form1::TabStrip1_Click()
{
    const int tab = m_w.tabStrip->currentIndex() + 1;
    if (tab < 1 || tab > PageCount)
        return;
    // The chosen page is built on its first showing, and shown before the others are hidden, so the
    // area never goes blank.
    buildPage(tab - 1);
    m_w.frameA[tab - 1]->setVisible(true);
    for (int i = 0; i < PageCount; ++i) {
        if (i != tab - 1)
            m_w.frameA[i]->setVisible(false);
    }
}

void Form1::LabelLR_Click()
{
    const bool wide = m_w.labelLR->text() == QLatin1String("<");
    // On a screen too small for the window, the wide width is the one it opened with.
    const int outerWidth = m_fit->outerWidth(wide, twipsToPixels(wide ? NarrowWidthTwips : WideWidthTwips));
    // The width is the outer one, frame included; left edge, top edge and height stay.
    const int frameExtra = frameGeometry().width() - geometry().width();
    resize(qMax(1, outerWidth - frameExtra), height());
    m_w.labelLR->setText(wide ? QStringLiteral(">") : QStringLiteral("<"));
}

void Form1::Timer1_Timer()
{
    QScreen* screen = this->screen();
    if (!screen)
        return;
    // Everything is taken relative to the screen the window is on: the whole screen, not the part
    // left free by panels, and the outer window rectangle.
    const QRect area = screen->geometry();
    const QRect outer = frameGeometry();
    const TwipsRect before{(outer.x() - area.x()) * AutoHideTwipsPerPixel,
                           (outer.y() - area.y()) * AutoHideTwipsPerPixel,
                           outer.width() * AutoHideTwipsPerPixel, outer.height() * AutoHideTwipsPerPixel};
    const QPoint cursor = QCursor::pos(screen) - area.topLeft();
    // While the mouse rests, the timer slows down; the first move brings the quick ticks back.
    m_stillTicks = cursor == m_lastCursor ? qMin(m_stillTicks + 1, RestingTicks + 1) : 0;
    m_lastCursor = cursor;
    const int interval = m_stillTicks > RestingTicks ? Timer1RestingIntervalMs : Timer1IntervalMs;
    if (m_timer1->interval() != interval)
        m_timer1->setInterval(interval);
    const QSizeF screenTwips(area.width() * AutoHideTwipsPerPixel, area.height() * AutoHideTwipsPerPixel);
    const TwipsRect after = autoHideTick(before, cursor, screenTwips);
    if (after == before)
        return;
    // A hidden window's twips rarely fall on whole pixels, so the tick keeps asking for the position
    // the window already has: only a real change goes to the window system.
    const QPoint target = area.topLeft() + QPoint(twipsToPixels(after.left), twipsToPixels(after.top));
    if (target == outer.topLeft())
        return;
    // A window manager lets the window stand off the screen only at an edge it claims: the strip it
    // leaves there is claimed first, and given up once the window is back.
    if (!m_edgeClaims)
        m_edgeClaims = new EdgeClaims(this);
    const int strip = static_cast<int>(std::ceil(AutoHideStripTwips / AutoHideTwipsPerPixel));
    m_edgeClaims->update(QRect(target, outer.size()), area, screen->virtualGeometry(), strip);
    move(target);
}

void Form1::CheckSet_Click()
{
    const bool ticked = m_w.checkSet->isChecked();
    QString error;
    bool failed = false;
    // Only a click outside start-up writes; start-up's own assignment just switches the timer.
    if (CtlChk == QVariant(1)) {
        CtlChk = 0;
        failed = !store::settings::writeMagw(*m_db, ticked ? 1 : 0, &error);
        CtlChk = 1;
    }
    if (ticked)
        m_timer1->start();
    else
        m_timer1->stop();
    if (failed)
        MessageBox::warn(this, messageTitle(), error);
}

void Form1::Combo2_Click()
{
    const QString text = m_w.combo2->currentText();
    if (text.isEmpty())
        return;
    QString error;
    if (!store::settings::writeLanguage(*m_db, text, &error))
        MessageBox::warn(this, messageTitle(), error);
}

void Form1::readSettings(QString* lng)
{
    const store::settings::StoredSettings stored = store::settings::readSettings(*m_db);
    CtlChk = 0;
    // The box has two states: a value other than 0 and 1 leaves it as it is. A change runs
    // CheckSet_Click, which switches the timer and, with CtlChk at 0, writes nothing.
    if (stored.magw && (*stored.magw == 0 || *stored.magw == 1))
        m_w.checkSet->setChecked(*stored.magw == 1);
    CtlChk = 1;
    if (lng)
        *lng = stored.lng;
}

void Form1::checkLanguage(const QString& lng)
{
    QStringList entries;
    entries.reserve(m_w.combo2->count());
    for (int i = 0; i < m_w.combo2->count(); ++i)
        entries.append(m_w.combo2->itemText(i));
    // Start-up stays silent: a failed reset is tried again at the next start.
    if (!lang::languageListed(entries, lng))
        store::settings::resetLanguage(*m_db);
}

} // namespace app
