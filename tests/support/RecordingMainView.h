#pragma once
// IMainView that records which window operations were asked for.
#include "app/MainView.h"

#include <algorithm>
#include <string>
#include <vector>

namespace pm::test {

class TRecordingMainView : public IMainView {
public:
    void UpdateMenus() override { Calls.push_back("UpdateMenus"); }
    void ShowProjectPage() override { Calls.push_back("ShowProjectPage"); }
    void ShowScenarioPage() override { Calls.push_back("ShowScenarioPage"); }
    void HidePageArea() override { Calls.push_back("HidePageArea"); }
    void FocusTaskList() override { Calls.push_back("FocusTaskList"); }
    void HideTaskEditor() override { Calls.push_back("HideTaskEditor"); }
    void ClearTestWindow() override { Calls.push_back("ClearTestWindow"); }
    void TaskListChanged() override { Calls.push_back("TaskListChanged"); }
    void SelectTaskInEditor() override { Calls.push_back("SelectTaskInEditor"); }
    void UpdateTaskButtons() override { Calls.push_back("UpdateTaskButtons"); }
    void UpdateProjectButtons() override { Calls.push_back("UpdateProjectButtons"); }
    void ProjectListChanged() override { Calls.push_back("ProjectListChanged"); }
    void ProcessMessages() override { Calls.push_back("ProcessMessages"); }
    bool ProjectOpen() const override { return projectOpen; }
    bool ScenarioOpen() const override { return scenarioOpen; }

    bool Called(const std::string& name) const {
        return std::find(Calls.begin(), Calls.end(), name) != Calls.end();
    }

    std::vector<std::string> Calls;
    bool projectOpen = false;
    bool scenarioOpen = false;
};

}  // namespace pm::test
