#include "core/ClassRegistry.h"

#include "core/StringUtils.h"
#include "log/WriteLog.h"

namespace pm {

TClassRegistry& TClassRegistry::Instance() {
    static TClassRegistry registry;
    return registry;
}

void TClassRegistry::Register(const std::string& className, TTaskFactory factory) {
    for (Entry& e : entries_)
        if (SameText(e.name, className)) {
            e.factory = std::move(factory);
            return;
        }
    entries_.push_back({className, std::move(factory)});
}

bool TClassRegistry::Contains(const std::string& className) const {
    for (const Entry& e : entries_)
        if (SameText(e.name, className)) return true;
    return false;
}

std::unique_ptr<TBaseClass> TClassRegistry::Create(const std::string& className, TRunContext* context) const {
    for (const Entry& e : entries_)
        if (SameText(e.name, className)) return e.factory(context);
    throw EClassNotFound(className);
}

std::vector<std::string> TClassRegistry::Names() const {
    std::vector<std::string> names;
    for (const Entry& e : entries_) names.push_back(e.name);
    return names;
}

std::unique_ptr<TBaseClass> MakeTask(const std::string& typeName, TRunContext* context) {
    return TClassRegistry::Instance().Create(typeName, context);
}

const std::vector<std::string>& TaskTypeNames() {
    static const std::vector<std::string> names = {
        "TLoadFromFile", "TResizeBitmap",   "TResizeCanvas",       "TShadow",
        "TFadeShadow",   "TRectangleBevel", "TFadeRectangleBevel", "TFadeEllipseBevel",
        "TFilm",         "TStamp",          "TSaveToFile"};
    return names;
}

const std::vector<std::string>& AddedTaskTypeNames() {
    static const std::vector<std::string> names = {"TCrop",   "TRotate",    "TSharpen",
                                                   "TAdjust", "TWatermark", "TText"};
    return names;
}

bool IsTaskType(const std::string& typeName) {
    for (const auto* list : {&TaskTypeNames(), &AddedTaskTypeNames()})
        for (const std::string& n : *list)
            if (SameText(n, typeName)) return true;
    return false;
}

void TTaskInfoList::RegisterType(const std::string& typeName, TRunContext* context) {
    WriteLog(
        lmInfo,
        {{"    - initialize task \"", LogTextColor}, {typeName, LogValueColor}, {"\" ... ", LogTextColor}},
        false, true, true);
    try {
        std::unique_ptr<TBaseClass> task = MakeTask(typeName, context);
        const TRegClassInfo& info = task->ClassInfo();
        entries_.push_back({info.Caption, info});
        WriteLog(lmInfo, {{"Complete", LogDoneColor}}, false, true, false);
    } catch (const std::exception&) {
        WriteLog(lmError, {{"Failed! Skipped.", LogErrorColor}}, false, true, false);
    }
}

void TTaskInfoList::RegisterAll(TRunContext* context) {
    for (const std::string& name : TaskTypeNames()) RegisterType(name, context);
    for (const std::string& name : AddedTaskTypeNames()) RegisterType(name, context);
}

int TTaskInfoList::IndexOf(const std::string& caption) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (SameText(entries_[i].Caption, caption)) return static_cast<int>(i);
    return -1;
}

std::vector<TTaskInfoList::Entry> TTaskInfoList::EditorTypes(bool middleTask) const {
    if (!middleTask || entries_.size() < 2) return entries_;
    std::vector<Entry> middle;
    for (const Entry& e : entries_)
        if (e.Info.ClassName != "TLoadFromFile" && e.Info.ClassName != "TSaveToFile") middle.push_back(e);
    return middle;
}

}  // namespace pm
