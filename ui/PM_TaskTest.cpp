#include "ui/PM_TaskTest.h"

#include "core/Paths.h"
#include "imaging/Bitmap.h"
#include "ui/KX_FileDirComboBox.h"
#include "ui/KX_ImageFrame.h"
#include "ui/KX_ImageListView.h"
#include "ui/UiScale.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace pm {

TPM_TaskTestForm::TPM_TaskTestForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("PM_TaskTest"));
    setWindowTitle(QStringLiteral("Task test"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    BuildLayout();
    move(20, 340);
    // The frames keep their 120 pixels; the rest grows with the font.
    setFixedSize(ScaledPx(this, kClientWidth), std::max(ScaledPx(this, kClientHeight),
                                                        kFrameSize + ShowBeforeCB->sizeHint().height() + 12));
}

void TPM_TaskTestForm::BuildLayout() {
    TestDir = new TKX_FileDirComboBox(this);
    TestDir->setObjectName(QStringLiteral("TestDir"));
    TestDir->SetObjectType(otDirectory);
    TestDir->SetButtonCaption(QStringLiteral("Browse"));
    TestDir->SetObjectCommentText(QStringLiteral("Select directory with the test images ..."));

    TestFilesList = new TKX_ImageListView(this);
    TestFilesList->setObjectName(QStringLiteral("TestFilesList"));
    TestFilesList->horizontalHeaderItem(TKX_ImageListView::colTime)->setText(QStringLiteral("Tasks time"));
    TestFilesList->installEventFilter(this);

    ShowBeforeCB = new QCheckBox(QStringLiteral("Source image"), this);
    ShowBeforeCB->setObjectName(QStringLiteral("ShowBeforeCB"));
    ShowBeforeCB->setChecked(true);
    ShowAfterCB = new QCheckBox(QStringLiteral("Result image"), this);
    ShowAfterCB->setObjectName(QStringLiteral("ShowAfterCB"));
    ShowAfterCB->setChecked(true);

    SrcImageFrame = new TKX_ImageFrame(this);
    SrcImageFrame->setObjectName(QStringLiteral("SrcImageFrame"));
    DstImageFrame = new TKX_ImageFrame(this);
    DstImageFrame->setObjectName(QStringLiteral("DstImageFrame"));
    for (TKX_ImageFrame* f : {SrcImageFrame, DstImageFrame}) {
        f->setFixedSize(kFrameSize, kFrameSize);
        // A frame switched off keeps its place, so the list and the check
        // boxes stay where the user clicked.
        QSizePolicy policy = f->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        f->setSizePolicy(policy);
    }
    SrcImageFrame->SetSynchronizeImageFrame(DstImageFrame);
    DstImageFrame->SetSynchronizeImageFrame(SrcImageFrame);

    auto* grid = new QGridLayout(this);
    const int m = ScaledPx(this, 4);
    grid->setContentsMargins(m, m, m, m);
    grid->setHorizontalSpacing(ScaledPx(this, 6));
    grid->setVerticalSpacing(ScaledPx(this, 2));
    grid->addWidget(TestDir, 0, 0);
    grid->addWidget(TestFilesList, 1, 0);
    grid->addWidget(ShowBeforeCB, 0, 1);
    grid->addWidget(SrcImageFrame, 1, 1, Qt::AlignTop);
    grid->addWidget(ShowAfterCB, 0, 2);
    grid->addWidget(DstImageFrame, 1, 2, Qt::AlignTop);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(1, 1);

    connect(TestDir, &TKX_FileDirComboBox::Change, this, &TPM_TaskTestForm::TestDirChange);
    connect(TestFilesList, &QTableWidget::cellClicked, this, [this] { emit TestRequested(); });
    connect(TestFilesList, &QTableWidget::cellDoubleClicked, this, [this] { emit TestRequested(); });
    connect(ShowBeforeCB, &QCheckBox::toggled, SrcImageFrame, &QWidget::setVisible);
    connect(ShowAfterCB, &QCheckBox::toggled, this, [this](bool on) {
        DstImageFrame->setVisible(on);
        if (on) DstImageFrame->update();
    });
}

void TPM_TaskTestForm::Initialize(const QString& testDirectory, bool synchronize) {
    TestDir->SetObjectCurrentPath(testDirectory);
    SetSynchronize(synchronize);
    UpdateTestCaption(nullptr);
    FillTestFiles(TestDir->ObjectCurrentPath());
}

void TPM_TaskTestForm::UpdateTestCaption(const std::string* taskName) {
    setWindowTitle(taskName ? QStringLiteral("Task test [ %1 ]").arg(QString::fromStdString(*taskName))
                            : QStringLiteral("Task test"));
}

void TPM_TaskTestForm::TestDirChange() {
    QString path = TestDir->ObjectCurrentPath();
    if (!path.isEmpty() && !path.endsWith(QLatin1Char(kPathSeparator))) path += QLatin1Char(kPathSeparator);
    const bool reload = path != testDirectory_;
    if (reload) FillTestFiles(path);
    emit TestDirChanged(reload);
}

void TPM_TaskTestForm::FillTestFiles(const QString& directory) {
    if (DirectoryExists(directory.toStdString())) {
        TestFilesList->FillFromDirectory(directory);
        if (TestFilesList->rowCount() > 0) TestFilesList->SetItemIndex(0);
    } else if (TestFilesList->rowCount() > 0) {
        TestFilesList->setRowCount(0);
        ClearSource();
        ClearResult();
    }
    testDirectory_ = directory;
}

int TPM_TaskTestForm::SelectedRow() const {
    const QModelIndexList rows = TestFilesList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QString TPM_TaskTestForm::SelectedTestFile() {
    QItemSelectionModel* sel = TestFilesList->selectionModel();
    int selected = SelectedRow();
    const int focused = TestFilesList->currentRow();
    if (selected < 0 && focused < 0) return {};
    if (focused < 0)
        sel->setCurrentIndex(TestFilesList->model()->index(selected, 0), QItemSelectionModel::NoUpdate);
    if (selected < 0) {
        TestFilesList->selectRow(focused);
        selected = focused;
    }
    QString dir = testDirectory_;
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char(kPathSeparator))) dir += QLatin1Char(kPathSeparator);
    return dir + TestFilesList->FileName(selected);
}

