#include "core/shell/Trimming.h"

namespace {

bool isControlOrBlank(uint code)
{
    return code <= 32;
}

} // namespace

QString trimControls(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isControlOrBlank(text.at(begin).unicode()))
        ++begin;
    while (end > begin && isControlOrBlank(text.at(end - 1).unicode()))
        --end;
    return text.mid(begin, end - begin);
}

QByteArray trimControls(const QByteArray& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isControlOrBlank(static_cast<unsigned char>(text.at(begin))))
        ++begin;
    while (end > begin && isControlOrBlank(static_cast<unsigned char>(text.at(end - 1))))
        --end;
    return text.mid(begin, end - begin);
}
