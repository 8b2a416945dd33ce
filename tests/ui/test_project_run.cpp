// "Run project" off the interface thread: the window stays usable, the
// progress shows finished files, "Stop" and quitting stop the run after the
// files in flight, and the settings dialog keeps the number of workers.
#include "batch/BatchRun.h"
#include "core/ClassRegistry.h"
#include "core/ScenarioFile.h"
#include "log/WriteLog.h"
#include "support/BmpBuilder.h"
#include "support/RecordingConsole.h"
#include "support/ScriptedTask.h"
#include "support/ScriptedUiDialogs.h"
#include "support/TempDir.h"
#include "tasks/StandardClasses.h"
#include "ui/KX_Button.h"
#include "ui/KX_Edit.h"
#include "ui/KX_LogConsole.h"
#include "ui/PM_Config.h"
#include "ui/PM_Main.h"

#include <QLabel>
#include <QListWidget>
#include <QCheckBox>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

using namespace pm;
using pm::test::TScriptedUiDialogs;
using pm::test::TTempDir;

namespace {

namespace fs = std::filesystem;

constexpr int kWaitMs = 20000;

// Holds every file of a run in its middle task until opened, so that a test
// knows how many files are in flight when it acts.
class TGate {
public:
    void Pass() {
        std::unique_lock lock(mutex_);
        ++entered_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void Close() {
        std::lock_guard lock(mutex_);
        open_ = false;
        entered_ = 0;
    }
    int Entered() {
        std::lock_guard lock(mutex_);
        return entered_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    int entered_ = 0;
};

TGate g_gate;

// Opens the gate once `run` has been asked to stop (from another thread, as
// the files in flight wait for it).
std::thread OpenGateOnStop(const TBatchRun* run) {
    return std::thread([run] {
        while (!run->StopRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        g_gate.Open();
    });
}

struct TRig {
    TTempDir dir;
    TScriptedUiDialogs dialogs;
    pm::test::TLogRecorder log;
    TPM_MainForm form;
    std::string source, target, scenario;

    explicit TRig(bool startup = true) {
        g_gate.Close();
        form.SetDialogs(&dialogs);
        form.SetProgramDirectory(dir.Dir());
        if (startup) form.Startup();
    }
    ~TRig() { CloseLogFile(); }

    // `count` small pictures (every fourth in a subfolder), a scenario that
    // loads, waits at the gate (in place of the shadow) and saves, and a project of that one item
    // with its results in `targetDir` (default: beside the pictures).
    void Project(int count, const std::string& targetDir = {}) {
        source = dir.MakeDir("photos");
        dir.MakeDir("photos/sub");
        target = targetDir.empty() ? dir.MakeDir("web") : targetDir;
        for (int i = 0; i < count; ++i) {
            const auto shade = static_cast<std::uint8_t>(10 + 5 * i);
            dir.Write(
                (i % 4 == 3 ? "photos/sub/" : "photos/") + std::to_string(100 + i) + ".bmp",
                pm::test::MakeBmp({.width = 4, .height = 4, .pixels = std::vector<std::uint8_t>(48, shade)}));
        }
        TRunContext ctx;
        TTaskList list;
        for (const char* type : {"TLoadFromFile", "TShadow", "TSaveToFile"}) {
            auto rec = std::make_unique<TaskRec>();
            rec->Task = MakeTask(type, &ctx);
            rec->Name = rec->Task->ClassInfo().Description;
            list.push_back(std::move(rec));
        }
        scenario = dir.Path("gate.pms");
        WriteScenarioFile(list, scenario);

        form.MM_PrNewClick();
        TProjectModel& project = form.Project();
        project.Items.push_back({source, true, target, scenario});
        project.Selected = 0;
        form.ProjectListChanged();
        project.UpdateProjectButtons();
    }

    // The result files, and whether a hidden (temporary) file is among them.
    std::vector<std::string> Results(bool* hidden = nullptr) const {
        std::vector<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(target)) {
            if (!e.is_regular_file()) continue;
            const std::string name = e.path().filename().string();
            if (hidden && name[0] == '.') *hidden = true;
            names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // The messages since start-up, for failure output.
    std::string RunLog() const {
        const std::string all = log.Dump();
        const std::size_t ready = all.find("PM initialization successful.");
        return ready == std::string::npos ? all : all.substr(ready);
    }

    // Index of the first message with exactly this text, -1 if none.
    int IndexOf(const std::string& text) const {
        for (std::size_t i = 0; i < log.Messages.size(); ++i)
            if (log.Messages[i].Text() == text) return static_cast<int>(i);
        return -1;
    }
};

std::string Stopped(int done, int skipped) {
    return "Run stopped: " + std::to_string(done) + " file(s) done, " + std::to_string(skipped) +
           " file(s) skipped.";
}

}  // namespace

class TestProjectRun : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        RegisterStandardClasses();
        // Scenarios only name the eleven task types: the gate stands in for one.
        pm::test::RegisterScriptedTask("TShadow", [](pm::test::TScriptedTask& task, TValueSlot) {
            task.DstBitmap = task.SrcBitmap;
            g_gate.Pass();
            return true;
        });
    }

    void runLeavesTheWindowUsableAndCompletes() {
        TRig rig;
        TKX_LogConsole console;
        ILogConsole* recorder = GetLogConsole();
        SetLogConsole(&console);
        rig.form.Config().Jobs = 2;
        rig.form.Config().MemoryLimitMB = 300;
        rig.Project(3);
        TPM_MainForm& form = rig.form;
        QVERIFY(form.RunProject->isEnabled());
        QVERIFY(!form.StopRun->isEnabled());
        QSignalSpy ended(&form, &TPM_MainForm::RunEnded);
        QSignalSpy progress(form.ProgressBar, &QProgressBar::valueChanged);
        QStringList texts;
        connect(form.ProgressBar, &QProgressBar::valueChanged, [&] { texts << form.ProgressBar->format(); });

        form.RunProject->click();
        // Back at once, with the run held at the gate.
        QVERIFY(form.RunInProgress());
        const TBatchRun* run = form.ActiveRun();
        QCOMPARE(run->Jobs, 2);
        QCOMPARE(run->MemoryLimit, std::uint64_t(300) << 20);
        QVERIFY(!form.RunProject->isEnabled());
        QVERIFY(form.StopRun->isEnabled());
        form.RunProjectClick();
        QCOMPARE(form.ActiveRun(), run);

        // The event loop goes on: a timer fires while two files wait, one on
        // each worker, and the menus can be used.
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(1);
        QTRY_COMPARE_WITH_TIMEOUT(g_gate.Entered(), 2, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 3, kWaitMs);
        QVERIFY(form.RunInProgress());
        QCOMPARE(ended.count(), 0);
        // Other documents can be opened meanwhile.
        form.MM_ScNewClick();
        QVERIFY(form.ScenarioOpen());
        QCOMPARE(form.NoteBook->currentIndex(), 1);

        g_gate.Open();
        QVERIFY(ended.wait(kWaitMs));
        SetLogConsole(recorder);
        QVERIFY(!form.RunInProgress());
        QVERIFY(form.RunProject->isEnabled());
        QVERIFY(!form.StopRun->isEnabled());
        QCOMPARE(form.ProgressBar->value(), 0);
        // Files finished, in the order of the file list, then back to 0.
        QList<int> values;
        for (const QList<QVariant>& args : progress) values << args.at(0).toInt();
        QCOMPARE(values, (QList<int>{1, 2, 3, 0}));
        // The bar's text: the counts of the command line's progress line.
        QVERIFY2(texts.at(2).startsWith("3 done, 0 failed, 0 skipped, "), qPrintable(texts.join('|')));
        QCOMPARE(form.ProgressBar->format(), QString("%p%"));
        // The console has every line by the time the end is told.
        QVERIFY(console.Count() > 0);
        QCOMPARE(console.MessageText(console.Count() - 1), QString("Project complete."));
        QCOMPARE(rig.Results(), (std::vector<std::string>{"100.jpg", "101.jpg", "102.jpg"}));
        QVERIFY(form.Project().LastRun);
        QCOMPARE(form.Project().LastRun->FilesDone(), 3);
        QVERIFY(rig.dialogs.Unexpected.empty());
    }

    // The item editor's check box travels with the item; a second run of the
    // unchanged project skips every file and the bar says so.
    void skipBoxMakesTheSecondRunSkip() {
        TRig rig;
        rig.Project(3);
        TPM_MainForm& form = rig.form;
        form.Project().PR_ItemListClick();
        QVERIFY(!form.PR_SkipUnchanged->isChecked());
        form.PR_SkipUnchanged->setChecked(true);
        form.PR_Replace->click();
        QVERIFY(form.Project().Items.at(0).SkipUnchanged);
        g_gate.Open();
        QStringList texts;
        connect(form.ProgressBar, &QProgressBar::valueChanged, [&] { texts << form.ProgressBar->format(); });
        for (int run = 0; run < 2; ++run) {
            QSignalSpy ended(&form, &TPM_MainForm::RunEnded);
            form.RunProject->click();
            QVERIFY(ended.wait(kWaitMs));
        }
        QCOMPARE(form.Project().LastRun->FilesUpToDate(), 3);
        QCOMPARE(form.Project().LastRun->FilesDone(), 0);
        QVERIFY2(texts.filter("0 done, 0 failed, 3 skipped, ").size() > 0, qPrintable(texts.join('|')));
    }

    void stopFinishesTheFilesInFlight_data() {
        QTest::addColumn<int>("jobs");
        QTest::newRow("one worker") << 1;
        QTest::newRow("two workers") << 2;
    }

    void stopFinishesTheFilesInFlight() {
        QFETCH(int, jobs);
        TRig rig;
        rig.form.Config().Jobs = jobs;
        rig.Project(40);
        QSignalSpy ended(&rig.form, &TPM_MainForm::RunEnded);
        rig.form.RunProject->click();
        QTRY_VERIFY2_WITH_TIMEOUT(g_gate.Entered() == jobs, rig.RunLog().c_str(), kWaitMs);

        QTest::mouseClick(rig.form.StopRun, Qt::LeftButton);
        QVERIFY(rig.form.ActiveRun()->StopRequested());
        // Pressed once is enough.
        QVERIFY(!rig.form.StopRun->isEnabled());
        QVERIFY(rig.form.RunInProgress());
        g_gate.Open();
        QVERIFY(ended.wait(kWaitMs));

        const int stopped = rig.IndexOf(Stopped(jobs, 40 - jobs));
        QVERIFY2(stopped >= 0, rig.log.Dump().c_str());
        QCOMPARE(rig.log.Messages[static_cast<std::size_t>(stopped)].Kind, int(lmWarning));
        QCOMPARE(rig.log.Messages.back().Text(), std::string("Project error(s)!"));
        QCOMPARE(rig.log.Count("Scenario complete."), jobs);
        bool hidden = false;
        QCOMPARE(static_cast<int>(rig.Results(&hidden).size()), jobs);
        QVERIFY(!hidden);
        QVERIFY(rig.form.RunProject->isEnabled());
        QVERIFY(!rig.form.StopRun->isEnabled());
        QCOMPARE(rig.form.ProgressBar->value(), 0);

        // The next run starts afresh and goes through.
        g_gate.Close();
        g_gate.Open();
        rig.form.RunProject->click();
        QVERIFY(ended.wait(kWaitMs));
        QCOMPARE(rig.log.Messages.back().Text(), std::string("Project complete."));
        QCOMPARE(static_cast<int>(rig.Results().size()), 40);
    }

    void quittingDuringARunAsksThenStopsAndWaits() {
        TRig rig;
        rig.form.Config().Jobs = 2;
        rig.Project(40);
        rig.form.show();
        QSignalSpy closed(&rig.form, &TPM_MainForm::Closed);
        QSignalSpy ended(&rig.form, &TPM_MainForm::RunEnded);
        rig.form.RunProject->click();
        QTRY_COMPARE_WITH_TIMEOUT(g_gate.Entered(), 2, kWaitMs);

        // "No" leaves the run alone.
        rig.dialogs.No();
        QTest::keyClick(rig.form.PR_ItemList, Qt::Key_Escape);
        QCOMPARE(rig.dialogs.Questions.size(), std::size_t(1));
        QCOMPARE(rig.dialogs.Questions[0].Text, std::string(TPM_MainForm::kQuitQuestion));
        QVERIFY(rig.form.RunInProgress());
        QVERIFY(!rig.form.ActiveRun()->StopRequested());
        QCOMPARE(closed.count(), 0);

        // "Yes" stops the run and waits for its files in flight; closing
        // again meanwhile neither asks nor closes twice.
        std::thread opener = OpenGateOnStop(rig.form.ActiveRun());
        bool closedAgain = false;
        QTimer::singleShot(0, &rig.form, [&] {
            closedAgain = true;
            rig.form.close();
        });
        rig.dialogs.Yes();
        rig.form.MM_Quit->trigger();
        opener.join();
        QVERIFY(closedAgain);
        QCOMPARE(rig.dialogs.Questions.size(), std::size_t(2));
        QCOMPARE(closed.count(), 1);
        QCOMPARE(ended.count(), 1);
        QVERIFY(!rig.form.RunInProgress());
        QVERIFY(rig.form.IsShutDown());
        // The run's last lines, then the usual shutdown.
        const int stopped = rig.IndexOf(Stopped(2, 38));
        const int error = rig.IndexOf("Project error(s)!");
        const int saving =
            rig.IndexOf(" - Saving settings to file \"" + rig.dir.Path("pixmill.ini") + "\" ... Complete");
        const int closing = rig.IndexOf(" - Closing log-file ...");
        QVERIFY2(stopped >= 0 && stopped < error && error < saving && saving < closing, rig.RunLog().c_str());
        QCOMPARE(static_cast<int>(rig.Results().size()), 2);
        // The run's end is in the log file too.
        QVERIFY(TTempDir::Read(rig.dir.Path("pixmill.log")).find(Stopped(2, 38)) != std::string::npos);
    }

    void aWindowGoingAwayDuringARunStopsItFirst() {
        TTempDir results;
        const std::string target = results.Dir();
        std::thread opener;
        {
            TRig rig;
            rig.form.Config().Jobs = 2;
            rig.Project(40, target);
            rig.form.RunProject->click();
            QTRY_COMPARE_WITH_TIMEOUT(g_gate.Entered(), 2, kWaitMs);
            opener = OpenGateOnStop(rig.form.ActiveRun());
            // Progress calls are queued for the window; it goes now.
        }
        opener.join();
        int files = 0;
        for (const auto& e : fs::recursive_directory_iterator(target)) files += e.is_regular_file();
        QCOMPARE(files, 2);
    }

    void settingsDialogKeepsTheWorkerCount_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::newRow("a number") << "12" << 12;
        QTest::newRow("the largest") << "1024" << 1024;
        QTest::newRow("beyond the largest stops at the last digit that fits") << "2000" << 200;
        QTest::newRow("zero: one per core") << "0" << 0;
        QTest::newRow("empty: one per core") << "" << 0;
    }

