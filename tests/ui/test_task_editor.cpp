// The task editor over a scenario: every settings page round trip through a
// scenario file, creating, retyping and resetting tasks, and the name rule.
#include "core/PM_Utils.h"
#include "core/ScenarioFile.h"
#include "core/StringUtils.h"
#include "support/TaskRig.h"
#include "support/TempDir.h"
#include "tasks/PM__TLoadFromFile.h"
#include "tasks/PM__TSaveToFile.h"
#include "tasks/PM__TShadow.h"
#include "tasks/PM__TStamp.h"
#include "tasks/StandardClasses.h"
#include "ui/KX_Button.h"
#include "ui/KX_ColorComboBox.h"
#include "ui/KX_Edit.h"
#include "ui/KX_FileDirComboBox.h"
#include "ui/KX_MetricCombo.h"
#include "ui/PageBuilder.h"
#include "ui/TaskEditPages.h"
#include "ui/UiColors.h"
#include "ui/UiScale.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>
#include <map>
#include <set>

using namespace pm;
using namespace pm::test;

namespace {

// The page of a type (by registry position).
QWidget* PageOf(TTaskRig& b, int type) {
    return b.editor.Main_NB->widget(b.form.TaskInfos()[type].Info.PageIndex);
}

// The named setting widgets of a page, including those on hidden sub-pages.
QList<QWidget*> SettingWidgets(QWidget* page) {
    QList<QWidget*> out;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || qobject_cast<QStackedWidget*>(w)) continue;
        if (qobject_cast<TKX_Edit*>(w) || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QComboBox*>(w) ||
            qobject_cast<QCheckBox*>(w) || qobject_cast<QToolButton*>(w) || qobject_cast<QTreeWidget*>(w) ||
            qobject_cast<TKX_FileDirComboBox*>(w))
            out << w;
    }
    return out;
}

// What every setting widget of a page shows, by widget name.
std::map<QString, QString> Snapshot(QWidget* page) {
    std::map<QString, QString> s;
    for (QWidget* w : SettingWidgets(page)) {
        QString v;
        if (auto* e = qobject_cast<QLineEdit*>(w))
            v = e->text();
        else if (auto* m = qobject_cast<QPlainTextEdit*>(w))
            v = m->toPlainText();
        else if (auto* c = qobject_cast<TKX_ColorComboBox*>(w))
            v = QString::number(c->ColorValue(), 16);
        else if (auto* c = qobject_cast<QComboBox*>(w))
            v = QString::number(c->currentIndex());
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
            v = b->isChecked() ? "on" : "off";
        else if (auto* f = qobject_cast<TKX_FileDirComboBox*>(w))
            v = f->ComboBoxCaption();
        else if (auto* t = qobject_cast<QTreeWidget*>(w))
            for (int i = 0; i < t->topLevelItemCount(); ++i)
                v += t->topLevelItem(i)->checkState(0) == Qt::Checked ? '1' : '0';
        s[w->objectName()] = v;
    }
    return s;
}

// Changes every setting widget of a page the way a user would set another
// value. The format list keeps at least one format ticked.
void EditEveryWidget(QWidget* page) {
    for (QWidget* w : SettingWidgets(page)) {
        if (auto* e = qobject_cast<TKX_Edit*>(w)) {
            if (e->EditType() == etNumeric) {
                const int v = e->Value();
                e->setText(QString::number(v < e->Max() ? v + 1 : v - 1));
            } else {
                e->setText(e->text() + "x");
            }
        } else if (auto* m = qobject_cast<QPlainTextEdit*>(w)) {
            m->setPlainText("line 1\nline 2");
        } else if (auto* c = qobject_cast<TKX_ColorComboBox*>(w)) {
            c->SetColorValue(c->EntryColor((c->currentIndex() + 1) % 16));
        } else if (auto* mc = qobject_cast<TKX_MetricCombo*>(w)) {
            mc->SetMetric(mc->Metric() == mPixel ? mPercent : mPixel);
        } else if (auto* c = qobject_cast<QComboBox*>(w)) {
            c->setCurrentIndex((c->currentIndex() + 1) % c->count());
        } else if (auto* cb = qobject_cast<QCheckBox*>(w)) {
            cb->click();
        } else if (auto* f = qobject_cast<TKX_FileDirComboBox*>(w)) {
            f->SetComboBoxCaption("/no/such/background.bmp");
        } else if (auto* t = qobject_cast<QTreeWidget*>(w)) {
            for (int i = 1; i < t->topLevelItemCount(); i += 2)
                t->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
        }
    }
    for (QToolButton* anchor : page->findChildren<QToolButton*>())
        if (anchor->objectName().endsWith("_Anchor_SB1")) anchor->click();
}

