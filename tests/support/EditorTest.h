#pragma once

#include "support/DialogScripts.h"
#include "support/FakeServices.h"
#include "support/UserActions.h"
#include "windows/Form.h"
#include "windows/QtDesktopServices.h"
#include "windows/Startup.h"

#include <QApplication>
#include <QDir>
#include <QObject>
#include <QTest>
#include <QWidget>
#include <memory>

// A test class over the three windows on a scripted desktop, built anew for every test function.
class EditorTest : public QObject
{
protected:
    // For init().
    void createEditor()
    {
        m_services = std::make_unique<FakeServices>();
        m_windows = std::make_unique<EditorWindows>(*m_services);
    }

    // For cleanup(): nothing unscripted happened and no window is left behind.
    void destroyEditor()
    {
        VERIFY_SERVICES_SETTLED(*m_services);
        m_windows.reset();
        m_services.reset();
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    // A control of the main window by its objectName.
    template <typename T>
    T* find(const char* name) const
    {
        return namedChild<T>(*m_windows->Pasport, name);
    }

    // A folder of the test's own for saved passports.
    QString saveFolder() const
    {
        const QString folder = m_services->folder() + QStringLiteral("saved/");
        QDir().mkpath(folder);
        return folder;
    }

    // What a person does on the main window, with the dialogs answered by scripts.
    UserActions user() const { return UserActions(*m_services, *m_windows->Pasport); }

    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<EditorWindows> m_windows;
};

// The three windows on the real desktop, the main window shown: for the tests that run a real
// modal loop.
struct RealDesktopEditor
{
    RealDesktopEditor()
    {
        services.setOwner(windows.Pasport.get());
        windows.Pasport->show();
    }

    QtDesktopServices services;
    EditorWindows windows{services};
};
