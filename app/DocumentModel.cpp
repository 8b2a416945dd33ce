#include "app/DocumentModel.h"

#include "log/WriteLog.h"

#include <exception>

namespace pm {

TDocumentModel::TDocumentModel(const TDocumentKind& kind, IDialogs& dialogs, IMainView& view)
    : dialogs_(dialogs), view_(view), kind_(kind) {}

bool TDocumentModel::CreateNewAllowed(const std::string& question) {
    if (!OpenFlag()) return true;
    if (!dialogs_.Confirm(std::string("Some ") + kind_.Name + " already opened.\r\n" + question,
                          "Confirmation", TMsgIcon::Question, false))
        return false;
    LogNew(lmInfo, {{kind_.Log.Closing, LogTextColor}});
    Clear();
    OpenFlag() = false;
    if (kind_.Log.OkOnNewLine)
        LogNew(lmInfo, {{"Ok", LogDoneColor}});
    else
        LogAppend(lmInfo, {{"Ok", LogDoneColor}});
    view_.UpdateMenus();
    if ((view_.*kind_.OtherPage.IsOpen)())
        (view_.*kind_.OtherPage.Show)();
    else
        view_.HidePageArea();
    return true;
}

void TDocumentModel::SaveClick() {
    if (!FileName().empty())
        Save();
    else
        SaveAsClick();
}

void TDocumentModel::SaveAsClick() {
    LogNew(lmInfo, {{std::string("Saving ") + kind_.Name + " as ...", LogTextColor}});
    std::optional<std::string> file = dialogs_.SaveFile(std::string("Enter ") + kind_.Name + " filename ...",
                                                        ProgramDir, kind_.File.Filter, kind_.File.DefaultExt);
    if (!file) {
        LogAppend(lmWarning, {{"Abort!", LogErrorColor}});
        return;
    }
    FileName() = *file;
    Save();
}

std::optional<std::string> TDocumentModel::ChooseFileToOpen() {
    LogNew(lmInfo, {{kind_.Log.Opening, LogTextColor}});
    std::optional<std::string> file = dialogs_.OpenFile(std::string("Select ") + kind_.Name + " filename ...",
                                                        InitialDir, kind_.File.Filter, kind_.File.DefaultExt);
    if (!file) LogAppend(lmWarning, {{"Abort!", LogErrorColor}});
    return file;
}

bool TDocumentModel::RemoveAllLogged(const std::function<void()>& removeAll) {
    LogNew(lmInfo, {{std::string("Clearing the \"") + kind_.Name + "\" resources ...", LogTextColor}});
    try {
        removeAll();
    } catch (const std::exception&) {
        LogError("Can't clear resources");
        return false;
    }
    return true;
}

}  // namespace pm