std::set<std::string> SettingKeys(const TBaseClass& t) {
    std::set<std::string> keys;
    for (const auto& s : t.Settings()) keys.insert(s.Value->Name);
    return keys;
}

// Settings whose stored text differs between a task and a fresh one of its type.
std::set<std::string> ChangedKeys(TBaseClass& a, TBaseClass& fresh) {
    std::map<std::string, std::string> ra, rb;
    for (const TINIRecord& r : a.SaveSettings("n").Records()) ra[r.Name] = r.Data;
    for (const TINIRecord& r : fresh.SaveSettings("n").Records()) rb[r.Name] = r.Data;
    std::set<std::string> changed;
    for (const auto& [k, v] : rb)
        if (k != "TaskName" && k != "TaskType" && ra[k] != v) changed.insert(k);
    return changed;
}

QStringList TypeEntries(const TPM_TaskEditForm& e) {
    QStringList l;
    for (int i = 0; i < e.TaskTypeCB->count(); ++i) l << e.TaskTypeCB->itemText(i);
    return l;
}

// The window system moves the focus to the window of `w` (a click on it).
void Focus(QWidget* w) {
    w->windowHandle()->requestActivate();
    QTRY_COMPARE(QGuiApplication::focusWindow(), w->windowHandle());
}

// The settings dialog's "Allow to change type of task", applied.
void AllowTypeChange(TTaskRig& b, bool allow) {
    b.form.Config().AllowChangeTaskType = allow;
    b.form.ApplySettings();
}

void ChooseType(TPM_TaskEditForm& e, const QString& caption) {
    const int i = e.TaskTypeCB->findText(caption);
    QVERIFY(i >= 0);
    e.TaskTypeCB->setCurrentIndex(i);
    emit e.TaskTypeCB->activated(i);
}

// Where every shown, named widget of every settings page sits, page by page.
std::map<QString, QRect> PagePlaces(TPM_TaskEditForm& e) {
    std::map<QString, QRect> places;
    for (int i = 0; i < e.Main_NB->count(); ++i) {
        e.Main_NB->setCurrentIndex(i);
        QCoreApplication::sendPostedEvents();  // layouts run on posted requests
        QWidget* page = e.Main_NB->widget(i);
        for (QWidget* w : page->findChildren<QWidget*>())
            if (!w->objectName().isEmpty() && w->isVisible())
                places[w->objectName()] = QRect(w->mapTo(page, QPoint(0, 0)), w->size());
    }
    return places;
}

}  // namespace

