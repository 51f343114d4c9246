#pragma once

#include <QComboBox>

namespace app {

// A drop-down list told to a screen reader by the one name it was given, whatever it shows: Qt
// names a box by the item it shows on some systems. Its item is its value.
class NamedComboBox : public QComboBox
{
    Q_OBJECT
public:
    using QComboBox::QComboBox;
};

// Makes the controls above speak by their names. Installed once; later calls change nothing.
void keepAccessibleNames();

} // namespace app
