#pragma once

#include "card/Sheet.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QSpinBox;

namespace app {

// "生命值": the hit points and surges of the sheet as it stands, and the steps of play on them. Each
// step reads the sheet anew, and an applied step puts the result back at once; a refused step shows
// its reason here and changes nothing.
class HitPointsDialog : public QDialog
{
    Q_OBJECT
public:
    using ReadSheet = std::function<card::Sheet()>;
    // Puts the sheet on; returns what the player should know besides the step's notice, or nothing.
    using WriteSheet = std::function<QString(const card::Sheet&)>;

    HitPointsDialog(ReadSheet read, WriteSheet write, QWidget* parent);

    enum Step { Damage, Heal, Temporary, Surge };
    QPushButton* button(Step step) const { return m_buttons[step]; }
    QSpinBox* amount() const { return m_amount; }
    // The reason the last step was refused, or the step done.
    QLabel* status() const { return m_status; }
    // The four values shown, in the order current, maximum, temporary, surges.
    QString shownValues() const;

    // Shows the values the sheet holds now.
    void refresh();

private:
    void run(Step step);

    ReadSheet m_read;
    WriteSheet m_write;
    QLabel* m_values[4] = {};
    QSpinBox* m_amount = nullptr;
    QPushButton* m_buttons[4] = {};
    QLabel* m_status = nullptr;
};

} // namespace app
