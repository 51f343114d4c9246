#include "app/play/HitPointsDialog.h"

#include "play/HitPoints.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace app {

namespace {

constexpr int ShownFields[4] = {card::CurrentHitPointsField, card::MaxHitPointsField,
                                card::TemporaryHitPointsField, card::CurrentSurgesField};

} // namespace

HitPointsDialog::HitPointsDialog(ReadSheet read, WriteSheet write, QWidget* parent)
    : QDialog(parent), m_read(std::move(read)), m_write(std::move(write))
{
    setObjectName(QStringLiteral("HitPointsDialog"));
    setWindowTitle(QStringLiteral("生命值"));
    setAccessibleName(QStringLiteral("生命值对话框"));

    auto* form = new QFormLayout;
    for (int i = 0; i < 4; ++i) {
        const QString caption = play::fieldCaption(ShownFields[i]);
        m_values[i] = new QLabel(this);
        m_values[i]->setObjectName(QStringLiteral("HitPointsValue%1").arg(i));
        m_values[i]->setAccessibleName(caption);
        m_values[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(caption + QStringLiteral("："), m_values[i]);
    }
    m_amount = new QSpinBox(this);
    m_amount->setObjectName(QStringLiteral("HitPointsAmount"));
    m_amount->setAccessibleName(QStringLiteral("数值"));
    m_amount->setRange(0, play::LargestPlainNumber);
    form->addRow(QStringLiteral("数值："), m_amount);

    const QString texts[4] = {QStringLiteral("伤害"), QStringLiteral("治疗"), QStringLiteral("临时生命值"),
                              QStringLiteral("使用复原力")};
    auto* steps = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        m_buttons[i] = new QPushButton(texts[i], this);
        m_buttons[i]->setObjectName(QStringLiteral("HitPointsStep%1").arg(i));
        m_buttons[i]->setAccessibleName(texts[i]);
        m_buttons[i]->setAutoDefault(false);
        connect(m_buttons[i], &QPushButton::clicked, this, [this, i] { run(Step(i)); });
        steps->addWidget(m_buttons[i]);
    }
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("HitPointsStatus"));
    m_status->setAccessibleName(QStringLiteral("生命值结果"));
    m_status->setWordWrap(true);

    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    close->setObjectName(QStringLiteral("HitPointsClose"));
    close->setAccessibleName(QStringLiteral("关闭生命值对话框"));
    close->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    close->button(QDialogButtonBox::Close)->setAccessibleName(QStringLiteral("关闭"));
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(steps);
    layout->addWidget(m_status);
    layout->addWidget(close);
    refresh();
}

void HitPointsDialog::refresh()
{
    const card::Sheet sheet = m_read();
    for (int i = 0; i < 4; ++i) {
        const QString text = sheet.text[ShownFields[i]].trimmed();
        m_values[i]->setText(text.isEmpty() ? QStringLiteral("—") : text);
    }
}

QString HitPointsDialog::shownValues() const
{
    QStringList values;
    for (const QLabel* label : m_values)
        values << label->text();
    return values.join(QLatin1Char('/'));
}

void HitPointsDialog::run(Step step)
{
    const card::Sheet sheet = m_read();
    const int amount = m_amount->value();
    play::Outcome outcome;
    switch (step) {
    case Damage:
        outcome = play::takeDamage(sheet, amount);
        break;
    case Heal:
        outcome = play::heal(sheet, amount);
        break;
    case Temporary:
        outcome = play::gainTemporaryHitPoints(sheet, amount);
        break;
    case Surge:
        outcome = play::useHealingSurge(sheet);
        break;
    }
    if (!outcome.ok()) {
        m_status->setText(outcome.refusal);
        return;
    }
    const QString besides = m_write(outcome.sheet);
    m_status->setText(besides.isEmpty() ? outcome.notice : outcome.notice + QLatin1Char('\n') + besides);
    refresh();
}

} // namespace app
