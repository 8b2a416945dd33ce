#include "ui/PM_Main.h"

#include "batch/BatchRun.h"
#include "core/Paths.h"
#include "log/KX_LogFile.h"
#include "log/WriteLog.h"
#include "ui/KX_Button.h"
#include "ui/KX_FileDirComboBox.h"
#include "ui/PM_Config.h"
#include "ui/PM_Log.h"
#include "ui/UiScale.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStackedWidget>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace pm {

namespace {

void ConsoleLine(const std::string& text) {
    WriteLog(lmInfo, {{text, LogTextColor}}, false, true, true);
}

// The outer button column of a page: hover buttons of one width.
TKX_Button* MakeButton(const QString& caption, const QString& hint, QWidget* parent) {
    auto* b = new TKX_Button(caption, parent);
    if (!hint.isEmpty()) b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

// A click below the last row, or Ctrl with a click on the selected row,
// clears a list's selection but keeps its current row, on which the
// commands act: the current row is selected again, so what the list shows
// and what the buttons do agree.
void KeepCurrentRowSelected(QListWidget* list) {
    QItemSelectionModel* selection = list->selectionModel();
    QObject::connect(selection, &QItemSelectionModel::selectionChanged, list, [list, selection] {
        const QModelIndex current = list->currentIndex();
        if (current.isValid() && !selection->hasSelection())
            selection->select(current, QItemSelectionModel::ClearAndSelect);
    });
}

// Opens the log file as the settings say; file logging stays off when it fails.
void InitializeLogFile(const TConfig& config) {
    WriteLog(lmInfo,
             {{"  + Initialization log-file \"", LogTextColor},
              {config.LogFileName, LogValueColor},
              {"\" ... ", LogTextColor}},
             false, true, true);
    auto file = std::make_unique<TKX_LogFile>(GetLogConsole(), config.LogTimeStamp, config.LogOverwrite,
                                              config.LogFileName);
    if (file->LogFileStatus() != TKX_LogFile::lfsReady || !file->Enabled()) return;
    SetLogFile(std::move(file));
    WriteLog(lmInfo, {{"Complete", LogDoneColor}}, false, true, false);
}

}  // namespace

TPM_MainForm::TPM_MainForm(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      qtDialogs_(this), dialogs_(&qtDialogs_), scenario_(ctx_, taskInfos_, dialogs_, *this, memoryEditor_),
      project_(dialogs_, *this) {
    setObjectName(QStringLiteral("PM_MainForm"));
    setWindowTitle(QString::fromLatin1(kCaption));
    SetProgramDirectory(ConfigDirectory(ProgramDirectory()));

    CreateMenus();
    NoteBook = new QStackedWidget(this);
    NoteBook->addWidget(CreateProjectPage());
    NoteBook->addWidget(CreateScenarioPage());
    // Without an open document there is nothing to show.
    auto* client = new QWidget(this);
    auto* clientLayout = new QVBoxLayout(client);
    clientLayout->setContentsMargins(0, 0, 0, 0);
    clientLayout->addWidget(NoteBook);
    setCentralWidget(client);
    NoteBook->hide();

    configForm_ = new TPM_ConfigForm(this);
    configForm_->BindConfig(&config_);
    configForm_->OnApply = [this] { ApplySettings(); };

    // Esc and the task list keys are seen before the controls get them.
    qApp->installEventFilter(this);
    // Coming back to this window from the task editor (or another window of
    // the program) may ask about the editor's changes, before anything else
    // happens here. The tool windows share the activation with this window,
    // so the focus window tells the move.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
        QWindow* from = lastFocusWindow_;
        lastFocusWindow_ = window;
        if (window && window == windowHandle() && ComesFromToolWindow(from)) FormActivate();
    });
    FitWindow();
}

TPM_MainForm::~TPM_MainForm() {
    qApp->removeEventFilter(this);
    // The run's callbacks post to this window: it must outlive the thread.
    // Calls still queued die with the window.
    if (runThread_) {
        run_->Stop();
        runThread_->wait();
    }
}

void TPM_MainForm::SetDialogs(IDialogs* dialogs) {
    dialogs_.SetTarget(dialogs ? dialogs : &qtDialogs_);
}

void TPM_MainForm::SetTaskWindows(ITaskWindows* windows) {
    taskWindows_ = windows ? windows : &noTaskWindows_;
    IEditorPage* page = taskWindows_->EditorPage();
    scenario_.SetEditorPage(page ? *page : static_cast<IEditorPage&>(memoryEditor_));
}

void TPM_MainForm::SetLogForm(TPM_LogForm* form) {
    if (logForm_) logForm_->OnShowChanged = nullptr;
    logForm_ = form;
    if (!logForm_) return;
    logForm_->BindConfig(&config_);
    logForm_->OnShowChanged = [this](bool, const QString& caption) { ApplyLogMenuCaption(caption); };
    ApplyLogMenuCaption(TPM_LogForm::MenuCaption(logForm_->isVisible()));
}

void TPM_MainForm::ApplyLogMenuCaption(const QString& caption) {
    MM_ShowLog->setText(caption);
}

