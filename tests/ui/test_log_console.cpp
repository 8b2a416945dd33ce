// The log console (layout, trimming, highlighting, threads, icons) and the
// log window.
#include "log/WriteLog.h"
#include "support/ScriptedControlDialogs.h"
#include "ui/KX_LogConsole.h"
#include "ui/LogLayout.h"
#include "ui/PM_Log.h"
#include "ui/UiColors.h"

#include <QSignalSpy>
#include <QTest>
#include <thread>

using namespace pm;

Q_DECLARE_METATYPE(std::vector<QString>)

namespace {

// Every character is 10 pixels wide.
int TenEach(const QString& s) {
    return int(s.size()) * 10;
}

QString Runs(const TLogLayout& layout) {
    QStringList parts;
    for (const TLogRun& r : layout.Runs)
        parts << QStringLiteral("%1@%2,%3:%4").arg(r.Segment).arg(r.X).arg(r.Line).arg(r.Text);
    return parts.join(QLatin1Char(' '));
}

TTextColorArray Text(const std::string& s) {
    return {{s, LogTextColor}};
}

}  // namespace

class TestLogConsole : public QObject {
    Q_OBJECT

private slots:
    void layout_data() {
        QTest::addColumn<std::vector<QString>>("segments");
        QTest::addColumn<int>("x0");
        QTest::addColumn<int>("right");
        QTest::addColumn<QString>("runs");
        QTest::addColumn<int>("lines");
        QTest::newRow("fits") << std::vector<QString>{"abc"} << 5 << 100 << "0@5,1:abc" << 1;
        QTest::newRow("long word breaks at the character")
            << std::vector<QString>{"abcdefghij"} << 0 << 35 << "0@0,1:abc 0@0,2:def 0@0,3:ghi 0@0,4:j" << 4;
        QTest::newRow("ends exactly at the limit")
            << std::vector<QString>{"abcd"} << 0 << 40 << "0@0,1:abcd" << 1;
        QTest::newRow("break at the last blank that fits")
            << std::vector<QString>{"aa bb cc dd"} << 0 << 95 << "0@0,1:aa bb cc 0@0,2:dd" << 2;
        QTest::newRow("a word ending at the limit goes on with its blank")
            << std::vector<QString>{"aa bb cc dd"} << 0 << 80 << "0@0,1:aa bb 0@0,2:cc dd" << 2;
        QTest::newRow("blank that would end past the limit")
            << std::vector<QString>{"aa bb cc"} << 0 << 55 << "0@0,1:aa 0@0,2:bb cc" << 2;
        QTest::newRow("CR LF breaks")
            << std::vector<QString>{"ab\r\ncd"} << 5 << 100 << "0@5,1:ab 0@5,2:cd" << 2;
        QTest::newRow("CR LF at the end")
            << std::vector<QString>{"ab\r\n", "cd"} << 0 << 100 << "0@0,1:ab 1@0,2:cd" << 2;
        QTest::newRow("lone CR does not break")
            << std::vector<QString>{"a\rb"} << 0 << 100 << "0@0,1:a\rb" << 1;
        QTest::newRow("segments continue on the line")
            << std::vector<QString>{"Loading \"", "a.jpg", "\" ..."} << 25 << 500
            << "0@25,1:Loading \" 1@115,1:a.jpg 2@165,1:\" ..." << 1;
        QTest::newRow("second segment wraps at the character")
            << std::vector<QString>{"abc", "defg"} << 0 << 50 << "0@0,1:abc 1@30,1:de 1@0,2:fg" << 2;
        QTest::newRow("second segment wraps at its blank")
            << std::vector<QString>{"abc", "d efg"} << 0 << 60 << "0@0,1:abc 1@30,1:d 1@0,2:efg" << 2;
        QTest::newRow("nothing of the next segment fits")
            << std::vector<QString>{"abcde", "fg"} << 0 << 50 << "0@0,1:abcde 1@0,2:fg" << 2;
        QTest::newRow("narrower than one character")
            << std::vector<QString>{"ab"} << 0 << 5 << "0@0,1:a 0@0,2:b" << 2;
        QTest::newRow("empty segment") << std::vector<QString>{""} << 0 << 50 << "" << 1;
    }

    void layout() {
        QFETCH(std::vector<QString>, segments);
        QFETCH(int, x0);
        QFETCH(int, right);
        QFETCH(QString, runs);
        QFETCH(int, lines);
        const TLogLayout l = LayoutLogSegments(segments, x0, right, TenEach);
        QCOMPARE(Runs(l), runs);
        QCOMPARE(l.Lines, lines);
    }

