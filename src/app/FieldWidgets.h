#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace app {

// A single-line sheet field. Takes text of any length; "@" (and "-" in the list fields) never
// enters it, however the text arrives: typed, pasted, dropped or committed by an input method. A
// refused key is discarded before it acts, so the selection and the undo history stay as they were;
// pasted, dropped and committed text loses only its refused characters. A short hint near the field
// names what was refused.
class FieldLine : public QLineEdit
{
    Q_OBJECT
public:
    FieldLine(int index, QWidget* parent);
    int index() const { return m_index; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void filterEdit(const QString& text);
    void insertFiltered(const QString& text);
    void pasteFiltered();
    void hintRefused(const QString& text);
    int m_index;
    QString m_shown; // the text before the user's edit: only what the edit brings in is filtered
};

// A multi-line sheet field. Tab moves the focus. Its text is read exactly: paragraph breaks become
// CR LF, and no other character is changed (no-break spaces and line separators stay as they are).
class FieldText : public QPlainTextEdit
{
    Q_OBJECT
public:
    FieldText(int index, QWidget* parent);
    int index() const { return m_index; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    int m_index;
};

// The hint shown where a field refuses characters of text; empty where it refuses none.
QString refusedHint(int field, const QString& text);

// The stored form of a field's text (multi-line fields with CR LF line breaks).
QString fieldText(const QWidget* field);
// Shows a stored text in the field, exactly.
void setFieldText(QWidget* field, const QString& stored);

// A label that reports a left click (LabelLR).
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace app
