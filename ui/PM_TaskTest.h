#pragma once
// The task test window: the image files of a test folder, and the picture
// before and after the test in two frames that follow each other's zoom and
// panning while their pictures have the same size. Running the tests is
// TPM_TaskWindows' business; this window lists, shows and reports requests.
#include <QString>
#include <QWidget>

class QCheckBox;

namespace pm {

class TBitmap;
class TKX_FileDirComboBox;
class TKX_ImageFrame;
class TKX_ImageListView;

class TPM_TaskTestForm : public QWidget {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 662;
    static constexpr int kClientHeight = 146;
    static constexpr int kFrameSize = 120;

    explicit TPM_TaskTestForm(QWidget* parent = nullptr);

    TKX_FileDirComboBox* TestDir;
    TKX_ImageListView* TestFilesList;
    QCheckBox* ShowBeforeCB;
    QCheckBox* ShowAfterCB;
    TKX_ImageFrame* SrcImageFrame;
    TKX_ImageFrame* DstImageFrame;

    // Start-up: the stored test folder, the synchronisation switch, the
    // caption and the file list.
    void Initialize(const QString& testDirectory, bool synchronize);

    // "Task test [ name ]", or "Task test" without a task.
    void UpdateTestCaption(const std::string* taskName);
    // The folder whose files are listed (ends with the separator once set).
    QString TestDirectory() const { return testDirectory_; }
    // Lists the image files of `directory` and selects the first; a missing
    // folder empties the list and both frames. Stores the folder.
    void FillTestFiles(const QString& directory);
    // The full path of the selected file, or empty.
    QString SelectedTestFile();
    // The row of the selected file, -1 when none.
    int SelectedRow() const;
    void SetRowCell(int row, int column, const QString& text);

    void SetSynchronize(bool on);
    // When both frames synchronise and hold pictures of equal size, the
    // result frame takes the source frame's zoom and visible part.
    void AlignResultFrame();
    void ShowSource(const TBitmap& bitmap);
    void ClearSource();
    void ShowResult(const TBitmap& bitmap);
    void ClearResult();

signals:
    // The test folder field changed; `reloaded` when the list was filled anew.
    void TestDirChanged(bool reloaded);
    // Click or double click on a file.
    void TestRequested();
    // Enter pressed in the list / any key released in it.
    void EnterPressed();
    void KeyReleased();
    // The window was hidden: closed by the window manager or hidden by
    // the program (not minimised with the main window).
    void Hidden();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void TestDirChange();
    void BuildLayout();

    QString testDirectory_;
};

}  // namespace pm
