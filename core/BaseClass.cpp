#include "core/BaseClass.h"

#include "core/EditorPage.h"
#include "core/StringUtils.h"
#include "log/WriteLog.h"

namespace pm {

TBaseClass::TBaseClass(TRunContext* context) : context_(context) {}

TBaseClass::~TBaseClass() = default;

void TBaseClass::ResetBitmaps() {
    SrcBitmap = TBitmap();
    DstBitmap = TBitmap();
}

TINIObject& TBaseClass::SaveSettings(const std::string& taskName) {
    settingsStore_.ClearList();
    settingsStore_.AddHeader(taskName, classInfo_.ClassName);
    for (const TSetting& s : settings_) s.Value->SaveTo(settingsStore_);
    return settingsStore_;
}

void TBaseClass::LoadSettings(const TINIObject& ini) {
    for (const TSetting& s : settings_) s.Value->LoadFrom(ini);
}

void TBaseClass::PrepareEditor(IEditorPage&) {}

void TBaseClass::ShowSettings(IEditorPage& page, TValueSlot slot) {
    for (const TSetting& s : settings_)
        if (!s.Widget.empty()) s.Value->Show(page, s.Widget, slot);
}

void TBaseClass::ReadSettings(IEditorPage& page, TValueSlot slot) {
    for (const TSetting& s : settings_)
        if (!s.Widget.empty()) s.Value->Read(page, s.Widget, slot);
}

bool TBaseClass::Execute(TValueSlot) {
    LogError("Task type \"" + classInfo_.ClassName + "\" is not available in this build!");
    return false;
}

bool TBaseClass::SettingsChanged(IEditorPage& page) {
    ReadSettings(page, vsEdited);
    bool changed = false;
    for (const TSetting& s : settings_) changed = s.Value->Changed() || changed;
    return changed;
}

int TBaseClass::InputShrinkDivisor(TValueSlot, int, int) const {
    return 1;
}

TKX_ValueBase* TBaseClass::FindSetting(const std::string& key) const {
    for (const TSetting& s : settings_)
        if (SameText(s.Value->Name, key)) return s.Value.get();
    return nullptr;
}

const TKX_ValueBase* TBaseClass::SettingOfWidget(const std::string& widget) const {
    for (const TSetting& s : settings_)
        if (!widget.empty() && s.Widget == widget) return s.Value.get();
    return nullptr;
}

}  // namespace pm
