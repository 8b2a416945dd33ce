#pragma once
// The questions the controls put to the user (colour, folder and file
// choosers, error boxes) go through one replaceable object, so tests can
// answer them without a screen.
#include <QColor>
#include <QString>
#include <optional>

class QWidget;

namespace pm {

class IControlDialogs {
public:
    virtual ~IControlDialogs() = default;
    // The full colour dialog starting at `initial`; nullopt when cancelled.
    virtual std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) = 0;
    // A folder chooser; empty when cancelled.
    virtual QString ChooseDirectory(QWidget* parent, const QString& title, const QString& start) = 0;
    // An open dialog for an existing file; `filter` in the "Text|*.ext|..."
    // form, `filterIndex` counted from 1; empty when cancelled.
    virtual QString ChooseOpenFile(QWidget* parent, const QString& title, const QString& startPath,
                                   const QString& filter, int filterIndex) = 0;
    // A save dialog with overwrite prompt; `defaultSuffix` without the dot.
    virtual QString ChooseSaveFile(QWidget* parent, const QString& title, const QString& filter,
                                   const QString& defaultSuffix) = 0;
    // A modal box with an error icon.
    virtual void ShowError(QWidget* parent, const QString& caption, const QString& text) = 0;
};

// The object in use; the Qt dialogs unless another one was set.
IControlDialogs& ControlDialogs();
// Installs `dialogs` (not owned); nullptr goes back to the Qt dialogs.
void SetControlDialogs(IControlDialogs* dialogs);

// "Text|*.a;*.b|Text 2|*.c" as a Qt name filter list ("Text (*.a *.b)", ...).
QStringList PipeFilterToQt(const QString& filter);

}  // namespace pm
