// The main window: start-up, enabled states, the scenario and project page
// commands, quitting, and the settings dialog.
#include "core/ClassRegistry.h"
#include "core/Paths.h"
#include "core/ScenarioFile.h"
#include "log/WriteLog.h"
#include "support/BmpBuilder.h"
#include "support/RecordingConsole.h"
#include "support/ScriptedUiDialogs.h"
#include "support/TempDir.h"
#include "tasks/StandardClasses.h"
#include "ui/KX_Button.h"
#include "ui/KX_ColorComboBox.h"
#include "ui/KX_FileDirComboBox.h"
#include "ui/PM_Config.h"
#include "ui/PM_Log.h"
#include "ui/PM_Main.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <stdexcept>

using namespace pm;
using pm::test::TScriptedUiDialogs;
using pm::test::TTempDir;

namespace {

// The task editor and the test window as the main window sees them.
class TRecordingTaskWindows : public ITaskWindows {
public:
    QStringList Calls;
    bool TestSettingsEnabled = false;
    bool ThrowOnInit = false;
    QWidget* Editor = nullptr;
    bool testVisible = false;

    QWidget* EditorWindow() override { return Editor; }
    void InitializeEditor() override {
        if (ThrowOnInit) throw std::runtime_error("no editor");
    }
    void SelectTask(int row, int count) override {
        Calls << QStringLiteral("SelectTask %1/%2").arg(row).arg(count);
    }
    void StartNewTask() override { Calls << "StartNewTask"; }
    void EditTask() override { Calls << "EditTask"; }
    bool UpdateTestSettings(int, int) override { return TestSettingsEnabled; }
    void ShowTestWindow(bool visible) override {
        testVisible = visible;
        Calls << QStringLiteral("ShowTestWindow %1").arg(visible);
    }
    bool TestWindowVisible() const override { return testVisible; }
    void RunTest(TTestMode mode, int row, int) override {
        Calls << QStringLiteral("RunTest %1 %2").arg(mode).arg(row);
    }
    void ApplySettings(const TConfig& config, bool middle) override {
        Calls << QStringLiteral("ApplySettings %1 %2").arg(config.AllowChangeTaskType).arg(middle);
    }
};

// A main window with scripted dialogs, its files in a fresh directory and
// its log recorded.
struct TRig {
    TTempDir dir;
    TScriptedUiDialogs dialogs;
    pm::test::TLogRecorder log;
    TRecordingTaskWindows windows;
    TPM_MainForm form;

    explicit TRig(bool startup = true) {
        form.SetDialogs(&dialogs);
        form.SetTaskWindows(&windows);
        form.SetProgramDirectory(dir.Dir());
        if (startup) form.Startup();
    }
    ~TRig() { CloseLogFile(); }

