#include "ui/PM_TaskWindows.h"

#include "core/PM_Utils.h"
#include "core/Paths.h"
#include "core/StringUtils.h"
#include "log/WriteLog.h"
#include "tasks/KX_LoadBitmapFromFile.h"
#include "tasks/PM__TLoadFromFile.h"
#include "ui/KX_Button.h"
#include "ui/KX_Edit.h"
#include "ui/KX_ImageFrame.h"
#include "ui/KX_ImageListView.h"
#include "ui/PM_Main.h"
#include "ui/PM_TaskEdit.h"
#include "ui/PM_TaskTest.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <cmath>
#include <functional>

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

// A task that throws is a failed run here: the windows must stay usable.
double Guarded(const std::function<double()>& run) {
    try {
        return run();
    } catch (const std::exception& e) {
        LogError(e.what());
        return -1;
    }
}

}  // namespace

TPM_TaskWindows::TPM_TaskWindows(TPM_MainForm& main)
    : main_(main), editor_(new TPM_TaskEditForm(&main)), tester_(new TPM_TaskTestForm(&main)) {
    connect(editor_, &TPM_TaskEditForm::TaskTypeChosen, this, &TPM_TaskWindows::TaskTypeCBChange);
    connect(editor_, &TPM_TaskEditForm::ConfirmRequested, this, &TPM_TaskWindows::btn1Click);
    connect(editor_, &TPM_TaskEditForm::CancelRequested, this, &TPM_TaskWindows::btn2Click);
    connect(editor_, &TPM_TaskEditForm::DefaultRequested, this, &TPM_TaskWindows::DefaultBtnClick);
    connect(editor_, &TPM_TaskEditForm::TestRequested, this, &TPM_TaskWindows::MakeCurSetTest);
    connect(editor_, &TPM_TaskEditForm::CloseRequested, this, &TPM_TaskWindows::EditorClosing);
    connect(tester_, &TPM_TaskTestForm::TestDirChanged, this, &TPM_TaskWindows::TestDirChange);
    connect(tester_, &TPM_TaskTestForm::TestRequested, this, [this] { main_.FullTestClick(); });
    connect(tester_, &TPM_TaskTestForm::EnterPressed, this, &TPM_TaskWindows::TestFilesListKeyDown);
    connect(tester_, &TPM_TaskTestForm::KeyReleased, this, &TPM_TaskWindows::TestFilesListKeyUp);
    connect(tester_, &TPM_TaskTestForm::Hidden, this, &TPM_TaskWindows::TestWindowHidden);
    main_.SetTaskWindows(this);
}

TPM_TaskWindows::~TPM_TaskWindows() {
    if (&main_.TaskWindows() == this) main_.SetTaskWindows(nullptr);
}

IEditorPage* TPM_TaskWindows::EditorPage() {
    return &editor_->Page();
}

QWidget* TPM_TaskWindows::EditorWindow() {
    return editor_;
}

bool TPM_TaskWindows::MiddleRow() const {
    const TScenarioModel& s = main_.Scenario();
    return s.Selected >= 1 && s.Selected < s.Count() - 1;
}

TaskRec* TPM_TaskWindows::SelectedEntry() const {
    const TScenarioModel& s = main_.Scenario();
    if (s.Selected < 0 || s.Selected >= s.Count()) return nullptr;
    return s.Entries[std::size_t(s.Selected)].get();
}

TBaseClass* TPM_TaskWindows::MakeSelectedCurrent() {
    if (!SelectedEntry()) return nullptr;
    TScenarioModel& s = main_.Scenario();
    return s.MakeCurrent(s.Selected);
}

void TPM_TaskWindows::ShowEditorTypes(bool middleTask) {
    editor_->FillTypes(main_.TaskInfos().EditorTypes(middleTask));
}

void TPM_TaskWindows::RefreshCaptions() {
    const TaskRec* rec = main_.Context().CurrentTaskRec;
    const std::string* name = rec ? &rec->Name : nullptr;
    editor_->UpdateEditorCaption(name);
    tester_->UpdateTestCaption(name);
}

