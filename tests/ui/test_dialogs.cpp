// The Qt file and folder dialogs and message boxes the program shows: their
// size and place, the columns of the file list and the message captions.
#include "support/TempDir.h"
#include "ui/ControlDialogs.h"
#include "ui/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <cstdlib>
#include <functional>

using namespace pm;
using pm::test::TTempDir;

namespace {

// Runs `open`, hands the modal dialog it shows to `inspect` and cancels it.
template <typename TDialog>
bool Inspect(const std::function<void()>& open, const std::function<void(TDialog&)>& inspect) {
    bool seen = false;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<TDialog*>(QApplication::activeModalWidget());
        if (!dialog || seen) return;
        seen = true;
        QCoreApplication::sendPostedEvents();
        inspect(*dialog);
        dialog->reject();
    });
    timer.start();
    open();
    return seen;
}

QRect Screen() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

}  // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    // A file or folder dialog opens large enough for its columns, centred
    // on the window that asked, and never off the screen.
    void fileDialogsOpenUsefullyOverTheirWindow_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("centred");
        for (const char* kind : {"open", "save", "folder", "control open", "control save"}) {
            QTest::addRow("%s, window in the middle", kind) << QString(kind) << true;
            QTest::addRow("%s, window in a corner", kind) << QString(kind) << false;
        }
    }
    void fileDialogsOpenUsefullyOverTheirWindow() {
        QFETCH(QString, kind);
        QFETCH(bool, centred);
        TTempDir dir;
        TTempDir::Write(dir.Path("a rather long scenario name.pms"), "[Task1]\n");
        const QString start = QString::fromStdString(dir.Dir());

        QWidget asker;
        asker.resize(300, 200);
        const QRect screen = Screen();
        if (centred)
            asker.move(screen.center() - QPoint(150, 100));
        else
            asker.move(screen.topLeft() + QPoint(20, 20));
        asker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&asker));

        TQtDialogs dialogs(&asker);
        const std::string filter = "PM scenario files (*.pms)|*.pms";
        const std::function<void()> open = [&] {
            if (kind == "open")
                dialogs.OpenFile("Select scenario filename ...", dir.Dir(), filter, ".pms");
            else if (kind == "save")
                dialogs.SaveFile("Enter scenario filename ...", dir.Dir(), filter, ".pms");
            else if (kind == "folder")
                ControlDialogs().ChooseDirectory(&asker, "Select directory ...", start);
            else if (kind == "control open")
                ControlDialogs().ChooseOpenFile(&asker, "Select scenario ...", start,
                                                QString::fromStdString(filter), 1);
            else
                ControlDialogs().ChooseSaveFile(&asker, "Save to bitmap ...", "Bitmaps (*.bmp)|*.bmp", "bmp");
        };
        QVERIFY(Inspect<QFileDialog>(open, [&](QFileDialog& d) {
            const QRect frame = d.frameGeometry();
            QVERIFY(screen.contains(frame));
            QVERIFY(d.width() >= std::min(640, screen.width() * 4 / 5));
            QVERIFY(d.height() >= std::min(400, screen.height() * 4 / 5));
            // Centred up to the width of the frame, unknown before showing.
            const QSize border = frame.size() - d.size();
            const QPoint off = frame.center() - asker.frameGeometry().center();
            if (centred)
                QVERIFY(std::abs(off.x()) <= border.width() && std::abs(off.y()) <= border.height());
            else
                QVERIFY(frame.intersects(asker.frameGeometry()));
            // Every column shows its caption, and all fit in the list.
            auto* view = d.findChild<QTreeView*>("treeView");
            QVERIFY(view);
            QHeaderView* header = view->header();
            int total = 0;
            for (int i = 0; i < header->count(); ++i) {
                if (header->isSectionHidden(i)) continue;
                QVERIFY2(header->sectionSize(i) >= header->sectionSizeHint(i),
                         qPrintable(header->model()->headerData(i, Qt::Horizontal).toString()));
                total += header->sectionSize(i);
            }
            QVERIFY(total <= view->viewport()->width());
        }));
    }

    // The caption of a message box is not cut in its title bar, however
    // short the message.
    void messageBoxesHoldTheirCaption_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("question") << "question";
        QTest::newRow("message") << "message";
        QTest::newRow("control error") << "error";
    }
    void messageBoxesHoldTheirCaption() {
        QFETCH(QString, kind);
        QWidget asker;
        asker.show();
        TQtDialogs dialogs(&asker);
        const std::function<void()> open = [&] {
            if (kind == "question")
                dialogs.Confirm("Create new task?", "Confirmation", TMsgIcon::Question, true);
            else if (kind == "message")
                dialogs.ShowMessage("Done!", "Confirmation", TMsgIcon::Information);
            else
                ControlDialogs().ShowError(&asker, "Confirmation", "Oops!");
        };
        QVERIFY(Inspect<QMessageBox>(open, [](QMessageBox& box) {
            QCOMPARE(box.windowTitle(), QString("Confirmation"));
            // A bold caption beside the window icon and three title buttons,
            // each about as wide as the title bar is high.
            QFont font = box.font();
            font.setBold(true);
            const QFontMetrics fm(font);
            QVERIFY(box.width() >= fm.horizontalAdvance(box.windowTitle()) + 4 * fm.height());
        }));
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