    // A scenario file of the given task types with their default settings.
    std::string Scenario(const std::string& name, const std::vector<std::string>& types) {
        TRunContext ctx;
        TTaskList list;
        for (const std::string& type : types) {
            auto rec = std::make_unique<TaskRec>();
            rec->Task = MakeTask(type, &ctx);
            rec->Name = rec->Task->ClassInfo().Description;
            list.push_back(std::move(rec));
        }
        const std::string path = dir.Path(name);
        WriteScenarioFile(list, path);
        return path;
    }
    void OpenScenario(const std::vector<std::string>& types) {
        dialogs.File(Scenario("s.pms", types));
        form.MM_ScOpenClick();
    }
    QString Row(int i) const { return form.TaskList->item(i)->text(); }
};

std::vector<std::string> Types(int middle) {
    static const std::vector<std::string> effects = {"TShadow", "TFilm", "TStamp", "TRectangleBevel"};
    std::vector<std::string> t = {"TLoadFromFile"};
    for (int i = 0; i < middle; ++i) t.push_back(effects[static_cast<std::size_t>(i)]);
    t.push_back("TSaveToFile");
    return t;
}

void TypePath(TKX_FileDirComboBox* box, const std::string& path) {
    box->ComboBox()->lineEdit()->clear();
    QTest::keyClicks(box->ComboBox()->lineEdit(), QString::fromStdString(path));
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { RegisterStandardClasses(); }

    void startupLogsItsStepsInOrder() {
        TRig rig(false);
        TPM_LogForm logForm;
        rig.form.SetLogForm(&logForm);
        QVERIFY(rig.form.Startup());

        QStringList expected = {
            "* PM initialization ...",
            QString::fromStdString("Can't found configuration file \"" + rig.dir.Path("pixmill.ini") +
                                   "\". Loading default settings ..."),
            QString::fromStdString("  + Initialization log-file \"" + rig.dir.Path("pixmill.log") +
                                   "\" ... Complete"),
            "  + Loading resources ... Complete", "  + Preparing the general objects ..."};
        for (const auto* types : {&TaskTypeNames(), &AddedTaskTypeNames()})
            for (const std::string& type : *types)
                expected << QString::fromStdString("    - initialize task \"" + type + "\" ... Complete");
        expected << "  + initialization main window ..."
                 << "  + initialization \"Task settings\"-window ..."
                 << "  + Initialization \"Task test\"-window ..."
                 << "  + Initialization \"Settings\"-window ..."
                 << "PM initialization successful.";
        QStringList texts;
        for (const std::string& t : rig.log.Texts()) texts << QString::fromStdString(t);
        QCOMPARE(texts, expected);

        // Only the closing line reaches the log file.
        CloseLogFile();
        const std::string file = TTempDir::Read(rig.dir.Path("pixmill.log"));
        QVERIFY(file.find("(i) PM initialization successful.") != std::string::npos);
        QVERIFY(file.find("Preparing") == std::string::npos);

        // The window starts without a page, with the log window as configured.
        QCOMPARE(rig.form.windowTitle(), QString("Pixmill 0.6"));
        QVERIFY(rig.form.NoteBook->isHidden());
        QVERIFY(logForm.isVisible());
        QCOMPARE(rig.form.MM_ShowLog->text(), QString("Hide \"Log\""));
        QCOMPARE(rig.form.TestMode->currentText(), QString("None"));
        QCOMPARE(rig.form.PR_Source->ObjectCurrentPath().toStdString(), rig.dir.Dir());
        QCOMPARE(rig.form.PR_Target->ObjectCurrentPath().toStdString(), rig.dir.Dir());
        QCOMPARE(rig.form.PR_Scenario->ObjectFilterText(), QString("PM scenario files (*.pms)|*.pms"));
        QVERIFY(rig.dialogs.Unexpected.empty());
    }

    void startupReadsTheStoredSettings() {
        TRig rig(false);
        rig.dir.Put("pixmill.ini", "[Settings]\r\nShowLogForm=No\r\nLogFormLeft=77\r\nColorFormat=1\r\n");
        TPM_LogForm logForm;
        rig.form.SetLogForm(&logForm);
        QVERIFY(rig.form.Startup());
        QVERIFY(rig.log.Has("  + Loading settings from file \"" + rig.dir.Path("pixmill.ini") +
                            "\" ... Complete"));
        QVERIFY(!logForm.isVisible());
        QCOMPARE(rig.form.MM_ShowLog->text(), QString("Show \"Log\""));
        QCOMPARE(logForm.pos().x(), 77);
        QCOMPARE(rig.form.ConfigForm()->Color_CB_Format->currentIndex(), 1);
    }

    void failedStartupShowsTheFatalErrorBox() {
        TRig rig(false);
        rig.windows.ThrowOnInit = true;
        QVERIFY(!rig.form.Startup());
        QCOMPARE(rig.log.Messages.back().Text(), std::string("Initialization failed!"));
        QCOMPARE(rig.log.Messages.back().Kind, int(lmError));
        QCOMPARE(rig.dialogs.Shown, std::vector<std::string>{"Fatal error: Initialization failed!"});
        QCOMPARE(rig.form.TaskInfos().Count(), 0);
    }

    void menusFollowTheOpenDocuments() {
        TRig rig;
        auto enabled = [&] {
            QString s;
            for (QAction* a :
                 {rig.form.MM_PrSave, rig.form.MM_PrSaveAs, rig.form.MM_PrClose, rig.form.MM_wProject,
                  rig.form.MM_ScSave, rig.form.MM_ScSaveAs, rig.form.MM_ScClose, rig.form.MM_wScenario})
                s += a->isEnabled() ? '1' : '0';
            return s;
        };
        QCOMPARE(enabled(), QString("00000000"));
        rig.form.MM_PrNewClick();
        // An empty project cannot be saved or closed from the menu.
        QCOMPARE(enabled(), QString("00010000"));
        QVERIFY(rig.form.MM_wProject->isChecked());
        rig.OpenScenario(Types(1));
        QCOMPARE(enabled(), QString("00011111"));
        QVERIFY(rig.form.MM_wScenario->isChecked());
        QVERIFY(!rig.form.MM_wProject->isChecked());
        QCOMPARE(rig.form.windowTitle().toStdString(), rig.dir.Path("s.pms"));
        QCOMPARE(rig.form.NoteBook->currentIndex(), 1);
        rig.form.MM_wProjectClick();
        QCOMPARE(rig.form.NoteBook->currentIndex(), 0);
        QVERIFY(rig.log.Has("Activation \"project\". "));
        // Choosing the shown page again keeps its radio item checked.
        rig.form.MM_wProject->trigger();
        QVERIFY(rig.form.MM_wProject->isChecked());
        QVERIFY(!rig.form.MM_wScenario->isChecked());
        QVERIFY(rig.windows.Calls.contains("ShowTestWindow 0"));
    }

    void taskButtonsFollowTheSelectedRow_data() {
        QTest::addColumn<int>("middle");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("deleteUpDown");
        QTest::newRow("3 tasks, loading") << 1 << 0 << "000";
        QTest::newRow("3 tasks, the middle") << 1 << 1 << "100";
        QTest::newRow("3 tasks, saving") << 1 << 2 << "000";
        QTest::newRow("5 tasks, first middle") << 3 << 1 << "101";
        QTest::newRow("5 tasks, centre") << 3 << 2 << "111";
        QTest::newRow("5 tasks, last middle") << 3 << 3 << "110";
    }

    void taskButtonsFollowTheSelectedRow() {
        QFETCH(int, middle);
        QFETCH(int, row);
        QFETCH(QString, deleteUpDown);
        TRig rig;
        for (TKX_Button* b : {rig.form.NewTask, rig.form.EditTask, rig.form.DeleteTask, rig.form.MoveTaskUp,
                              rig.form.MoveTaskDown, rig.form.FullTest})
            QVERIFY(!b->isEnabled());
        rig.OpenScenario(Types(middle));
        QCOMPARE(rig.form.TaskList->count(), middle + 2);
        rig.form.TaskList->setCurrentRow(row);
        QString state;
        for (TKX_Button* b : {rig.form.DeleteTask, rig.form.MoveTaskUp, rig.form.MoveTaskDown})
            state += b->isEnabled() ? '1' : '0';
        QCOMPARE(state, deleteUpDown);
        QVERIFY(rig.form.NewTask->isEnabled());
        QVERIFY(rig.form.EditTask->isEnabled());
        // The test window shows only for a middle task.
        const bool isMiddle = row > 0 && row <= middle;
        QCOMPARE(rig.windows.TestWindowVisible(), isMiddle);
        QCOMPARE(rig.windows.Calls.filter("SelectTask").last(),
                 QString("SelectTask %1/%2").arg(row).arg(middle + 2));
    }

    // What a list shows selected is what its buttons act on, whatever the
    // mouse did to the selection.
    void selectionStaysWithTheCurrentRow_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<bool>("belowTheRows");
        for (const char* list : {"TaskList", "PR_ItemList"}) {
            QTest::addRow("%s, click below the rows", list) << QString(list) << true;
            QTest::addRow("%s, Ctrl+click on the selected row", list) << QString(list) << false;
        }
    }
    void selectionStaysWithTheCurrentRow() {
        QFETCH(QString, list);
        QFETCH(bool, belowTheRows);
        TRig rig;
        QListWidget* view = nullptr;
        TKX_Button* remove = nullptr;
        if (list == "TaskList") {
            rig.OpenScenario(Types(2));
            view = rig.form.TaskList;
            remove = rig.form.DeleteTask;
            rig.dialogs.Yes();
        } else {
            rig.form.MM_PrNewClick();
            const std::string scenario = rig.Scenario("copy.pms", {"TLoadFromFile", "TSaveToFile"});
            TypePath(rig.form.PR_Target, rig.dir.MakeDir("web"));
            TypePath(rig.form.PR_Scenario, scenario);
            for (const char* source : {"a", "b", "c"}) {
                TypePath(rig.form.PR_Source, rig.dir.MakeDir(source));
                rig.form.PR_Add->click();
            }
            view = rig.form.PR_ItemList;
            remove = rig.form.PR_Delete;
        }
        rig.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.form));
        view->setCurrentRow(1);
        const QString shown = view->item(1)->text();
        const int count = view->count();

        const QPoint below(4, view->viewport()->height() - 2);
        QVERIFY(!view->itemAt(below));
        if (belowTheRows)
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, below);
        else
            QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              view->visualItemRect(view->item(1)).center());
        QCOMPARE(view->currentRow(), 1);
        QCOMPARE(view->selectedItems(), QList<QListWidgetItem*>{view->item(1)});
        QVERIFY(remove->isEnabled());

        // "Delete" removes the row that looked selected.
        remove->click();
        QCOMPARE(view->count(), count - 1);
        QVERIFY(view->findItems(shown, Qt::MatchExactly).isEmpty());
        QCOMPARE(view->selectedItems().size(), 1);
        QVERIFY(rig.dialogs.Unexpected.empty());
    }

    void taskListKeysRunTheCommands() {
        TRig rig;
        rig.OpenScenario(Types(3));
        rig.form.show();
        rig.form.TaskList->setFocus();
        rig.form.TaskList->setCurrentRow(2);
        QCOMPARE(rig.Row(2), QString("Make border \"Film\""));

        QTest::keyClick(rig.form.TaskList, Qt::Key_Minus, Qt::KeypadModifier);
        QCOMPARE(rig.Row(3), QString("Make border \"Film\""));
        QCOMPARE(rig.form.TaskList->currentRow(), 3);
        QVERIFY(!rig.form.MoveTaskDown->isEnabled());
        QTest::keyClick(rig.form.TaskList, Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(rig.Row(2), QString("Make border \"Film\""));
        // The ordinary minus key is just a key.
        QTest::keyClick(rig.form.TaskList, Qt::Key_Minus);
        QCOMPARE(rig.Row(2), QString("Make border \"Film\""));

        rig.dialogs.No();
        QTest::keyClick(rig.form.TaskList, Qt::Key_Delete);
        QCOMPARE(rig.form.TaskList->count(), 5);
        QCOMPARE(rig.dialogs.Questions.back().Text, std::string("Delete task \"Make border \"Film\"\" ?"));
        QCOMPARE(rig.dialogs.Questions.back().Caption, std::string("Confirmation"));
        QVERIFY(rig.dialogs.Questions.back().Icon == TMsgIcon::Warning);
        QVERIFY(!rig.dialogs.Questions.back().DefaultYes);
        rig.dialogs.Yes();
        QTest::keyClick(rig.form.TaskList, Qt::Key_Delete);
        QCOMPARE(rig.form.TaskList->count(), 4);
        QCOMPARE(rig.form.TaskList->currentRow(), 2);
        QCOMPARE(rig.Row(2), QString("Make border \"Stamp\""));
        // Deleting the last middle task selects the saving task.
        rig.dialogs.Yes();
        QTest::keyClick(rig.form.TaskList, Qt::Key_Delete);
        QCOMPARE(rig.form.TaskList->currentRow(), 2);
        QCOMPARE(rig.Row(2), QString("Save resulting graphical file"));
        QVERIFY(!rig.form.DeleteTask->isEnabled());
        // ... which cannot be deleted: no question.
        const auto asked = rig.dialogs.Questions.size();
        QTest::keyClick(rig.form.TaskList, Qt::Key_Delete);
        QCOMPARE(rig.dialogs.Questions.size(), asked);

        QTest::keyClick(rig.form.TaskList, Qt::Key_Return);
        QCOMPARE(rig.windows.Calls.last(), QString("EditTask"));
        QTest::keyClick(rig.form.TaskList, Qt::Key_Insert);
        QCOMPARE(rig.windows.Calls.last(), QString("StartNewTask"));
        QVERIFY(rig.form.EditorMode == TEditorMode::NewTask);
        for (TKX_Button* b : {rig.form.NewTask, rig.form.EditTask, rig.form.DeleteTask, rig.form.FullTest})
            QVERIFY(!b->isEnabled());
        QVERIFY(rig.dialogs.Unexpected.empty());
    }

    void escRunsTheEnabledTestInsteadOfClosing() {
        TRig rig;
        rig.windows.TestSettingsEnabled = true;
        rig.OpenScenario(Types(1));
        rig.form.show();
        rig.form.TestMode->setCurrentIndex(tmFullScenario);
        rig.form.TaskList->setCurrentRow(1);
        rig.windows.Calls.clear();
        QSignalSpy closed(&rig.form, &TPM_MainForm::Closed);
        QTest::keyClick(rig.form.TaskList, Qt::Key_Escape);
        QCOMPARE(rig.windows.Calls, QStringList{"RunTest 2 1"});
        QCOMPARE(closed.count(), 0);
        QVERIFY(rig.dialogs.Questions.empty());
    }

    void escWithNothingOpenClosesWithoutAQuestion() {
        TRig rig;
        rig.form.show();
        QSignalSpy closed(&rig.form, &TPM_MainForm::Closed);
        QTest::keyClick(&rig.form, Qt::Key_Escape);
        QCOMPARE(closed.count(), 1);
        QVERIFY(rig.dialogs.Questions.empty());
        QVERIFY(rig.form.IsShutDown());
        QVERIFY(TTempDir::Exists(rig.dir.Path("pixmill.ini")));
        QVERIFY(rig.log.Has(" - Closing log-file ..."));
    }

    void quittingAsksWhileADocumentIsOpen() {
        TRig rig;
        rig.form.show();
        rig.form.MM_PrNewClick();
        QSignalSpy closed(&rig.form, &TPM_MainForm::Closed);
        rig.dialogs.No();
        rig.form.close();
        QCOMPARE(rig.dialogs.Questions.size(), std::size_t(1));
        QCOMPARE(rig.dialogs.Questions[0].Text,
                 std::string("Some project or scenario already loaded.\r\nReally quit?"));
        QCOMPARE(rig.dialogs.Questions[0].Caption, std::string("Confirmation"));
        QVERIFY(rig.dialogs.Questions[0].Icon == TMsgIcon::Question);
        QVERIFY(!rig.dialogs.Questions[0].DefaultYes);
        QVERIFY(rig.form.isVisible());
        QVERIFY(!rig.form.IsShutDown());

        rig.dialogs.Yes();
        rig.form.close();
        QCOMPARE(closed.count(), 1);
        QVERIFY(!rig.form.Project().ProjectOpen);
        const std::string ini = TTempDir::Read(rig.dir.Path("pixmill.ini"));
        QVERIFY(ini.find("InitialDir=\"" + rig.dir.Dir() + "\"") != std::string::npos);
        // Saving the settings comes before closing the log file.
        QVERIFY(rig.log.CountContaining(" - Saving settings to file") == 1);
        QCOMPARE(rig.log.Messages.back().Text(), std::string(" - Closing log-file ..."));
    }

    void projectCommandsWithScriptedAnswers() {
        TRig rig;
        const std::string source = rig.dir.MakeDir("photos");
        const std::string target = rig.dir.MakeDir("web");
        const std::string scenario = rig.Scenario("copy.pms", {"TLoadFromFile", "TSaveToFile"});
        rig.dir.Write(
            "photos/a.bmp",
            pm::test::MakeBmp({.width = 4, .height = 3, .pixels = std::vector<std::uint8_t>(36, 200)}));

        rig.form.MM_PrNewClick();
        QVERIFY(rig.form.NoteBook->isVisible() || !rig.form.NoteBook->isHidden());
        QCOMPARE(rig.form.NoteBook->currentIndex(), 0);
        QVERIFY(!rig.form.RunProject->isEnabled());

        TypePath(rig.form.PR_Source, source);
        TypePath(rig.form.PR_Target, target);
        QVERIFY(!rig.form.PR_Add->isEnabled());
        TypePath(rig.form.PR_Scenario, scenario);
        QVERIFY(rig.form.PR_Add->isEnabled());
        QVERIFY(!rig.form.PR_Replace->isEnabled());
        rig.form.PR_ScanSubDir->setChecked(false);
        QTest::mouseClick(rig.form.PR_Add, Qt::LeftButton);
        QCOMPARE(rig.form.PR_ItemList->count(), 1);
        QCOMPARE(rig.form.PR_ItemList->item(0)->text().toStdString(), source);
        QVERIFY(rig.form.PR_Replace->isEnabled());
        QVERIFY(rig.form.RunProject->isEnabled());
        QVERIFY(rig.form.MM_PrSave->isEnabled());

        // Save without a name asks for one.
        const std::string projectFile = rig.dir.Path("p.pmp");
        rig.dialogs.File(projectFile);
        rig.form.MM_PrSaveClick();
        QCOMPARE(rig.dialogs.FileRequests.back().Title, std::string("Enter project filename ..."));
        QCOMPARE(rig.dialogs.FileRequests.back().InitialDir, rig.dir.Dir());
        const std::string saved = TTempDir::Read(projectFile);
        QVERIFY(saved.find("SourceDirectory=\"" + source + "\"") != std::string::npos);
        QVERIFY(saved.find("SourceScanSubDir=No") != std::string::npos);
        QCOMPARE(rig.form.windowTitle().toStdString(), projectFile);

        rig.dialogs.No();
        rig.form.MM_PrCloseClick();
        QCOMPARE(rig.dialogs.Questions.back().Text,
                 std::string("Some project already opened.\r\nClose current project?"));
        QVERIFY(rig.form.Project().ProjectOpen);
        rig.dialogs.Yes();
        rig.form.MM_PrCloseClick();
        QVERIFY(!rig.form.Project().ProjectOpen);
        QVERIFY(rig.form.NoteBook->isHidden());
        QCOMPARE(rig.form.PR_ItemList->count(), 0);
        QCOMPARE(rig.form.windowTitle(), QString("Pixmill 0.6"));

        rig.dialogs.File(projectFile);
        rig.form.MM_PrOpenClick();
        QCOMPARE(rig.dialogs.FileRequests.back().Title, std::string("Select project filename ..."));
        QVERIFY(rig.log.Has("Loading project file \"" + projectFile + "\" ... Complete"));
        QCOMPARE(rig.form.PR_ItemList->count(), 1);
        QCOMPARE(rig.form.PR_ItemList->currentRow(), 0);
        QCOMPARE(rig.form.PR_Source->ObjectCurrentPath().toStdString(), source);
        QCOMPARE(rig.form.PR_Target->ObjectCurrentPath().toStdString(), target);
        QCOMPARE(rig.form.PR_Scenario->ObjectCurrentPath().toStdString(), scenario);
        QVERIFY(!rig.form.PR_ScanSubDir->isChecked());
        QCOMPARE(rig.form.Config().InitialDir, rig.dir.Dir());

        // The run goes on its own thread with "Run project" disabled.
        // Idle, the bar is greyed with its percentage, so it does not pass
        // for an empty text field.
        QVERIFY(!rig.form.ProgressBar->isEnabled());
        QVERIFY(rig.form.ProgressBar->isTextVisible());
        QSignalSpy ended(&rig.form, &TPM_MainForm::RunEnded);
        rig.form.RunProjectClick();
        QVERIFY(!rig.form.RunProject->isEnabled());
        QVERIFY(rig.form.ProgressBar->isEnabled());
        QVERIFY(ended.wait(20000));
        QVERIFY(rig.form.RunProject->isEnabled());
        QCOMPARE(rig.form.ProgressBar->value(), 0);
        QVERIFY(!rig.form.ProgressBar->isEnabled());
        QCOMPARE(rig.log.Messages.back().Text(), std::string("Project complete."));
        bool written = false;
        for (const auto& e : std::filesystem::recursive_directory_iterator(target))
            written |= e.path().filename() == "a.jpg";
        QVERIFY(written);
        QVERIFY(rig.dialogs.Unexpected.empty());
    }

    void settingsDialogAppliesOnlyOnApply() {
        TRig rig;
        QWidget editor;
        auto* inner = new QWidget(&editor);
        auto* a = new TKX_ColorComboBox(&editor);
        auto* b = new TKX_ColorComboBox(inner);
        rig.windows.Editor = &editor;
        rig.OpenScenario(Types(1));
        rig.form.TaskList->setCurrentRow(1);

        TPM_ConfigForm* dialog = rig.form.ConfigForm();
        QCOMPARE(dialog->windowTitle(), QString("Settings"));
        QTimer::singleShot(0, dialog, [&] {
            dialog->Color_CB_Format->setCurrentIndex(2);
            dialog->Allow_Change_Task_Type->setChecked(true);
            dialog->Cancel_B->click();
        });
        rig.form.MM_ConfigClick();
        QCOMPARE(rig.form.Config().ColorFormat, 0);
        QVERIFY(!rig.form.Config().AllowChangeTaskType);
        QCOMPARE(a->ColorFormat(), cfDefault);

        QTimer::singleShot(0, dialog, [&] {
            QCOMPARE(dialog->Color_CB_Format->currentIndex(), 0);
            dialog->Color_CB_Format->setCurrentIndex(2);
            dialog->Allow_Change_Task_Type->setChecked(true);
            dialog->SynchronizeSrcDst_CB->setChecked(false);
            dialog->Apply_B->click();
        });
        rig.form.MM_ConfigClick();
        QCOMPARE(rig.form.Config().ColorFormat, 2);
        QVERIFY(rig.form.Config().AllowChangeTaskType);
        QVERIFY(!rig.form.Config().SynchronizeSrcDst);
        QCOMPARE(a->ColorFormat(), cfRGB);
        QCOMPARE(b->ColorFormat(), cfRGB);
        QCOMPARE(rig.windows.Calls.last(), QString("ApplySettings 1 1"));

        ApplyColorFormat(&editor, 7);
        QCOMPARE(b->ColorFormat(), cfDefault);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
