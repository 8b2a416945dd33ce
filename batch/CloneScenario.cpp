#include "batch/CloneScenario.h"

#include "core/ClassRegistry.h"
#include "core/IniFile.h"
#include "log/WriteLog.h"

#include <exception>

namespace pm {

namespace {

bool SameRecords(const std::vector<TINIRecord>& a, const std::vector<TINIRecord>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].Name != b[i].Name || a[i].Data != b[i].Data) return false;
    return true;
}

}  // namespace

bool CloneScenario(const TTaskList& from, TRunContext& context, TTaskList& to) {
    // A faithful copy reads its settings without a word; anything it would
    // say means it is not faithful, and the caller falls back.
    TLogCapture quiet;
    try {
        for (const auto& rec : from) {
            if (!rec || !rec->Task) return false;
            TBaseClass& original = *rec->Task;
            const std::vector<TINIRecord> settings = original.SaveSettings(rec->Name).Records();
            auto copy = std::make_unique<TaskRec>();
            copy->Name = rec->Name;
            copy->Task = MakeTask(original.ClassName(), &context);
            // The values as a scenario file would hand them back.
            TINIObject ini;
            for (const TINIRecord& r : settings) ini.AddRecord(r.Name, TIniFile::CleanValue(r.Data));
            copy->Task->LoadSettings(ini);
            if (!SameRecords(settings, copy->Task->SaveSettings(rec->Name).Records())) return false;
            to.push_back(std::move(copy));
        }
    } catch (const std::exception&) {
        return false;
    }
    return quiet.Take().empty();
}

}  // namespace pm