void TPM_MainForm::SetProgramDirectory(const std::string& dir) {
    programDir_ = IncludeTrailingSeparator(dir);
    config_ = TConfig::Defaults(programDir_);
    scenario_.ProgramDir = project_.ProgramDir = programDir_;
    scenario_.InitialDir = project_.InitialDir = config_.InitialDir;
}

TTestMode TPM_MainForm::TestModeIndex() const {
    const int i = TestMode->currentIndex();
    return (i == tmSingleTask || i == tmFullScenario) ? TTestMode(i) : tmNone;
}

// ---------------------------------------------------------------- widgets

void TPM_MainForm::CreateMenus() {
    QMenuBar* bar = menuBar();
    QMenu* project = bar->addMenu(QStringLiteral("&Project"));
    project->setObjectName(QStringLiteral("MM_Project"));
    MM_PrNew = project->addAction(QStringLiteral("New"), this, &TPM_MainForm::MM_PrNewClick);
    MM_PrOpen = project->addAction(QStringLiteral("Open ..."), this, &TPM_MainForm::MM_PrOpenClick);
    MM_PrSave = project->addAction(QStringLiteral("Save"), this, &TPM_MainForm::MM_PrSaveClick);
    MM_PrSaveAs = project->addAction(QStringLiteral("Save As ..."), this, &TPM_MainForm::MM_PrSaveAsClick);
    MM_PrClose = project->addAction(QStringLiteral("Close ..."), this, &TPM_MainForm::MM_PrCloseClick);

    QMenu* scenario = bar->addMenu(QStringLiteral("&Scenario"));
    scenario->setObjectName(QStringLiteral("MM_Scenario"));
    MM_ScNew = scenario->addAction(QStringLiteral("New"), this, &TPM_MainForm::MM_ScNewClick);
    MM_ScOpen = scenario->addAction(QStringLiteral("Open ..."), this, &TPM_MainForm::MM_ScOpenClick);
    MM_ScSave = scenario->addAction(QStringLiteral("Save"), this, &TPM_MainForm::MM_ScSaveClick);
    MM_ScSaveAs = scenario->addAction(QStringLiteral("Save As ..."), this, &TPM_MainForm::MM_ScSaveAsClick);
    MM_ScClose = scenario->addAction(QStringLiteral("Close ..."), this, &TPM_MainForm::MM_ScCloseClick);

    MM_Config = bar->addAction(QStringLiteral("&Settings"), this, &TPM_MainForm::MM_ConfigClick);

    QMenu* windows = bar->addMenu(QStringLiteral("&Window"));
    windows->setObjectName(QStringLiteral("MM_Windows"));
    MM_ShowLog = windows->addAction(TPM_LogForm::MenuCaption(false), this, &TPM_MainForm::MM_ShowWindowClick);
    windows->addSeparator();
    MM_wProject = windows->addAction(QStringLiteral("Project"), this, &TPM_MainForm::MM_wProjectClick);
    MM_wScenario = windows->addAction(QStringLiteral("Scenario"), this, &TPM_MainForm::MM_wScenarioClick);
    MM_wProject->setCheckable(true);
    MM_wScenario->setCheckable(true);
    // One radio group; UpdateMenus may leave both unchecked.
    auto* pages = new QActionGroup(this);
    pages->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    pages->addAction(MM_wProject);
    pages->addAction(MM_wScenario);

    // "E&xit" sits at the right end of the menu bar.
    MM_Quit = new QAction(QStringLiteral("E&xit"), this);
    // A tool button shows the caption without its mnemonic; Alt+X still works.
    MM_Quit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    addAction(MM_Quit);
    connect(MM_Quit, &QAction::triggered, this, &QWidget::close);
    MM_QuitButton = new QToolButton(bar);
    MM_QuitButton->setDefaultAction(MM_Quit);
    MM_QuitButton->setAutoRaise(true);
    MM_QuitButton->setFocusPolicy(Qt::NoFocus);
    bar->setCornerWidget(MM_QuitButton, Qt::TopRightCorner);

    const std::pair<QAction*, const char*> names[] = {
        {MM_PrNew, "MM_PrNew"},       {MM_PrOpen, "MM_PrOpen"},       {MM_PrSave, "MM_PrSave"},
        {MM_PrSaveAs, "MM_PrSaveAs"}, {MM_PrClose, "MM_PrClose"},     {MM_ScNew, "MM_ScNew"},
        {MM_ScOpen, "MM_ScOpen"},     {MM_ScSave, "MM_ScSave"},       {MM_ScSaveAs, "MM_ScSaveAs"},
        {MM_ScClose, "MM_ScClose"},   {MM_Config, "MM_Config"},       {MM_ShowLog, "MM_ShowLog"},
        {MM_wProject, "MM_wProject"}, {MM_wScenario, "MM_wScenario"}, {MM_Quit, "MM_Quit"}};
    for (const auto& [action, name] : names) action->setObjectName(QString::fromLatin1(name));
}

