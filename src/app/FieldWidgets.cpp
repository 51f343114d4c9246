#include "app/FieldWidgets.h"

#include "card/CardRecord.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

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

} // namespace

FieldLine::FieldLine(int index, QWidget* parent) : QLineEdit(parent), m_index(index)
{
    // A single-line field keeps text of any length.
    setMaxLength(std::numeric_limits<int>::max());
    // textEdited carries every change the user makes (keys, input methods, paste, drop) and
    // never a text the program sets; it comes before textChanged, so m_shown still holds the
    // text as it was before the edit.
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
    const QString kept = card::filterFieldText(m_index, typed);
    if (kept.isEmpty()) {
        event->accept(); // the key is discarded
        return;
    }
    QKeyEvent filtered(event->type(), event->key(), event->modifiers(), kept, event->isAutoRepeat(),
                       static_cast<ushort>(event->count()));
    QPlainTextEdit::keyPressEvent(&filtered);
    event->setAccepted(filtered.isAccepted());
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

QString fieldText(const QWidget* field)
{
    if (const auto* text = qobject_cast<const QPlainTextEdit*>(field)) {
        // The raw text keeps every character; only the paragraph breaks need writing out.
        QString raw = text->document()->toRawText();
        raw.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
        return raw;
    }
    if (const auto* line = qobject_cast<const QLineEdit*>(field))
        return line->text();
    return {};
}

void setFieldText(QWidget* field, const QString& stored)
{
    if (auto* text = qobject_cast<QPlainTextEdit*>(field)) {
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
