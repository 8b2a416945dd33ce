// The test window: its file list, the two frames, and the tests it runs
// with the editor's settings or the scenario's.
#include "core/PM_Utils.h"
#include "support/PhotoJpeg.h"
#include "support/Pixels.h"
#include "support/RecordingConsole.h"
#include "support/TaskRig.h"
#include "support/TempDir.h"
#include "tasks/PM__TLoadFromFile.h"
#include "tasks/PM__TResizeBitmap.h"
#include "tasks/PM__TShadow.h"
#include "tasks/StandardClasses.h"
#include "ui/KX_Button.h"
#include "ui/KX_Edit.h"
#include "ui/KX_FileDirComboBox.h"
#include "ui/KX_ImageFrame.h"
#include "ui/KX_ImageListView.h"

#include <QCheckBox>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace pm;
using namespace pm::test;

namespace {

TBitmap Picture(int w, int h) {
    TFastDIB dib;
    dib.SetSize(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            dib.SetPixel(y, x, TColorTriple{std::uint8_t(x * 5), std::uint8_t(y * 7), 90});
    return TBitmap(std::move(dib));
}

bool IsTime(const QString& text) {
    return QRegularExpression("^\\d+ ms$").match(text).hasMatch();
}

QSize FrameImage(const TKX_ImageFrame* f) {
    return {f->SrcBitmap().Width(), f->SrcBitmap().Height()};
}

}  // namespace

class TestTaskTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { RegisterStandardClasses(); }

    void listsImageFilesOfTheFolder() {
        TTempDir dir;
        TTempDir::Write(dir.Path("b.JPG"), "x");
        TTempDir::Write(dir.Path("notes.txt"), "x");
        for (const char* name : {"c.heic", "d.HEIF", "e.avif", "f.WebP"})
            TTempDir::Write(dir.Path(name), "x");
        WriteTestImage(dir.Path("a.bmp"), 4, 4);
        TPM_TaskTestForm w;
        w.Initialize(QString::fromStdString(dir.Dir()), true);
        QCOMPARE(w.windowTitle(), QString("Task test"));
        QCOMPARE(w.TestFilesList->horizontalHeaderItem(TKX_ImageListView::colTime)->text(),
                 QString("Tasks time"));
        QCOMPARE(w.TestFilesList->rowCount(), 6);
        QCOMPARE(w.TestFilesList->FileName(0), QString("a.bmp"));
        QCOMPARE(w.TestFilesList->FileName(5), QString("f.WebP"));
        QCOMPARE(w.TestFilesList->CellText(0, TKX_ImageListView::colTime), QString("-"));
        QCOMPARE(w.SelectedTestFile(), QString::fromStdString(dir.Path("a.bmp")));
        QCOMPARE(w.TestDirectory(), QString::fromStdString(dir.Dir()));

        // A folder that is gone empties the list and both frames.
        w.ShowSource(Picture(8, 8));
        w.ShowResult(Picture(8, 8));
        w.FillTestFiles(QString::fromStdString(dir.Path("gone/")));
        QCOMPARE(w.TestFilesList->rowCount(), 0);
        QVERIFY(!w.SrcImageFrame->HasImage() && !w.DstImageFrame->HasImage());
        QCOMPARE(w.SelectedTestFile(), QString());
    }

