#include "ui/DialogPlacement.h"

#include "ui/UiScale.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <QTreeView>
#include <algorithm>

namespace pm {

namespace {

QScreen* ScreenOf(const QWidget* over) {
    if (over && over->window()->screen()) return over->window()->screen();
    return QGuiApplication::primaryScreen();
}

QRect Available(const QWidget* over) {
    QScreen* screen = ScreenOf(over);
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

QSize FileDialogSize(const QWidget* over) {
    const QRect screen = Available(over);
    const QSize wanted(ScaledPx(over, 760), ScaledPx(over, 480));
    return wanted.boundedTo(screen.size() * 9 / 10);
}

void CentreOn(QWidget* dialog, const QWidget* over) {
    const QRect screen = Available(over);
    const QWidget* window = over ? over->window() : nullptr;
    const QPoint centre = window && window->isVisible() ? window->frameGeometry().center() : screen.center();
    QRect rect(QPoint(0, 0), dialog->size());
    rect.moveCenter(centre);
    // Keep the whole dialog (and its title bar) on the screen.
    rect.moveLeft(
        std::clamp(rect.left(), screen.left(), std::max(screen.left(), screen.right() - rect.width())));
    rect.moveTop(
        std::clamp(rect.top(), screen.top(), std::max(screen.top(), screen.bottom() - rect.height())));
    dialog->move(rect.topLeft());
}

void PrepareFileDialog(QFileDialog& dialog, const QWidget* over) {
    dialog.setSizeGripEnabled(true);
    dialog.resize(FileDialogSize(over));
    CentreOn(&dialog, over);
    // The detail view: size, type and date as wide as what they show (the
    // type can be a long description), the name takes what is left.
    if (auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = view->header();
        header->setStretchLastSection(false);
        for (int i = 1; i < header->count(); ++i)
            header->setSectionResizeMode(i, QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

int CaptionWidth(const QWidget* window, const QString& caption) {
    // Title bars use a bold face of about the desktop font and put the
    // window's icon and up to three buttons, each about a line high, and
    // their margins beside the caption: six lines leave room for them.
    QFont font = window ? window->font() : QApplication::font();
    font.setBold(true);
    const QFontMetrics fm(font);
    return fm.horizontalAdvance(caption) + 6 * (fm.height() + 4);
}

void FitCaption(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    // A message box fixes its own width from its layout: a spacer across
    // the bottom row is the way to widen it.
    grid->addItem(
        new QSpacerItem(CaptionWidth(&box, box.windowTitle()), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
        grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace pm
