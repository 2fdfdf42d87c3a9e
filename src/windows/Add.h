#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TForm1;
}

// The identifier entry dialog, created hidden at start-up and reused for every add. It keeps the
// keyboard to what an identifier is written with and lets only a possible identifier through; the
// caller checks the code and formats it.
class TForm1 : public QDialog
{
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The text of AddID as typed.
    QString identifier() const;
    void setIdentifier(const QString& text);

    // A character typed into AddID, or the null character when the field must discard it.
    static QChar AddIDKeyPress(QChar key);
    // Enables Button1 exactly when the text can be an identifier.
    void AddIDChange();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::TForm1> m_ui;
};
