#pragma once

#include <QChar>
#include <QString>
#include <cstddef>
#include <cstdint>

// Reads a fuzz input as the fields of a passport: single bytes for choices, and texts of UTF-16
// units (lone surrogates and controls included), each text's length taken from the byte before it.
class Fields
{
public:
    Fields(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    int byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    QString text(int maxLength = 48)
    {
        const int length = byte() % (maxLength + 1);
        QString result;
        for (int i = 0; i < length && m_pos + 1 < m_size; ++i, m_pos += 2)
            result += QChar(static_cast<char16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8)));
        return result;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};
