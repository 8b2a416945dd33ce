#pragma once
// The desktop program's main window with the real task editor and test
// window, scripted dialogs, its files in a fresh directory and its log
// recorded. Qt Test programs only.
#include "imaging/Bitmap.h"
#include "log/WriteLog.h"
#include "support/RecordingConsole.h"
#include "support/ScriptedUiDialogs.h"
#include "support/TempDir.h"
#include "ui/KX_FileDirComboBox.h"
#include "ui/KX_ImageListView.h"
#include "ui/PM_Main.h"
#include "ui/PM_TaskEdit.h"
#include "ui/PM_TaskTest.h"
#include "ui/PM_TaskWindows.h"

#include <QComboBox>
#include <QListWidget>

namespace pm::test {

// A 24-bit BMP file of the given size with a colour ramp.
inline void WriteTestImage(const std::string& file, int w, int h) {
    TFastDIB dib;
    dib.SetSize(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            dib.SetPixel(y, x, TColorTriple{std::uint8_t(x * 5), std::uint8_t(y * 7), 90});
    std::vector<std::uint8_t> bytes;
    TBitmap(std::move(dib)).SaveToStream(bytes);
    TTempDir::Write(file, std::string(bytes.begin(), bytes.end()));
}

struct TTaskRig {
    TTempDir dir;
    TTempDir pictures;  // a folder for the test window
    TScriptedUiDialogs dialogs;
    TLogRecorder log;
    TPM_MainForm form;
    TPM_TaskWindows windows{form};
    TPM_TaskEditForm& editor = windows.Editor();
    TPM_TaskTestForm& tester = windows.Tester();

    TTaskRig() {
        form.SetDialogs(&dialogs);
        form.SetProgramDirectory(dir.Dir());
        form.Startup();
    }
    ~TTaskRig() { CloseLogFile(); }

    // A new scenario (one task of every type) with row `row` selected.
    void NewScenario(int row = 0) {
        form.MM_ScNewClick();
        Select(row);
    }
    // A click on a row of the task list.
    void Select(int row) {
        form.TaskList->setCurrentRow(row);
        form.TaskListClick();
    }
    void SetTestMode(TTestMode mode) { form.TestMode->setCurrentIndex(mode); }
    // The user picks a folder for the test window.
    void ChooseTestFolder(const std::string& folder) {
        tester.TestDir->SetObjectCurrentPath(QString::fromStdString(folder));
        emit tester.TestDir->Change();
    }
    // Test pictures of the given sizes in `pictures`, which the user picks.
    struct TTestPicture {
        std::string name;
        int width, height;
    };
    void ChooseTestPictures(const std::vector<TTestPicture>& files) {
        for (const TTestPicture& f : files) WriteTestImage(pictures.Path(f.name), f.width, f.height);
        ChooseTestFolder(pictures.Dir());
    }
    int RowOfType(const std::string& className) {
        const TScenarioModel& s = form.Scenario();
        for (int i = 0; i < s.Count(); ++i)
            if (s.Entries[std::size_t(i)]->Task->ClassName() == className) return i;
        return -1;
    }
    TBaseClass& TaskAt(int row) { return *form.Scenario().Entries[std::size_t(row)]->Task; }
    QString Cell(int row, int column) const { return tester.TestFilesList->CellText(row, column); }
};

}  // namespace pm::test
