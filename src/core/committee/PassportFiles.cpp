#include "core/committee/PassportFiles.h"

#include "core/passport/PassportDocument.h"
#include "core/passport/PassportReader.h"
#include "core/shell/Failure.h"
#include "core/shell/SystemReason.h"
#include "core/shell/Wording.h"

#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

const QByteArray kSuffix = kPassportFileSuffix.toLatin1();

struct Entry
{
    QByteArray name;
    // Known to be a folder, or possibly one (a link, or a file system that does not say).
    bool maybeFolder = false;
};

struct Folder
{
    QByteArray path;
    QList<Entry> entries;
    qsizetype next = 0;
};

bool hasPassportSuffix(const QByteArray& name)
{
    return name.size() >= kSuffix.size() && name.right(kSuffix.size()).toLower() == kSuffix;
}

// Characters after which a terminal, a pager or an editor may start a new line, or that turn the
// direction of what follows: C1 controls (with U+0085, next line), the line and paragraph
// separators, and the bidirectional controls.
bool breaksOrTurnsLine(char16_t code)
{
    return (code >= 0x80 && code <= 0x9F) || code == 0x061C || code == 0x200E || code == 0x200F ||
           (code >= 0x2028 && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069);
}

// One thing the walk found: a passport file to read, or a folder that could not be walked
// (`problem` set).
struct FoundPath
{
    QByteArray path;
    QString problem;
};

// What the walk reports beside the files: a folder reached a second time through a link.
using WalkNote = std::function<void(const QByteArray& path, const QString& note)>;

QByteArray joined(const QByteArray& folder, const QByteArray& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

struct FileId
{
    dev_t device;
    ino_t inode;
    bool operator==(const FileId&) const = default;
};

size_t qHash(const FileId& id, size_t seed = 0)
{
    return ::qHash(std::pair<quint64, quint64>(id.device, id.inode), seed);
}

class Walk
{
public:
    Walk(const std::function<void(const FoundPath&)>& found, const WalkNote& note) : m_found(found), m_note(note) {}

    void root(const QByteArray& path)
    {
        struct stat info
        {};
        if (::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode))
            walk(path, info);
        else
            m_found({path, QString()});
    }

private:
    // A folder already walked is skipped: a link back up would otherwise never end, and a link
    // sideways would report the same files twice.
    bool enter(const QByteArray& path, const struct stat& info)
    {
        if (m_seen.contains(FileId{info.st_dev, info.st_ino})) {
            m_note(path, QStringLiteral("Папка уже просмотрена по другому пути (ссылка), пропущена"));
            return false;
        }
        m_seen.insert(FileId{info.st_dev, info.st_ino});
        return true;
    }

    void walk(const QByteArray& top, const struct stat& info)
    {
        if (!enter(top, info))
            return;
        QList<Folder> stack;
        if (!open(top, stack))
            return;
        while (!stack.isEmpty()) {
            Folder& folder = stack.last();
            if (folder.next == folder.entries.size()) {
                stack.removeLast();
                continue;
            }
            const Entry entry = folder.entries.at(folder.next++);
            const QByteArray path = joined(folder.path, entry.name);
            struct stat target
            {};
            if (entry.maybeFolder && ::stat(path.constData(), &target) == 0 && S_ISDIR(target.st_mode)) {
                if (enter(path, target))
                    open(path, stack);
                continue;
            }
            if (hasPassportSuffix(entry.name))
                m_found({path, QString()});
        }
    }

    // Reads a folder's entries that matter, sorted, onto the stack.
    bool open(const QByteArray& path, QList<Folder>& stack)
    {
        DIR* dir = ::opendir(path.constData());
        if (!dir) {
            m_found({path, QStringLiteral("Папка не читается: %1").arg(lowerFirst(systemReason(errno)))});
            return false;
        }
        Folder folder{path, {}, 0};
        errno = 0;
        while (const dirent* item = ::readdir(dir)) {
            const QByteArray name(item->d_name);
            if (name == "." || name == "..")
                continue;
            const bool maybeFolder = item->d_type == DT_DIR || item->d_type == DT_LNK || item->d_type == DT_UNKNOWN;
            if (maybeFolder || hasPassportSuffix(name))
                folder.entries.append({name, maybeFolder});
        }
        const int error = errno;
        ::closedir(dir);
        if (error != 0) {
            m_found({path, QStringLiteral("Папка прочитана не до конца: %1").arg(lowerFirst(systemReason(error)))});
            return false;
        }
        std::sort(folder.entries.begin(), folder.entries.end(),
                  [](const Entry& a, const Entry& b) { return a.name < b.name; });
        stack.append(std::move(folder));
        return true;
    }

    const std::function<void(const FoundPath&)>& m_found;
    const WalkNote& m_note;
    QSet<FileId> m_seen;
};

} // namespace

void readPassportFiles(const PathList& roots, const PassportFileReport& report, Output& err)
{
    const std::function<void(const FoundPath&)> found = [&report](const FoundPath& found) {
        QString problem = found.problem;
        QByteArray bytes;
        std::optional<ReadPassport> read;
        if (problem.isEmpty()) {
            try {
                bytes = readPassportBytes(found.path);
                read = readPassportDocument(bytes, PictureReading::Checked);
            } catch (const Failure& failure) {
                problem = failure.message();
            } catch (const std::bad_alloc&) {
                problem = QStringLiteral("не хватило памяти");
            }
        }
        if (read)
            report.sound(found.path, bytes, *read);
        else
            report.broken(found.path, problem);
    };
    const WalkNote note = [&err](const QByteArray& path, const QString& text) {
        err << reportLine(path, text);
        err.flush();
    };
    Walk walk(found, note);
    for (const QByteArray& root : roots)
        walk.root(root);
}

QString reportLine(const QByteArray& path, const QString& text)
{
    return displayPath(path) + QStringLiteral(": ") + displayText(text) + u'\n';
}

QString displayPath(const QByteArray& path)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(path);
    if (!decoder.hasError())
        return displayText(text);
    QString shown;
    for (char byte : path) {
        const auto unit = static_cast<unsigned char>(byte);
        if (unit == '\\')
            shown += QStringLiteral("\\\\");
        else if (unit < 0x20 || unit >= 0x7F)
            shown += QStringLiteral("\\x%1").arg(unit, 2, 16, QLatin1Char('0'));
        else
            shown += QLatin1Char(byte);
    }
    return shown;
}

QString displayText(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (QChar c : text) {
        const char16_t code = c.unicode();
        if (code == u'\\')
            shown += QStringLiteral("\\\\");
        else if (code < 0x20 || code == 0x7F)
            shown += QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
        else if (breaksOrTurnsLine(code))
            shown += QStringLiteral("\\u%1").arg(code, 4, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}
