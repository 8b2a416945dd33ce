#pragma once
// The settings dialog: four of the stored settings, changed on Apply only.
#include "core/Config.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;

namespace pm {

class TKX_Button;
class TKX_Edit;

class TPM_ConfigForm : public QDialog {
    Q_OBJECT

public:
    explicit TPM_ConfigForm(QWidget* parent = nullptr);

    // The configuration Apply writes to (not owned).
    void BindConfig(TConfig* config) { config_ = config; }
    // The controls take the current values (before the dialog is shown).
    void ShowValues(const TConfig& config);
    // Takes the controls' values, runs OnApply and closes.
    void Apply_BClick();
    // Closes; nothing changes.
    void Cancel_BClick();

    // Runs after the values were taken: the windows follow them.
    std::function<void()> OnApply;

    QGroupBox* GroupBox1;
    QCheckBox* Allow_Change_Task_Type;
    QLabel* Label1;
    QComboBox* Color_CB_Format;
    QGroupBox* GroupBox2;
    QCheckBox* SynchronizeSrcDst_CB;
    QGroupBox* GroupBox3;
    QLabel* Label2;
    TKX_Edit* Jobs_E;
    TKX_Button* Apply_B;
    TKX_Button* Cancel_B;

private:
    TConfig* config_ = nullptr;
};

// Every colour combo inside `root` (children of children included) takes the
// colour format of the dialog's index; an index outside 0..2 counts as 0.
void ApplyColorFormat(QWidget* root, int formatIndex);

}  // namespace pm