    void defaultsAndSetterLimits() {
        TKX_LogConsole console;
        QCOMPARE(console.MaxItems(), 50);
        QCOMPARE(console.BmpLeftMargin(), 3);
        QCOMPARE(console.BitmapBG(), RGBColor(192, 192, 192));
        QCOMPARE(console.SelectedItemBG(), RGBColor(0, 0, 255));
        QVERIFY(console.LineHeight() >= 16);
        console.SetBmpLeftMargin(201);
        console.SetBmpRightMargin(200);
        console.SetTxtLeftMargin(250);
        QCOMPARE(console.BmpLeftMargin(), 3);
        QCOMPARE(console.BmpRightMargin(), 200);
        QCOMPARE(console.TxtLeftMargin(), 3);
        QCOMPARE(console.TextOrigin(), 3 + 16 + 200 + 3);
    }

    void trimming() {
        test::TScriptedControlDialogs dialogs;
        TKX_LogConsole console;
        console.SetMaxItems(300);
        for (int i = 0; i < 301; ++i) console.AddMessage(lmInfo, Text("message " + std::to_string(i)));
        QCOMPARE(console.Count(), 300);
        QCOMPARE(console.MessageText(0), QString("message 1"));
        for (int bad : {4, 0, 65001, 70000}) {
            console.SetMaxItems(bad);
            QCOMPARE(console.MaxItems(), 300);
            QCOMPARE(console.Count(), 300);
        }
        console.SetMaxItems(5);
        QCOMPARE(console.Count(), 5);
        QCOMPARE(console.MessageText(0), QString("message 296"));
        QCOMPARE(console.MessageText(4), QString("message 300"));
        console.SetMaxItems(65000);
        QCOMPARE(console.MaxItems(), 65000);
        QVERIFY(dialogs.Errors.isEmpty());
    }

    void appendAndDelete() {
        test::TScriptedControlDialogs dialogs;
        TKX_LogConsole console;
        console.AddMessage(lmInfo,
                           {{"Saving \"", LogTextColor}, {"a.jpg", LogValueColor}, {"\" ...", LogTextColor}});
        console.AppendToLast({{"Complete", LogDoneColor}});
        QCOMPARE(console.Count(), 1);
        QCOMPARE(console.MessageText(0), QString("Saving \"a.jpg\" ...Complete"));
        QCOMPARE(console.Message(0).Segments.size(), std::size_t(4));
        QCOMPARE(console.Message(0).Segments[3].Color, LogDoneColor);
        console.DeleteMessage(5);  // beyond the last: ignored
        QCOMPARE(console.Count(), 1);
        console.DeleteMessage(0);
        QCOMPARE(console.Count(), 0);
        QVERIFY(dialogs.Errors.isEmpty());
    }

    void internalErrors() {
        test::TScriptedControlDialogs dialogs;
        TKX_LogConsole console;
        console.AppendToLast(Text("orphan"));
        console.AddMessage(lmError, {});
        console.AddMessage(lmInfo, Text("one"));
        console.AppendToLast({});
        QCOMPARE(dialogs.Errors,
                 (QStringList{"LogConsole internal error: Can't get pointer to the item object -1!",
                              "LogConsole internal error: Very small input parameters!",
                              "LogConsole internal error: Very small input parameters!"}));
        QCOMPARE(console.Count(), 1);
        QCOMPARE(console.MessageText(0), QString("one"));
    }

    void wrappedItemHeight() {
        TKX_LogConsole console;
        console.resize(300, 200);
        console.AddMessage(lmInfo, Text("short"));
        console.AddMessage(lmInfo, Text("first\r\nsecond\r\nthird"));
        console.AddMessage(lmInfo, Text(std::string(400, 'w')));
        QCOMPARE(console.LayoutMessage(0).Lines, 1);
        QCOMPARE(console.LayoutMessage(1).Lines, 3);
        console.AppendToMessage(0, Text("\r\nmore"));
        QCOMPARE(console.LayoutMessage(0).Lines, 2);
        console.SetTxtLeftMargin(100);
        QCOMPARE(console.LayoutMessage(0).Runs[0].X, console.TextOrigin());
        console.SetTxtLeftMargin(3);
        QVERIFY(console.LayoutMessage(2).Lines > 3);
        for (const TLogRun& run : console.LayoutMessage(2).Runs) {
            QCOMPARE(run.X, console.TextOrigin());
            QVERIFY(console.TextOrigin() + console.fontMetrics().horizontalAdvance(run.Text) <=
                    console.viewport()->width());
        }
        console.show();
        QVERIFY(QTest::qWaitForWindowExposed(&console));
        const QModelIndex second = console.model()->index(1, 0);
        QTRY_COMPARE(console.visualRect(second).height(), 3 * console.LineHeight());
    }

