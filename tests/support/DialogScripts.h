#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <QtGlobal>
#include <functional>

// Scripts for FakeServices::modalScripts: the steps act on the dialog as a user would (type into
// its fields, click its boxes and buttons, close it), and the script answers what the modal loop
// would have returned.
inline std::function<bool(QDialog&)> dialogScript(std::function<void(QDialog&)> steps)
{
    return [steps = std::move(steps)](QDialog& dialog) {
        dialog.setResult(0);
        steps(dialog);
        return dialog.result() == QDialog::Accepted;
    };
}

// The named control of a window or dialog; a missing one ends the test run at once.
template <typename T>
T* namedChild(const QWidget& window, const char* name)
{
    T* child = window.findChild<T*>(QLatin1String(name));
    if (!child)
        qFatal("no control %s in %s", name, qPrintable(window.objectName()));
    return child;
}

template <typename T>
T* dialogChild(const QDialog& dialog, const char* name)
{
    return namedChild<T>(dialog, name);
}

// For the tests that run a real modal loop: runs the action on the modal widget once its own
// event loop shows it, as a person would act on it.
inline void whenModal(const std::function<void(QWidget*)>& action)
{
    QTimer::singleShot(0, [action] {
        if (QWidget* modal = QApplication::activeModalWidget())
            action(modal);
        else
            whenModal(action);
    });
}

// Runs the steps once a real modal loop shows this dialog; any other modal widget is closed, so
// that the wrong one fails the test instead of hanging it.
inline void whenModalIs(const QWidget* dialog, const std::function<void()>& steps)
{
    whenModal([dialog, steps](QWidget* modal) {
        if (modal != dialog) {
            modal->close();
            return;
        }
        steps();
    });
}
