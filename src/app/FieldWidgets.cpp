#include "app/FieldWidgets.h"

#include "card/CardRecord.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>
#include <limits>

namespace app {

namespace {

bool hasRefused(int field, const QString& text)
{
    for (QChar c : text) {
        if (card::isRefusedCharacter(field, c))
            return true;
    }
    return false;
}

// A key whose text holds characters the field refuses reaches the editor with the others only; a
// key left with none is discarded, so text, selection and undo stay as they are.
template <typename Deliver>
void deliverFilteredKey(int field, QKeyEvent* event, Deliver deliver)
{
    const QString kept = card::filterFieldText(field, event->text());
    if (kept.isEmpty()) {
        event->accept();
        return;
    }
    QKeyEvent filtered(event->type(), event->key(), event->modifiers(), kept, event->isAutoRepeat(),
                       static_cast<ushort>(event->count()));
    deliver(&filtered);
    event->setAccepted(filtered.isAccepted());
}

constexpr int HintShownMs = 2500;

} // namespace

QString refusedHint(int field, const QString& text)
{
    QStringList refused;
    for (QChar c : text) {
        if (card::isRefusedCharacter(field, c) && !refused.contains(QString(c)))
            refused << QString(c);
    }
    if (refused.isEmpty())
        return {};
    return QStringLiteral("此栏不能填入“%1”").arg(refused.join(QStringLiteral("”“")));
}

FieldLine::FieldLine(int index, QWidget* parent) : QLineEdit(parent), m_index(index)
{
    // A single-line field keeps text of any length.
    setMaxLength(std::numeric_limits<int>::max());
    // Keys, input methods, pastes and drops are filtered before they act. textEdited carries every
    // change the user makes and never a text the program sets: it is the last guard, for any way in
    // not caught before. It comes before textChanged, so m_shown still holds the text as it was
    // before the edit.
    connect(this, &QLineEdit::textEdited, this, &FieldLine::filterEdit);
    connect(this, &QLineEdit::textChanged, this, [this] { m_shown = text(); });
}

void FieldLine::filterEdit(const QString& text)
{
    // The edit replaced the middle of the old text: what lies between the common start and the
    // common end is what came in. Text that was there before stays as it is. An edit leaves the
    // cursor behind what it brought in, so the common end never reaches back past the cursor.
    const qsizetype cursor = cursorPosition();
    const qsizetype shortest = std::min(text.size(), m_shown.size());
    qsizetype suffix = 0;
    const qsizetype suffixLimit = std::min(shortest, text.size() - cursor);
    while (suffix < suffixLimit && text[text.size() - 1 - suffix] == m_shown[m_shown.size() - 1 - suffix])
        ++suffix;
    qsizetype prefix = 0;
    while (prefix + suffix < shortest && text[prefix] == m_shown[prefix])
        ++prefix;
    const QString inserted = text.mid(prefix, text.size() - prefix - suffix);
    if (!hasRefused(m_index, inserted))
        return;

    const qsizetype beforeCursor = std::clamp(cursor - prefix, qsizetype(0), inserted.size());
    const qsizetype removedBefore =
        beforeCursor - card::filterFieldText(m_index, inserted.left(beforeCursor)).size();
    setText(text.left(prefix) + card::filterFieldText(m_index, inserted) + text.right(suffix));
    setCursorPosition(static_cast<int>(cursor - removedBefore));
    setModified(true);
}

void FieldLine::hintRefused(const QString& text)
{
    const QString hint = refusedHint(m_index, text);
    if (!hint.isEmpty())
        QToolTip::showText(mapToGlobal(cursorRect().bottomLeft()), hint, this, QRect(), HintShownMs);
}

void FieldLine::insertFiltered(const QString& text)
{
    hintRefused(text);
    const QString kept = card::filterFieldText(m_index, text);
    // Nothing left to bring in changes nothing, as a refused key does.
    if (!kept.isEmpty())
        insert(kept);
}

void FieldLine::pasteFiltered()
{
    if (!isReadOnly())
        insertFiltered(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
}

void FieldLine::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::Paste && !isReadOnly()) {
        const QString clip = QGuiApplication::clipboard()->text(QClipboard::Clipboard);
        if (hasRefused(m_index, clip)) {
            insertFiltered(clip);
            event->accept();
            return;
        }
    }
    const QString typed = event->text();
    if (!hasRefused(m_index, typed)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    hintRefused(typed);
    deliverFilteredKey(m_index, event, [this](QKeyEvent* key) { QLineEdit::keyPressEvent(key); });
}

void FieldLine::inputMethodEvent(QInputMethodEvent* event)
{
    if (!hasRefused(m_index, event->commitString())) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    hintRefused(event->commitString());
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(card::filterFieldText(m_index, event->commitString()), event->replacementStart(),
                             event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
    event->setAccepted(filtered.isAccepted());
}

void FieldLine::dropEvent(QDropEvent* event)
{
    const QMimeData* source = event->mimeData();
    if (!source || !source->hasText() || !hasRefused(m_index, source->text())) {
        QLineEdit::dropEvent(event);
        return;
    }
    hintRefused(source->text());
    QMimeData kept;
    kept.setText(card::filterFieldText(m_index, source->text()));
    QDropEvent filtered(event->position(), event->possibleActions(), &kept, event->buttons(),
                        event->modifiers(), event->type());
    filtered.setDropAction(event->dropAction());
    QLineEdit::dropEvent(&filtered);
    event->setDropAction(filtered.dropAction());
    event->setAccepted(filtered.isAccepted());
}

void FieldLine::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the selection of the window system.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::MiddleButton && clipboard->supportsSelection() && !isReadOnly() &&
        rect().contains(event->position().toPoint())) {
        const QString selection = clipboard->text(QClipboard::Selection);
        if (hasRefused(m_index, selection)) {
            deselect();
            insertFiltered(selection);
            event->accept();
            return;
        }
    }
    QLineEdit::mouseReleaseEvent(event);
}

