#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;
class SpellCheckerLoader;
class SpellUnderline;

// Spell checking of the texts the festival publishes, the fields the table of text fields marks
// and the picture caption. The dictionaries load on a thread of their own once the window is first
// shown; without them the fields stay as they are.
class SpellChecking : public QObject
{
    Q_OBJECT

public:
    // Where the dictionaries are looked for: $LUMARINDA_HUNSPELL_DIR, "/usr/share/hunspell" by default.
    static QString dictionaryFolder();

    // Found among the window's children by the objectName "spelling".
    explicit SpellChecking(QWidget& window);
    // Takes the underlines off the fields, which are still whole.
    ~SpellChecking() override;

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
    QList<QPointer<SpellUnderline>> m_underlines;
    bool m_ready = false;
};
