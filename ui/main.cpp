// The desktop program: the log window and the main window, the start-up
// sequence, then the event loop until the main window closes.
#include "log/WriteLog.h"
#include "tasks/StandardClasses.h"
#include "ui/PM_Log.h"
#include "ui/PM_Main.h"
#include "ui/PM_TaskWindows.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pixmill"));
    QApplication::setDesktopFileName(QStringLiteral("pixmill"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pixmill/icons/pixmill-256.png")));
    // The log window stays open with the main window; closing it is not quitting.
    QApplication::setQuitOnLastWindowClosed(false);

    pm::RegisterStandardClasses();
    int status = 1;
    {
        pm::TPM_LogForm logForm;
        logForm.setAttribute(Qt::WA_QuitOnClose, false);
        pm::SetLogConsole(logForm.Console());
        pm::TPM_MainForm mainForm;
        mainForm.SetLogForm(&logForm);
        pm::TPM_TaskWindows taskWindows(mainForm);
        if (mainForm.Startup()) {
            QObject::connect(&mainForm, &pm::TPM_MainForm::Closed, &app, [&] {
                logForm.hide();
                QApplication::quit();
            });
            mainForm.move(20, 20);
            mainForm.show();
            mainForm.activateWindow();
            status = QApplication::exec();
        }
        pm::SetLogConsole(nullptr);
    }
    return status;
}