void TPM_TaskWindows::SetTimeCell(int row, double ms) {
    tester_->SetRowCell(row, TKX_ImageListView::colTime,
                        QStringLiteral("%1 ms").arg(static_cast<qint64>(std::nearbyint(ms))));
}

void TPM_TaskWindows::StoreTestDirectory() {
    main_.Config().TestDirectory = tester_->TestDirectory().toStdString();
}

void TPM_TaskWindows::PlaceBesideMain() {
    if (placed_ || !main_.isVisible()) return;
    placed_ = true;
    // The main window grows with the desktop font; fixed places would
    // cover it.
    const QRect frame = main_.frameGeometry();
    editor_->move(frame.right() + 1, frame.top());
    tester_->move(frame.left(), frame.bottom() + 1);
}

// ---- start-up ---------------------------------------------------------------

void TPM_TaskWindows::InitializeEditor() {
    TRunContext& ctx = main_.Context();
    ctx.EditedScenario = &main_.Scenario().Entries;
    // Every page holds its lists and its type's defaults from the start, so
    // a page shown for a type change never offers empty widgets.
    for (const TTaskInfoList::Entry& e : main_.TaskInfos().Entries()) {
        std::unique_ptr<TBaseClass> task = MakeTask(e.Info.ClassName, &ctx);
        task->PrepareEditor(editor_->Page());
        task->ShowSettings(editor_->Page(), vsDefault);
    }
    editor_->UpdateEditorCaption(nullptr);
}

void TPM_TaskWindows::InitializeTestWindow() {
    const TConfig& config = main_.Config();
    tester_->Initialize(QString::fromStdString(config.TestDirectory), config.SynchronizeSrcDst);
    StoreTestDirectory();
}

// ---- the main window's requests ---------------------------------------------

void TPM_TaskWindows::SelectTask(int row, int count) {
    ShowEditorTypes(false);
    editor_->SetWindowHeight(TPM_TaskEditForm::kExistingTaskHeight);
    TRunContext& ctx = main_.Context();
    if (!ctx.CurrentTaskRec || !ctx.CurrentTask) return;
    TaskRec& rec = *ctx.CurrentTaskRec;
    TBaseClass& task = *ctx.CurrentTask;
    const bool middle = row > 0 && row < count - 1;
    editor_->SetEditedName(rec.Name);
    // Loading and saving types cannot be chosen for a middle task.
    if (middle) ShowEditorTypes(true);
    editor_->SelectTypeCaption(task.ClassInfo().Caption);
    // The first and the last task keep their types: a scenario that does
    // not begin with loading and end with saving cannot be opened again.
    editor_->TaskTypeCB->setEnabled(middle && main_.Config().AllowChangeTaskType);
    if (main_.Config().SynchronizeSrcDst) tester_->AlignResultFrame();

    editor_->UpdateEditorCaption(&rec.Name);
    editor_->ShowPage(task.ClassInfo().PageIndex);
    editor_->SetConfirmCaption(TPM_TaskEditForm::kSaveSettings);
    editor_->GroupBox2->show();
    editor_->DefaultBtn->show();
    editor_->ApplyEffect_B->show();
    tester_->UpdateTestCaption(&rec.Name);
    // Lists and file filters may depend on the scenario (the background
    // file filter follows the loading task's formats).
    task.PrepareEditor(editor_->Page());
    task.ShowSettings(editor_->Page(), vsCurrent);
}

void TPM_TaskWindows::ShowEditor() {
    PlaceBesideMain();
    editor_->show();
}

void TPM_TaskWindows::HideEditor() {
    editor_->hide();
}

bool TPM_TaskWindows::EditorVisible() const {
    return editor_->isVisible();
}

void TPM_TaskWindows::StartNewTask() {
    editor_->SetWindowHeight(TPM_TaskEditForm::kNewTaskHeight);
    ShowEditorTypes(true);
    editor_->TaskTypeCB->setEnabled(true);
    editor_->TaskTypeCB->setCurrentIndex(editor_->TaskTypeCB->count() > 0 ? 0 : -1);
    TaskTypeCBChange();
    editor_->SetConfirmCaption(TPM_TaskEditForm::kCreateTask);
    editor_->GroupBox2->hide();
    editor_->setWindowTitle(QStringLiteral("New task ..."));
    editor_->DefaultBtn->hide();
    editor_->ApplyEffect_B->hide();
    PlaceBesideMain();
    editor_->show();
    editor_->raise();
    editor_->activateWindow();
    editor_->TaskTypeCB->setFocus();
}

