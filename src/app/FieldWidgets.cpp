#include "app/FieldWidgets.h"

#include "card/CardRecord.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

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
    // never a text the program sets.
    connect(this, &QLineEdit::textEdited, this, &FieldLine::filterEdit);
}

void FieldLine::filterEdit(const QString& text)
{
    if (!hasRefused(m_index, text))
        return;
    const int cursor = cursorPosition();
    const int removedBefore = static_cast<int>(text.left(cursor).size()) -
                              static_cast<int>(card::filterFieldText(m_index, text.left(cursor)).size());
    setText(card::filterFieldText(m_index, text));
    setCursorPosition(cursor - removedBefore);
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