QWidget* TPM_MainForm::CreateProjectPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("ProjectPage"));

    GB1 = new QGroupBox(QStringLiteral(" Items list "), page);
    PR_ItemList = new QListWidget(GB1);
    KeepCurrentRowSelected(PR_ItemList);
    PR_Up = MakeButton(QStringLiteral("Up"), QStringLiteral("Move task Up"), GB1);
    PR_Down = MakeButton(QStringLiteral("Down"), QStringLiteral("Move task Down"), GB1);
    PR_Delete = MakeButton(QStringLiteral("Delete"), QString(), GB1);
    auto* g1 = new QHBoxLayout(GB1);
    g1->addWidget(PR_ItemList, 1);
    auto* g1Buttons = new QVBoxLayout;
    g1Buttons->addWidget(PR_Up);
    g1Buttons->addWidget(PR_Down);
    g1Buttons->addWidget(PR_Delete);
    g1Buttons->addStretch(1);
    g1->addLayout(g1Buttons);

    GB2 = new QGroupBox(QStringLiteral(" Items property "), page);
    auto makePath = [this](TObjectType type, const QString& button, const QString& prompt) {
        auto* box = new TKX_FileDirComboBox(GB2);
        box->SetObjectType(type);
        box->SetButtonCaption(button);
        box->SetObjectCommentText(prompt);
        connect(box, &TKX_FileDirComboBox::Change, this, &TPM_MainForm::ItemEditorChanged);
        return box;
    };
    PR_Source =
        makePath(otDirectory, QStringLiteral("Source ..."), QStringLiteral("Select source directory ..."));
    PR_ScanSubDir = new QCheckBox(QStringLiteral("Scan subdirectories inside source"), GB2);
    PR_ScanSubDir->setChecked(true);
    connect(PR_ScanSubDir, &QCheckBox::toggled, this, &TPM_MainForm::ItemEditorChanged);
    PR_SkipUnchanged = new QCheckBox(QStringLiteral("Skip sources whose results are up to date"), GB2);
    PR_SkipUnchanged->setChecked(false);
    connect(PR_SkipUnchanged, &QCheckBox::toggled, this, &TPM_MainForm::ItemEditorChanged);
    PR_Target = makePath(otDirectory, QStringLiteral("Target ..."),
                         QStringLiteral("Select directory for destination files ..."));
    PR_Scenario = makePath(otFile, QStringLiteral("Scenario ..."),
                           QStringLiteral("Select scenario for processing ..."));
    PR_Scenario->SetObjectFilterText(QString::fromLatin1(kScenarioFilter));
    PR_Add = MakeButton(QStringLiteral("Add item"), QString(), GB2);
    PR_Replace = MakeButton(QStringLiteral("Replace item"), QString(), GB2);
    auto* g2 = new QVBoxLayout(GB2);
    g2->addWidget(PR_Source);
    g2->addWidget(PR_ScanSubDir);
    g2->addWidget(PR_Target);
    g2->addWidget(PR_Scenario);
    g2->addWidget(PR_SkipUnchanged);
    auto* g2Buttons = new QHBoxLayout;
    g2Buttons->addStretch(1);
    g2Buttons->addWidget(PR_Add);
    g2Buttons->addWidget(PR_Replace);
    g2->addLayout(g2Buttons);

    ProgressBar = new QProgressBar(page);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    // With its percentage shown and greyed while no run goes on, the idle
    // bar does not pass for an empty text field.
    ProgressBar->setTextVisible(true);
    ProgressBar->setAlignment(Qt::AlignCenter);
    ProgressBar->setEnabled(false);
    StopRun = MakeButton(QStringLiteral("Stop"), QStringLiteral("Stop after the files in progress"), page);
    StopRun->setEnabled(false);
    RunProject = MakeButton(QStringLiteral("Run project"), QStringLiteral("Go, go, go ...."), page);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ProgressBar, 1);
    bottom->addWidget(StopRun);
    bottom->addWidget(RunProject);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(GB1, 101);
    layout->addWidget(GB2, 142);
    layout->addLayout(bottom);

    connect(PR_ItemList, &QListWidget::currentRowChanged, this, &TPM_MainForm::ItemListRowChanged);
    // Clicking the selected item again puts it back into the item editor.
    connect(PR_ItemList, &QListWidget::itemClicked, this, [this] { project_.PR_ItemListClick(); });
    connect(PR_Add, &QPushButton::clicked, this, [this] { project_.PR_AddClick(); });
    connect(PR_Replace, &QPushButton::clicked, this, [this] { project_.PR_ReplaceClick(); });
    connect(PR_Up, &QPushButton::clicked, this, [this] { project_.PR_UpClick(); });
    connect(PR_Down, &QPushButton::clicked, this, [this] { project_.PR_DownClick(); });
    connect(PR_Delete, &QPushButton::clicked, this, [this] { project_.PR_DeleteClick(); });
    connect(RunProject, &QPushButton::clicked, this, &TPM_MainForm::RunProjectClick);
    connect(StopRun, &QPushButton::clicked, this, &TPM_MainForm::StopRunClick);

    const std::pair<QObject*, const char*> names[] = {{GB1, "GB1"},
                                                      {PR_ItemList, "PR_ItemList"},
                                                      {PR_Up, "PR_Up"},
                                                      {PR_Down, "PR_Down"},
                                                      {PR_Delete, "PR_Delete"},
                                                      {GB2, "GB2"},
                                                      {PR_Source, "PR_Source"},
                                                      {PR_ScanSubDir, "PR_ScanSubDir"},
                                                      {PR_SkipUnchanged, "PR_SkipUnchanged"},
                                                      {PR_Target, "PR_Target"},
                                                      {PR_Scenario, "PR_Scenario"},
                                                      {PR_Add, "PR_Add"},
                                                      {PR_Replace, "PR_Replace"},
                                                      {ProgressBar, "ProgressBar"},
                                                      {StopRun, "StopRun"},
                                                      {RunProject, "RunProject"}};
    for (const auto& [w, name] : names) w->setObjectName(QString::fromLatin1(name));
    return page;
}

