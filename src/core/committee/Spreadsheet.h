#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

// One column of a sheet: its header, its width in characters, and whether its text wraps inside
// the cell (a memo with line breaks).
struct SheetColumn
{
    QString header;
    double width = 10;
    bool wrapped = false;
};

// An Office Open XML workbook of one sheet in which every cell is text: no formula is ever
// evaluated, a leading zero or "+" stays. The header row is bold and stays in view; rows are held
// on disk, not in memory. The file is written by save(); failures throw OutputFailure.
class Spreadsheet
{
public:
    // `path` as the file system names it; `shownPath` for messages.
    Spreadsheet(const QByteArray& path, const QString& shownPath, const QList<SheetColumn>& columns);
    ~Spreadsheet();
    Spreadsheet(const Spreadsheet&) = delete;
    Spreadsheet& operator=(const Spreadsheet&) = delete;

    void append(const QStringList& fields);
    void save();

private:
    struct Book;
    std::unique_ptr<Book> m_book;
};
