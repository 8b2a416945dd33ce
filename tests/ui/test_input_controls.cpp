// Edit, buttons, colour, metric and path controls.
#include "support/ScriptedControlDialogs.h"
#include "ui/KX_Button.h"
#include "ui/KX_ColorComboBox.h"
#include "ui/KX_Edit.h"
#include "ui/KX_FileDirComboBox.h"
#include "ui/KX_MetricCombo.h"
#include "ui/UiColors.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace pm;

Q_DECLARE_METATYPE(Qt::Key)

namespace {

// A numeric edit between two other fields in an active window.
struct TEditWindow {
    QWidget window;
    QLineEdit* before = new QLineEdit(&window);
    TKX_Edit* edit = new TKX_Edit(&window);
    QLineEdit* after = new QLineEdit(&window);

    TEditWindow(int min, int max, const QString& text = QString()) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(edit);
        layout->addWidget(after);
        edit->SetEditType(etNumeric);
        edit->SetMin(min);
        edit->SetMax(max);
        edit->setText(text);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        edit->setFocus(Qt::TabFocusReason);
    }
};

// Presses the keys of a script: characters are typed, names in braces are keys.
void Play(QWidget* w, const QString& script) {
    static const QHash<QString, Qt::Key> keys = {
        {"up", Qt::Key_Up},     {"down", Qt::Key_Down}, {"del", Qt::Key_Delete}, {"bs", Qt::Key_Backspace},
        {"home", Qt::Key_Home}, {"end", Qt::Key_End},   {"left", Qt::Key_Left},  {"right", Qt::Key_Right}};
    for (qsizetype i = 0; i < script.size(); ++i) {
        if (script[i] == QLatin1Char('{')) {
            const qsizetype close = script.indexOf(QLatin1Char('}'), i);
            const QString name = script.mid(i + 1, close - i - 1);
            if (name == QLatin1String("all"))
                QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
            else
                QTest::keyClick(w, keys.value(name));
            i = close;
        } else {
            QTest::keyClicks(w, QString(script[i]));
        }
    }
}

}  // namespace

class TestInputControls : public QObject {
    Q_OBJECT

private slots:
    void numericKeys_data() {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("expected");
        QTest::newRow("digits up to Max") << 0 << 100 << ""
                                          << "100"
                                          << "100";
        QTest::newRow("digit beyond Max refused") << 0 << 100 << ""
                                                  << "1000"
                                                  << "100";
        QTest::newRow("leading zeros vanish") << 0 << 100 << ""
                                              << "007"
                                              << "7";
        QTest::newRow("letters and blanks ignored") << 0 << 100 << ""
                                                    << "a1 b2."
                                                    << "12";
        QTest::newRow("Up at Max does nothing") << 0 << 100 << "100"
                                                << "{up}"
                                                << "100";
        QTest::newRow("Up adds one") << 0 << 100 << "41"
                                     << "{up}"
                                     << "42";
        QTest::newRow("Down at Min accepted") << 0 << 100 << "0"
                                              << "{down}"
                                              << "-1";
        QTest::newRow("Up on empty text") << 0 << 100 << ""
                                          << "{up}"
                                          << "";
        QTest::newRow("lone minus with negative Min") << -50 << 50 << ""
                                                      << "-"
                                                      << "-";
        QTest::newRow("negative number typed") << -50 << 50 << ""
                                               << "-7"
                                               << "-7";
        QTest::newRow("lone minus refused for 0..100") << 0 << 100 << ""
                                                       << "-"
                                                       << "";
        QTest::newRow("minus only at the start") << -50 << 50 << "5"
                                                 << "{end}-"
                                                 << "5";
        QTest::newRow("minus put in front") << -50 << 50 << "5"
                                            << "{home}-"
                                            << "-5";
        QTest::newRow("below Min accepted while typing") << 10 << 100 << ""
                                                         << "5"
                                                         << "5";
        QTest::newRow("Backspace") << 0 << 100 << "100"
                                   << "{end}{bs}"
                                   << "10";
        QTest::newRow("Backspace to empty") << 0 << 100 << "7"
                                            << "{end}{bs}"
                                            << "";
        QTest::newRow("Delete after caret") << 0 << 100 << "15"
                                            << "{home}{del}"
                                            << "5";
        QTest::newRow("Delete normalises") << 0 << 100 << "105"
                                           << "{home}{del}"
                                           << "5";
        QTest::newRow("Delete refused above Max") << -100 << 9 << "-15"
                                                  << "{home}{del}"
                                                  << "-15";
        QTest::newRow("typing in the middle") << 0 << 1000 << "15"
                                              << "{home}{right}9"
                                              << "195";
        QTest::newRow("typed over a selection") << 0 << 100 << "99"
                                                << "{all}5"
                                                << "5";
        QTest::newRow("minus over a selection from the start") << -9 << 9 << "7"
                                                               << "{all}-"
                                                               << "-";
    }