QWidget* TPM_MainForm::CreateScenarioPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("ScenarioPage"));
    TaskList = new QListWidget(page);
    KeepCurrentRowSelected(TaskList);
    NewTask = MakeButton(QStringLiteral("New"), QStringLiteral("Create new task"), page);
    EditTask = MakeButton(QStringLiteral("Edit"), QStringLiteral("Edit current task"), page);
    DeleteTask = MakeButton(QStringLiteral("Delete"), QStringLiteral("Delete current task"), page);
    MoveTaskUp = MakeButton(QStringLiteral("Up"), QStringLiteral("Move task Up"), page);
    MoveTaskDown = MakeButton(QStringLiteral("Down"), QStringLiteral("Move task Down"), page);
    Label1 = new QLabel(QStringLiteral("Test mode"), page);
    TestMode = new QComboBox(page);
    TestMode->addItems(
        {QStringLiteral("None"), QStringLiteral("Single task test"), QStringLiteral("Full scenario test")});
    TestMode->setCurrentIndex(0);
    Label1->setBuddy(TestMode);
    FullTest = MakeButton(QStringLiteral("Test "), QStringLiteral("Run test"), page);

    auto* buttons = new QVBoxLayout;
    for (TKX_Button* b : {NewTask, EditTask, DeleteTask, MoveTaskUp, MoveTaskDown}) buttons->addWidget(b);
    buttons->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(TaskList, 1);
    top->addLayout(buttons);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Label1);
    bottom->addWidget(TestMode, 1);
    bottom->addWidget(FullTest);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    connect(TaskList, &QListWidget::currentRowChanged, this, &TPM_MainForm::TaskListRowChanged);
    connect(TaskList, &QListWidget::itemClicked, this, [this] { TaskListClick(); });
    connect(TaskList, &QListWidget::itemDoubleClicked, this, [this] { EditTaskClick(); });
    connect(NewTask, &QPushButton::clicked, this, &TPM_MainForm::NewTaskClick);
    connect(EditTask, &QPushButton::clicked, this, &TPM_MainForm::EditTaskClick);
    connect(DeleteTask, &QPushButton::clicked, this, &TPM_MainForm::DeleteTaskClick);
    connect(MoveTaskUp, &QPushButton::clicked, this, &TPM_MainForm::MoveTaskUpClick);
    connect(MoveTaskDown, &QPushButton::clicked, this, &TPM_MainForm::MoveTaskDownClick);
    connect(FullTest, &QPushButton::clicked, this, &TPM_MainForm::FullTestClick);

    const std::pair<QObject*, const char*> names[] = {
        {TaskList, "TaskList"},     {NewTask, "NewTask"},       {EditTask, "EditTask"},
        {DeleteTask, "DeleteTask"}, {MoveTaskUp, "MoveTaskUp"}, {MoveTaskDown, "MoveTaskDown"},
        {Label1, "Label1"},         {TestMode, "TestMode"},     {FullTest, "FullTest"}};
    for (const auto& [w, name] : names) w->setObjectName(QString::fromLatin1(name));
    return page;
}

void TPM_MainForm::FitWindow() {
    // 282 x 274 inside at the reference font; larger fonts make it larger,
    // and nothing may be squeezed below what its caption needs.
    QSize wanted(ScaledPx(this, 282), ScaledPx(this, 274));
    const bool hidden = NoteBook->isHidden();
    NoteBook->show();
    wanted = wanted.expandedTo(minimumSizeHint());
    // The menu bar must hold its titles and "E&xit" on one line.
    wanted.setWidth(std::max(wanted.width(), menuBar()->sizeHint().width()));
    if (hidden) NoteBook->hide();
    setFixedSize(wanted);
}

// ---------------------------------------------------------------- start-up

bool TPM_MainForm::Startup() {
    try {
        ConsoleLine("* PM initialization ...");
        QSize screen(1024, 768);
        if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->geometry().size();
        CreateDirectoryChain(programDir_);
        config_ = LoadConfiguration(ConfigPath(), programDir_, screen.width(), screen.height());
        scenario_.InitialDir = project_.InitialDir = config_.InitialDir;

        InitializeLogFile(config_);

        if (logForm_) {
            LoadLogResources(*logForm_->Console());
            logForm_->ApplyGeometry(config_);
            logForm_->ShowLogWindow(config_.ShowLogForm);
        }

        ConsoleLine("  + Preparing the general objects ...");
        taskInfos_.Clear();
        taskInfos_.RegisterAll(&ctx_);

        ConsoleLine("  + initialization main window ...");
        InitializeMainWindow();
        ConsoleLine("  + initialization \"Task settings\"-window ...");
        taskWindows_->InitializeEditor();
        ConsoleLine("  + Initialization \"Task test\"-window ...");
        taskWindows_->InitializeTestWindow();
        ConsoleLine("  + Initialization \"Settings\"-window ...");
        InitializeConfigForm();

        WriteLog(lmInfo, {{"PM initialization successful.", LogTextColor}}, true, true, true);
        return true;
    } catch (const std::exception&) {
    } catch (...) {
    }
    WriteLog(lmError, {{"Initialization failed!", LogErrorColor}}, true, true, true);
    dialogs_.ShowMessage("Initialization failed!", "Fatal error", TMsgIcon::Error);
    taskInfos_.Clear();
    return false;
}

