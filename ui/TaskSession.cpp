#include "ui/TaskSession.h"

#include "core/PM_Utils.h"
#include "core/Paths.h"
#include "core/StringUtils.h"
#include "log/WriteLog.h"
#include "tasks/KX_LoadBitmapFromFile.h"
#include "ui/KX_Button.h"
#include "ui/KX_Edit.h"
#include "ui/KX_ImageListView.h"
#include "ui/PM_TaskEdit.h"
#include "ui/PM_TaskTest.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <cmath>

namespace pm {

namespace {

// Hourglass for the lifetime of the object.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// A task that throws is a failed run here: the window must stay usable.
double Guarded(const std::function<double()>& run) {
    try {
        return run();
    } catch (const std::exception& e) {
        LogError(e.what());
        return -1;
    }
}

}  // namespace

TTaskSession::TTaskSession(TRunContext& ctx, TScenarioModel& model, const TTaskInfoList& types,
                           IDialogs& dialogs, TPM_TaskEditForm& editor, TPM_TaskTestForm& tester,
                           IScenarioPage& page)
    : ctx_(ctx), model_(model), types_(types), dialogs_(dialogs), editor_(editor), tester_(tester),
      page_(page) {
    ctx_.EditedScenario = &model_.Entries;
    // Every page holds its lists and its type's defaults from the start, so
    // a page shown for a type change never offers empty widgets.
    for (const TTaskInfoList::Entry& e : types_.Entries()) {
        try {
            std::unique_ptr<TBaseClass> task = MakeTask(e.Info.ClassName, &ctx_);
            task->PrepareEditor(editor_.Page());
            task->ShowSettings(editor_.Page(), vsDefault);
        } catch (const std::exception& ex) {
            LogError(ex.what());
        }
    }

    connect(&editor_, &TPM_TaskEditForm::TaskTypeChosen, this, &TTaskSession::TaskTypeCBChange);
    connect(&editor_, &TPM_TaskEditForm::ConfirmRequested, this, &TTaskSession::btn1Click);
    connect(&editor_, &TPM_TaskEditForm::CancelRequested, this, &TTaskSession::btn2Click);
    connect(&editor_, &TPM_TaskEditForm::DefaultRequested, this, &TTaskSession::DefaultBtnClick);
    connect(&editor_, &TPM_TaskEditForm::TestRequested, this, &TTaskSession::MakeCurSetTest);
    connect(&tester_, &TPM_TaskTestForm::TestDirChanged, this, &TTaskSession::TestDirChange);
    connect(&tester_, &TPM_TaskTestForm::TestRequested, this, &TTaskSession::FullTestClick);
    connect(&tester_, &TPM_TaskTestForm::EnterPressed, this, &TTaskSession::TestFilesListKeyDown);
    connect(&tester_, &TPM_TaskTestForm::KeyReleased, this, &TTaskSession::TestFilesListKeyUp);
    connect(&tester_, &TPM_TaskTestForm::Closed, this, [this] { editor_.ApplyEffect_B->setEnabled(false); });
}

bool TTaskSession::MiddleRow() const {
    return model_.Selected >= 1 && model_.Selected < model_.Count() - 1;
}

TaskRec* TTaskSession::SelectedEntry() const {
    if (model_.Selected < 0 || model_.Selected >= model_.Count()) return nullptr;
    return model_.Entries[std::size_t(model_.Selected)].get();
}

bool TTaskSession::MakeSelectedCurrent() {
    if (!SelectedEntry()) return false;
    return GetTaskRecord(ctx_, &model_.Entries, model_.Selected) && GetBaseClass(ctx_);
}

void TTaskSession::ShowEditorTypes(bool middleTask) {
    editor_.FillTypes(types_.EditorTypes(middleTask));
}

void TTaskSession::RefreshCaptions() {
    const std::string* name = ctx_.CurrentTaskRec ? &ctx_.CurrentTaskRec->Name : nullptr;
    editor_.UpdateEditorCaption(name);
    tester_.UpdateTestCaption(name);
}

void TTaskSession::SetTimeCell(int row, double ms) {
    tester_.SetRowCell(row, TKX_ImageListView::colTime,
                       QStringLiteral("%1 ms").arg(static_cast<qint64>(std::nearbyint(ms))));
}

// ---- main window ---------------------------------------------------------

void TTaskSession::TaskListClick() {
    if (model_.Selected == model_.LastSelected) return;
    model_.LastSelected = model_.Selected;
    EditorMode = emExistingTask;
    SelectTask();
    if (model_.Count() > 0 && editor_.isHidden()) editor_.show();
    UpdateTestWindow();
    page_.UpdateTaskButtons();
    FullTestClick();
    page_.ActivateMainWindow();
}

void TTaskSession::SelectTask() {
    ShowEditorTypes(false);
    editor_.SetWindowHeight(TPM_TaskEditForm::kExistingTaskHeight);
    if (!MakeSelectedCurrent()) {
        LogError("Function \"SelectTask\" failed!");
        return;
    }
    TaskRec& rec = *ctx_.CurrentTaskRec;
    TBaseClass& task = *ctx_.CurrentTask;
    editor_.SetEditedName(rec.Name);
    // Loading and saving types cannot be chosen for a middle task.
    if (MiddleRow()) ShowEditorTypes(true);
    editor_.SelectTypeCaption(task.ClassInfo().Caption);
    // The first and the last task keep their types: a scenario without a
    // loading task first and a saving task last cannot be opened again.
    editor_.TaskTypeCB->setEnabled(MiddleRow() && AllowChangeTaskType);
    tester_.AlignResultFrame();

    editor_.UpdateEditorCaption(&rec.Name);
    editor_.ShowPage(task.ClassInfo().PageIndex);
    editor_.SetConfirmCaption(TPM_TaskEditForm::kSaveSettings);
    editor_.GroupBox2->show();
    editor_.DefaultBtn->show();
    editor_.ApplyEffect_B->show();
    tester_.UpdateTestCaption(&rec.Name);
    // Lists and file filters may depend on the scenario (the background
    // file filter follows the loading task's formats).
    task.PrepareEditor(editor_.Page());
    task.ShowSettings(editor_.Page(), vsCurrent);
}

void TTaskSession::NewTaskClick() {
    EditorMode = emNewTask;
    page_.DisableTaskButtons();
    tester_.ClearResult();

    editor_.SetWindowHeight(TPM_TaskEditForm::kNewTaskHeight);
    ShowEditorTypes(true);
    editor_.TaskTypeCB->setEnabled(true);
    editor_.TaskTypeCB->setCurrentIndex(editor_.TaskTypeCB->count() > 0 ? 0 : -1);
    TaskTypeCBChange();
    editor_.SetConfirmCaption(TPM_TaskEditForm::kCreateTask);
    editor_.GroupBox2->hide();
    editor_.setWindowTitle(QStringLiteral("New task ..."));
    editor_.DefaultBtn->hide();
    editor_.ApplyEffect_B->hide();
    editor_.show();
    editor_.raise();
    editor_.activateWindow();
    editor_.TaskTypeCB->setFocus();
}

void TTaskSession::EditTaskClick() {
    EditorMode = emExistingTask;
    editor_.SetWindowHeight(TPM_TaskEditForm::kExistingTaskHeight);
    editor_.show();
    editor_.raise();
    editor_.activateWindow();
    if (editor_.TaskTypeCB->isEnabled())
        editor_.TaskTypeCB->setFocus();
    else
        editor_.TaskName->setFocus();
}

void TTaskSession::DeleteTaskClick() {
    const TaskRec* rec = SelectedEntry();
    if (!rec) return;
    if (!dialogs_.Confirm("Delete task \"" + rec->Name + "\" ?", "Confirmation", TMsgIcon::Warning, false))
        return;
    const int row = model_.Selected;
    model_.RemoveTask(row);
    model_.Selected = std::min(row, model_.Count() - 1);
    page_.TaskListChanged();
    MakeSelectedCurrent();
    page_.UpdateTaskButtons();
    TaskDeleted();
}

void TTaskSession::TaskDeleted() {
    model_.LastSelected = -1;
    tester_.ClearResult();
    TaskListClick();
}

void TTaskSession::FullTestClick() {
    if (!page_.FullTestEnabled() || testInProgress_) return;
    testInProgress_ = true;
    {
        TBusyCursor busy;
        const QString file = tester_.SelectedTestFile();
        const int row = tester_.SelectedRow();
        bool failed = file.isEmpty();
        if (!failed && !SamePath(file.toStdString(), ctx_.CurrentSourceFile)) {
            if (LoadSourceImage(ctx_, file.toStdString())) {
                ctx_.CurrentSourceFile = file.toStdString();
                const TBitmapsInfo& info = ctx_.GeneralObject().BitmapsInfo;
                tester_.SetRowCell(row, TKX_ImageListView::colWidth, QString::number(info.Width));
                tester_.SetRowCell(row, TKX_ImageListView::colHeight, QString::number(info.Height));
                tester_.SetRowCell(row, TKX_ImageListView::colColor,
                                   QStringLiteral("%1 bit").arg(int(info.BitsPerPixel)));
                tester_.ShowSource(ctx_.GeneralObject().SrcBitmap);
            } else {
                failed = true;
                tester_.ClearSource();
            }
        }
        QCoreApplication::processEvents();

        const int mode = page_.TestMode();
        if (!failed && mode != 0) {
            const int first = mode == 1 ? model_.Selected : 1;
            const int last = mode == 1 ? model_.Selected : model_.Count() - 2;
            const double ms = Guarded([&] { return RunScenario(ctx_, first, last, &model_.Entries); });
            MakeSelectedCurrent();
            if (ms >= 0) {
                SetTimeCell(row, ms);
                tester_.ShowResult(ctx_.GeneralObject().DstBitmap);
            } else {
                failed = true;
            }
        }
        if (failed) ctx_.CurrentSourceFile.clear();
        if (failed || mode == 0) {
            tester_.SetRowCell(row, TKX_ImageListView::colTime, QString());
            tester_.ClearResult();
        }
        page_.UpdateTaskButtons();
    }
    TestPending = false;
    testInProgress_ = false;
}

void TTaskSession::UpdateTestWindow() {
    if (!MiddleRow())
        tester_.hide();
    else if (tester_.isHidden())
        tester_.show();
}

void TTaskSession::UpdateTestButtons() {
    if (const TTaskInfoList::Entry* chosen = editor_.SelectedType()) {
        const TaskRec* rec = SelectedEntry();
        const bool on = MiddleRow() && rec && rec->Task && rec->Task->ClassName() == chosen->Info.ClassName &&
                        tester_.SelectedRow() >= 0 && tester_.TestFilesList->rowCount() > 0;
        editor_.ApplyEffect_B->setEnabled(on);
    }
    page_.SetFullTestEnabled(editor_.ApplyEffect_B->isEnabled());
}

void TTaskSession::DisableTestButtons() {
    editor_.ApplyEffect_B->setEnabled(false);
    page_.SetFullTestEnabled(false);
}

void TTaskSession::FormActivate() {
    if (!model_.ScenarioOpen || !editor_.isVisible()) return;
    if (EditorMode == emExistingTask) {
        AskSaveChanges();
    } else {
        AskCreateNewTask();
        model_.LastSelected = -1;
        TaskListClick();
    }
}

void TTaskSession::ApplyAllowChangeTaskType(bool allow) {
    AllowChangeTaskType = allow;
    if (MiddleRow() && EditorMode == emExistingTask) editor_.TaskTypeCB->setEnabled(allow);
}

void TTaskSession::ClearWindows() {
    editor_.hide();
    tester_.ClearSource();
    tester_.ClearResult();
    tester_.hide();
}

// ---- task editor ---------------------------------------------------------

void TTaskSession::TaskTypeCBChange() {
    const TTaskInfoList::Entry* type = editor_.SelectedType();
    if (!type) return;
    if (EditorMode == emExistingTask) {
        page_.UpdateTaskButtons();
        editor_.ShowPage(type->Info.PageIndex);
    } else {
        editor_.SetEditedName(type->Info.Description);
        editor_.TaskNameChange();
    }
}

void TTaskSession::btn1Click() {
    if (!editor_.btn1->isEnabled() || editor_.NameBlank()) return;
    const TTaskInfoList::Entry* chosen = editor_.SelectedType();
    if (!chosen) return;
    const TTaskInfoList::Entry type = *chosen;  // the list is refilled below
    const std::string name = editor_.EditedName();
    if (EditorMode == emExistingTask) {
        model_.ChangeTask(type.Info.ClassName, name);
        page_.TaskListChanged();
    } else {
        EditorMode = emExistingTask;
        editor_.SetConfirmCaption(TPM_TaskEditForm::kSaveSettings);
        editor_.SetWindowHeight(TPM_TaskEditForm::kExistingTaskHeight);
        const int before = model_.Count();
        model_.AddTask(type.Info.ClassName, name, true);
        page_.TaskListChanged();
        editor_.ShowPage(type.Info.PageIndex);
        if (model_.Count() > before && MakeSelectedCurrent())
            ctx_.CurrentTask->ShowSettings(editor_.Page(), vsDefault);
        editor_.TaskTypeCB->setEnabled(MiddleRow() && AllowChangeTaskType);
        editor_.GroupBox2->show();
        editor_.DefaultBtn->show();
        editor_.ApplyEffect_B->show();
    }
    page_.UpdateTaskButtons();
    MakeCurSetTest();
    RefreshCaptions();
    UpdateTestWindow();
}

void TTaskSession::btn2Click() {
    if (EditorMode == emNewTask) {
        AskCreateNewTask();
        model_.LastSelected = -1;
        TaskListClick();
    }
    page_.FocusTaskList();
}

void TTaskSession::AskCreateNewTask() {
    if (dialogs_.Confirm("Create new task?", "Confirmation", TMsgIcon::Question, true)) btn1Click();
    editor_.DefaultBtn->show();
    editor_.ApplyEffect_B->show();
}

void TTaskSession::AskSaveChanges() {
    if (!MakeSelectedCurrent()) return;
    const TTaskInfoList::Entry* chosen = editor_.SelectedType();
    TBaseClass& task = *ctx_.CurrentTask;
    const bool unchanged = chosen && SameText(chosen->Caption, task.ClassInfo().Caption) &&
                           editor_.EditedName() == ctx_.CurrentTaskRec->Name &&
                           !task.SettingsChanged(editor_.Page());
    if (unchanged) return;
    if (dialogs_.Confirm("Settings changed. Save?", "Confirmation", TMsgIcon::Question, true)) btn1Click();
}

void TTaskSession::DefaultBtnClick() {
    if (!MakeSelectedCurrent()) return;
    const std::string text = "The original type of this task:\r\n\"" + ctx_.CurrentTask->ClassInfo().Caption +
                             "\"\r\nLoad default settings for this task?";
    if (dialogs_.Confirm(text, "Confirmation", TMsgIcon::Question, false)) LoadDefaultSettings();
}

void TTaskSession::LoadDefaultSettings() {
    if (!MakeSelectedCurrent()) return;
    TBaseClass& task = *ctx_.CurrentTask;
    editor_.SelectTypeCaption(task.ClassInfo().Caption);
    editor_.SetEditedName(task.ClassInfo().Description);
    task.ShowSettings(editor_.Page(), vsDefault);
    editor_.ShowPage(task.ClassInfo().PageIndex);
    page_.UpdateTaskButtons();
}

void TTaskSession::MakeCurSetTest() {
    if (!editor_.ApplyEffect_B->isEnabled() || TestRunning) return;
    if (!MakeSelectedCurrent()) return;
    TBusyCursor busy;
    TestRunning = true;
    TBaseClass& task = *ctx_.CurrentTask;
    task.ReadSettings(editor_.Page(), vsEdited);
    UpdateTestWindow();
    task.SrcBitmap = ctx_.GeneralObject().SrcBitmap;
    const int row = tester_.SelectedRow();
    if (task.SrcBitmap.Empty()) {
        LogError("Cannot make effect - blank source !");
    } else if (row >= 0) {
        const double ms = Guarded([&] { return RunTask(ctx_, vsEdited); });
        if (ms >= 0) {
            SetTimeCell(row, ms);
            ctx_.GeneralObject().DstBitmap = task.DstBitmap;
            if (!ctx_.GeneralObject().DstBitmap.Empty()) tester_.ShowResult(ctx_.GeneralObject().DstBitmap);
        } else {
            tester_.SetRowCell(row, TKX_ImageListView::colTime, QString());
        }
    }
    TestRunning = false;
}

// ---- test window -----------------------------------------------------------

void TTaskSession::TestDirChange(bool reloaded) {
    if (reloaded) ctx_.CurrentSourceFile.clear();
    page_.UpdateTaskButtons();
    FullTestClick();
}

void TTaskSession::TestFilesListKeyDown() {
    TestPending = true;
    FullTestClick();
}

void TTaskSession::TestFilesListKeyUp() {
    if (TestPending) FullTestClick();
}

}  // namespace pm
