#pragma once

#include <QObject>
#include <QStringList>

class QWidget;
class SpellCheckerLoader;

// Spell checking of the texts the festival publishes: the title, the description, the technical
// requirements, the manual and the picture caption. The dictionaries load on a thread of their own
// once the window is first shown; without them the fields stay as they are.
class FormSpelling : public QObject
{
    Q_OBJECT

public:
    // The checked fields by objectName.
    static const QStringList& checkedFields();
    // Where the dictionaries are looked for: $LUMARINDA_HUNSPELL_DIR, "/usr/share/hunspell" by default.
    static QString dictionaryFolder();

    explicit FormSpelling(QWidget& window);

    // The load has ended, with or without dictionaries.
    bool isReady() const { return m_ready; }

signals:
    void ready();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startLoading();
    void attach();
    void recheckAll();

    QWidget& m_window;
    SpellCheckerLoader* m_loader = nullptr;
    bool m_ready = false;
};

// The one hook in the main window's constructor.
void attachSpellChecking(QWidget& window);
