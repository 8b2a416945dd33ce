#include "ui/QtDialogs.h"

#include "ui/ControlDialogs.h"
#include "ui/DialogPlacement.h"

#include <QFileDialog>
#include <QMessageBox>

namespace pm {

namespace {

QMessageBox::Icon ToQtIcon(TMsgIcon icon) {
    switch (icon) {
    case TMsgIcon::Question:
        return QMessageBox::Question;
    case TMsgIcon::Warning:
        return QMessageBox::Warning;
    case TMsgIcon::Error:
        return QMessageBox::Critical;
    case TMsgIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

QString QtSuffix(const std::string& defaultExt) {
    QString s = QString::fromStdString(defaultExt);
    return s.startsWith(QLatin1Char('.')) ? s.mid(1) : s;
}

std::optional<std::string> RunFileDialog(QFileDialog& dialog, const QWidget* over) {
    PrepareFileDialog(dialog, over);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

}  // namespace

QString MessageText(const std::string& text) {
    QString t = QString::fromStdString(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t;
}

bool TQtDialogs::Confirm(const std::string& text, const std::string& caption, TMsgIcon icon,
                         bool defaultYes) {
    QMessageBox box(ToQtIcon(icon), QString::fromStdString(caption), MessageText(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    box.setWindowModality(Qt::ApplicationModal);
    FitCaption(box);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> TQtDialogs::OpenFile(const std::string& title, const std::string& initialDir,
                                                const std::string& filter, const std::string& defaultExt) {
    QFileDialog dialog(parent_, QString::fromStdString(title), QString::fromStdString(initialDir));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(PipeFilterToQt(QString::fromStdString(filter)));
    dialog.setDefaultSuffix(QtSuffix(defaultExt));
    return RunFileDialog(dialog, parent_);
}

std::optional<std::string> TQtDialogs::SaveFile(const std::string& title, const std::string& initialDir,
                                                const std::string& filter, const std::string& defaultExt) {
    QFileDialog dialog(parent_, QString::fromStdString(title), QString::fromStdString(initialDir));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(PipeFilterToQt(QString::fromStdString(filter)));
    dialog.setDefaultSuffix(QtSuffix(defaultExt));
    return RunFileDialog(dialog, parent_);
}

void TQtDialogs::ShowMessage(const std::string& text, const std::string& caption, TMsgIcon icon) {
    QMessageBox box(ToQtIcon(icon), QString::fromStdString(caption), MessageText(text), QMessageBox::Ok,
                    parent_);
    box.setWindowModality(Qt::ApplicationModal);
    FitCaption(box);
    box.exec();
}

}  // namespace pm
