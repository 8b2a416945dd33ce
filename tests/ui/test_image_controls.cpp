// The image list of a folder and the zoomable image frame.
#include "support/ScriptedControlDialogs.h"
#include "ui/DibImage.h"
#include "ui/KX_ImageFrame.h"
#include "ui/KX_ImageListView.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace pm;

namespace {

void WriteFile(const QString& path, int size) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(size, 'x'));
}

// Two names alike but for the extension, sizes alike but for the name.
void WriteFourPictures(const QString& dir) {
    WriteFile(dir + "beta.JPG", 30);
    WriteFile(dir + "alpha.png", 30);
    WriteFile(dir + "gamma.bmp", 10);
    WriteFile(dir + "alpha.bmp", 40);
}

QStringList Names(const TKX_ImageListView& list) {
    QStringList names;
    for (int r = 0; r < list.rowCount(); ++r) names << list.FileName(r);
    return names;
}

// A 24-bit picture whose pixel at picture line y, column x is (x, y, 200),
// with the top-left pixel red.
TFastDIB Pattern(int w, int h) {
    TFastDIB dib;
    dib.SetSize(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            dib.SetPixel(h - 1 - y, x, TColorTriple{200, std::uint8_t(y), std::uint8_t(x)});
    dib.SetPixel(h - 1, 0, TColorTriple{0, 0, 255});
    return dib;
}

QColor At(const QImage& img, int x, int y) {
    return img.pixelColor(x, y);
}

const QColor kFace(192, 192, 192);

// A 120 x 120 frame showing `picture` at `zoom`.
void ShowZoomed(TKX_ImageFrame& frame, const TFastDIB& picture, double zoom) {
    frame.resize(120, 120);
    frame.AssignImage(picture);
    frame.SetZoom(zoom);
    frame.Rebuild();
}

}  // namespace

class TestImageControls : public QObject {
    Q_OBJECT

private slots:
    void fillFromDirectory() {
        QTemporaryDir tmp;
        const QString d = tmp.path() + "/";
        WriteFourPictures(d);
        WriteFile(d + "notes.txt", 5);
        WriteFile(d + ".hidden.jpg", 5);
        WriteFile(d + "noext", 5);
        QDir(d).mkdir("folder.jpg");
        TKX_ImageListView list;
        list.FillFromDirectory(tmp.path());  // without the separator
        QCOMPARE(Names(list), (QStringList{"alpha.bmp", "alpha.png", "beta.JPG", "gamma.bmp"}));
        QCOMPARE(list.CellText(0, TKX_ImageListView::colSize), QString("40"));
        for (int c = TKX_ImageListView::colWidth; c < TKX_ImageListView::kColumnCount; ++c)
            QCOMPARE(list.CellText(0, c), QString("-"));
        QVERIFY(list.PopupMenuAttached());
        QCOMPARE(list.horizontalHeaderItem(5)->text(), QString("Task(s) time"));
    }

