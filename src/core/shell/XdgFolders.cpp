#include "core/shell/XdgFolders.h"

#include "core/shell/AppInfo.h"

#include <QDir>

QString xdgBaseFolder(const char* variable, const QString& defaultUnderHome)
{
    const QString base = qEnvironmentVariable(variable);
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        return QDir::home().filePath(defaultUnderHome);
    return base;
}

QString programDataFile(const QString& name)
{
    return QDir(xdgBaseFolder("XDG_DATA_HOME", QStringLiteral(".local/share")))
        .filePath(kProgramFolderName + u'/' + name);
}

QString programStateFolder()
{
    return QDir(xdgBaseFolder("XDG_STATE_HOME", QStringLiteral(".local/state"))).filePath(kProgramFolderName);
}

QString programRuntimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QDir(runtime).exists())
        return QString();
    return QDir(runtime).filePath(kProgramFolderName);
}