class TestTaskEditor : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { RegisterStandardClasses(); }

    void pagesFollowTheRegistry() {
        TTaskRig b;
        QCOMPARE(b.editor.Main_NB->count(), int(kTaskPageCaptions.size()));
        QCOMPARE(b.form.TaskInfos().Count(), int(kTaskPageCaptions.size()));
        for (int i = 0; i < int(kTaskPageCaptions.size()); ++i)
            QCOMPARE(b.editor.Main_NB->widget(i)->objectName(), kTaskPageCaptions[i]);
        auto* rc = b.editor.findChild<QStackedWidget*>("RC_NB");
        auto* stf = b.editor.findChild<QStackedWidget*>("stfOutputFormat");
        QCOMPARE(rc->widget(0)->objectName() + rc->widget(1)->objectName(), QString("01"));
        QStringList formats;
        for (int i = 0; i < stf->count(); ++i) formats << stf->widget(i)->objectName();
        QCOMPARE(formats.join(' '), QString("JPEG BMP PNG TIFF WebP AVIF"));
        // Choosing a mode or a format shows its sub-page.
        b.editor.findChild<QComboBox*>("RC_Method")->setCurrentIndex(1);
        QCOMPARE(rc->currentIndex(), 1);
        for (int format : {1, 5, 3}) {
            b.editor.findChild<QComboBox*>("stfFormat")->setCurrentIndex(format);
            QCOMPARE(stf->currentIndex(), format);
        }
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    // A page's numeric fields are the integers its task declares with a
    // widget, bounded by the declared ranges; a field for anything else is
    // refused when the page is built.
    void numericFieldsTakeTheDeclaredRanges() {
        TTaskRig b;
        for (int type = 0; type < b.form.TaskInfos().Count(); ++type) {
            auto task = MakeTask(b.form.TaskInfos()[type].Info.ClassName, nullptr);
            QWidget* page = PageOf(b, int(type));
            std::set<QString> declared, fields;
            for (const TBaseClass::TSetting& s : task->Settings()) {
                const auto* v = dynamic_cast<const TKX_Integer*>(s.Value.get());
                if (!v || s.Widget.empty()) continue;
                const QString name = QString::fromStdString(s.Widget);
                declared.insert(name);
                auto* edit = page->findChild<TKX_Edit*>(name);
                QVERIFY2(edit && edit->EditType() == etNumeric, qPrintable(name));
                QCOMPARE(edit->Min(), v->Range().Min);
                QCOMPARE(edit->Max(), v->Range().Max);
            }
            for (TKX_Edit* e : page->findChildren<TKX_Edit*>())
                if (e->EditType() == etNumeric) fields.insert(e->objectName());
            QVERIFY2(fields == declared, task->ClassName().c_str());
        }
        TPageBuilder builder(QStringLiteral("probe"));
        const TShadow shadow;
        for (const char* name : {"FX2_Shadow_Color_CB", "FX3_Top_Amount"}) {
            bool refused = false;
            try {
                builder.Numeric(QString::fromLatin1(name), shadow, 0, 0);
            } catch (const std::logic_error&) {
                refused = true;
            }
            QVERIFY2(refused, name);
        }
    }

    void everyPageRoundTripsThroughAScenarioFile_data() {
        QTest::addColumn<int>("type");
        const std::size_t first = TaskTypeNames().size();
        for (std::size_t i = 0; i < first + AddedTaskTypeNames().size(); ++i)
            QTest::newRow(i < first ? TaskTypeNames()[i].c_str() : AddedTaskTypeNames()[i - first].c_str())
                << int(i);
    }
    void everyPageRoundTripsThroughAScenarioFile() {
        QFETCH(int, type);
        TTempDir dir;
        const std::string file = dir.Path("round.pms");
        std::map<QString, QString> edited;
        std::string className;
        {
            TTaskRig b;
            className = b.form.TaskInfos()[type].Info.ClassName;
            b.NewScenario();
            if (b.RowOfType(className) < 0) {
                // An added type: a new scenario lacks it, so the user adds it.
                b.Select(3);
                b.form.NewTaskClick();
                ChooseType(b.editor, QString::fromStdString(b.form.TaskInfos()[type].Caption));
                b.editor.btn1->click();
            }
            const int row = b.RowOfType(className);
            b.Select(row);
            QCOMPARE(b.editor.Main_NB->currentIndex(), b.form.TaskInfos()[type].Info.PageIndex);
            QCOMPARE(b.editor.btn1->text(), QString("Save settings"));

            // The page shows the defaults.
            auto fresh = MakeTask(className, &b.form.Context());
            auto probe = MakeTask(className, &b.form.Context());
            probe->ReadSettings(b.editor.Page(), vsCurrent);
            QVERIFY(ChangedKeys(*probe, *fresh).empty());

            // Every widget edited and saved reaches its setting.
            EditEveryWidget(PageOf(b, type));
            edited = Snapshot(PageOf(b, type));
            b.editor.btn1->click();
            TBaseClass& saved = *b.form.Scenario().Entries[std::size_t(row)]->Task;
            std::set<std::string> expected = SettingKeys(saved);
            if (className == "TLoadFromFile") {
                // The declared settings (the orientation switch) and every other format row.
                for (int i = 1; i < TLoadFromFile::kFormatCount; i += 2)
                    expected.insert(static_cast<TLoadFromFile&>(saved).Formats[i]->Enabled.Name);
            }
            QCOMPARE(ChangedKeys(saved, *fresh), expected);
            if (className == "TSaveToFile")
                QCOMPARE(static_cast<TSaveToFile&>(saved).JPEG_Comment.GetValue(vsCurrent),
                         std::string("line 1\r\nline 2"));
            QVERIFY(WriteScenarioFile(b.form.Scenario().Entries, file));
            QVERIFY2(b.editor.Page().UnknownWidgets().isEmpty(),
                     qPrintable(b.editor.Page().UnknownWidgets().join(", ")));
        }
        // A fresh program opens the file and shows the same values.
        TTaskRig b;
        b.dialogs.File(file);
        b.form.MM_ScOpenClick();
        b.Select(b.RowOfType(className));
        QCOMPARE(Snapshot(PageOf(b, type)), edited);
        QVERIFY(b.editor.Page().UnknownWidgets().isEmpty());
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    void newTaskCompactModeAndInsertion_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("inserted");
        QTest::newRow("middle row: right after it") << 3 << 4;
        QTest::newRow("saving task: just before it") << 10 << 10;
        QTest::newRow("loading task: right after it") << 0 << 1;
    }
    void newTaskCompactModeAndInsertion() {
        QFETCH(int, selected);
        QFETCH(int, inserted);
        TTaskRig b;
        b.NewScenario(selected);
        b.form.NewTaskClick();
        QCOMPARE(b.editor.windowTitle(), QString("New task ..."));
        QCOMPARE(b.editor.height(), ScaledPx(&b.editor, 120));
        QVERIFY(b.editor.GroupBox2->isHidden());
        QVERIFY(b.editor.DefaultBtn->isHidden() && b.editor.ApplyEffect_B->isHidden());
        QVERIFY(!b.form.NewTask->isEnabled() && !b.form.EditTask->isEnabled() &&
                !b.form.FullTest->isEnabled());
        QCOMPARE(b.editor.btn1->text(), QString("Create task"));
        // Neither loading nor saving can be chosen; the name follows the type.
        QStringList entries = TypeEntries(b.editor);
        QCOMPARE(entries.size(), int(9 + AddedTaskTypeNames().size()));
        QVERIFY(!entries.contains("File: Save to file"));
        QCOMPARE(entries.first(), QString("Transform: Change image size"));
        QCOMPARE(b.editor.TaskName->text(), QString("Make \"ResizeImage\""));
        ChooseType(b.editor, "Border: \"Film\"");
        QCOMPARE(b.editor.TaskName->text(), QString("Make border \"Film\""));

        b.editor.btn1->click();
        QCOMPARE(b.form.Scenario().Count(), 12);
        QCOMPARE(b.form.Scenario().Selected, inserted);
        QCOMPARE(b.form.Scenario().Entries[std::size_t(inserted)]->Name, std::string("Make border \"Film\""));
        QCOMPARE(b.form.Scenario().Entries[std::size_t(inserted)]->Task->ClassName(), std::string("TFilm"));
        QCOMPARE(b.form.Scenario().Entries.back()->Task->ClassName(), std::string("TSaveToFile"));
        QCOMPARE(b.form.EditorMode, TEditorMode::ExistingTask);
        QCOMPARE(b.editor.btn1->text(), QString("Save settings"));
        QCOMPARE(b.editor.height(), ScaledPx(&b.editor, 320));
        QVERIFY(!b.editor.GroupBox2->isHidden() && !b.editor.DefaultBtn->isHidden());
        QCOMPARE(b.editor.Main_NB->currentWidget()->objectName(), QString("FX7"));
        QCOMPARE(b.editor.windowTitle(), QString("Task setting [ Make border \"Film\" ]"));
        QVERIFY(b.form.NewTask->isEnabled() && b.form.DeleteTask->isEnabled());
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    void cancellingANewTaskAsksAndReloads_data() {
        QTest::addColumn<bool>("create");
        QTest::newRow("No") << false;
        QTest::newRow("Yes") << true;
    }
    void cancellingANewTaskAsksAndReloads() {
        QFETCH(bool, create);
        TTaskRig b;
        b.NewScenario(2);
        b.form.NewTaskClick();
        b.dialogs.Answer(create);
        b.editor.btn2->click();
        QCOMPARE(b.dialogs.Questions.size(), std::size_t(1));
        QCOMPARE(b.dialogs.Questions[0].Text, std::string("Create new task?"));
        QVERIFY(b.dialogs.Questions[0].DefaultYes);
        QCOMPARE(b.form.Scenario().Count(), create ? 12 : 11);
        QCOMPARE(b.form.Scenario().Selected, create ? 3 : 2);
        // The selected row is loaded again in existing-task mode.
        QCOMPARE(b.form.EditorMode, TEditorMode::ExistingTask);
        QCOMPARE(
            b.editor.TaskName->text(),
            QString::fromStdString(b.form.Scenario().Entries[std::size_t(b.form.Scenario().Selected)]->Name));
        QVERIFY(!b.editor.DefaultBtn->isHidden() && !b.editor.ApplyEffect_B->isHidden());
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    void typeOfAMiddleTaskChanges() {
        TTaskRig b;
        b.ChooseTestPictures({{"a.bmp", 120, 90}});
        AllowTypeChange(b, true);
        b.NewScenario();
        const int row = b.RowOfType("TShadow");
        b.Select(row);
        QVERIFY(b.editor.TaskTypeCB->isEnabled());
        QCOMPARE(TypeEntries(b.editor).size(), int(9 + AddedTaskTypeNames().size()));
        QVERIFY(b.editor.ApplyEffect_B->isEnabled() && b.form.FullTest->isEnabled());
        ChooseType(b.editor, "Border: \"Stamp\"");
        QCOMPARE(b.editor.Main_NB->currentWidget()->objectName(), QString("FX8"));
        // No test of settings that belong to another type.
        QVERIFY(!b.editor.ApplyEffect_B->isEnabled());
        QVERIFY(!b.form.FullTest->isEnabled());
        b.editor.findChild<TKX_Edit*>("FX8_Radius")->setText("42");
        b.editor.btn1->click();

        QCOMPARE(b.form.Scenario().Count(), 11);
        auto* stamp = dynamic_cast<TStamp*>(b.form.Scenario().Entries[std::size_t(row)]->Task.get());
        QVERIFY(stamp);
        QCOMPARE(stamp->Radius.GetValue(vsCurrent), 42);
        QCOMPARE(b.form.Scenario().Entries[std::size_t(row)]->Name, std::string("Make border \"Shadow\""));
        QCOMPARE(b.form.Context().CurrentTask, static_cast<TBaseClass*>(stamp));
        // Saved: the settings belong to the task's type again.
        QVERIFY(b.editor.ApplyEffect_B->isEnabled() && b.form.FullTest->isEnabled());
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    void typeListFollowsTheSettingAndNeverRetypesTheEnds() {
        TTaskRig b;
        b.NewScenario(0);
        QCOMPARE(TypeEntries(b.editor).size(), int(11 + AddedTaskTypeNames().size()));
        QCOMPARE(b.editor.TaskTypeCB->currentText(), QString("File: Load from file"));
        AllowTypeChange(b, true);
        QVERIFY(!b.editor.TaskTypeCB->isEnabled());
        b.Select(10);
        QVERIFY(!b.editor.TaskTypeCB->isEnabled());
        b.Select(5);
        QVERIFY(b.editor.TaskTypeCB->isEnabled());
        AllowTypeChange(b, false);
        QVERIFY(!b.editor.TaskTypeCB->isEnabled());
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    void defaultSettings_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("No") << false;
        QTest::newRow("Yes") << true;
    }
    void defaultSettings() {
        QFETCH(bool, yes);
        TTaskRig b;
        b.NewScenario();
        const int row = b.RowOfType("TShadow");
        b.Select(row);
        auto* x = b.editor.findChild<TKX_Edit*>("FX2_Shadow_X");
        b.editor.TaskName->setText("Drop shadow");
        x->setText("20");
        b.editor.btn1->click();
        auto& shadow = static_cast<TShadow&>(*b.form.Scenario().Entries[std::size_t(row)]->Task);
        QCOMPARE(shadow.Shadow_X.GetValue(vsCurrent), 20);

        b.dialogs.Answer(yes);
        b.editor.DefaultBtn->click();
        QCOMPARE(b.dialogs.Questions.back().Text,
                 std::string("The original type of this task:\r\n\"Border: \"Shadow\"\"\r\n"
                             "Load default settings for this task?"));
        QVERIFY(!b.dialogs.Questions.back().DefaultYes);
        QCOMPARE(x->text(), QString(yes ? "6" : "20"));
        QCOMPARE(b.editor.TaskName->text(), QString(yes ? "Make border \"Shadow\"" : "Drop shadow"));
        // Nothing is stored until the settings are saved.
        auto& now = static_cast<TShadow&>(*b.form.Scenario().Entries[std::size_t(row)]->Task);
        QCOMPARE(now.Shadow_X.GetValue(vsCurrent), 20);

        // Coming back to the main window asks only about real changes.
        b.editor.show();
        if (yes) b.dialogs.No();
        b.form.FormActivate();
        QCOMPARE(b.dialogs.Questions.size(), std::size_t(yes ? 2 : 1));
        if (yes) QCOMPARE(b.dialogs.Questions.back().Text, std::string("Settings changed. Save?"));
        QCOMPARE(now.Shadow_X.GetValue(vsCurrent), 20);
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    void savingOnActivationKeepsTheEdits() {
        TTaskRig b;
        b.NewScenario();
        const int row = b.RowOfType("TShadow");
        b.Select(row);
        b.editor.show();
        b.editor.findChild<TKX_ColorComboBox*>("FX2_BG_Color_CB")->SetColorValue(RGBColor(0, 0, 255));
        b.dialogs.Yes();
        b.form.FormActivate();
        auto& shadow = static_cast<TShadow&>(*b.form.Scenario().Entries[std::size_t(row)]->Task);
        QCOMPARE(shadow.BG_Color.GetValue(vsCurrent), RGBColor(0, 0, 255));
        b.form.FormActivate();  // nothing left to ask
        QCOMPARE(b.dialogs.Questions.size(), std::size_t(1));
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    void leavingTheEditorAsksButClosingABoxDoesNot() {
        TTaskRig b;
        b.NewScenario();
        b.Select(b.RowOfType("TShadow"));
        b.form.show();
        b.editor.show();
        Focus(&b.editor);
        b.editor.findChild<TKX_Edit*>("FX2_Radius")->setText("50");
        b.dialogs.No();
        Focus(&b.form);
        QCOMPARE(b.dialogs.Questions.size(), std::size_t(1));
        QCOMPARE(b.dialogs.Questions[0].Text, std::string("Settings changed. Save?"));

        // The focus that a closing box of the program gives back is no
        // reason to ask again.
        QDialog box(&b.form);
        box.show();
        Focus(&box);
        box.close();
        Focus(&b.form);
        QCOMPARE(b.dialogs.Questions.size(), std::size_t(1));
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    // The colour boxes and the pages are laid out for the widest colour
    // format: no label is cut, nothing moves when the format changes, also
    // when the format is applied before the window is first shown (a
    // restart with the format saved).
    void pagesFitEveryColourFormat_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("beforeShown");
        for (int format : {cfDefault, cfHTML, cfRGB}) {
            QTest::addRow("format %d, changed while shown", format) << format << false;
            QTest::addRow("format %d, at start-up", format) << format << true;
        }
    }
    void pagesFitEveryColourFormat() {
        QFETCH(int, format);
        QFETCH(bool, beforeShown);
        TPM_TaskEditForm reference;
        reference.show();
        QVERIFY(QTest::qWaitForWindowExposed(&reference));
        const std::map<QString, QRect> places = PagePlaces(reference);

        TPM_TaskEditForm e;
        if (beforeShown) e.ApplyColorFormat(TColorFormat(format));
        e.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        if (!beforeShown) e.ApplyColorFormat(TColorFormat(format));
        QCOMPARE(e.size(), reference.size());
        QVERIFY(PagePlaces(e) == places);

        for (int i = 0; i < e.Main_NB->count(); ++i) {
            e.Main_NB->setCurrentIndex(i);
            QCoreApplication::sendPostedEvents();
            QWidget* page = e.Main_NB->widget(i);
            for (QLabel* label : page->findChildren<QLabel*>())
                if (label->isVisible())
                    QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
            for (TKX_ColorComboBox* combo : page->findChildren<TKX_ColorComboBox*>()) {
                if (!combo->isVisible()) continue;
                QStyleOptionComboBox opt;
                opt.initFrom(combo);
                const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt,
                                                                   QStyle::SC_ComboBoxEditField, combo);
                const int room = field.width() - ScaledPx(combo, 24);
                // Custom colours with wide digits in both number formats.
                for (TColor custom : {RGBColor(254, 254, 254), RGBColor(208, 188, 218)}) {
                    combo->SetColorValue(custom);
                    for (int entry = 0; entry < TKX_ColorComboBox::kEntryCount; ++entry) {
                        const QString text = combo->EntryLabel(entry);
                        QVERIFY2(combo->fontMetrics().horizontalAdvance(text) <= room,
                                 qPrintable(combo->objectName() + ": " + text));
                    }
                }
            }
        }
    }

    // Closing the editor from its title bar asks what leaving it asks.
    void closingTheEditorAsksLikeLeavingIt_data() {
        QTest::addColumn<bool>("newTask");
        QTest::newRow("a new task") << true;
        QTest::newRow("changed settings") << false;
    }
    void closingTheEditorAsksLikeLeavingIt() {
        QFETCH(bool, newTask);
        TTaskRig b;
        b.NewScenario();
        const int row = b.RowOfType("TShadow");
        b.Select(row);
        b.editor.show();
        if (newTask)
            b.form.NewTaskClick();
        else
            b.editor.findChild<TKX_Edit*>("FX2_Radius")->setText("50");
        b.dialogs.Yes();
        QVERIFY(b.editor.close());
        QCOMPARE(b.dialogs.Questions.size(), std::size_t(1));
        QCOMPARE(b.dialogs.Questions[0].Text,
                 std::string(newTask ? "Create new task?" : "Settings changed. Save?"));
        if (newTask) {
            QCOMPARE(b.form.Scenario().Count(), 12);
            QCOMPARE(b.form.EditorMode, TEditorMode::ExistingTask);
        } else {
            QCOMPARE(static_cast<TShadow&>(b.TaskAt(row)).Radius.GetValue(vsCurrent), 50);
        }
        // The scenario page is usable again.
        QVERIFY(b.form.NewTask->isEnabled() && b.form.EditTask->isEnabled());
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    void blankNamesAreRefused() {
        TTaskRig b;
        b.NewScenario(3);
        b.editor.show();
        b.editor.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&b.editor));
        b.editor.TaskName->setFocus(Qt::TabFocusReason);
        b.editor.TaskName->selectAll();
        QTest::keyClicks(b.editor.TaskName, "   ");
        QVERIFY(!b.editor.btn1->isEnabled());
        const std::string before = b.form.Scenario().Entries[3]->Name;
        b.windows.btn1Click();
        QCOMPARE(b.form.Scenario().Entries[3]->Name, before);
        // The field cannot be left until a name is typed.
        QTest::keyClick(b.editor.TaskName, Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(b.editor.TaskName));
        QTest::keyClicks(b.editor.TaskName, "x");
        QVERIFY(b.editor.btn1->isEnabled());
        QTest::keyClick(b.editor.TaskName, Qt::Key_Tab);
        QTRY_VERIFY(QApplication::focusWidget() != b.editor.TaskName);
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    void valuesBeyondAFieldsRangeSurviveSaving() {
        // A hand-edited file may hold any number; showing and saving the
        // task must not change it behind the user's back.
        TTempDir dir;
        const std::string file = dir.Path("wide.pms");
        {
            TRunContext ctx;
            TTaskList list;
            for (const char* type : {"TLoadFromFile", "TShadow", "TSaveToFile"}) {
                auto rec = std::make_unique<TaskRec>();
                rec->Task = MakeTask(type, &ctx);
                rec->Name = type;
                list.push_back(std::move(rec));
            }
            static_cast<TShadow&>(*list[1]->Task).Radius.SetValue(500, vsCurrent);
            QVERIFY(WriteScenarioFile(list, file));
        }
        TTaskRig b;
        b.dialogs.File(file);
        b.form.MM_ScOpenClick();
        b.Select(1);
        QCOMPARE(b.editor.findChild<TKX_Edit*>("FX2_Radius")->text(), QString("500"));
        b.editor.btn1->click();
        QCOMPARE(static_cast<TShadow&>(b.TaskAt(1)).Radius.GetValue(vsCurrent), 500);
        QVERIFY(b.dialogs.Unexpected.empty());
    }

    void formatListKeepsOneFormat() {
        TTaskRig b;
        b.NewScenario(0);
        auto* list = b.editor.findChild<QTreeWidget*>("FileType_LV");
        QCOMPARE(list->topLevelItemCount(), 22);
        QCOMPARE(list->topLevelItem(12)->text(1), QString("JPG, JPEG, JPE, JFIF"));
        QCOMPARE(list->topLevelItem(20)->text(1), QString("HEIC, HEIF, AVIF"));
        QCOMPARE(list->topLevelItem(21)->text(0), QString("WebP images"));
        b.editor.findChild<QPushButton*>("ClearAll")->click();
        QVERIFY(!b.editor.btn1->isEnabled());
        list->topLevelItem(9)->setCheckState(0, Qt::Checked);
        QVERIFY(b.editor.btn1->isEnabled());
        b.editor.findChild<QPushButton*>("InvertAll")->click();
        QCOMPARE(list->topLevelItem(9)->checkState(0), Qt::Unchecked);
        QCOMPARE(list->topLevelItem(0)->checkState(0), Qt::Checked);
        QVERIFY(b.editor.btn1->isEnabled());
        QVERIFY(b.dialogs.Unexpected.empty());
    }
};

QTEST_MAIN(TestTaskEditor)
#include "test_task_editor.moc"
