#include "core/PM_Utils.h"

#include "core/ClassRegistry.h"
#include "core/IniFile.h"
#include "log/WriteLog.h"

#include <chrono>

namespace pm {

TaskRec* GetTaskRecord(const TTaskList* list, int index) {
    if (list && !list->empty() && index >= 0 && index < static_cast<int>(list->size()))
        return (*list)[static_cast<std::size_t>(index)].get();
    LogNew(lmError, {{"Can't get valid \"TaskRecord\" for task index =", LogErrorColor},
                     {std::to_string(index), LogValueColor}});
    return nullptr;
}

TBaseClass* GetBaseClass(const TaskRec* rec) {
    if (rec && rec->Task) return rec->Task.get();
    LogError("Can't get valid \"BaseClass\"!");
    return nullptr;
}

TBaseClass* GetEntryTask(const TTaskList* list, int index) {
    const TaskRec* rec = GetTaskRecord(list, index);
    return rec ? GetBaseClass(rec) : nullptr;
}

namespace {

// Reads section "Task<n>"; false when the section fails.
bool ReadTaskSection(TRunContext& ctx, const TIniFile& ini, int n, int count, TTaskList& list) {
    const std::string section = "Task" + std::to_string(n);
    if (!ini.SectionExists(section)) {
        LogNew(lmError, {{"Can't found task (section) ", LogErrorColor},
                         {std::to_string(n), LogValueColor},
                         {" Skipped.", LogErrorColor}});
        return true;
    }
    TINIObject obj;
    try {
        for (const std::string& key : ini.ReadSection(section))
            obj.AddRecord(key, ini.ReadString(section, key, ""));
        const TINIRecord* nameRec = obj.Find("TaskName");
        if (!nameRec) {
            LogError("Can't found keys \"TaskName\" for task " + std::to_string(n));
            return false;
        }
        const TINIRecord* typeRec = obj.Find("TaskType");
        if (!typeRec) {
            LogError("Can't found keys \"TaskType\" for task " + std::to_string(n));
            return false;
        }
        if (nameRec->Data.empty()) {
            LogError("Blank value for key \"TaskName\"");
            return false;
        }
        if (typeRec->Data.empty()) {
            LogError("Blank value for key \"TaskType\"");
            return false;
        }
        const std::string name = nameRec->Data;
        const std::string type = typeRec->Data;
        if (!IsTaskType(type)) {
            LogNew(
                lmError,
                {{"Unknown \"TaskType\" - \"", LogErrorColor}, {type, LogValueColor}, {"\"", LogErrorColor}});
            return false;
        }
        bool ok = true;
        if (n == 1 && type != "TLoadFromFile") {
            LogError("Invalid type of first task!");
            ok = false;
        }
        if (n == count && type != "TSaveToFile") {
            LogError("Invalid type of last task!");
            ok = false;
        }
        if (!ok) return false;
        try {
            auto rec = std::make_unique<TaskRec>();
            rec->Name = name;
            rec->Task = MakeTask(type, &ctx);
            list.push_back(std::move(rec));
        } catch (const std::exception&) {
            LogNew(lmError, {{"Can't add new task to TaskList!", LogErrorColor},
                             {" Name: ", LogErrorColor},
                             {name, LogValueColor},
                             {" Type: ", LogErrorColor},
                             {type, LogValueColor}});
            return false;
        }
        list.back()->Task->LoadSettings(obj);
    } catch (const std::exception& e) {
        LogError(std::string(e.what()) + " Can't read task " + std::to_string(n));
        return false;
    }
    return true;
}

}  // namespace

bool ReadScenario(TRunContext& ctx, const std::string& fileName, TTaskList& list) {
    LogNew(
        lmInfo,
        {{"Loading scenario file \"", LogTextColor}, {fileName, LogValueColor}, {"\" ... ", LogTextColor}});
    try {
        TIniFile ini(fileName);
        std::vector<std::string> sections = ini.ReadSections();
        if (sections.empty()) {
            LogError("Can't found valid data inside file!");
            return true;
        }
        const int count = static_cast<int>(sections.size());
        bool failed = false;
        for (int n = 1; n <= count; ++n)
            if (!ReadTaskSection(ctx, ini, n, count, list)) failed = true;
        if (failed) {
            LogError("Can't load scenario!");
            return false;
        }
        LogAppend(lmInfo, {{"Complete", LogDoneColor}});
        return true;
    } catch (const std::exception& e) {
        LogError(std::string(e.what()) + " Can't read file!");
        return false;
    }
}

double RunTask(TBaseClass* task, TValueSlot slot) {
    using clock = std::chrono::steady_clock;
    if (!task) {
        LogError("Can't get valid \"BaseClass\"!");
        return -1;
    }
    const auto start = clock::now();
    const bool ok = task->Execute(slot);
    if (!ok) return -1;
    return std::chrono::duration<double, std::milli>(clock::now() - start).count();
}

double RunScenario(TRunContext& ctx, int first, int last, const TTaskList* list) {
    LogNew(lmInfo, {{"Processing source image ... ", LogTextColor}});
    // A negative index is not refused here: GetTaskRecord reports it and the
    // run fails like any other missing entry.
    const int lastIndex = list ? static_cast<int>(list->size()) - 1 : -1;
    if (!list || first > last || first > lastIndex || last > lastIndex) {
        LogError("Failed! Cannot get pointer to scenario.");
        return -1;
    }
    TBitmap work = ctx.GeneralObject().SrcBitmap;
    double total = 0;
    bool failed = false;
    for (int i = first; i <= last && !failed; ++i) {
        TBaseClass* task = GetEntryTask(list, i);
        if (!task) {
            failed = true;
            break;
        }
        LogNew(lmInfo, {{" - task \"", LogTextColor},
                        {(*list)[static_cast<std::size_t>(i)]->Name, LogValueColor},
                        {"\" ...", LogTextColor}});
        task->SrcBitmap = work;
        const TaskRec* next = i < last ? (*list)[static_cast<std::size_t>(i) + 1].get() : nullptr;
        ctx.FollowingTask = next ? next->Task.get() : nullptr;
        const double t = RunTask(task, vsCurrent);
        ctx.FollowingTask = nullptr;
        if (t == -1) {
            failed = true;
            break;
        }
        total += t;
        work = task->DstBitmap;
    }
    if (!failed) ctx.GeneralObject().DstBitmap = work;
    if (failed) {
        LogError("Scenario processing failed!");
        return -1;
    }
    LogNew(lmInfo, {{"Scenario complete.", LogTextColor}});
    return total;
}

}  // namespace pm
