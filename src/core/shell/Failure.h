#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// The program's own failure: carries the Russian message the user is shown. A silent failure
// (an abort) ends a handler without showing anything.
class Failure : public std::exception
{
public:
    explicit Failure(const QString& message) : m_message(message), m_utf8(message.toUtf8()) {}
    // A file failure also keeps the system's reason alone, for a caller that words its own sentence.
    Failure(const QString& message, const QString& reason) : Failure(message) { m_reason = reason; }

    static Failure silent()
    {
        Failure failure{QString()};
        failure.m_silent = true;
        return failure;
    }

    const QString& message() const { return m_message; }
    const QString& reason() const { return m_reason; }
    bool isSilent() const { return m_silent; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QString m_reason;
    QByteArray m_utf8;
    bool m_silent = false;
};

// The standard error box shows a failure's message with a full stop appended when its last
// character has a code above that of ".".
QString withFullStop(const QString& message);
