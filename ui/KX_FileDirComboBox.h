#pragma once
// A path field with a history list and a browse button, for a file or a
// folder. Folders always end with the path separator.
#include "ui/KX_Button.h"

#include <QComboBox>
#include <QWidget>

namespace pm {

enum TObjectType { otFile = 0, otDirectory = 1 };

// The editable history list; Enter in it is reported, not swallowed.
class TBrowseComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit TBrowseComboBox(QWidget* parent = nullptr);

signals:
    void EnterPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class TBrowseButton : public TKX_Button {
    Q_OBJECT

public:
    using TKX_Button::TKX_Button;
};

class TKX_FileDirComboBox : public QWidget {
    Q_OBJECT

public:
    explicit TKX_FileDirComboBox(QWidget* parent = nullptr);

    TObjectType ObjectType() const { return objectType_; }
    void SetObjectType(TObjectType type) { objectType_ = type; }
    // The current valid path; empty when the last path given was invalid.
    QString ObjectCurrentPath() const { return currentPath_; }
    // Takes `path` through the history: a valid path is selected (and added
    // on top when new), an invalid one clears the current path. Returns
    // whether it was valid.
    bool SetObjectCurrentPath(const QString& path);
    bool PathValid() const { return valid_; }

    QString ObjectCommentText() const { return commentText_; }
    void SetObjectCommentText(const QString& text) { commentText_ = text; }
    QString ObjectFilterText() const { return filterText_; }
    void SetObjectFilterText(const QString& text) { filterText_ = text; }
    int FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int index) { filterIndex_ = index; }
    QString ButtonCaption() const;
    void SetButtonCaption(const QString& caption);
    QString ComboBoxCaption() const;
    void SetComboBoxCaption(const QString& text);

    QStringList History() const;
    TBrowseComboBox* ComboBox() const { return combo_; }
    TBrowseButton* BrowseButton() const { return button_; }

    // What the browse button does: asks for a folder or a file and takes it.
    void Browse();

    QSize sizeHint() const override;

signals:
    // After every change of the path (typing, choosing, browsing).
    void Change();
    // Before the file open dialog is shown.
    void Click();
    // After a path was accepted by browsing or by Enter, unless invalid.
    void BrowseClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void TextEdited(const QString& text);
    void EntryChosen(int index);
    void EnterInList();
    int FindInHistory(const QString& path) const;
    // Selects `index` without disturbing what the user is typing.
    void SelectQuietly(int index, bool keepTypedText);
    bool TakePath(const QString& path, bool keepTypedText);
    void LayoutChildren();

    TBrowseComboBox* combo_;
    TBrowseButton* button_;
    TObjectType objectType_ = otFile;
    QString currentPath_;
    bool valid_ = false;
    QString commentText_, filterText_;
    int filterIndex_ = 1;
    bool quiet_ = false;
};

}  // namespace pm
