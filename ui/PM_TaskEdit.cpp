#include "ui/PM_TaskEdit.h"

#include "core/StringUtils.h"
#include "tasks/PM__TLoadFromFile.h"
#include "ui/KX_Button.h"
#include "ui/KX_Edit.h"
#include "ui/TaskEditPages.h"
#include "ui/UiScale.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace pm {

const std::array<QString, 2> TPM_TaskEditForm::kConfirmCaptions = {QStringLiteral("Create task"),
                                                                   QStringLiteral("Save settings")};

TPM_TaskEditForm::TPM_TaskEditForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), page_(this) {
    setObjectName(QStringLiteral("PM_TaskEdit"));
    setWindowTitle(QStringLiteral("Task setting"));
    // Shown beside the main window without taking the activation from it.
    setAttribute(Qt::WA_ShowWithoutActivating);

    auto* layout = new QVBoxLayout(this);
    const int m = ScaledPx(this, 6);
    layout->setContentsMargins(m, m, m, m);
    layout->setSpacing(ScaledPx(this, 4));
    BuildTaskGroup();
    layout->addWidget(GroupBox1);

    GroupBox2 = new QGroupBox(QStringLiteral(" Settings "), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* settings = new QVBoxLayout(GroupBox2);
    settings->setContentsMargins(ScaledPx(this, 2), ScaledPx(this, 2), ScaledPx(this, 2), ScaledPx(this, 2));
    Main_NB = BuildTaskPages(GroupBox2);
    settings->addWidget(Main_NB);
    layout->addWidget(GroupBox2, 1);

    BuildButtons();
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(ScaledPx(this, 4));
    for (TKX_Button* b : {DefaultBtn, ApplyEffect_B, btn1, btn2}) buttons->addWidget(b);
    layout->addLayout(buttons);

    ConnectPageRelays();
    // Never narrower than the widest page needs (measured while every part
    // is shown): a squeezed page cuts its labels.
    width_ = std::max(ScaledPx(this, kClientWidth), minimumSizeHint().width());
    move(310, 20);
    SetWindowHeight(kExistingTaskHeight);
}

void TPM_TaskEditForm::BuildTaskGroup() {
    GroupBox1 = new QGroupBox(QStringLiteral(" Task "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(GroupBox1);
    grid->setContentsMargins(ScaledPx(this, 6), ScaledPx(this, 2), ScaledPx(this, 6), ScaledPx(this, 4));
    grid->setVerticalSpacing(ScaledPx(this, 3));

    TaskTypeCB = new QComboBox(GroupBox1);
    TaskTypeCB->setObjectName(QStringLiteral("TaskTypeCB"));
    TaskTypeCB->installEventFilter(this);
    auto* typeLabel = new QLabel(QStringLiteral("Type"), GroupBox1);
    typeLabel->setBuddy(TaskTypeCB);

    TaskName = new TKX_Edit(GroupBox1);
    TaskName->setObjectName(QStringLiteral("TaskName"));
    TaskName->SetEditType(etString);
    TaskName->setMaxLength(100);
    auto* nameLabel = new QLabel(QStringLiteral("Name"), GroupBox1);
    nameLabel->setBuddy(TaskName);

    grid->addWidget(typeLabel, 0, 0);
    grid->addWidget(TaskTypeCB, 0, 1);
    grid->addWidget(nameLabel, 1, 0);
    grid->addWidget(TaskName, 1, 1);
    grid->setColumnStretch(1, 1);

    connect(TaskTypeCB, &QComboBox::activated, this, [this] { emit TaskTypeChosen(); });
    connect(TaskName, &QLineEdit::textChanged, this, &TPM_TaskEditForm::TaskNameChange);
    // A blank name may not be left.
    TaskName->OnValidate = [this](TKX_Edit&, bool& valid) {
        if (NameBlank()) valid = false;
    };
}

void TPM_TaskEditForm::BuildButtons() {
    DefaultBtn = new TKX_Button(QStringLiteral("Default settings"), this);
    DefaultBtn->setObjectName(QStringLiteral("DefaultBtn"));
    DefaultBtn->setToolTip(QStringLiteral("Restore original default settings for current \"task\""));
    ApplyEffect_B = new TKX_Button(QStringLiteral("Test settings"), this);
    ApplyEffect_B->setObjectName(QStringLiteral("ApplyEffect_B"));
    ApplyEffect_B->setToolTip(QStringLiteral("Execute test for current \"task\" settings"));
    ApplyEffect_B->setEnabled(false);
    btn1 = new TKX_Button(kConfirmCaptions[kCreateTask], this);
    btn1->setObjectName(QStringLiteral("btn1"));
    btn1->setEnabled(false);
    btn2 = new TKX_Button(QStringLiteral("Cancel"), this);
    btn2->setObjectName(QStringLiteral("btn2"));

    connect(DefaultBtn, &QPushButton::clicked, this, [this] { emit DefaultRequested(); });
    connect(ApplyEffect_B, &QPushButton::clicked, this, [this] { emit TestRequested(); });
    connect(btn1, &QPushButton::clicked, this, [this] { emit ConfirmRequested(); });
    connect(btn2, &QPushButton::clicked, this, [this] { emit CancelRequested(); });
}

void TPM_TaskEditForm::ConnectPageRelays() {
    for (const char* name : {"SetAll", "ClearAll", "InvertAll"}) {
        auto* button = findChild<QPushButton*>(QString::fromLatin1(name));
        const int tag = button->property("Tag").toInt();
        connect(button, &QPushButton::clicked, this, [this, tag] { SelectClearInvertClick(tag); });
    }
    auto* list = findChild<QTreeWidget*>(QStringLiteral("FileType_LV"));
    // A tick set by mouse or keyboard arrives as a change of the row.
    connect(list, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem*, int column) {
        if (column == 0) FileType_LVClick();
    });
    connect(findChild<QComboBox*>(QStringLiteral("stfFormat")), &QComboBox::currentIndexChanged, this,
            &TPM_TaskEditForm::stfFormatChange);
    connect(findChild<QComboBox*>(QStringLiteral("RC_Method")), &QComboBox::currentIndexChanged, this,
            &TPM_TaskEditForm::RC_MethodChange);
}

void TPM_TaskEditForm::SelectClearInvertClick(int tag) {
    // Ticking rows one by one would re-check the list twenty times.
    auto* list = findChild<QTreeWidget*>(QStringLiteral("FileType_LV"));
    {
        const QSignalBlocker block(list);
        TLoadFromFile::SelectClearInvert(page_, tag);
    }
    list->viewport()->update();
}

void TPM_TaskEditForm::FileType_LVClick() {
    TLoadFromFile::CheckListState(page_);
}

void TPM_TaskEditForm::stfFormatChange(int index) {
    page_.SetPageIndex("stfOutputFormat", index);
}

void TPM_TaskEditForm::RC_MethodChange(int index) {
    page_.SetPageIndex("RC_NB", index);
}

bool TPM_TaskEditForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TaskTypeCB && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            emit ConfirmRequested();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TPM_TaskEditForm::closeEvent(QCloseEvent* event) {
    emit CloseRequested();
    QWidget::closeEvent(event);
}

void TPM_TaskEditForm::FillTypes(const std::vector<TTaskInfoList::Entry>& types) {
    types_ = types;
    const QSignalBlocker block(TaskTypeCB);
    TaskTypeCB->clear();
    for (const TTaskInfoList::Entry& e : types_) TaskTypeCB->addItem(QString::fromStdString(e.Caption));
    TaskTypeCB->setCurrentIndex(-1);
}

const TTaskInfoList::Entry* TPM_TaskEditForm::SelectedType() const {
    const int i = TaskTypeCB->currentIndex();
    if (i < 0 || i >= int(types_.size())) return nullptr;
    return &types_[std::size_t(i)];
}

bool TPM_TaskEditForm::SelectTypeCaption(const std::string& caption) {
    const QSignalBlocker block(TaskTypeCB);
    for (std::size_t i = 0; i < types_.size(); ++i)
        if (SameText(types_[i].Caption, caption)) {
            TaskTypeCB->setCurrentIndex(int(i));
            return true;
        }
    TaskTypeCB->setCurrentIndex(-1);
    return false;
}

void TPM_TaskEditForm::ShowPage(int pageIndex) {
    if (pageIndex >= 0 && pageIndex < Main_NB->count()) Main_NB->setCurrentIndex(pageIndex);
}

std::string TPM_TaskEditForm::EditedName() const {
    return TaskName->text().toStdString();
}

void TPM_TaskEditForm::SetEditedName(const std::string& name) {
    TaskName->setText(QString::fromStdString(name));
}

bool TPM_TaskEditForm::NameBlank() const {
    return TaskName->text().trimmed().isEmpty();
}

void TPM_TaskEditForm::TaskNameChange() {
    btn1->setEnabled(!NameBlank());
}

void TPM_TaskEditForm::SetConfirmCaption(int which) {
    btn1->setText(kConfirmCaptions[std::size_t(which)]);
}

void TPM_TaskEditForm::SetWindowHeight(int height) {
    setFixedSize(width_, ScaledPx(this, height));
}

void TPM_TaskEditForm::UpdateEditorCaption(const std::string* taskName) {
    setWindowTitle(taskName ? QStringLiteral("Task setting [ %1 ]").arg(QString::fromStdString(*taskName))
                            : QStringLiteral("Task setting"));
}

void TPM_TaskEditForm::ApplyColorFormat(TColorFormat format) {
    for (TKX_ColorComboBox* combo : findChildren<TKX_ColorComboBox*>()) combo->SetColorFormat(format);
}

}  // namespace pm
