#include "core/committee/PassportFiles.h"

#include "core/passport/PassportReader.h"
#include "core/shell/Failure.h"
#include "core/shell/SystemReason.h"

#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

const QByteArray kSuffix = QByteArrayLiteral(".qdx.xml");
const QString kTooLarge = QStringLiteral("Файл больше %1 МБ").arg(kMaxPassportFileBytes >> 20);

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

QString lowerFirst(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

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
            m_found({path, QStringLiteral("Папка не читается: %1").arg(lowerFirst(readingReason(errno)))});
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
            m_found({path, QStringLiteral("Папка прочитана не до конца: %1").arg(lowerFirst(readingReason(error)))});
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

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

void walkPassportFiles(const PathList& roots, const std::function<void(const FoundPath&)>& found, const WalkNote& note)
{
    Walk walk(found, note);
    for (const QByteArray& root : roots)
        walk.root(root);
}

bool hasPassportSuffix(const QByteArray& name)
{
    return name.size() >= kSuffix.size() && name.right(kSuffix.size()).toLower() == kSuffix;
}

QByteArray readPassportBytes(const QByteArray& path)
{
    // Not blocking: a pipe or a device with the right name must not stop the walk.
    const Descriptor file(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0)
        throw Failure(readingReason(errno));
    struct stat info
    {};
    if (::fstat(file.get(), &info) != 0)
        throw Failure(readingReason(errno));
    if (S_ISDIR(info.st_mode))
        throw Failure(QStringLiteral("Это папка, а не файл"));
    if (!S_ISREG(info.st_mode))
        throw Failure(QStringLiteral("Это не обычный файл"));
    if (info.st_size > kMaxPassportFileBytes)
        throw Failure(kTooLarge);
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(info.st_size));
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) {
            // The file may have grown since fstat; read on, but not past the limit.
            if (bytes.size() > kMaxPassportFileBytes)
                throw Failure(kTooLarge);
            bytes.resize(bytes.size() + 65536);
        }
        const ssize_t got = ::read(file.get(), bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw Failure(readingReason(errno));
        if (got == 0)
            break;
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

QString displayPath(const QByteArray& path)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(path);
    const bool utf8 = !decoder.hasError();
    QString shown;
    const auto escaped = [&shown](uint code) { shown += QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0')); };
    // A line break or another control in a name would split or garble the line.
    if (utf8) {
        for (QChar c : text) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                escaped(c.unicode());
            else
                shown += c;
        }
        return shown;
    }
    for (char byte : path) {
        const auto unit = static_cast<unsigned char>(byte);
        if (unit < 0x20 || unit >= 0x7F)
            escaped(unit);
        else
            shown += QLatin1Char(byte);
    }
    return shown;
}

QString readingReason(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("Нет такого файла или папки");
    case EACCES:
    case EPERM:
        return QStringLiteral("Нет прав на чтение");
    case ELOOP:
        return QStringLiteral("Ссылка ведёт по кругу");
    case ENAMETOOLONG:
        return QStringLiteral("Слишком длинный путь");
    case EISDIR:
        return QStringLiteral("Это папка, а не файл");
    default:
        return systemReason(error);
    }
}
