#include "core/ScenarioFile.h"

#include "core/BackupCopy.h"
#include "core/ClassRegistry.h"
#include "core/IniFile.h"
#include "core/PM_Utils.h"
#include "log/WriteLog.h"

#include <exception>

namespace pm {

bool WriteScenarioFile(const TTaskList& list, const std::string& fileName) {
    LogNew(lmInfo,
           {{"Saving scenario file \"", LogTextColor}, {fileName, LogValueColor}, {"\" ... ", LogTextColor}});
    if (list.empty()) {
        LogNew(lmWarning, {{"No items for saving!", LogTextColor}});
        return false;
    }
    if (!MakeBackupCopy(fileName)) return false;
    bool faulty = false;
    bool ok = false;
    try {
        TIniFile ini(fileName);
        // The section list is capped; repeat until no old section is left.
        for (auto sections = ini.ReadSections(); !sections.empty(); sections = ini.ReadSections())
            for (const std::string& s : sections) ini.EraseSection(s);
        for (int i = 0; i < static_cast<int>(list.size()); ++i) {
            try {
                TBaseClass* task = GetEntryTask(&list, i);
                if (!task) {
                    faulty = true;
                    continue;
                }
                const TINIObject& obj = task->SaveSettings(list[static_cast<std::size_t>(i)]->Name);
                const std::string section = "Task" + std::to_string(i + 1);
                for (const TINIRecord& r : obj.Records()) ini.WriteString(section, r.Name, r.Data);
            } catch (const std::exception& e) {
                LogError(std::string(e.what()) + " Can't save task " + std::to_string(i));
                faulty = true;
            }
        }
        ini.UpdateFile();
        if (!RemoveBackupCopy(fileName)) faulty = true;
        if (faulty) {
            LogAppend(lmError, {{"Error(s)!", LogErrorColor}});
        } else {
            LogAppend(lmInfo, {{"Complete.", LogDoneColor}});
            ok = true;
        }
    } catch (const std::exception& e) {
        LogError(std::string(e.what()) + " Can't save scenario!");
    }
    return ok;
}

TTaskList NewScenarioTasks(TRunContext& ctx) {
    LogNew(lmInfo, {{"Creating the new scenario ...", LogTextColor}});
    TTaskList list;
    for (const std::string& type : TaskTypeNames()) {
        try {
            auto rec = std::make_unique<TaskRec>();
            rec->Task = MakeTask(type, &ctx);
            rec->Name = rec->Task->ClassInfo().Description;
            list.push_back(std::move(rec));
        } catch (const std::exception&) {
            LogNew(lmError, {{"Can't add new task \"", LogErrorColor},
                             {type, LogValueColor},
                             {"\" to TaskList!", LogErrorColor}});
        }
    }
    return list;
}

}  // namespace pm