    void settingsDialogKeepsTheWorkerCount() {
        QFETCH(QString, typed);
        QFETCH(int, stored);
        TRig rig(false);
        rig.dir.Put("pixmill.ini", "[Settings]\r\nJobs=3\r\n");
        QVERIFY(rig.form.Startup());
        TPM_ConfigForm* dialog = rig.form.ConfigForm();
        TKX_Edit* field = dialog->Jobs_E;
        QCOMPARE(field->toolTip(), QString("0 ... 1024"));
        QCOMPARE(dialog->Label2->buddy(), field);

        QTimer::singleShot(0, dialog, [&] {
            QCOMPARE(field->text(), QString("3"));
            field->setText("7");
            dialog->Cancel_B->click();
        });
        rig.form.MM_ConfigClick();
        QCOMPARE(rig.form.Config().Jobs, 3);

        QTimer::singleShot(0, dialog, [&] {
            QCOMPARE(field->text(), QString("3"));
            field->setFocus();
            field->selectAll();
            QTest::keyClick(field, Qt::Key_Backspace);
            QTest::keyClicks(field, typed);
            dialog->Apply_B->click();
        });
        rig.form.MM_ConfigClick();
        QCOMPARE(rig.form.Config().Jobs, stored);

        // Written at exit with the other keys, and shown again next time.
        rig.form.close();
        QVERIFY(TTempDir::Read(rig.dir.Path("pixmill.ini")).find("Jobs=" + std::to_string(stored)) !=
                std::string::npos);
        TPM_MainForm again;
        again.SetDialogs(&rig.dialogs);
        again.SetProgramDirectory(rig.dir.Dir());
        QVERIFY(again.Startup());
        QCOMPARE(again.Config().Jobs, stored);
        QCOMPARE(again.ConfigForm()->Jobs_E->text(), QString::number(stored));
        CloseLogFile();
    }
};

QTEST_MAIN(TestProjectRun)
#include "test_project_run.moc"
