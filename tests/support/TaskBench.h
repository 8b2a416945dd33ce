#pragma once
// The task editor and the test window wired to a scenario as the main window
// wires them, with a stand-in for the scenario page's buttons and test mode.
// Qt Test programs only.
#include "core/ScenarioModel.h"
#include "support/RecordingMainView.h"
#include "support/ScriptedDialogs.h"
#include "tasks/StandardClasses.h"
#include "ui/PM_TaskEdit.h"
#include "ui/PM_TaskTest.h"
#include "ui/TaskSession.h"

#include <memory>

namespace pm::test {

// The scenario page's button rules for the first and the last row, with the
// session deciding "Test settings" and "Test ".
class TBenchScenarioPage : public IScenarioPage {
public:
    TScenarioModel* Model = nullptr;
    TTaskSession* Session = nullptr;
    int Mode = 0;
    bool NewTask = false, EditTask = false, DeleteTask = false, MoveUp = false, MoveDown = false,
         FullTest = false;
    int Updates = 0;
    int ListRefreshes = 0;

    int TestMode() const override { return Mode; }
    void UpdateTaskButtons() override {
        ++Updates;
        if (!Model->ScenarioOpen) {
            NewTask = EditTask = DeleteTask = MoveUp = MoveDown = false;
            Session->DisableTestButtons();
            return;
        }
        NewTask = EditTask = true;
        Model->LastSelected = Model->Selected;
        const int row = Model->Selected, count = Model->Count();
        MoveUp = row != 1;
        MoveDown = count != row + 2;
        if (row == 0 || row == count - 1)
            DeleteTask = MoveUp = MoveDown = false;
        else
            DeleteTask = true;
        Session->UpdateTestButtons();
    }
    void DisableTaskButtons() override {
        NewTask = EditTask = DeleteTask = MoveUp = MoveDown = FullTest = false;
    }
    bool FullTestEnabled() const override { return FullTest; }
    void SetFullTestEnabled(bool on) override { FullTest = on; }
    void TaskListChanged() override { ++ListRefreshes; }
};

// The model's window requests as the main window answers them.
class TBenchMainView : public TRecordingMainView {
public:
    TTaskSession* Session = nullptr;
    TScenarioModel* Model = nullptr;
    void SelectTaskInEditor() override {
        TRecordingMainView::SelectTaskInEditor();
        Model->LastSelected = -1;
        Session->TaskListClick();
    }
    void HideTaskEditor() override {
        TRecordingMainView::HideTaskEditor();
        Session->ClearWindows();
    }
    bool ScenarioOpen() const override { return Model->ScenarioOpen; }
};

struct TTaskBench {
    TTaskBench() {
        static const bool registered = (RegisterStandardClasses(), true);
        (void)registered;
        types.RegisterAll(&ctx);
        model = std::make_unique<TScenarioModel>(ctx, types, dialogs, view, editor.Page());
        session = std::make_unique<TTaskSession>(ctx, *model, types, dialogs, editor, tester, page);
        page.Model = model.get();
        page.Session = session.get();
        view.Model = model.get();
        view.Session = session.get();
    }

    // A new scenario (one task of every type) with row `row` selected.
    void NewScenario(int row = 0) {
        model->MM_ScNewClick();
        Select(row);
    }
    // What a click on a row of the task list does.
    void Select(int row) {
        model->Selected = row;
        session->TaskListClick();
    }

    TRunContext ctx;
    TTaskInfoList types;
    TScriptedDialogs dialogs;
    TBenchMainView view;
    TBenchScenarioPage page;
    TPM_TaskEditForm editor;
    TPM_TaskTestForm tester;
    std::unique_ptr<TScenarioModel> model;
    std::unique_ptr<TTaskSession> session;
};

}  // namespace pm::test
