#pragma once

#include <QLineEdit>
#include <QListView>

namespace app {

// The search line of List1: Ctrl+F or a character typed into the focused list opens it over the top
// of the list, inside the list's rectangle (the lines move down below it). Each change of its text is
// announced; Escape clears and closes it and gives the focus back to the list.
class ListSearchLine : public QLineEdit
{
    Q_OBJECT
public:
    explicit ListSearchLine(QListView* list);

    // Shows the line with the focus, with the typed text behind what it holds.
    void open(const QString& typed = {});
    void close();
    bool isOpen() const { return !isHidden(); }

signals:
    // The text to search for: empty once closed.
    void searchChanged(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QListView* m_list;
};

} // namespace app
