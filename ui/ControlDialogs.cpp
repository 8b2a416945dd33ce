#include "ui/ControlDialogs.h"

#include "ui/DialogPlacement.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace pm {

namespace {

class TQtControlDialogs final : public IControlDialogs {
public:
    std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) override {
        QColor c = QColorDialog::getColor(initial, parent);
        if (!c.isValid()) return std::nullopt;
        return c;
    }

    QString ChooseDirectory(QWidget* parent, const QString& title, const QString& start) override {
        QFileDialog dialog(parent, title, start);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        PrepareFileDialog(dialog, parent);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().first();
    }

    QString ChooseOpenFile(QWidget* parent, const QString& title, const QString& startPath,
                           const QString& filter, int filterIndex) override {
        QFileDialog dialog(parent, title, startPath);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        const QStringList filters = PipeFilterToQt(filter);
        dialog.setNameFilters(filters);
        if (filterIndex >= 1 && filterIndex <= filters.size())
            dialog.selectNameFilter(filters[filterIndex - 1]);
        PrepareFileDialog(dialog, parent);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().first();
    }

    QString ChooseSaveFile(QWidget* parent, const QString& title, const QString& filter,
                           const QString& defaultSuffix) override {
        QFileDialog dialog(parent, title);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters(PipeFilterToQt(filter));
        dialog.setDefaultSuffix(defaultSuffix);
        PrepareFileDialog(dialog, parent);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().first();
    }

    void ShowError(QWidget* parent, const QString& caption, const QString& text) override {
        QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
        FitCaption(box);
        box.exec();
    }
};

TQtControlDialogs g_qtDialogs;
IControlDialogs* g_dialogs = nullptr;

}  // namespace

IControlDialogs& ControlDialogs() {
    return g_dialogs ? *g_dialogs : g_qtDialogs;
}

void SetControlDialogs(IControlDialogs* dialogs) {
    g_dialogs = dialogs;
}

QStringList PipeFilterToQt(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString text = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) p = p.trimmed();
        patterns.removeAll(QString());
        // Qt reads the patterns from the last parentheses of the text.
        if (text.endsWith(QLatin1Char(')')) && text.contains(QLatin1Char('(')))
            text = text.left(text.lastIndexOf(QLatin1Char('('))).trimmed();
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        result << QStringLiteral("%1 (%2)").arg(text, patterns.join(QLatin1Char(' ')));
    }
    if (result.isEmpty() && !filter.isEmpty()) result << filter;
    return result;
}

}  // namespace pm
