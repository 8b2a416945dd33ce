#pragma once
// The task editor: a tool window with the task's type and name, one page of
// settings widgets per task type and the buttons "Default settings", "Test
// settings", the confirm button and "Cancel". The window itself only shows
// things; what the buttons do to the scenario is decided by TPM_TaskWindows.
#include "core/ClassRegistry.h"
#include "ui/KX_ColorComboBox.h"
#include "ui/WidgetEditorPage.h"

#include <QWidget>
#include <array>
#include <vector>

class QComboBox;
class QGroupBox;
class QStackedWidget;

namespace pm {

class TKX_Button;
class TKX_Edit;

class TPM_TaskEditForm : public QWidget {
    Q_OBJECT

public:
    // The two captions of the confirm button.
    enum { kCreateTask = 0, kSaveSettings = 1 };
    static const std::array<QString, 2> kConfirmCaptions;
    // Window heights for a new task (type, name and buttons only) and for
    // an existing one, before scaling with the font.
    static constexpr int kNewTaskHeight = 120;
    static constexpr int kExistingTaskHeight = 320;
    static constexpr int kClientWidth = 372;

    explicit TPM_TaskEditForm(QWidget* parent = nullptr);

    // The widgets as the tasks see them.
    TWidgetEditorPage& Page() { return page_; }

    QGroupBox* GroupBox1;
    QComboBox* TaskTypeCB;
    TKX_Edit* TaskName;
    QGroupBox* GroupBox2;
    QStackedWidget* Main_NB;
    TKX_Button* DefaultBtn;
    TKX_Button* ApplyEffect_B;
    TKX_Button* btn1;
    TKX_Button* btn2;

    // Type list: fills it (signals quiet), the selected entry (null when
    // none), selecting by caption.
    void FillTypes(const std::vector<TTaskInfoList::Entry>& types);
    const TTaskInfoList::Entry* SelectedType() const;
    bool SelectTypeCaption(const std::string& caption);
    // Shows the settings page of a type.
    void ShowPage(int pageIndex);

    std::string EditedName() const;
    void SetEditedName(const std::string& name);
    // A name is blank when nothing but blanks is left.
    bool NameBlank() const;
    // Confirm button enabled exactly when the name is not blank.
    void TaskNameChange();

    void SetConfirmCaption(int which);
    // Client height kNewTaskHeight or kExistingTaskHeight, scaled.
    void SetWindowHeight(int height);
    // "Task setting [ name ]", or "Task setting" without a task.
    void UpdateEditorCaption(const std::string* taskName);
    // Every colour list of the pages shows its entries in `format`.
    void ApplyColorFormat(TColorFormat format);

signals:
    // The user chose another entry of the type list.
    void TaskTypeChosen();
    // Confirm button or Enter in the type list.
    void ConfirmRequested();
    void CancelRequested();
    void DefaultRequested();
    void TestRequested();
    // The window manager closes the window (it may offer a close button
    // although the window asks for none); the window then hides.
    void CloseRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildTaskGroup();
    void BuildButtons();
    void ConnectPageRelays();
    void SelectClearInvertClick(int tag);
    void FileType_LVClick();
    void stfFormatChange(int index);
    void RC_MethodChange(int index);

    TWidgetEditorPage page_;
    std::vector<TTaskInfoList::Entry> types_;
    int width_ = 0;
};

}  // namespace pm
