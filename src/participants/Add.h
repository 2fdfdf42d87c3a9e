#pragma once

#include <QDialog>

// The identifier entry dialog, created hidden at start-up and reused for every add.
class TForm1 : public QDialog
{
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
};
