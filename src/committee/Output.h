#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// A write that failed: the run ends, and `message` (Russian, without the program's name) says what
// was lost and why.
class OutputFailure : public std::exception
{
public:
    explicit OutputFailure(const QString& message) : m_message(message) {}
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return "output not written"; }

private:
    QString m_message;
};

// Where a command's text goes, as UTF-8: a descriptor (terminal, pipe, file) or, in the tests,
// memory. Text is held until flush(); a failed write throws OutputFailure, so that nothing is
// reported as done that did not reach its reader.
class Output
{
public:
    // `name` says what the descriptor is in a message: "стандартный вывод", "файл «works.csv»".
    Output(int fd, const QString& name);
    explicit Output(QByteArray& memory);
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    Output& operator<<(const QString& text);
    void flush();

private:
    int m_fd = -1;
    QString m_name;
    QByteArray* m_memory = nullptr;
    QByteArray m_pending;
};