void TPM_TaskWindows::EditTask() {
    editor_->SetWindowHeight(TPM_TaskEditForm::kExistingTaskHeight);
    PlaceBesideMain();
    editor_->show();
    editor_->raise();
    editor_->activateWindow();
    if (editor_->TaskTypeCB->isEnabled())
        editor_->TaskTypeCB->setFocus();
    else
        editor_->TaskName->setFocus();
}

void TPM_TaskWindows::DisableTestSettings() {
    editor_->ApplyEffect_B->setEnabled(false);
}

void TPM_TaskWindows::TestWindowHidden() {
    DisableTestSettings();
    // "Test " follows "Test settings"; the other buttons keep their state
    // (they are off while a new task is being made).
    main_.FullTest->setEnabled(false);
}

bool TPM_TaskWindows::UpdateTestSettings(int row, int count) {
    if (const TTaskInfoList::Entry* chosen = editor_->SelectedType()) {
        const TaskRec* rec = SelectedEntry();
        // A test shows its result in the test window: none while it is hidden.
        const bool on = row > 0 && row < count - 1 && rec && rec->Task &&
                        rec->Task->ClassName() == chosen->Info.ClassName && tester_->SelectedRow() >= 0 &&
                        tester_->TestFilesList->rowCount() > 0 && tester_->isVisible();
        editor_->ApplyEffect_B->setEnabled(on);
    }
    return editor_->ApplyEffect_B->isEnabled();
}

void TPM_TaskWindows::ShowTestWindow(bool visible) {
    if (visible) PlaceBesideMain();
    tester_->setVisible(visible);
}

bool TPM_TaskWindows::TestWindowVisible() const {
    return tester_->isVisible();
}

void TPM_TaskWindows::ClearDestinationFrame() {
    tester_->ClearResult();
}

void TPM_TaskWindows::ClearTestWindow() {
    tester_->ClearSource();
    tester_->ClearResult();
    tester_->hide();
}

void TPM_TaskWindows::RunTest(TTestMode mode, int row, int count) {
    // Pending window messages run during the test; a click among them must
    // not start a second one.
    if (testInProgress_) return;
    testInProgress_ = true;
    TRunContext& ctx = main_.Context();
    const QString file = tester_->SelectedTestFile();
    const int fileRow = tester_->SelectedRow();
    // A test counts the pictures as the list orders them.
    ctx.CurrentFileNumber = fileRow + 1;
    bool failed = file.isEmpty();
    // A batch run may have left a picture decoded smaller for its resize.
    const bool wholeLoaded = ctx.GeneralObject().BitmapsInfo.ScaleDivisor == 1;
    if (!failed && (!SamePath(file.toStdString(), ctx.CurrentSourceFile) || !wholeLoaded)) {
        // The test image is what the scenario's load task would hand on.
        const TTaskList& scenario = main_.Scenario().Entries;
        const bool upright =
            TLoadFromFile::LoadsUpright(scenario.empty() ? nullptr : scenario.front()->Task.get());
        if (LoadSourceImage(ctx, file.toStdString(), upright)) {
            ctx.CurrentSourceFile = file.toStdString();
            const TBitmapsInfo& info = ctx.GeneralObject().BitmapsInfo;
            tester_->SetRowCell(fileRow, TKX_ImageListView::colWidth, QString::number(info.Width));
            tester_->SetRowCell(fileRow, TKX_ImageListView::colHeight, QString::number(info.Height));
            tester_->SetRowCell(fileRow, TKX_ImageListView::colColor,
                                QStringLiteral("%1 bit").arg(int(info.BitsPerPixel)));
            tester_->ShowSource(ctx.GeneralObject().SrcBitmap);
        } else {
            failed = true;
            tester_->ClearSource();
        }
    }
    QCoreApplication::processEvents();

    if (!failed && mode != tmNone) {
        TTaskList& entries = main_.Scenario().Entries;
        // A scenario whose load decodes the picture smaller for the task after
        // it is run from its load, as a batch run does; the test image stays.
        const bool fromLoad =
            mode == tmFullScenario && count > 2 && entries.size() > 1 && entries[1] &&
            TLoadFromFile::DecodesSmaller(ctx.GeneralObject().BitmapsInfo, entries[1]->Task.get());
        const int first = mode == tmSingleTask ? row : fromLoad ? 0 : 1;
        const int last = mode == tmSingleTask ? row : count - 2;
        const TBitmap testImage = ctx.GeneralObject().SrcBitmap;
        const TBitmapsInfo testInfo = ctx.GeneralObject().BitmapsInfo;
        const double ms = Guarded([&] { return RunScenario(ctx, first, last, &entries); });
        if (fromLoad) {
            ctx.GeneralObject().SrcBitmap = testImage;
            ctx.GeneralObject().BitmapsInfo = testInfo;
        }
        if (ms >= 0) {
            SetTimeCell(fileRow, ms);
            tester_->ShowResult(ctx.GeneralObject().DstBitmap);
        } else {
            failed = true;
        }
    }
    if (failed) ctx.CurrentSourceFile.clear();
    if (failed || mode == tmNone) {
        tester_->SetRowCell(fileRow, TKX_ImageListView::colTime, QString());
        tester_->ClearResult();
    }
    testInProgress_ = false;
}