void TPM_MainForm::InitializeMainWindow() {
    UpdateMenus();
    fillingEditor_ = true;
    PR_Source->SetObjectCurrentPath(QString::fromStdString(config_.InitialDir));
    PR_Target->SetObjectCurrentPath(QString::fromStdString(config_.InitialDir));
    fillingEditor_ = false;
    ItemEditorChanged();
    TestMode->setCurrentIndex(tmNone);
    NoteBook->hide();
    UpdateTaskButtons();
}

void TPM_MainForm::InitializeConfigForm() {
    configForm_->ShowValues(config_);
    ApplyColorFormat(taskWindows_->EditorWindow(), config_.ColorFormat);
}

void TPM_MainForm::Shutdown() {
    // Asked again while waiting for the run: the first request finishes.
    if (shutDown_ || waitingForRun_) return;
    // The run still uses the registry and the log file.
    StopAndWaitForRun();
    shutDown_ = true;
    if (project_.ProjectOpen) project_.Shutdown();
    if (scenario_.ScenarioOpen) {
        scenario_.ClearScenario();
        scenario_.ScenarioOpen = false;
    }
    taskInfos_.Clear();
    if (logForm_) logForm_->StoreGeometry(config_);
    SyncInitialDir();
    SaveConfiguration(ConfigPath(), config_);
    CloseLogFile();
}

void TPM_MainForm::closeEvent(QCloseEvent* event) {
    // Already quitting, waiting for the run's last files.
    if (waitingForRun_) {
        event->ignore();
        return;
    }
    if (!shutDown_) {
        if ((project_.ProjectOpen || scenario_.ScenarioOpen) &&
            !dialogs_.Confirm(kQuitQuestion, "Confirmation", TMsgIcon::Question, false)) {
            event->ignore();
            return;
        }
        Shutdown();
    }
    event->accept();
    emit Closed();
}

// ---------------------------------------------------------------- keys and activation

bool TPM_MainForm::ComesFromToolWindow(QWindow* from) const {
    if (!from) return false;
    // Coming back from another program, or from one of our own message boxes
    // and dialogs, is not leaving the editor: the questions would otherwise
    // come back each time their own box closes.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->windowHandle() == from) return !qobject_cast<QDialog*>(w);
    return false;
}

bool TPM_MainForm::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::FocusIn && watched == TaskList) TaskListEnter();
    if (e->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, e);
    auto* key = static_cast<QKeyEvent*>(e);
    if (watched == TaskList) {
        const bool keypad = key->modifiers() & Qt::KeypadModifier;
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            EditTaskClick();
            return true;
        case Qt::Key_Insert:
            NewTaskClick();
            return true;
        case Qt::Key_Delete:
            DeleteTaskClick();
            return true;
        case Qt::Key_Plus:
            if (keypad) {
                MoveTaskUpClick();
                return true;
            }
            break;
        case Qt::Key_Minus:
            if (keypad) {
                MoveTaskDownClick();
                return true;
            }
            break;
        default:
            break;
        }
    }
    // The window sees Esc before its controls; popups of its combos keep it.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && widget->window() == this) {
        bool handled = false;
        FormKeyDown(key, handled);
        if (handled) return true;
    }
    return QMainWindow::eventFilter(watched, e);
}

void TPM_MainForm::FormKeyDown(QKeyEvent* event, bool& handled) {
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier) return;
    handled = true;
    // "Test " is the window's cancel button while it can be pressed.
    if (NoteBook->isVisible() && NoteBook->currentIndex() == 1 && FullTest->isEnabled()) {
        FullTestClick();
        return;
    }
    close();
}

void TPM_MainForm::FormActivate() {
    if (!scenario_.ScenarioOpen || !taskWindows_->EditorVisible()) return;
    if (EditorMode == TEditorMode::ExistingTask) {
        taskWindows_->AskSaveChanges();
    } else {
        taskWindows_->AskCreateNewTask();
        scenario_.LastSelected = -1;
        TaskListClick();
    }
}

// ---------------------------------------------------------------- menus

void TPM_MainForm::SyncInitialDir() {
    if (project_.InitialDir != config_.InitialDir)
        config_.InitialDir = project_.InitialDir;
    else if (scenario_.InitialDir != config_.InitialDir)
        config_.InitialDir = scenario_.InitialDir;
    project_.InitialDir = scenario_.InitialDir = config_.InitialDir;
}