    void numericKeys() {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(QString, start);
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        TEditWindow w(min, max);
        w.edit->setText(start);
        w.edit->setCursorPosition(int(start.size()));
        Play(w.edit, keys);
        QCOMPARE(w.edit->text(), expected);
    }

    void numericPasteIgnored() {
        TEditWindow w(0, 1000);
        QGuiApplication::clipboard()->setText("42");
        QTest::keyClick(w.edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.edit->text(), QString());
        w.edit->SetEditType(etString);
        QTest::keyClick(w.edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.edit->text(), QString("42"));
    }

    void numericValueAndHint() {
        TKX_Edit edit;
        QCOMPARE(edit.Min(), 1);
        QCOMPARE(edit.Max(), 1);
        QVERIFY(!edit.SetValue(1));  // text mode
        QCOMPARE(edit.Value(), 0);
        edit.SetEditType(etNumeric);
        edit.SetMin(0);
        edit.SetMax(100);
        QCOMPARE(edit.toolTip(), QString("0 ... 100"));
        QVERIFY(edit.alignment() & Qt::AlignRight);
        QVERIFY(edit.SetValue(100));
        QCOMPARE(edit.text(), QString("100"));
        QVERIFY(!edit.SetValue(101));
        QVERIFY(!edit.SetValue(-1));
        QCOMPARE(edit.Value(), 100);
        edit.setText("-");
        QCOMPARE(edit.Value(), 0);
        edit.SetEditType(etString);
        QCOMPARE(edit.toolTip(), QString());
        QVERIFY(!(edit.alignment() & Qt::AlignRight));
    }

