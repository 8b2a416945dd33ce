#pragma once
// Scenario files for batch tests: a loading task with the chosen input
// formats switched on, then a saving task.
#include "core/ClassRegistry.h"
#include "core/ScenarioFile.h"
#include "tasks/PM__TLoadFromFile.h"
#include "tasks/PM__TSaveToFile.h"

#include <set>
#include <string>

namespace pm::test {

struct TSaveOptions {
    int Format = 0;  // 0 JPEG, 1 BMP
    std::string Comment;
    std::string ExtensionJPG = ".jpg";
};

inline bool WriteScenario(const std::string& file, const std::set<std::string>& formats,
                          TSaveOptions save = {}) {
    TRunContext ctx;
    TTaskList list;
    auto load = std::make_unique<TLoadFromFile>(&ctx);
    for (auto& f : load->Formats) f->Enabled.SetValue(formats.count(f->Enabled.Name) > 0, vsCurrent);
    auto saver = std::make_unique<TSaveToFile>(&ctx);
    saver->Out_Format.SetValue(save.Format, vsCurrent);
    saver->JPEG_Comment.SetValue(save.Comment, vsCurrent);
    saver->Image_Extension_JPG.SetValue(save.ExtensionJPG, vsCurrent);
    list.push_back(std::make_unique<TaskRec>(TaskRec{"Load", std::move(load)}));
    list.push_back(std::make_unique<TaskRec>(TaskRec{"Save", std::move(saver)}));
    return WriteScenarioFile(list, file);
}

}  // namespace pm::test