void TPM_MainForm::MM_PrNewClick() {
    project_.MM_PrNewClick();
    UpdateMenus();
}

void TPM_MainForm::MM_PrOpenClick() {
    project_.MM_PrOpenClick();
    SyncInitialDir();
}

void TPM_MainForm::MM_PrSaveClick() {
    project_.MM_PrSaveClick();
    SyncInitialDir();
    UpdateMenus();
}

void TPM_MainForm::MM_PrSaveAsClick() {
    project_.MM_PrSaveAsClick();
    SyncInitialDir();
    UpdateMenus();
}

void TPM_MainForm::MM_PrCloseClick() {
    project_.MM_PrCloseClick();
}

void TPM_MainForm::MM_ScNewClick() {
    scenario_.MM_ScNewClick();
    UpdateMenus();
}

void TPM_MainForm::MM_ScOpenClick() {
    scenario_.MM_ScOpenClick();
    SyncInitialDir();
}

void TPM_MainForm::MM_ScSaveClick() {
    scenario_.MM_ScSaveClick();
    SyncInitialDir();
    UpdateMenus();
}

void TPM_MainForm::MM_ScSaveAsClick() {
    scenario_.MM_ScSaveAsClick();
    SyncInitialDir();
    UpdateMenus();
}

void TPM_MainForm::MM_ScCloseClick() {
    scenario_.MM_ScCloseClick();
}

void TPM_MainForm::MM_ConfigClick() {
    configForm_->ShowValues(config_);
    if (QScreen* s = screen()) {
        QRect frame = configForm_->frameGeometry();
        frame.moveCenter(s->geometry().center());
        configForm_->move(frame.topLeft());
    }
    configForm_->exec();
}

void TPM_MainForm::ApplySettings() {
    const int row = scenario_.Selected;
    const bool middle = row > 0 && row < scenario_.Count() - 1;
    taskWindows_->ApplySettings(config_, middle);
    ApplyColorFormat(taskWindows_->EditorWindow(), config_.ColorFormat);
}

void TPM_MainForm::MM_ShowWindowClick() {
    if (!logForm_) return;
    logForm_->ShowLogWindow(!logForm_->isVisible());
    if (logForm_->isVisible()) activateWindow();
}

void TPM_MainForm::UpdateMenus() {
    MM_PrSave->setEnabled(false);
    MM_PrSaveAs->setEnabled(false);
    MM_PrClose->setEnabled(false);
    if (project_.ProjectOpen) {
        const bool items = project_.Count() >= 1;
        MM_PrSave->setEnabled(items);
        MM_PrSaveAs->setEnabled(items);
        MM_PrClose->setEnabled(items);
        MM_wProject->setEnabled(true);
    } else {
        MM_wProject->setEnabled(false);
        MM_wProject->setChecked(false);
    }
    const bool scenario = scenario_.ScenarioOpen;
    for (QAction* a : {MM_ScSave, MM_ScSaveAs, MM_ScClose, MM_wScenario}) a->setEnabled(scenario);
    if (!scenario) MM_wScenario->setChecked(false);

    const bool scenarioPage = NoteBook->currentIndex() == 1;
    MM_wScenario->setChecked(scenarioPage);
    MM_wProject->setChecked(!scenarioPage);
    // Without a page shown the window keeps the program's name.
    if (NoteBook->isHidden())
        setWindowTitle(QString::fromLatin1(kCaption));
    else
        setWindowTitle(
            QString::fromStdString(scenarioPage ? scenario_.ScenarioFileName : project_.ProjectFileName));
}

void TPM_MainForm::MM_wProjectClick() {
    ShowPage(0, true);
    // Choosing the checked item again must not leave it unchecked.
    UpdateMenus();
}

void TPM_MainForm::MM_wScenarioClick() {
    ShowPage(1, true);
    UpdateMenus();
}

void TPM_MainForm::ShowPage(int page, bool logActivation) {
    if (!NoteBook->isHidden() && NoteBook->currentIndex() == page) return;
    if (page == 0) {
        taskWindows_->HideEditor();
        taskWindows_->ShowTestWindow(false);
        NoteBook->setCurrentIndex(0);
        NoteBook->show();
        UpdateMenus();
        PR_ItemList->setFocus();
        if (logActivation) LogNew(lmInfo, {{"Activation \"project\". ", LogTextColor}});
    } else {
        NoteBook->setCurrentIndex(1);
        NoteBook->show();
        UpdateMenus();
        scenario_.LastSelected = -1;
        TaskListClick();
        TaskList->setFocus();
        if (logActivation) LogNew(lmInfo, {{"Activation \"scenario\".", LogTextColor}});
    }
}

void TPM_MainForm::HidePageArea() {
    NoteBook->hide();
    UpdateMenus();
}

void TPM_MainForm::FocusTaskList() {
    TaskList->setFocus();
}

// ---------------------------------------------------------------- scenario page

void TPM_MainForm::TaskListChanged() {
    fillingLists_ = true;
    TaskList->clear();
    for (const auto& rec : scenario_.Entries) TaskList->addItem(QString::fromStdString(rec->Name));
    const int row = scenario_.Selected;
    if (row >= 0 && row < TaskList->count()) TaskList->setCurrentRow(row);
    fillingLists_ = false;
}

