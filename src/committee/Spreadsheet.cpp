#include "committee/Spreadsheet.h"

#include "committee/Output.h"
#include "core/shell/SystemReason.h"
#include "core/shell/Wording.h"

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <fcntl.h>
#include <locale.h>
#include <unistd.h>
#include <utility>
#include <xlsxwriter.h>

namespace {

// The most rows a sheet holds.
constexpr lxw_row_t kMaxRows = 1048576;

// While the library works: its failures, told in English on the C error stream, are sent nowhere
// (the program tells them in Russian itself); and the numbers it prints into the workbook's XML
// (column widths, margins) take the C library's numeric locale, so on a Russian desktop they would
// get a decimal comma that no reader takes: this thread uses C numbers meanwhile.
class LibraryCall
{
public:
    LibraryCall(FILE* nowhere, locale_t cNumbers) : m_saved(stderr), m_savedLocale(::uselocale(cNumbers))
    {
        if (nowhere)
            stderr = nowhere;
    }
    ~LibraryCall()
    {
        stderr = m_saved;
        ::uselocale(m_savedLocale);
    }
    LibraryCall(const LibraryCall&) = delete;
    LibraryCall& operator=(const LibraryCall&) = delete;

private:
    FILE* m_saved;
    locale_t m_savedLocale;
};

// The locale of the program with C numbers; falls back to all of C.
locale_t newCNumbersLocale()
{
    if (const locale_t current = ::duplocale(LC_GLOBAL_LOCALE)) {
        if (const locale_t numbers = ::newlocale(LC_NUMERIC_MASK, "C", current))
            return numbers;
        ::freelocale(current);
    }
    return ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
}

// Text as a spreadsheet cell holds it: its line breaks are line feeds.
QByteArray cellText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text.toUtf8();
}

} // namespace

// One sheet as it is being written.
struct Sheet
{
    lxw_worksheet* sheet = nullptr;
    QList<lxw_format*> cellFormats;
    lxw_col_t columns = 0;
    lxw_row_t nextRow = 0;
    bool filter = false;
};

struct Spreadsheet::Book
{
    QString shownPath;
    FILE* nowhere = nullptr;
    locale_t cNumbers = newCNumbersLocale();
    lxw_workbook* workbook = nullptr;
    lxw_format* header = nullptr;
    QList<Sheet> sheets;

    Book() = default;
    Book(const Book&) = delete;
    Book& operator=(const Book&) = delete;

    ~Book()
    {
        if (workbook) {
            // Unsaved after a failure: the library must still free what it holds.
            const LibraryCall call(nowhere, cNumbers);
            workbook_close(workbook);
        }
        if (nowhere)
            std::fclose(nowhere);
        if (cNumbers)
            ::freelocale(cNumbers);
    }

    [[noreturn]] void fail(const QString& reason) const
    {
        throw OutputFailure(QStringLiteral("файл «%1» не записан: %2").arg(shownPath, lowerFirst(reason)));
    }

    // The next row of `sheet`, or a failure when it is full.
    lxw_row_t nextRow(Sheet& sheet) const
    {
        if (sheet.nextRow >= kMaxRows)
            fail(QStringLiteral("Строк больше, чем вмещает лист (%1)").arg(kMaxRows));
        return sheet.nextRow++;
    }
};

Spreadsheet::Spreadsheet(const QByteArray& path, const QString& shownPath) : m_book(std::make_unique<Book>())
{
    Book& book = *m_book;
    book.shownPath = shownPath;
    // The library creates the file only at the end: a file that cannot be written is told before
    // every passport has been read for nothing.
    const int probe = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (probe < 0)
        throw OutputFailure(QStringLiteral("файл «%1» не создан: %2").arg(shownPath, lowerFirst(systemReason(errno))));
    ::close(probe);

    book.nowhere = std::fopen("/dev/null", "we");
    const LibraryCall call(book.nowhere, book.cNumbers);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    book.workbook = workbook_new_opt(path.constData(), &options);
    if (!book.workbook)
        book.fail(QStringLiteral("Не хватило памяти или места для временных файлов"));
    book.header = workbook_add_format(book.workbook);
    format_set_bold(book.header);
    format_set_num_format(book.header, "@");
    format_set_align(book.header, LXW_ALIGN_VERTICAL_TOP);
    format_set_text_wrap(book.header);
}

