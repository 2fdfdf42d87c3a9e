#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <variant>

// One column of a sheet: its header, its width in characters, and whether its text wraps inside
// the cell (a memo with line breaks, or one person a line).
struct SheetColumn
{
    QString header;
    double width = 10;
    bool wrapped = false;
    // Holds numbers, not text.
    bool number = false;
};

// How a sheet is printed and used beside its rows.
struct SheetLayout
{
    // An autofilter over the header and every row.
    bool filter = false;
    // Landscape, fitted to the page's width, the header row on every page.
    bool wideList = false;
};

// A cell: text, always a text cell (no formula is ever evaluated, a leading zero or "+" stays),
// or a number.
using SheetCell = std::variant<QString, double>;

// An Office Open XML workbook. On every sheet the header row is bold and stays in view; rows are
// held on disk, not in memory, each sheet's rows written in order. The file is written by save();
// failures throw OutputFailure.
class Spreadsheet
{
public:
    // `path` as the file system names it; `shownPath` for messages.
    Spreadsheet(const QByteArray& path, const QString& shownPath);
    ~Spreadsheet();
    Spreadsheet(const Spreadsheet&) = delete;
    Spreadsheet& operator=(const Spreadsheet&) = delete;

    // A sheet after those added before; returns its number for append().
    int addSheet(const QString& name, const QList<SheetColumn>& columns, const SheetLayout& layout = {});
    void append(int sheet, const QStringList& fields);
    void append(int sheet, const QList<SheetCell>& cells);
    void save();

private:
    struct Book;
    std::unique_ptr<Book> m_book;
};
