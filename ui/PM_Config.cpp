#include "ui/PM_Config.h"

#include "ui/KX_Button.h"
#include "ui/KX_ColorComboBox.h"
#include "ui/UiScale.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pm {

TPM_ConfigForm::TPM_ConfigForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("Settings"));
    setModal(true);

    GroupBox1 = new QGroupBox(QStringLiteral("Task settings "), this);
    Allow_Change_Task_Type = new QCheckBox(QStringLiteral("Allow to change type of task"), GroupBox1);
    Label1 = new QLabel(QStringLiteral("Color combobox format"), GroupBox1);
    Color_CB_Format = new QComboBox(GroupBox1);
    Color_CB_Format->addItems(
        {QStringLiteral("Default"), QStringLiteral("HTML colors"), QStringLiteral("RGB colors")});
    Label1->setBuddy(Color_CB_Format);
    auto* g1 = new QHBoxLayout(GroupBox1);
    g1->addWidget(Allow_Change_Task_Type);
    g1->addStretch(1);
    g1->addWidget(Label1);
    g1->addWidget(Color_CB_Format);

    GroupBox2 = new QGroupBox(QStringLiteral("Task Test "), this);
    SynchronizeSrcDst_CB = new QCheckBox(
        QStringLiteral(
            "Synchronize the zoom and motion of \"Source image\" with \"Destination image\" if possible"),
        GroupBox2);
    auto* g2 = new QVBoxLayout(GroupBox2);
    g2->addWidget(SynchronizeSrcDst_CB);

    Apply_B = new TKX_Button(QStringLiteral("Apply"), this);
    Cancel_B = new TKX_Button(QStringLiteral("Cancel"), this);
    Apply_B->setDefault(true);
    connect(Apply_B, &QPushButton::clicked, this, &TPM_ConfigForm::Apply_BClick);
    connect(Cancel_B, &QPushButton::clicked, this, &TPM_ConfigForm::Cancel_BClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Apply_B);
    buttons->addWidget(Cancel_B);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox2);
    layout->addStretch(1);
    layout->addLayout(buttons);

    // 478 x 189 outside at the reference font: about 470 x 162 inside.
    const QSize wanted(ScaledPx(this, 470), ScaledPx(this, 162));
    setFixedSize(wanted.expandedTo(minimumSizeHint()));
}

void TPM_ConfigForm::ShowValues(const TConfig& config) {
    Allow_Change_Task_Type->setChecked(config.AllowChangeTaskType);
    Color_CB_Format->setCurrentIndex(config.ColorFormat >= 0 && config.ColorFormat <= 2 ? config.ColorFormat
                                                                                        : 0);
    SynchronizeSrcDst_CB->setChecked(config.SynchronizeSrcDst);
}

void TPM_ConfigForm::Apply_BClick() {
    if (config_) {
        config_->AllowChangeTaskType = Allow_Change_Task_Type->isChecked();
        config_->ColorFormat = Color_CB_Format->currentIndex();
        config_->SynchronizeSrcDst = SynchronizeSrcDst_CB->isChecked();
    }
    if (OnApply) OnApply();
    accept();
}

void TPM_ConfigForm::Cancel_BClick() {
    reject();
}

void ApplyColorFormat(QWidget* root, int formatIndex) {
    if (!root) return;
    const TColorFormat format =
        (formatIndex == 1 || formatIndex == 2) ? TColorFormat(formatIndex) : cfDefault;
    if (auto* self = qobject_cast<TKX_ColorComboBox*>(root)) self->SetColorFormat(format);
    for (TKX_ColorComboBox* combo : root->findChildren<TKX_ColorComboBox*>()) combo->SetColorFormat(format);
}

}  // namespace pm