void FieldLine::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The menu's paste goes through the same filter as Ctrl+V.
    // The item is known by its text, which comes from the same translation as the menu's own.
    const QString pasteText = QLineEdit::tr("&Paste");
    for (QAction* action : menu->actions()) {
        if (action->text() == pasteText || action->text().startsWith(pasteText + QLatin1Char('\t'))) {
            action->disconnect();
            connect(action, &QAction::triggered, this, &FieldLine::pasteFiltered);
        }
    }
    menu->popup(event->globalPos());
}

FieldText::FieldText(int index, QWidget* parent) : QPlainTextEdit(parent), m_index(index)
{
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void FieldText::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    if (!hasRefused(m_index, typed)) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    deliverFilteredKey(m_index, event, [this](QKeyEvent* key) { QPlainTextEdit::keyPressEvent(key); });
}

void FieldText::inputMethodEvent(QInputMethodEvent* event)
{
    if (!hasRefused(m_index, event->commitString())) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(card::filterFieldText(m_index, event->commitString()), event->replacementStart(),
                             event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&filtered);
    event->setAccepted(filtered.isAccepted());
}

void FieldText::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText() || !hasRefused(m_index, source->text())) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QMimeData filtered;
    filtered.setText(card::filterFieldText(m_index, source->text()));
    QPlainTextEdit::insertFromMimeData(&filtered);
}

namespace {

// The raw text keeps every character; only the paragraph breaks need writing out.
QString editorText(const QPlainTextEdit* text)
{
    QString raw = text->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    return raw;
}

} // namespace

void FieldText::load(const QString& stored)
{
    QString shown = stored;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    setPlainText(shown);
    m_loaded = stored;
    m_loadedShown = document()->toRawText();
}

QString FieldText::stored() const
{
    const QString raw = document()->toRawText();
    if (raw == m_loadedShown)
        return m_loaded;
    return editorText(this);
}

QString fieldText(const QWidget* field)
{
    if (const auto* text = qobject_cast<const FieldText*>(field))
        return text->stored();
    if (const auto* text = qobject_cast<const QPlainTextEdit*>(field))
        return editorText(text);
    if (const auto* line = qobject_cast<const QLineEdit*>(field))
        return line->text();
    return {};
}

void setFieldText(QWidget* field, const QString& stored)
{
    if (auto* text = qobject_cast<FieldText*>(field)) {
        text->load(stored);
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(field)) {
        QString shown = stored;
        shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text->setPlainText(shown);
    } else if (auto* line = qobject_cast<QLineEdit*>(field)) {
        line->setText(stored);
    }
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace app