    void leavingField_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("vetoed");
        QTest::addColumn<bool>("staysInField");
        QTest::newRow("empty") << "" << false << true;
        QTest::newRow("below Min") << "5" << false << true;
        QTest::newRow("lone minus") << "-" << false << true;
        QTest::newRow("within range") << "50" << false << false;
        QTest::newRow("at Min") << "10" << false << false;
        QTest::newRow("vetoed by OnValidate") << "50" << true << true;
    }

    void leavingField() {
        QFETCH(QString, text);
        QFETCH(bool, vetoed);
        QFETCH(bool, staysInField);
        TEditWindow w(10, 100);
        int validations = 0;
        w.edit->OnValidate = [&](TKX_Edit&, bool& valid) {
            ++validations;
            if (vetoed) valid = false;
        };
        w.edit->setText(text);
        w.edit->setCursorPosition(0);
        QTest::keyClick(w.edit, Qt::Key_Tab);
        QTest::qWait(20);
        QTRY_COMPARE(QApplication::focusWidget() == w.edit, staysInField);
        QCOMPARE(validations, 1);
        if (staysInField) QCOMPARE(w.edit->cursorPosition(), 0);
    }

    void twoInvalidFieldsDoNotFight() {
        TEditWindow w(10, 100);
        auto* second = new TKX_Edit(&w.window);
        w.window.layout()->addWidget(second);
        second->SetEditType(etNumeric);
        second->SetMin(10);
        second->SetMax(100);
        second->show();
        w.edit->setFocus();
        second->setFocus(Qt::TabFocusReason);  // both are empty
        QTest::qWait(50);
        QCOMPARE(QApplication::focusWidget(), w.edit);
        QTest::qWait(50);
        QCOMPARE(QApplication::focusWidget(), w.edit);
    }

    void escapeRestoresAndEnterMovesOn() {
        TEditWindow w(0, 100, "12");
        QCOMPARE(w.edit->SaveValue(), QString("12"));
        Play(w.edit, "{end}{bs}{bs}9");
        QCOMPARE(w.edit->text(), QString("9"));
        QTest::keyClick(w.edit, Qt::Key_Escape);
        QCOMPARE(w.edit->text(), QString("12"));
        QTest::keyClick(w.edit, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.after));
    }

    void saveValueKeptWhileFocusIsTakenBack() {
        TEditWindow w(10, 100, "50");
        Play(w.edit, "{end}{bs}");  // 5: below Min
        QTest::keyClick(w.edit, Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.edit));
        QTest::qWait(20);
        QCOMPARE(w.edit->SaveValue(), QString("50"));
        QTest::keyClick(w.edit, Qt::Key_Escape);
        QCOMPARE(w.edit->text(), QString("50"));
    }

    void buttonHoverColour() {
        TKX_Button button("Browse");
        const QColor simple = button.SimpleColor();
        QCOMPARE(button.HoverColor(), QColor(0, 0, 255));
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(&button, &enter);
        QCOMPARE(button.palette().color(QPalette::ButtonText), QColor(0, 0, 255));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&button, &leave);
        QCOMPARE(button.palette().color(QPalette::ButtonText), simple);
    }

    void colourLabels_data() {
        QTest::addColumn<quint32>("color");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("label");
        QTest::newRow("custom HTML") << quint32(RGBColor(12, 34, 56)) << int(cfHTML) << 16 << "#0C2238 ...";
        QTest::newRow("custom RGB") << quint32(RGBColor(12, 34, 56)) << int(cfRGB) << 16 << "12:34:56 ...";
        QTest::newRow("custom default") << quint32(RGBColor(12, 34, 56)) << int(cfDefault) << 16 << "More...";
        QTest::newRow("red HTML") << quint32(RGBColor(255, 0, 0)) << int(cfHTML) << 9 << "#FF0000";
        QTest::newRow("red RGB") << quint32(RGBColor(255, 0, 0)) << int(cfRGB) << 9 << "255:0:0";
        QTest::newRow("red default") << quint32(RGBColor(255, 0, 0)) << int(cfDefault) << 9 << "Red";
        QTest::newRow("navy default") << quint32(RGBColor(0, 0, 128)) << int(cfDefault) << 4 << "Navy";
        QTest::newRow("black") << quint32(0) << int(cfHTML) << 0 << "#000000";
        QTest::newRow("system colour resolved") << quint32(clBtnFace) << int(cfHTML) << 16 << "#C0C0C0 ...";
    }

    void colourLabels() {
        QFETCH(quint32, color);
        QFETCH(int, format);
        QFETCH(int, entry);
        QFETCH(QString, label);
        TKX_ColorComboBox combo;
        combo.SetColorFormat(TColorFormat(format));
        combo.SetColorValue(color);
        QCOMPARE(combo.currentIndex(), entry);
        QCOMPARE(combo.ColorValue(), color);
        QCOMPARE(combo.EntryLabel(entry), label);
        QCOMPARE(combo.currentText(), label);
    }

    void colourComboDefaults() {
        TKX_ColorComboBox combo;
        QCOMPARE(combo.count(), 17);
        QCOMPARE(combo.ColorValue(), TColor(0));
        QCOMPARE(combo.currentIndex(), 0);
        QCOMPARE(combo.EntryColor(16), RGBColor(230, 230, 230));
        combo.SetColorFormat(cfRGB);
        QCOMPARE(combo.itemText(16), QString("230:230:230 ..."));
        QCOMPARE(combo.itemText(15), QString("255:255:255"));
    }

    void customColourDialog_data() {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QColor>("answer");
        QTest::addColumn<int>("entry");
        QTest::addColumn<quint32>("value");
        QTest::newRow("new colour") << true << QColor(1, 2, 3) << 16 << quint32(RGBColor(1, 2, 3));
        QTest::newRow("standard colour") << true << QColor(255, 0, 0) << 9 << quint32(RGBColor(255, 0, 0));
        QTest::newRow("cancelled") << false << QColor() << 16 << quint32(RGBColor(230, 230, 230));
    }

    void customColourDialog() {
        QFETCH(bool, ok);
        QFETCH(QColor, answer);
        QFETCH(int, entry);
        QFETCH(quint32, value);
        test::TScriptedControlDialogs dialogs;
        if (ok) dialogs.ColorAnswer = answer;
        TKX_ColorComboBox combo;
        QSignalSpy changes(&combo, &TKX_ColorComboBox::Change);
        combo.setCurrentIndex(16);
        emit combo.activated(16);
        QCOMPARE(dialogs.Asked, QStringList{"color #e6e6e6"});
        QCOMPARE(changes.count(), 1);
        QCOMPARE(combo.currentIndex(), entry);
        QCOMPARE(combo.ColorValue(), value);
    }

    void standardEntryChosen() {
        test::TScriptedControlDialogs dialogs;
        TKX_ColorComboBox combo;
        QSignalSpy changes(&combo, &TKX_ColorComboBox::Change);
        combo.setCurrentIndex(12);
        emit combo.activated(12);
        QCOMPARE(combo.ColorValue(), RGBColor(0, 0, 255));
        QVERIFY(dialogs.Asked.isEmpty());
        QCOMPARE(changes.count(), 1);
    }

    void folderHistory() {
        QTemporaryDir tmp;
        QVERIFY(QDir(tmp.path()).mkdir("photos"));
        const QString dir = tmp.path() + "/photos";
        TKX_FileDirComboBox box;
        box.SetObjectType(otDirectory);

        QVERIFY(box.SetObjectCurrentPath(dir));
        QCOMPARE(box.ObjectCurrentPath(), dir + "/");
        QCOMPARE(box.History(), QStringList{dir + "/"});
        QVERIFY(box.SetObjectCurrentPath(dir + "/"));
        QVERIFY(box.SetObjectCurrentPath(dir));
        QCOMPARE(box.History(), QStringList{dir + "/"});
        QCOMPARE(box.ComboBox()->currentIndex(), 0);

        QVERIFY(box.SetObjectCurrentPath(tmp.path()));
        QCOMPARE(box.History(), (QStringList{tmp.path() + "/", dir + "/"}));
        QVERIFY(box.SetObjectCurrentPath(dir));
        QCOMPARE(box.ComboBox()->currentIndex(), 1);

        QVERIFY(!box.SetObjectCurrentPath(tmp.path() + "/missing"));
        QCOMPARE(box.ObjectCurrentPath(), QString());
        QCOMPARE(box.ComboBox()->currentIndex(), -1);
        QCOMPARE(box.History().size(), 2);
    }

    void historyEntryWithoutSeparatorIsFound() {
        QTemporaryDir tmp;
        TKX_FileDirComboBox box;
        box.SetObjectType(otDirectory);
        box.ComboBox()->addItem(tmp.path());
        QVERIFY(box.SetObjectCurrentPath(tmp.path() + "/"));
        QCOMPARE(box.History(), QStringList{tmp.path()});
        QCOMPARE(box.ObjectCurrentPath(), tmp.path() + "/");
    }

    void filePaths() {
        QTemporaryDir tmp;
        const QString file = tmp.path() + "/a.pms";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        TKX_FileDirComboBox box;
        QVERIFY(box.SetObjectCurrentPath(file));
        QCOMPARE(box.ObjectCurrentPath(), file);
        QVERIFY(!box.SetObjectCurrentPath(tmp.path()));  // a folder is not a file
        QVERIFY(!box.SetObjectCurrentPath(tmp.path() + "/b.pms"));
        QCOMPARE(box.History(), QStringList{file});
    }

    void typingTakesValidPaths() {
        QTemporaryDir tmp;
        TKX_FileDirComboBox box;
        box.SetObjectType(otDirectory);
        QSignalSpy changes(&box, &TKX_FileDirComboBox::Change);
        const QString typed = tmp.path() + "/x";
        QTest::keyClicks(box.ComboBox()->lineEdit(), typed);
        QCOMPARE(changes.count(), typed.size());
        QCOMPARE(box.ObjectCurrentPath(), QString());  // ".../x" does not exist
        QCOMPARE(box.ComboBox()->currentText(), typed);
        QTest::keyClick(box.ComboBox()->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(box.ObjectCurrentPath(), tmp.path() + "/");
        QVERIFY(box.History().contains(tmp.path() + "/"));
        QCOMPARE(box.ComboBox()->currentText(), tmp.path() + "/");
    }

    void browsing_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("answer");  // relative to the temporary folder; "-" cancels
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("browseClicks");
        QTest::addColumn<int>("changes");
        QTest::newRow("folder") << int(otDirectory) << "sub"
                                << "sub/" << 1 << 1;
        QTest::newRow("folder cancelled") << int(otDirectory) << "-"
                                          << "" << 0 << 0;
        QTest::newRow("file") << int(otFile) << "sub/a.jpg"
                              << "sub/a.jpg" << 1 << 1;
        QTest::newRow("missing file") << int(otFile) << "sub/b.jpg"
                                      << "" << 0 << 1;
    }

    void browsing() {
        QFETCH(int, type);
        QFETCH(QString, answer);
        QFETCH(QString, path);
        QFETCH(int, browseClicks);
        QFETCH(int, changes);
        QTemporaryDir tmp;
        QDir(tmp.path()).mkdir("sub");
        QFile f(tmp.path() + "/sub/a.jpg");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        test::TScriptedControlDialogs dialogs;
        if (answer != "-") {
            dialogs.DirectoryAnswer = tmp.path() + "/" + answer;
            dialogs.OpenFileAnswer = tmp.path() + "/" + answer;
        }
        TKX_FileDirComboBox box;
        box.SetObjectType(TObjectType(type));
        box.SetObjectCommentText("Select folder ...");
        box.SetObjectFilterText("Pictures|*.jpg");
        QSignalSpy clicks(&box, &TKX_FileDirComboBox::Click);
        QSignalSpy browsed(&box, &TKX_FileDirComboBox::BrowseClick);
        QSignalSpy changed(&box, &TKX_FileDirComboBox::Change);
        box.BrowseButton()->click();
        QCOMPARE(clicks.count(), type == otFile ? 1 : 0);
        QCOMPARE(browsed.count(), browseClicks);
        QCOMPARE(changed.count(), changes);
        QCOMPARE(box.ObjectCurrentPath(), path.isEmpty() ? QString() : tmp.path() + "/" + path);
        QCOMPARE(dialogs.Asked.size(), 1);
        QVERIFY(dialogs.Asked[0].startsWith(type == otFile ? "open Select folder ..."
                                                           : "directory Select folder ..."));
    }

    void enterTakesPathAndBrowses() {
        QTemporaryDir tmp;
        test::TScriptedControlDialogs dialogs;
        TKX_FileDirComboBox box;
        box.SetObjectType(otDirectory);
        box.SetObjectCommentText("Target");
        QSignalSpy browsed(&box, &TKX_FileDirComboBox::BrowseClick);
        box.ComboBox()->setEditText(tmp.path());
        QTest::keyClick(box.ComboBox(), Qt::Key_Return);
        QCOMPARE(browsed.count(), 1);
        QCOMPARE(box.ObjectCurrentPath(), tmp.path() + "/");
        QCOMPARE(dialogs.Asked, QStringList{"directory Target at " + tmp.path() + "/"});
    }

    void pipeFilters() {
        QCOMPARE(PipeFilterToQt("PM scenario files (*.pms)|*.pms"), QStringList{"PM scenario files (*.pms)"});
        QCOMPARE(PipeFilterToQt("All avialable formats|;*.CEL;*.PIC"),
                 QStringList{"All avialable formats (*.CEL *.PIC)"});
        QCOMPARE(PipeFilterToQt("A|*.a|B|*.b;*.c"), (QStringList{"A (*.a)", "B (*.b *.c)"}));
    }
};

QTEST_MAIN(TestInputControls)
#include "test_input_controls.moc"
