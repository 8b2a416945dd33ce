#pragma once
// File and folder dialogs and message boxes as the user should meet them:
// at a useful size, centred on the window that asked, nothing cut off.
#include <QSize>
#include <QString>

class QFileDialog;
class QMessageBox;
class QWidget;

namespace pm {

// The size a file or folder dialog opens with: the name, size, type and
// date columns side by side, within the screen of `over`.
QSize FileDialogSize(const QWidget* over);

// Moves `dialog` (already sized) so that it is centred on the window of
// `over`, or on the screen without one, and kept on that screen.
void CentreOn(QWidget* dialog, const QWidget* over);

// Sizes, places and lays out the columns of a file dialog before it runs.
void PrepareFileDialog(QFileDialog& dialog, const QWidget* over);

// The width a title bar needs for `caption` with the window's icon and
// its buttons beside it.
int CaptionWidth(const QWidget* window, const QString& caption);
// Widens a message box so that its caption is not cut in its title bar.
void FitCaption(QMessageBox& box);

}  // namespace pm
