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

// A multi-line sheet field. Tab moves the focus. What it gives back for storing:
// - while its text is still the one last loaded (the user left it alone, or typed it back as it
//   was), the loaded text itself, byte for byte: a lone CR, a lone LF or U+2029 stays as stored;
// - once the text differs, the editor's text with every paragraph break written as CR LF, and no
//   other character changed (no-break spaces and U+2028 line separators stay as they are).
class FieldText : public QPlainTextEdit
{
    Q_OBJECT
public:
    FieldText(int index, QWidget* parent);
    int index() const { return m_index; }

    void load(const QString& stored);
    QString stored() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    int m_index;
    QString m_loaded;      // the text as loaded
    QString m_loadedShown; // the editor's raw text right after loading it
};

// The hint shown where a field refuses characters of text; empty where it refuses none.
QString refusedHint(int field, const QString& text);

// The stored form of a field's text (for multi-line fields, as FieldText says).
QString fieldText(const QWidget* field);
// Shows a stored text in the field; CR LF pairs become the editor's line breaks.
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