void TPM_TaskTestForm::SetRowCell(int row, int column, const QString& text) {
    if (row >= 0 && row < TestFilesList->rowCount()) TestFilesList->SetCellText(row, column, text);
}

void TPM_TaskTestForm::SetSynchronize(bool on) {
    SrcImageFrame->SetDoSynchronize(on);
    DstImageFrame->SetDoSynchronize(on);
}

void TPM_TaskTestForm::AlignResultFrame() {
    if (!SrcImageFrame->DoSynchronize() || !DstImageFrame->DoSynchronize()) return;
    if (!SrcImageFrame->HasImage() || !DstImageFrame->HasImage() || !SrcImageFrame->SynchronizeAllowed())
        return;
    // The source frame hands its zoom, visible part and centre to its partner.
    SrcImageFrame->SyncPartner();
}

void TPM_TaskTestForm::ShowSource(const TBitmap& bitmap) {
    SrcImageFrame->AssignImage(&bitmap);
    SrcImageFrame->Redraw();
}

void TPM_TaskTestForm::ClearSource() {
    SrcImageFrame->AssignImage(static_cast<const TBitmap*>(nullptr));
    SrcImageFrame->ClearView();
}

void TPM_TaskTestForm::ShowResult(const TBitmap& bitmap) {
    DstImageFrame->AssignImage(&bitmap);
    AlignResultFrame();
    DstImageFrame->Redraw();
}

void TPM_TaskTestForm::ClearResult() {
    DstImageFrame->AssignImage(static_cast<const TBitmap*>(nullptr));
    DstImageFrame->ClearView();
}

bool TPM_TaskTestForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TestFilesList) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                emit EnterPressed();
                return true;
            }
        } else if (event->type() == QEvent::KeyRelease) {
            if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) emit KeyReleased();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TPM_TaskTestForm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // A spontaneous hide is the window manager minimising the program.
    if (!event->spontaneous()) emit Hidden();
}

}  // namespace pm