void TPM_TaskWindows::AskSaveChanges() {
    TBaseClass* task = MakeSelectedCurrent();
    if (!task) return;
    const TTaskInfoList::Entry* chosen = editor_->SelectedType();
    const bool unchanged = chosen && SameText(chosen->Caption, task->ClassInfo().Caption) &&
                           editor_->EditedName() == SelectedEntry()->Name &&
                           !task->SettingsChanged(editor_->Page());
    if (unchanged) return;
    if (main_.Dialogs().Confirm("Settings changed. Save?", "Confirmation", TMsgIcon::Question, true))
        btn1Click();
}

void TPM_TaskWindows::AskCreateNewTask() {
    if (main_.Dialogs().Confirm("Create new task?", "Confirmation", TMsgIcon::Question, true)) btn1Click();
    editor_->DefaultBtn->show();
    editor_->ApplyEffect_B->show();
}

void TPM_TaskWindows::ApplySettings(const TConfig& config, bool middleRowSelected) {
    if (middleRowSelected) editor_->TaskTypeCB->setEnabled(config.AllowChangeTaskType);
    tester_->SetSynchronize(config.SynchronizeSrcDst);
    if (config.SynchronizeSrcDst) {
        tester_->AlignResultFrame();
        tester_->DstImageFrame->update();
    }
}

// ---- task editor --------------------------------------------------------------

void TPM_TaskWindows::TaskTypeCBChange() {
    const TTaskInfoList::Entry* type = editor_->SelectedType();
    if (!type) return;
    if (main_.EditorMode == TEditorMode::ExistingTask) {
        main_.UpdateTaskButtons();
        editor_->ShowPage(type->Info.PageIndex);
    } else {
        editor_->SetEditedName(type->Info.Description);
        editor_->TaskNameChange();
    }
}