    void sameFolderAgainOnlyTestsAgain() {
        TTempDir dir;
        WriteTestImage(dir.Path("a.bmp"), 4, 4);
        TPM_TaskTestForm w;
        w.Initialize(QString::fromStdString(dir.Dir()), true);
        QSignalSpy spy(&w, &TPM_TaskTestForm::TestDirChanged);
        w.TestDir->SetObjectCurrentPath(QString::fromStdString(dir.Dir()));
        emit w.TestDir->Change();
        w.TestDir->SetObjectCurrentPath(QString::fromStdString(dir.Path("gone")));
        emit w.TestDir->Change();
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy[0][0].toBool(), false);
        QCOMPARE(spy[1][0].toBool(), true);
        QCOMPARE(w.TestFilesList->rowCount(), 0);
    }

    void framesFollowOnlyForEqualSizes_data() {
        QTest::addColumn<int>("resultWidth");
        QTest::addColumn<bool>("sync");
        QTest::addColumn<bool>("follows");
        QTest::newRow("equal size") << 300 << true << true;
        QTest::newRow("other size") << 299 << true << false;
        QTest::newRow("switched off") << 300 << false << false;
    }
    void framesFollowOnlyForEqualSizes() {
        QFETCH(int, resultWidth);
        QFETCH(bool, sync);
        QFETCH(bool, follows);
        TPM_TaskTestForm w;
        w.SetSynchronize(sync);
        w.ShowSource(Picture(300, 200));
        w.SrcImageFrame->SetZoom(2.0);
        w.SrcImageFrame->Rebuild();
        w.SrcImageFrame->SetBitmapFrame(150, 90);
        w.ShowResult(Picture(resultWidth, 200));
        QCOMPARE(w.DstImageFrame->ZoomFactor(), follows ? 2.0 : 1.0);
        QCOMPARE(w.DstImageFrame->BitmapFrameX() == 150 && w.DstImageFrame->BitmapFrameY() == 90, follows);
    }

    void testModesShowTheResultAndTheTime() {
        TTaskRig b;
        b.ChooseTestPictures({{"photo.bmp", 120, 90}});
        b.NewScenario();
        b.SetTestMode(tmSingleTask);
        const int shadow = b.RowOfType("TShadow");
        b.Select(shadow);
        QVERIFY(b.tester.isVisible());
        QCOMPARE(b.tester.windowTitle(), QString("Task test [ Make border \"Shadow\" ]"));
        QVERIFY(b.form.FullTest->isEnabled());
        QCOMPARE(b.Cell(0, TKX_ImageListView::colWidth), QString("120"));
        QCOMPARE(b.Cell(0, TKX_ImageListView::colHeight), QString("90"));
        QCOMPARE(b.Cell(0, TKX_ImageListView::colColor), QString("24 bit"));
        QVERIFY(IsTime(b.Cell(0, TKX_ImageListView::colTime)));
        QCOMPARE(FrameImage(b.tester.SrcImageFrame), QSize(120, 90));
        QCOMPARE(FrameImage(b.tester.DstImageFrame), QSize(120, 90));

        // The whole middle of the scenario: the canvas task adds 10 pixels a side.
        b.SetTestMode(tmFullScenario);
        b.form.FullTestClick();
        QVERIFY(IsTime(b.Cell(0, TKX_ImageListView::colTime)));
        QCOMPARE(FrameImage(b.tester.DstImageFrame), QSize(140, 110));
        QCOMPARE(b.form.Context().CurrentTask, b.form.Scenario().Entries[std::size_t(shadow)]->Task.get());

        // The loaded file is not read again.
        std::remove(b.pictures.Path("photo.bmp").c_str());
        b.SetTestMode(tmSingleTask);
        b.form.FullTestClick();
        QVERIFY(IsTime(b.Cell(0, TKX_ImageListView::colTime)));

        b.SetTestMode(tmNone);
        b.form.FullTestClick();
        QCOMPARE(b.Cell(0, TKX_ImageListView::colTime), QString());
        QVERIFY(!b.tester.DstImageFrame->HasImage());
        QVERIFY(b.tester.SrcImageFrame->HasImage());

        // The first and the last task have no test window.
        b.Select(0);
        QVERIFY(b.tester.isHidden());
        QVERIFY(!b.form.FullTest->isEnabled());
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    void testSettingsUsesTheEditedValues() {
        TTaskRig b;
        b.ChooseTestPictures({{"photo.bmp", 120, 90}});
        b.NewScenario();
        const int row = b.RowOfType("TShadow");
        b.Select(row);
        QVERIFY(b.editor.ApplyEffect_B->isEnabled());
        QCOMPARE(b.Cell(0, TKX_ImageListView::colTime), QString());  // mode "None"
        b.editor.findChild<TKX_Edit*>("FX2_Shadow_X")->setText("20");
        b.editor.ApplyEffect_B->click();
        QVERIFY(IsTime(b.Cell(0, TKX_ImageListView::colTime)));
        QCOMPARE(FrameImage(b.tester.DstImageFrame), QSize(120, 90));
        auto& shadow = static_cast<TShadow&>(*b.form.Scenario().Entries[std::size_t(row)]->Task);
        QCOMPARE(shadow.Shadow_X.GetValue(vsEdited), 20);
        QCOMPARE(shadow.Shadow_X.GetValue(vsCurrent), 6);

        // Closing the window stops the settings test.
        b.tester.close();
        QVERIFY(!b.editor.ApplyEffect_B->isEnabled());
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    // However the test window goes, its tests go with it until it is
    // shown again for another task.
    void hiddenTestWindowTurnsItsTestsOff_data() {
        QTest::addColumn<bool>("closed");
        QTest::newRow("closed from its title bar") << true;
        QTest::newRow("hidden") << false;
    }
    void hiddenTestWindowTurnsItsTestsOff() {
        QFETCH(bool, closed);
        TTaskRig b;
        b.ChooseTestPictures({{"photo.bmp", 40, 30}});
        b.NewScenario();
        b.Select(b.RowOfType("TShadow"));
        QVERIFY(b.tester.isVisible());
        QVERIFY(b.editor.ApplyEffect_B->isEnabled() && b.form.FullTest->isEnabled());

        if (closed)
            QVERIFY(b.tester.close());
        else
            b.tester.hide();
        QVERIFY(!b.editor.ApplyEffect_B->isEnabled());
        QVERIFY(!b.form.FullTest->isEnabled());
        // Coming back to the task list, or clicking the same row, does not
        // turn them on again; the other buttons are as they were.
        b.form.TaskListEnter();
        b.form.TaskListClick();
        QVERIFY(!b.editor.ApplyEffect_B->isEnabled());
        QVERIFY(!b.form.FullTest->isEnabled());
        QVERIFY(b.form.DeleteTask->isEnabled());

        b.Select(b.RowOfType("TFilm"));
        QVERIFY(b.tester.isVisible());
        QVERIFY(b.editor.ApplyEffect_B->isEnabled() && b.form.FullTest->isEnabled());
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    // Switching a frame off leaves everything where the user clicked.
    void framesSwitchedOffKeepTheLayout_data() {
        QTest::addColumn<QString>("box");
        QTest::newRow("Source image") << "ShowBeforeCB";
        QTest::newRow("Result image") << "ShowAfterCB";
    }
    void framesSwitchedOffKeepTheLayout() {
        QFETCH(QString, box);
        TPM_TaskTestForm w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto places = [&w] {
            QCoreApplication::sendPostedEvents();  // the layout runs on a posted request
            QList<QRect> r;
            for (QWidget* c :
                 std::initializer_list<QWidget*>{w.TestDir, w.TestFilesList, w.ShowBeforeCB, w.ShowAfterCB,
                                                 w.SrcImageFrame, w.DstImageFrame})
                r << c->geometry();
            return r;
        };
        const QList<QRect> before = places();
        auto* check = w.findChild<QCheckBox*>(box);
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
        QVERIFY(!check->isChecked());
        QVERIFY(!(box == "ShowBeforeCB" ? w.SrcImageFrame : w.DstImageFrame)->isVisible());
        QCOMPARE(places(), before);
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
        QVERIFY(check->isChecked());
        QCOMPARE(places(), before);
    }

    void blankTestImageIsReported() {
        TTempDir dir;
        TTempDir::Write(dir.Path("broken.bmp"), "not a bitmap");
        TTaskRig b;
        b.ChooseTestFolder(dir.Dir());
        b.NewScenario();
        TLogRecorder log;
        b.Select(b.RowOfType("TFilm"));
        QVERIFY(b.form.Context().CurrentSourceFile.empty());
        QVERIFY(!b.tester.SrcImageFrame->HasImage());
        b.editor.ApplyEffect_B->click();
        QCOMPARE(log.Texts().back(), std::string("Cannot make effect - blank source !"));
        QCOMPARE(b.Cell(0, TKX_ImageListView::colTime), QString());
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    // The test image is the picture the scenario's load task hands on:
    // upright by its EXIF orientation unless that task says otherwise.
    void testImageFollowsTheLoadTasksOrientationSetting() {
        const std::string bytes = TTempDir::Read(PIXMILL_TESTDATA_DIR "/orientation/jpeg_orientation_6.jpg");
        QVERIFY(!bytes.empty());
        TTempDir dir;
        TTempDir::Write(dir.Path("a.jpg"), bytes);
        TTempDir::Write(dir.Path("b.jpg"), bytes);
        TTaskRig b;
        b.ChooseTestFolder(dir.Dir());
        b.NewScenario();
        b.Select(b.RowOfType("TFilm"));
        QCOMPARE(b.Cell(0, TKX_ImageListView::colWidth), QString("24"));
        QCOMPARE(b.Cell(0, TKX_ImageListView::colHeight), QString("16"));
        QCOMPARE(FrameImage(b.tester.SrcImageFrame), QSize(24, 16));

        auto& load = dynamic_cast<TLoadFromFile&>(*b.form.Scenario().Entries.front()->Task);
        load.ApplyOrientation.SetValue(false, vsCurrent);
        QWidget* list = b.tester.TestFilesList;
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(b.form.Context().CurrentSourceFile, dir.Path("b.jpg"));
        QCOMPARE(b.Cell(1, TKX_ImageListView::colWidth), QString("16"));
        QCOMPARE(b.Cell(1, TKX_ImageListView::colHeight), QString("24"));
        QCOMPARE(FrameImage(b.tester.SrcImageFrame), QSize(16, 24));
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    // A full-scenario test gives what a batch run makes of the file, also
    // when the resize after the load has the JPEG decoded smaller; the test
    // image stays whole.
    void fullTestAgreesWithABatchRun_data() {
        QTest::addColumn<bool>("fast");
        QTest::newRow("exact") << false;
        QTest::newRow("fast shrink") << true;
    }
    void fullTestAgreesWithABatchRun() {
        QFETCH(bool, fast);
        TTempDir dir;
        QVERIFY(WritePhotoJpeg(PIXMILL_TESTDATA_DIR "/pillow/hopper.pcd", dir.Path("photo.jpg")));
        TTaskRig b;
        b.ChooseTestFolder(dir.Dir());
        b.NewScenario();
        QCOMPARE(b.RowOfType("TResizeBitmap"), 1);
        auto& resize = dynamic_cast<TResizeBitmap&>(b.TaskAt(1));
        resize.Width.SetValue(150, vsCurrent);
        resize.Height.SetValue(150, vsCurrent);
        resize.Method.SetValue(rfLanczos3, vsCurrent);
        resize.Fast_Shrink.SetValue(fast, vsCurrent);
        b.SetTestMode(tmFullScenario);
        b.Select(2);
        QVERIFY(IsTime(b.Cell(0, TKX_ImageListView::colTime)));
        QCOMPARE(FrameImage(b.tester.SrcImageFrame), QSize(768, 512));
        const TFastDIB tested = b.tester.DstImageFrame->SrcBitmap().Dib();
        // The same file through the scenario as a batch run takes it, up to the save.
        TRunContext& ctx = b.form.Context();
        auto& entries = b.form.Scenario().Entries;
        ctx.CurrentSourceFile = dir.Path("photo.jpg");
        QVERIFY(RunScenario(ctx, 0, int(entries.size()) - 2, &entries) >= 0);
        QCOMPARE(ctx.GeneralObject().BitmapsInfo.ScaleDivisor, fast ? 4 : 1);
        const TFastDIB batch = ctx.GeneralObject().DstBitmap.Dib();
        QCOMPARE(tested.Width(), batch.Width());
        QVERIFY(ReadRows(tested) == ReadRows(batch));
        // A test after the run works on the whole picture again.
        b.SetTestMode(tmSingleTask);
        b.form.FullTestClick();
        QCOMPARE(ctx.GeneralObject().SrcBitmap.Width(), 768);
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    void enterKeepsATestPendingUntilItRuns() {
        TTaskRig b;
        b.ChooseTestPictures({{"a.bmp", 10, 10}, {"b.bmp", 12, 10}});
        b.NewScenario();
        b.Select(b.RowOfType("TFilm"));
        QCOMPARE(b.form.Context().CurrentSourceFile, b.pictures.Path("a.bmp"));
        QWidget* list = b.tester.TestFilesList;

        // Arrow keys alone move the selection without testing.
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(b.tester.TestFilesList->ItemIndex(), 1);
        QCOMPARE(b.form.Context().CurrentSourceFile, b.pictures.Path("a.bmp"));

        // Enter while "Test " is disabled leaves the test pending ...
        b.form.FullTest->setEnabled(false);
        QTest::keyPress(list, Qt::Key_Return);
        QVERIFY(b.form.TestPending);
        QTest::keyRelease(list, Qt::Key_Return);
        QVERIFY(b.form.TestPending);
        // ... and the next key release runs it.
        b.form.FullTest->setEnabled(true);
        QTest::keyClick(list, Qt::Key_Down);
        QVERIFY(!b.form.TestPending);
        QCOMPARE(b.form.Context().CurrentSourceFile, b.pictures.Path("b.bmp"));
        // Enter tests at once.
        QTest::keyClick(list, Qt::Key_Up);
        QCOMPARE(b.form.Context().CurrentSourceFile, b.pictures.Path("b.bmp"));
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(!b.form.TestPending);
        QCOMPARE(b.form.Context().CurrentSourceFile, b.pictures.Path("a.bmp"));
        QVERIFY(b.dialogs.Unexpected.empty());
    }
};

QTEST_MAIN(TestTaskTest)
#include "test_task_test.moc"