    // After the log window is resized, every row is as high as its text
    // wraps at the new width, no row reaches past the view, and the newest
    // message is in full view.
    void resizedLogKeepsTheNewestInView_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("narrower") << QSize(180, 200);
        QTest::newRow("wider") << QSize(700, 200);
        QTest::newRow("lower") << QSize(400, 90);
        QTest::newRow("narrower and lower") << QSize(150, 100);
    }
    void resizedLogKeepsTheNewestInView() {
        QFETCH(QSize, size);
        TPM_LogForm form;
        TKX_LogConsole& console = *form.Console();
        form.resize(400, 200);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (int i = 0; i < 40; ++i)
            console.AddMessage(lmInfo, Text("message " + std::to_string(i) + " with some words to wrap"));
        console.AppendToLast({{" ... Complete", LogDoneColor}});

        form.resize(size);
        QCoreApplication::sendPostedEvents();
        QTest::qWait(150);  // the list lays out on a timer
        const int width = console.viewport()->width();
        for (int row = 0; row < console.Count(); ++row) {
            const QRect rect = console.visualRect(console.model()->index(row, 0));
            QVERIFY(rect.right() < width);
            QCOMPARE(rect.height(), console.LayoutMessage(row).Lines * console.LineHeight());
        }
        const QRect last = console.visualRect(console.model()->index(console.Count() - 1, 0));
        QVERIFY(last.top() >= 0);
        QVERIFY(last.bottom() < console.viewport()->height());
    }

    void newestHighlighted() {
        TPM_LogForm form;
        TKX_LogConsole& console = *form.Console();
        LoadKindIcons(console, LoadSkinImage());
        SetLogConsole(&console);
        form.resize(400, 200);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        WriteLog(lmInfo, Text("first"), false, true, true);
        WriteLog(lmWarning, Text("second"), false, true, true);
        WriteLog(lmInfo, {{"Complete", LogDoneColor}}, false, true, false);
        QCOMPARE(console.HighlightedIndex(), 1);
        QTest::qWait(20);
        const QImage shot = console.viewport()->grab().toImage();
        const int line = console.LineHeight();
        const int right = console.viewport()->width() - 2;
        QCOMPARE(shot.pixelColor(right, line / 2), QColor(255, 255, 255));       // older item
        QCOMPARE(shot.pixelColor(right, line + line / 2), QColor(255, 255, 0));  // newest item
        QCOMPARE(shot.pixelColor(1, line / 2), QColor(192, 192, 192));           // icon column
        QCOMPARE(shot.pixelColor(right, 2 * line + 5), QColor(255, 255, 255));   // below the last
        // The warning icon's yellow shows in the second item.
        bool yellow = false;
        for (int x = 3; x < 19; ++x)
            for (int y = line; y < 2 * line; ++y) yellow |= shot.pixelColor(x, y) == QColor(255, 255, 0);
        QVERIFY(yellow);

        // A click selects an older message; the next message takes the highlight back.
        QTest::mouseClick(console.viewport(), Qt::LeftButton, {}, QPoint(100, line / 2));
        QCOMPARE(console.HighlightedIndex(), 0);
        WriteLog(lmInfo, Text("third"), false, true, true);
        QCOMPARE(console.HighlightedIndex(), 2);
        SetLogConsole(nullptr);
    }

    void messagesFromWorkerThreadsKeepTheirOrder() {
        TKX_LogConsole console;
        console.SetMaxItems(1000);
        SetLogConsole(&console);
        std::thread worker([] {
            for (int i = 0; i < 200; ++i) {
                WriteLog(lmInfo, Text("w" + std::to_string(i)), false, true, true);
                WriteLog(lmInfo, Text("+"), false, true, false);
            }
        });
        worker.join();
        QCOMPARE(console.Count(), 0);  // nothing touched the widget from the worker
        WriteLog(lmInfo, Text("gui"), false, true, true);
        QCOMPARE(console.Count(), 201);
        for (int i = 0; i < 200; ++i) QCOMPARE(console.MessageText(i), QString("w%1+").arg(i));
        QCOMPARE(console.MessageText(200), QString("gui"));
        QCOMPARE(console.HighlightedIndex(), 200);
        SetLogConsole(nullptr);
    }

    void queuedMessagesArriveByThemselves() {
        TKX_LogConsole console;
        SetLogConsole(&console);
        std::thread([] { WriteLog(lmError, Text("late"), false, true, true); }).join();
        QTRY_COMPARE(console.Count(), 1);
        QCOMPARE(console.Message(0).Kind, int(lmError));
        SetLogConsole(nullptr);
    }

    void destroyedConsoleLeavesWriteLog() {
        auto* console = new TKX_LogConsole;
        SetLogConsole(console);
        delete console;
        QCOMPARE(GetLogConsole(), nullptr);
        WriteLog(lmInfo, Text("dropped"), false, true, true);
    }

    void kindIconsFromSkin() {
        const QImage skin = LoadSkinImage();
        QCOMPARE(skin.size(), QSize(266, 135));
        TKX_LogConsole console;
        console.SetBitmapBG(RGBColor(10, 20, 30));
        QVERIFY(LoadKindIcons(console, skin));
        for (int kind = 1; kind <= 4; ++kind) {
            const QImage icon = console.KindIcon(kind);
            QCOMPARE(icon.size(), QSize(16, 16));
            QCOMPARE(icon.pixelColor(0, 0), QColor(10, 20, 30));  // white corner took the column colour
            bool white = false, coloured = false;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const QColor c = icon.pixelColor(x, y);
                    white |= c == QColor(255, 255, 255);
                    coloured |= c != QColor(10, 20, 30);
                }
            QVERIFY(!white);
            QVERIFY(coloured);
        }
        QCOMPARE(console.KindIcon(3).pixelColor(5, 12), QColor(255, 255, 0));  // warning triangle

        TKX_LogConsole other;
        QVERIFY(!LoadKindIcons(other, skin.copy(0, 0, 266, 134)));
        QVERIFY(other.KindIcon(1).isNull());
    }

    void missingIconLeavesEmptySlot() {
        TKX_LogConsole console;
        console.resize(300, 100);
        console.show();
        QVERIFY(QTest::qWaitForWindowExposed(&console));
        console.AddMessage(lmInfo, Text("x"));
        QTest::qWait(20);
        const QImage shot = console.viewport()->grab().toImage();
        for (int x = 0; x < 3 + 16 + 3; ++x) QCOMPARE(shot.pixelColor(x, 8), QColor(192, 192, 192));
    }

    void logWindow() {
        TConfig config;
        TPM_LogForm form;
        form.BindConfig(&config);
        QCOMPARE(form.windowTitle(), QString("\"Log\"-window"));
        QVERIFY(form.windowFlags() & Qt::Tool);
        QVERIFY(form.windowFlags() & Qt::CustomizeWindowHint);
        QVERIFY(!(form.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(form.Console()->MaxItems(), 300);
        QCOMPARE(form.Console()->SelectedItemBG(), RGBColor(255, 255, 0));
        QStringList captions;
        form.OnShowChanged = [&](bool, const QString& caption) { captions << caption; };
        QSignalSpy shown(&form, &TPM_LogForm::LogWindowShown);
        form.ShowLogWindow(true);
        QVERIFY(form.isVisible());
        QVERIFY(config.ShowLogForm);
        form.ShowLogWindow(false);
        QVERIFY(!form.isVisible());
        QVERIFY(!config.ShowLogForm);
        QCOMPARE(captions, (QStringList{"Hide \"Log\"", "Show \"Log\""}));
        QCOMPARE(shown.count(), 2);

        config.LogFormLeft = 30;
        config.LogFormTop = 40;
        config.LogFormWidth = 500;
        config.LogFormHeight = 250;
        form.ApplyGeometry(config);
        TConfig stored;
        form.StoreGeometry(stored);
        QCOMPARE(QRect(stored.LogFormLeft, stored.LogFormTop, stored.LogFormWidth, stored.LogFormHeight),
                 QRect(30, 40, 500, 250));
    }

    void loadingResourcesIsReported() {
        TPM_LogForm form;
        SetLogConsole(form.Console());
        LoadLogResources(*form.Console());
        SetLogConsole(nullptr);
        QCOMPARE(form.Console()->Count(), 1);
        QCOMPARE(form.Console()->MessageText(0), QString("  + Loading resources ... Complete"));
        QVERIFY(!form.Console()->KindIcon(lmError).isNull());
    }
};

QTEST_MAIN(TestLogConsole)
#include "test_log_console.moc"