void TPM_MainForm::TaskListRowChanged(int row) {
    if (fillingLists_) return;
    scenario_.Selected = row;
    TaskListClick();
}

void TPM_MainForm::TaskListClick() {
    const int row = scenario_.Selected;
    if (row == scenario_.LastSelected) return;
    scenario_.LastSelected = row;
    EditorMode = TEditorMode::ExistingTask;
    SelectTask();
    if (scenario_.Count() > 0 && !taskWindows_->EditorVisible()) taskWindows_->ShowEditor();
    UpdateTestWindow();
    UpdateTaskButtons();
    FullTestClick();
    activateWindow();
}

void TPM_MainForm::SelectTask() {
    const int row = scenario_.Selected;
    if (!scenario_.MakeCurrent(row)) {
        LogError("Function \"SelectTask\" failed!");
        return;
    }
    taskWindows_->SelectTask(row, scenario_.Count());
}

void TPM_MainForm::UpdateTaskButtons() {
    if (!scenario_.ScenarioOpen) {
        for (TKX_Button* b : {NewTask, EditTask, DeleteTask, MoveTaskUp, MoveTaskDown, FullTest})
            b->setEnabled(false);
        taskWindows_->DisableTestSettings();
        return;
    }
    const int row = scenario_.Selected;
    const int count = scenario_.Count();
    NewTask->setEnabled(true);
    EditTask->setEnabled(true);
    scenario_.LastSelected = row;
    MoveTaskUp->setEnabled(row != 1);
    MoveTaskDown->setEnabled(count != row + 2);
    // The loading and the saving task stay where they are; without a
    // selected row there is nothing to delete or move either.
    if (row <= 0 || row >= count - 1) {
        DeleteTask->setEnabled(false);
        MoveTaskUp->setEnabled(false);
        MoveTaskDown->setEnabled(false);
    } else {
        DeleteTask->setEnabled(true);
    }
    FullTest->setEnabled(taskWindows_->UpdateTestSettings(row, count));
}

void TPM_MainForm::UpdateTestWindow() {
    const int row = scenario_.Selected;
    if (row < 1 || row >= scenario_.Count() - 1)
        taskWindows_->ShowTestWindow(false);
    else if (!taskWindows_->TestWindowVisible())
        taskWindows_->ShowTestWindow(true);
}

void TPM_MainForm::NewTaskClick() {
    if (!NewTask->isEnabled()) return;
    EditorMode = TEditorMode::NewTask;
    for (TKX_Button* b : {NewTask, EditTask, DeleteTask, MoveTaskUp, MoveTaskDown, FullTest})
        b->setEnabled(false);
    taskWindows_->ClearDestinationFrame();
    taskWindows_->StartNewTask();
}

void TPM_MainForm::EditTaskClick() {
    if (!EditTask->isEnabled()) return;
    EditorMode = TEditorMode::ExistingTask;
    taskWindows_->EditTask();
}

void TPM_MainForm::DeleteTaskClick() {
    const int row = scenario_.Selected;
    if (!DeleteTask->isEnabled() || row < 0 || row >= scenario_.Count()) return;
    const std::string name = scenario_.Entries[static_cast<std::size_t>(row)]->Name;
    if (!dialogs_.Confirm("Delete task \"" + name + "\" ?", "Confirmation", TMsgIcon::Warning, false)) return;
    scenario_.RemoveTask(row);
    scenario_.Selected = std::min(row, scenario_.Count() - 1);
    TaskListChanged();
    scenario_.MakeCurrent(scenario_.Selected);
    UpdateTaskButtons();
    scenario_.LastSelected = -1;
    taskWindows_->ClearDestinationFrame();
    TaskListClick();
}

void TPM_MainForm::MoveTaskUpClick() {
    const int row = scenario_.Selected;
    if (!MoveTaskUp->isEnabled() || row < 1 || row >= scenario_.Count()) return;
    scenario_.Selected = row - 1;
    scenario_.Exchange(row, row - 1);
    UpdateTaskButtons();
}

void TPM_MainForm::MoveTaskDownClick() {
    const int row = scenario_.Selected;
    if (!MoveTaskDown->isEnabled() || row < 0 || row >= scenario_.Count() - 1) return;
    scenario_.Selected = row + 1;
    scenario_.Exchange(row, row + 1);
    UpdateTaskButtons();
}

void TPM_MainForm::TaskListEnter() {
    UpdateTaskButtons();
}