Spreadsheet::~Spreadsheet() = default;

int Spreadsheet::addSheet(const QString& name, const QList<SheetColumn>& columns, const SheetLayout& layout)
{
    Book& book = *m_book;
    const LibraryCall call(book.nowhere, book.cNumbers);
    Sheet sheet;
    sheet.sheet = workbook_add_worksheet(book.workbook, name.toUtf8().constData());
    if (!sheet.sheet)
        book.fail(QStringLiteral("Не хватило памяти или места для временных файлов"));
    sheet.columns = static_cast<lxw_col_t>(columns.size());
    sheet.filter = layout.filter;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const SheetColumn& column = columns.at(i);
        lxw_format* cell = workbook_add_format(book.workbook);
        if (!column.number)
            format_set_num_format(cell, "@");
        format_set_align(cell, LXW_ALIGN_VERTICAL_TOP);
        if (column.wrapped)
            format_set_text_wrap(cell);
        sheet.cellFormats << cell;
        const auto index = static_cast<lxw_col_t>(i);
        worksheet_set_column(sheet.sheet, index, index, column.width, cell);
        worksheet_write_string(sheet.sheet, 0, index, cellText(column.header).constData(), book.header);
    }
    worksheet_freeze_panes(sheet.sheet, 1, 0);
    if (layout.wideList) {
        worksheet_set_landscape(sheet.sheet);
        worksheet_fit_to_pages(sheet.sheet, 1, 0);
        worksheet_repeat_rows(sheet.sheet, 0, 0);
    }
    sheet.nextRow = 1;
    book.sheets << sheet;
    return static_cast<int>(book.sheets.size() - 1);
}

void Spreadsheet::append(int sheet, const QStringList& fields)
{
    QList<SheetCell> cells;
    cells.reserve(fields.size());
    for (const QString& field : fields)
        cells << field;
    append(sheet, cells);
}

void Spreadsheet::append(int index, const QList<SheetCell>& cells)
{
    Book& book = *m_book;
    Sheet& sheet = book.sheets[index];
    const lxw_row_t row = book.nextRow(sheet);
    const LibraryCall call(book.nowhere, book.cNumbers);
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const auto column = static_cast<lxw_col_t>(i);
        lxw_format* format = sheet.cellFormats.value(i);
        const SheetCell& cell = cells.at(i);
        if (const double* number = std::get_if<double>(&cell)) {
            worksheet_write_number(sheet.sheet, row, column, *number, format);
            continue;
        }
        if (worksheet_write_string(sheet.sheet, row, column, cellText(std::get<QString>(cell)).constData(), format) !=
            LXW_NO_ERROR)
            book.fail(QStringLiteral("Слишком длинный текст для ячейки"));
    }
}

void Spreadsheet::save()
{
    Book& book = *m_book;
    {
        const LibraryCall call(book.nowhere, book.cNumbers);
        for (const Sheet& sheet : std::as_const(book.sheets)) {
            if (sheet.filter && sheet.columns > 0)
                worksheet_autofilter(sheet.sheet, 0, 0, sheet.nextRow - 1, sheet.columns - 1);
        }
    }
    lxw_workbook* workbook = std::exchange(book.workbook, nullptr);
    errno = 0;
    const int result = [&] {
        const LibraryCall call(book.nowhere, book.cNumbers);
        return workbook_close(workbook);
    }();
    const int error = errno;
    if (result != LXW_NO_ERROR)
        book.fail(error != 0 ? systemReason(error) : QStringLiteral("Ошибка записи"));
}