    void sortRules_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("by name, ties by extension")
            << 0 << QStringList{"alpha.bmp", "alpha.png", "beta.JPG", "gamma.bmp"};
        QTest::newRow("by type, ties by name")
            << 1 << QStringList{"alpha.bmp", "gamma.bmp", "beta.JPG", "alpha.png"};
        QTest::newRow("by size, ties by full name")
            << 2 << QStringList{"gamma.bmp", "alpha.png", "beta.JPG", "alpha.bmp"};
    }

    void sortRules() {
        QFETCH(int, method);
        QFETCH(QStringList, order);
        QTemporaryDir tmp;
        const QString d = tmp.path() + "/";
        WriteFourPictures(d);
        TKX_ImageListView list;
        list.FillFromDirectory(d);
        list.SetItemIndex(1);
        QAction* items[] = {list.PopupMenu()->ByName, list.PopupMenu()->ByType, list.PopupMenu()->BySize};
        items[method]->trigger();
        QCOMPARE(list.SortMethod(), method);
        QVERIFY(items[method]->isChecked());
        QCOMPARE(Names(list), order);
        QCOMPARE(list.ItemIndex(), 1);  // the same row number stays selected
        // The caller's columns travel with their rows.
        QCOMPARE(list.CellText(order.indexOf("gamma.bmp"), TKX_ImageListView::colSize), QString("10"));
    }

    void smallListsAndShortPaths() {
        QTemporaryDir tmp;
        WriteFile(tmp.path() + "/only.gif", 3);
        TKX_ImageListView list;
        QCOMPARE(list.ItemIndex(), -1);
        list.FillFromDirectory(tmp.path());
        QCOMPARE(list.rowCount(), 1);
        QVERIFY(!list.PopupMenuAttached());
        list.FillFromDirectory("/");  // one character: nothing happens
        QCOMPARE(list.rowCount(), 1);
        list.FillFromDirectory(tmp.path() + "/missing");
        QCOMPARE(list.rowCount(), 0);
    }

    void frameGeometryAtZoomOne() {
        TKX_ImageFrame frame;
        frame.resize(120, 120);
        QVERIFY(frame.AssignImage(Pattern(100, 100)));
        QVERIFY(frame.PopupMenuAttached());
        QVERIFY(!frame.CanPan());
        QCOMPARE(frame.VisibleSize(), QSize(100, 100));
        QCOMPARE(frame.BitmapFrameX(), 0);
        QCOMPARE(frame.BitmapFrameY(), 0);
        const QImage shot = frame.grab().toImage();
        QCOMPARE(At(shot, 0, 0), QColor(Qt::black));
        QCOMPARE(At(shot, 119, 60), QColor(Qt::black));
        QCOMPARE(At(shot, 1, 1), QColor(Qt::white));
        QCOMPARE(At(shot, 118, 118), QColor(Qt::white));
        QCOMPARE(At(shot, 2, 2), QColor(255, 0, 0));        // top-left pixel of the picture
        QCOMPARE(At(shot, 101, 101), QColor(99, 99, 200));  // bottom-right pixel
        QCOMPARE(At(shot, 12, 7), QColor(10, 5, 200));
        QCOMPARE(At(shot, 102, 2), kFace);  // right of the picture
        QCOMPARE(At(shot, 117, 60), kFace);
        QCOMPARE(At(shot, 2, 102), kFace);  // below it
        QCOMPARE(At(shot, 60, 117), kFace);

        frame.ClearView();
        QCOMPARE(At(frame.grab().toImage(), 2, 2), kFace);
        frame.Redraw();
        QCOMPARE(At(frame.grab().toImage(), 2, 2), QColor(255, 0, 0));
    }

    void zoom_data() {
        QTest::addColumn<double>("factor");
        QTest::addColumn<int>("checked");
        QTest::addColumn<QSize>("zoomed");
        QTest::addColumn<QPoint>("origin");
        QTest::addColumn<bool>("pannable");
        // 100 x 100 picture in a 120 x 120 frame, centre 50, 50 before zooming.
        QTest::newRow("200 %") << 2.0 << 5 << QSize(200, 200) << QPoint(42, 42) << true;
        QTest::newRow("400 %") << 4.0 << 6 << QSize(400, 400) << QPoint(142, 142) << true;
        QTest::newRow("150 %") << 1.5 << 4 << QSize(150, 150) << QPoint(17, 17) << true;
        QTest::newRow("50 %") << 0.5 << 1 << QSize(50, 50) << QPoint(0, 0) << false;
        QTest::newRow("not in the menu") << 3.0 << 0 << QSize(300, 300) << QPoint(92, 92) << true;
    }

    void zoom() {
        QFETCH(double, factor);
        QFETCH(int, checked);
        QFETCH(QSize, zoomed);
        QFETCH(QPoint, origin);
        QFETCH(bool, pannable);
        TKX_ImageFrame frame;
        frame.resize(120, 120);
        frame.AssignImage(Pattern(100, 100));
        QCOMPARE(frame.PopupMenu()->CheckedIndex(), 3);
        frame.SetZoom(factor);
        frame.Rebuild();
        QCOMPARE(frame.ZoomFactor(), factor);
        QCOMPARE(frame.PopupMenu()->CheckedIndex(), checked);
        QCOMPARE(frame.ZoomedSize(), zoomed);
        QCOMPARE(QPoint(frame.BitmapFrameX(), frame.BitmapFrameY()), origin);
        QCOMPARE(frame.CanPan(), pannable);
    }

    void zoomKeepsCentreNearFarEdge() {
        TKX_ImageFrame frame;
        ShowZoomed(frame, Pattern(100, 100), 4.0);
        frame.SetBitmapFrame(1000, 0);  // clamped to 400 - 116
        QCOMPARE(frame.BitmapFrameX(), 284);
        frame.SetZoom(2.0);  // centre (58 + 284) / 4 = 85.5 -> 86
        frame.Rebuild();     // 172 lies within 58 of 200: centre 142
        QCOMPARE(frame.BitmapFrameX(), 84);
        QCOMPARE(frame.BitmapFrameY(), 0);
    }

    void nearestNeighbourZoomPixels() {
        TKX_ImageFrame frame;
        ShowZoomed(frame, Pattern(4, 3), 2.0);
        const QImage shot = frame.grab().toImage();
        QCOMPARE(frame.ZoomedSize(), QSize(8, 6));
        QCOMPARE(At(shot, 3, 3), QColor(255, 0, 0));
        QCOMPARE(At(shot, 2 + 7, 2 + 5), QColor(3, 2, 200));
        QCOMPARE(At(shot, 2 + 8, 2), kFace);
    }

    void resamplerCanBeReplaced() {
        static int calls = 0;
        calls = 0;
        SetZoomResampler([](int w, int h, TFastDIB& dib) {
            ++calls;
            dib.SetSize(w, h, 24);
            dib.Fill({0, 255, 0});
        });
        TKX_ImageFrame frame;
        frame.resize(120, 120);
        frame.AssignImage(Pattern(10, 10));
        QCOMPARE(calls, 0);  // zoom 1 needs no resampling
        frame.SetZoom(2.0);
        frame.Rebuild();
        SetZoomResampler(nullptr);
        QCOMPARE(calls, 1);
        QCOMPARE(At(frame.grab().toImage(), 5, 5), QColor(0, 255, 0));
    }

    void panning() {
        TKX_ImageFrame frame;
        frame.resize(120, 120);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.AssignImage(Pattern(100, 100));
        frame.SetZoom(2.0);
        frame.Rebuild();
        QCOMPARE(frame.BitmapFrameX(), 42);
        QTest::mouseMove(&frame, QPoint(60, 60));
        QCOMPARE(frame.cursor().shape(), Qt::OpenHandCursor);
        QTest::mousePress(&frame, Qt::LeftButton, {}, QPoint(60, 60));
        QCOMPARE(frame.cursor().shape(), Qt::ClosedHandCursor);
        QTest::mouseMove(&frame, QPoint(40, 50));
        QCOMPARE(QPoint(frame.BitmapFrameX(), frame.BitmapFrameY()), QPoint(62, 52));
        QTest::mouseMove(&frame, QPoint(110, 110));  // far beyond the top-left corner
        QCOMPARE(QPoint(frame.BitmapFrameX(), frame.BitmapFrameY()), QPoint(0, 0));
        QTest::mouseMove(&frame, QPoint(3, 3));
        QTest::mouseMove(&frame, QPoint(-300, -300));
        QCOMPARE(QPoint(frame.BitmapFrameX(), frame.BitmapFrameY()), QPoint(84, 84));
        QTest::mouseRelease(&frame, Qt::LeftButton, {}, QPoint(60, 60));
        QCOMPARE(frame.cursor().shape(), Qt::OpenHandCursor);
    }

    void synchronisation_data() {
        QTest::addColumn<QSize>("partnerImage");
        QTest::addColumn<bool>("doSynchronize");
        QTest::addColumn<bool>("follows");
        QTest::newRow("same size") << QSize(100, 100) << true << true;
        QTest::newRow("different size") << QSize(100, 99) << true << false;
        QTest::newRow("switched off") << QSize(100, 100) << false << false;
    }

    void synchronisation() {
        QFETCH(QSize, partnerImage);
        QFETCH(bool, doSynchronize);
        QFETCH(bool, follows);
        TKX_ImageFrame a, b;
        a.resize(120, 120);
        b.resize(120, 120);
        a.AssignImage(Pattern(100, 100));
        b.AssignImage(Pattern(partnerImage.width(), partnerImage.height()));
        a.SetSynchronizeImageFrame(&b);
        b.SetSynchronizeImageFrame(&a);
        a.SetDoSynchronize(doSynchronize);
        QCOMPARE(a.SynchronizeAllowed(), partnerImage == QSize(100, 100));
        a.PopupMenu()->ZoomItems[5]->trigger();  // 200 %
        QCOMPARE(a.ZoomFactor(), 2.0);
        QCOMPARE(a.BitmapFrameX(), 42);
        a.SetBitmapFrame(10, 20);
        a.SyncPartner();
        QCOMPARE(b.ZoomFactor(), follows ? 2.0 : 1.0);
        QCOMPARE(b.PopupMenu()->CheckedIndex(), follows ? 5 : 3);
        QCOMPARE(QPoint(b.BitmapFrameX(), b.BitmapFrameY()), follows ? QPoint(10, 20) : QPoint(0, 0));
    }

    void partnerForgottenWhenDestroyed() {
        TKX_ImageFrame a;
        auto* b = new TKX_ImageFrame;
        a.AssignImage(Pattern(10, 10));
        b->AssignImage(Pattern(10, 10));
        a.SetSynchronizeImageFrame(b);
        delete b;
        QCOMPARE(a.SynchronizeImageFrame(), nullptr);
        a.SyncPartner();  // must not touch the freed frame
    }

    void saveToBitmapWritesUnzoomedImage() {
        QTemporaryDir tmp;
        test::TScriptedControlDialogs dialogs;
        dialogs.SaveFileAnswer = tmp.path() + "/out.bmp";
        TKX_ImageFrame frame;
        const TFastDIB source = Pattern(7, 5);
        frame.AssignImage(source);
        frame.SetZoom(2.0);
        frame.Rebuild();
        frame.PopupMenu()->SaveItem->trigger();
        QCOMPARE(dialogs.Asked, QStringList{"save  filter Bitmaps (*.bmp)|*.bmp suffix bmp"});
        QVERIFY(dialogs.Errors.isEmpty());
        QFile f(dialogs.SaveFileAnswer);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        TFastDIB back;
        QVERIFY(back.LoadFromStream(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size()));
        QCOMPARE(back.Width(), 7);
        QCOMPARE(back.Height(), 5);
        QCOMPARE(DibToQImage(back), DibToQImage(source));
    }

    void saveToBitmapFailure() {
        QTemporaryDir tmp;
        test::TScriptedControlDialogs dialogs;
        dialogs.SaveFileAnswer = tmp.path() + "/missing/out.bmp";
        TKX_ImageFrame frame;
        frame.AssignImage(Pattern(3, 3));
        frame.SaveToBitmap();
        QCOMPARE(dialogs.Errors,
                 QStringList{"Error: Error: Can't save bitmap as \"" + dialogs.SaveFileAnswer + "\"!"});
    }

    void assignNothing() {
        TKX_ImageFrame frame;
        frame.resize(50, 50);
        frame.AssignImage(Pattern(10, 10));
        QVERIFY(!frame.AssignImage(nullptr));
        QVERIFY(!frame.PopupMenuAttached());
        QCOMPARE(At(frame.grab().toImage(), 2, 2), kFace);
    }

    void dibConversionRoundTrip() {
        const TFastDIB dib = Pattern(5, 3);
        const QImage img = DibToQImage(dib);
        QCOMPARE(img.size(), QSize(5, 3));
        QCOMPARE(img.pixelColor(0, 0), QColor(255, 0, 0));
        QCOMPARE(img.pixelColor(4, 2), QColor(4, 2, 200));
        const TFastDIB back = QImageToDib(img);
        QCOMPARE(back.Bpp(), 24);
        QCOMPARE(DibToQImage(back), img);
        QVERIFY(DibToQImage(TFastDIB()).isNull());
    }
};

QTEST_MAIN(TestImageControls)
#include "test_image_controls.moc"