void TPM_MainForm::FullTestClick() {
    if (!FullTest->isEnabled()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    taskWindows_->RunTest(TestModeIndex(), scenario_.Selected, scenario_.Count());
    UpdateTaskButtons();
    QApplication::restoreOverrideCursor();
    TestPending = false;
}

// ---------------------------------------------------------------- project page

void TPM_MainForm::ProjectListChanged() {
    fillingLists_ = true;
    PR_ItemList->clear();
    for (const PrItemRec& item : project_.Items)
        PR_ItemList->addItem(QString::fromStdString(item.SourceDirectory));
    const int row = project_.Selected;
    if (row >= 0 && row < PR_ItemList->count()) PR_ItemList->setCurrentRow(row);
    fillingLists_ = false;
}

void TPM_MainForm::ItemListRowChanged(int row) {
    if (fillingLists_) return;
    project_.Selected = row;
    project_.PR_ItemListClick();
}

void TPM_MainForm::ProjectEditorChanged() {
    fillingEditor_ = true;
    PR_Source->SetObjectCurrentPath(QString::fromStdString(project_.EditorSourceDirectory));
    PR_ScanSubDir->setChecked(project_.EditorScanSubDir);
    PR_SkipUnchanged->setChecked(project_.EditorSkipUnchanged);
    PR_Target->SetObjectCurrentPath(QString::fromStdString(project_.EditorTargetDirectory));
    PR_Scenario->SetObjectCurrentPath(QString::fromStdString(project_.EditorScenarioFileName));
    fillingEditor_ = false;
}

void TPM_MainForm::ItemEditorChanged() {
    if (fillingEditor_) return;
    project_.EditorSourceDirectory = PR_Source->ObjectCurrentPath().toStdString();
    project_.EditorScanSubDir = PR_ScanSubDir->isChecked();
    project_.EditorSkipUnchanged = PR_SkipUnchanged->isChecked();
    project_.EditorTargetDirectory = PR_Target->ObjectCurrentPath().toStdString();
    project_.EditorScenarioFileName = PR_Scenario->ObjectCurrentPath().toStdString();
    project_.PR_Change();
}

void TPM_MainForm::UpdateProjectButtons() {
    const TProjectButtons& b = project_.Buttons;
    RunProject->setEnabled(b.RunProject && !project_.Running);
    StopRun->setEnabled(run_ && !run_->StopRequested());
    PR_Up->setEnabled(b.Up);
    PR_Down->setEnabled(b.Down);
    PR_Add->setEnabled(b.Add);
    PR_Replace->setEnabled(b.Replace);
    PR_Delete->setEnabled(b.Delete);
}

void TPM_MainForm::RunProjectClick() {
    if (runThread_) return;
    std::unique_ptr<TBatchRun> run = project_.BeginRun();
    if (!run) return;
    run->Jobs = config_.Jobs;
    run->MemoryLimit = static_cast<std::uint64_t>(config_.MemoryLimitMB) << 20;
    // Called on the run's thread; the window is only reached through its
    // event queue, in the order of the calls, before the end notice.
    TBatchRun* executing = run.get();
    run->OnProgress = [this, executing](int position, int maximum, const std::string&) {
        QMetaObject::invokeMethod(
            this,
            [this, position, maximum, text = ProgressText(executing->ProgressCounts())] {
                ShowRunProgress(position, maximum + 1, text);
            },
            Qt::QueuedConnection);
    };
    run->OnFileDone = [this, executing](const TBatchRun::TFileDone& done) {
        QMetaObject::invokeMethod(
            this,
            [this, finished = done.Index + 1, count = done.Count,
             text = ProgressText(executing->ProgressCounts())] { ShowRunProgress(finished, count, text); },
            Qt::QueuedConnection);
    };
    std::unique_ptr<QThread> thread(QThread::create([executing] {
        try {
            executing->Execute();
        } catch (const std::exception& e) {
            // Only a callback can raise here (out of memory); the run is over.
            LogError(e.what());
        } catch (...) {
        }
    }));
    thread->setObjectName(QStringLiteral("ProjectRun"));
    connect(thread.get(), &QThread::finished, this, &TPM_MainForm::RunFinished, Qt::QueuedConnection);
    run_ = std::move(run);
    runThread_ = std::move(thread);
    ShowRunProgress(0, 1);
    ProgressBar->setEnabled(true);
    UpdateProjectButtons();
    runThread_->start();
}

void TPM_MainForm::ShowRunProgress(int done, int count, const std::string& text) {
    // The same counts, rate and time left as the command line's progress line.
    ProgressBar->setFormat(text.empty() ? QStringLiteral("%p%") : QString::fromStdString(text));
    // An empty range would turn the bar into a busy indicator.
    const int maximum = std::max(1, count);
    ProgressBar->setRange(0, maximum);
    ProgressBar->setValue(std::clamp(done, 0, maximum));
}

void TPM_MainForm::StopRunClick() {
    if (!run_) return;
    run_->Stop();
    StopRun->setEnabled(false);
}

void TPM_MainForm::RunFinished() {
    if (!runThread_) return;
    runThread_->wait();
    runThread_.reset();
    project_.EndRun(std::move(run_));
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setFormat(QStringLiteral("%p%"));
    ProgressBar->setEnabled(false);
    StopRun->setEnabled(false);
    emit RunEnded();
}

void TPM_MainForm::StopAndWaitForRun() {
    if (!runThread_ || waitingForRun_) return;
    StopRunClick();
    waitingForRun_ = true;
    QEventLoop loop;
    connect(this, &TPM_MainForm::RunEnded, &loop, &QEventLoop::quit);
    // Input waits; the log and the window keep repainting.
    if (runThread_) loop.exec(QEventLoop::ExcludeUserInputEvents);
    waitingForRun_ = false;
}

void TPM_MainForm::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace pm
