#pragma once
// What the scenario and the project model share: the question before an open
// document is replaced or closed, asking for the file to open, save and save
// as, and clearing the document's entries.
#include "app/Dialogs.h"
#include "app/MainView.h"

#include <functional>
#include <optional>
#include <string>

namespace pm {

// The texts of one kind of document and the main window's other page.
struct TDocumentKind {
    const char* Name;  // as questions, file dialogs and the clearing line name it
    struct {
        const char* Closing;  // before the open document is cleared
        const char* Opening;  // before the file to open is asked for
        bool OkOnNewLine;     // whether "Ok" after closing starts a line
    } Log;
    struct {
        const char* Filter;
        const char* DefaultExt;
    } File;
    // The other document's page, shown after a close when that one is open.
    struct {
        bool (IMainView::*IsOpen)() const;
        void (IMainView::*Show)();
    } OtherPage;
};

class TDocumentModel {
public:
    virtual ~TDocumentModel() = default;
    TDocumentModel(const TDocumentModel&) = delete;
    TDocumentModel& operator=(const TDocumentModel&) = delete;

    // Remembered last directory ("InitialDir") and the program directory.
    std::string InitialDir;
    std::string ProgramDir;

    // True when nothing is open, or when the user agrees to close the open
    // document (which is then closed).
    bool CreateNewAllowed(const std::string& question);
    // Saves to the document's file, or asks for one first (save as).
    void SaveClick();
    void SaveAsClick();

protected:
    TDocumentModel(const TDocumentKind& kind, IDialogs& dialogs, IMainView& view);
    // Logs the opening and asks for the file; nothing (logged) when cancelled.
    std::optional<std::string> ChooseFileToOpen();
    // Logs the clearing and runs removeAll; false (logged) when it failed.
    bool RemoveAllLogged(const std::function<void()>& removeAll);

    IDialogs& dialogs_;
    IMainView& view_;

private:
    virtual bool& OpenFlag() = 0;
    virtual std::string& FileName() = 0;
    virtual void Clear() = 0;
    virtual void Save() = 0;

    const TDocumentKind& kind_;
};

}  // namespace pm
