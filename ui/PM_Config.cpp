#include "ui/PM_Config.h"

#include "ui/KX_Button.h"
#include "ui/KX_ColorComboBox.h"
#include "ui/KX_Edit.h"
#include "ui/UiScale.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

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

    GroupBox3 = new QGroupBox(QStringLiteral("Project run "), this);
    Label2 = new QLabel(QStringLiteral("Worker threads for project runs (0 = one per core)"), GroupBox3);
    Jobs_E = new TKX_Edit(GroupBox3);
    Jobs_E->SetEditType(etNumeric);
    Jobs_E->SetMin(0);
    Jobs_E->SetMax(kMaxConfigJobs);
    // Room for the longest value, as the task pages size their fields.
    Jobs_E->setFixedWidth(Jobs_E->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                          ScaledPx(Jobs_E, 12));
    Label2->setBuddy(Jobs_E);
    auto* g3 = new QHBoxLayout(GroupBox3);
    g3->addWidget(Label2);
    g3->addStretch(1);
    g3->addWidget(Jobs_E);

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
    layout->addWidget(GroupBox3);
    layout->addStretch(1);
    layout->addLayout(buttons);

    // 478 x 189 outside at the reference font for the first two groups
    // (about 470 x 162 inside), plus the run group.
    const QSize wanted(ScaledPx(this, 470), ScaledPx(this, 162 + 52));
    setFixedSize(wanted.expandedTo(minimumSizeHint()));
}

void TPM_ConfigForm::ShowValues(const TConfig& config) {
    Allow_Change_Task_Type->setChecked(config.AllowChangeTaskType);
    Color_CB_Format->setCurrentIndex(config.ColorFormat >= 0 && config.ColorFormat <= 2 ? config.ColorFormat
                                                                                        : 0);
    SynchronizeSrcDst_CB->setChecked(config.SynchronizeSrcDst);
    Jobs_E->setText(QString::number(std::clamp(config.Jobs, 0, kMaxConfigJobs)));
}

void TPM_ConfigForm::Apply_BClick() {
    if (config_) {
        config_->AllowChangeTaskType = Allow_Change_Task_Type->isChecked();
        config_->ColorFormat = Color_CB_Format->currentIndex();
        config_->SynchronizeSrcDst = SynchronizeSrcDst_CB->isChecked();
        // An emptied field means the default, one worker per core.
        config_->Jobs = std::clamp(Jobs_E->Value(), 0, kMaxConfigJobs);
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