void TPM_TaskWindows::btn1Click() {
    if (!editor_->btn1->isEnabled() || editor_->NameBlank()) return;
    const TTaskInfoList::Entry* chosen = editor_->SelectedType();
    if (!chosen) return;
    const TTaskInfoList::Entry type = *chosen;  // the list may be refilled below
    const std::string name = editor_->EditedName();
    TScenarioModel& scenario = main_.Scenario();
    if (main_.EditorMode == TEditorMode::ExistingTask) {
        scenario.ChangeTask(type.Info.ClassName, name);
        main_.TaskListChanged();
    } else {
        main_.EditorMode = TEditorMode::ExistingTask;
        editor_->SetConfirmCaption(TPM_TaskEditForm::kSaveSettings);
        editor_->SetWindowHeight(TPM_TaskEditForm::kExistingTaskHeight);
        const int before = scenario.Count();
        scenario.AddTask(type.Info.ClassName, name, true);
        main_.TaskListChanged();
        editor_->ShowPage(type.Info.PageIndex);
        if (scenario.Count() > before)
            if (TBaseClass* task = MakeSelectedCurrent()) task->ShowSettings(editor_->Page(), vsDefault);
        editor_->TaskTypeCB->setEnabled(MiddleRow() && main_.Config().AllowChangeTaskType);
        editor_->GroupBox2->show();
        editor_->DefaultBtn->show();
        editor_->ApplyEffect_B->show();
    }
    // The test window first: "Test settings" needs it shown.
    main_.UpdateTestWindow();
    main_.UpdateTaskButtons();
    MakeCurSetTest();
    RefreshCaptions();
}

void TPM_TaskWindows::btn2Click() {
    if (main_.EditorMode == TEditorMode::NewTask) {
        AskCreateNewTask();
        main_.Scenario().LastSelected = -1;
        main_.TaskListClick();
    }
    main_.FocusTaskList();
}

void TPM_TaskWindows::EditorClosing() {
    // Leaving the editor this way asks what leaving it otherwise asks; a
    // new task left unanswered would keep the scenario buttons off.
    if (main_.EditorMode == TEditorMode::NewTask)
        btn2Click();
    else
        AskSaveChanges();
}

void TPM_TaskWindows::DefaultBtnClick() {
    const TBaseClass* task = MakeSelectedCurrent();
    if (!task) return;
    const std::string text = "The original type of this task:\r\n\"" + task->ClassInfo().Caption +
                             "\"\r\nLoad default settings for this task?";
    if (main_.Dialogs().Confirm(text, "Confirmation", TMsgIcon::Question, false)) LoadDefaultSettings();
}

void TPM_TaskWindows::LoadDefaultSettings() {
    TBaseClass* current = MakeSelectedCurrent();
    if (!current) return;
    TBaseClass& task = *current;
    editor_->SelectTypeCaption(task.ClassInfo().Caption);
    editor_->SetEditedName(task.ClassInfo().Description);
    task.ShowSettings(editor_->Page(), vsDefault);
    editor_->ShowPage(task.ClassInfo().PageIndex);
    main_.UpdateTaskButtons();
}

void TPM_TaskWindows::MakeCurSetTest() {
    if (!editor_->ApplyEffect_B->isEnabled() || testRunning_) return;
    TBaseClass* current = MakeSelectedCurrent();
    if (!current) return;
    TBusyCursor busy;
    testRunning_ = true;
    TRunContext& ctx = main_.Context();
    TBaseClass& task = *current;
    task.ReadSettings(editor_->Page(), vsEdited);
    main_.UpdateTestWindow();
    task.SrcBitmap = ctx.GeneralObject().SrcBitmap;
    const int row = tester_->SelectedRow();
    if (task.SrcBitmap.Empty()) {
        LogError("Cannot make effect - blank source !");
    } else if (row >= 0) {
        const double ms = Guarded([&] { return RunTask(&task, vsEdited); });
        if (ms >= 0) {
            SetTimeCell(row, ms);
            ctx.GeneralObject().DstBitmap = task.DstBitmap;
            if (!ctx.GeneralObject().DstBitmap.Empty()) tester_->ShowResult(ctx.GeneralObject().DstBitmap);
        } else {
            tester_->SetRowCell(row, TKX_ImageListView::colTime, QString());
        }
    }
    testRunning_ = false;
}

// ---- test window ----------------------------------------------------------------

void TPM_TaskWindows::TestDirChange(bool reloaded) {
    if (reloaded) {
        main_.Context().CurrentSourceFile.clear();
        StoreTestDirectory();
    }
    main_.UpdateTaskButtons();
    main_.FullTestClick();
}

void TPM_TaskWindows::TestFilesListKeyDown() {
    main_.TestPending = true;
    main_.FullTestClick();
}

void TPM_TaskWindows::TestFilesListKeyUp() {
    if (main_.TestPending) main_.FullTestClick();
}

}  // namespace pm
