#pragma once
// Answers the controls' questions from a script and records what was asked.
#include "ui/ControlDialogs.h"

#include <QStringList>
#include <deque>

namespace pm::test {

class TScriptedControlDialogs : public IControlDialogs {
public:
    TScriptedControlDialogs() { SetControlDialogs(this); }
    ~TScriptedControlDialogs() override { SetControlDialogs(nullptr); }

    std::optional<QColor> ColorAnswer;
    QString DirectoryAnswer, OpenFileAnswer, SaveFileAnswer;

    QStringList Asked;   // one line per question: kind and title or start
    QStringList Errors;  // caption + ": " + text of every error box

    std::optional<QColor> ChooseColor(QWidget*, const QColor& initial) override {
        Asked << QStringLiteral("color %1").arg(initial.name());
        return ColorAnswer;
    }
    QString ChooseDirectory(QWidget*, const QString& title, const QString& start) override {
        Asked << QStringLiteral("directory %1 at %2").arg(title, start);
        return DirectoryAnswer;
    }
    QString ChooseOpenFile(QWidget*, const QString& title, const QString& startPath, const QString& filter,
                           int filterIndex) override {
        Asked << QStringLiteral("open %1 at %2 filter %3 #%4").arg(title, startPath, filter).arg(filterIndex);
        return OpenFileAnswer;
    }
    QString ChooseSaveFile(QWidget*, const QString& title, const QString& filter,
                           const QString& defaultSuffix) override {
        Asked << QStringLiteral("save %1 filter %2 suffix %3").arg(title, filter, defaultSuffix);
        return SaveFileAnswer;
    }
    void ShowError(QWidget*, const QString& caption, const QString& text) override {
        Errors << caption + QStringLiteral(": ") + text;
    }
};

}  // namespace pm::test
