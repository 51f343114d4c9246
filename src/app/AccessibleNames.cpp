#include "app/AccessibleNames.h"

#include <QAccessibleWidget>

namespace app {

namespace {

class NamedComboBoxFace : public QAccessibleWidget
{
public:
    explicit NamedComboBoxFace(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        const auto* box = static_cast<const QComboBox*>(widget());
        if (t == QAccessible::Name)
            return box->accessibleName();
        if (t == QAccessible::Value)
            return box->currentText();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* namedControls(const QString& className, QObject* object)
{
    // Asked for the most derived class first, before Qt's own interface of a QComboBox.
    if (className != QLatin1String(NamedComboBox::staticMetaObject.className()))
        return nullptr;
    auto* box = qobject_cast<NamedComboBox*>(object);
    return box ? new NamedComboBoxFace(box) : nullptr;
}

} // namespace

void keepAccessibleNames()
{
    static const bool installed = [] {
        QAccessible::installFactory(namedControls);
        return true;
    }();
    Q_UNUSED(installed)
}

} // namespace app
