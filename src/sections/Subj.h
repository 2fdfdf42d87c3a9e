#pragma once

#include <QDialog>

// The section selection dialog, created hidden at start-up and kept for the whole run.
class TSubjects : public QDialog
{
    Q_OBJECT

public:
    explicit TSubjects(QWidget* parent = nullptr);
};
