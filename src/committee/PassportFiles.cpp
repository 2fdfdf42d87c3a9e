#include "committee/PassportFiles.h"

#include "core/passport/PassportDocument.h"
#include "core/passport/PassportReader.h"
#include "core/shell/DisplayText.h"
#include "core/shell/Failure.h"
#include "core/shell/SystemReason.h"
#include "core/shell/Wording.h"

#include <QSet>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <exception>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

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

namespace {

// A passport with the largest picture and every text at its longest is about 150 KB.
constexpr qsizetype kKeptBufferBytes = 1 << 20;

// One thing to report, in the walk's order: a file and what reading it gave, or a note. Its buffers
// are kept from one file to the next.
struct Slot
{
    QByteArray path;
    QString problem;
    bool isNote = false;
    QByteArray bytes;
    std::optional<ReadPassport> read;
    std::exception_ptr error;
    bool done = false;
};

void readInto(Slot& slot)
{
    try {
        readPassportBytesInto(slot.path, slot.bytes);
        slot.read = readPassportDocument(slot.bytes, nullptr, PictureReading::Checked);
    } catch (const Failure& failure) {
        slot.problem = failure.message();
    } catch (const std::bad_alloc&) {
        slot.problem = QStringLiteral("не хватило памяти");
    } catch (...) {
        slot.error = std::current_exception();
    }
}

// Whether the file is large enough to be read only in its turn; false when it cannot be told.
bool isLargeFile(const QByteArray& path)
{
    struct stat info
    {};
    return ::stat(path.constData(), &info) == 0 && info.st_size > kKeptBufferBytes;
}

// The files the walk finds, read by worker threads a few ahead and reported in order by the thread
// that walks. The slots form a ring: the walk waits for the oldest to be reported before it hands
// out another, so memory holds `threads` files and as many more at most. A large file is read only
// when it is the oldest, so that, as when read one by one, at most one such file is in memory.
class OrderedReading
{
public:
    OrderedReading(const PassportFileReport& report, const WalkNote& note, int threads)
        : m_report(report), m_note(note), m_slots(threads > 1 ? 2 * static_cast<std::size_t>(threads) : 1)
    {
        for (int i = 0; threads > 1 && i < threads; ++i)
            m_workers.emplace_back([this] { work(); });
    }

    OrderedReading(const OrderedReading&) = delete;
    OrderedReading& operator=(const OrderedReading&) = delete;

    // Also when a report's output failed: the workers finish the file in hand and go.
    ~OrderedReading()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_turn.notify_all();
        for (std::thread& worker : m_workers)
            worker.join();
    }

    void file(const FoundPath& found)
    {
        Slot& slot = take();
        slot.path = found.path;
        slot.problem = found.problem;
        slot.isNote = false;
        const bool toRead = found.problem.isEmpty();
        if (toRead && m_workers.empty())
            readInto(slot);
        handOut(toRead && !m_workers.empty());
    }

    void note(const QByteArray& path, const QString& text)
    {
        Slot& slot = take();
        slot.path = path;
        slot.problem = text;
        slot.isNote = true;
        handOut(false);
    }

    // Reports every file still in hand.
    void finish()
    {
        while (m_reported < m_added)
            reportOldest();
    }

private:
    Slot& slotAt(std::size_t index) { return m_slots[index % m_slots.size()]; }

    // A free slot at the end of the ring, once the oldest is reported if the ring is full.
    Slot& take()
    {
        if (m_added - m_reported == m_slots.size())
            reportOldest();
        Slot& slot = slotAt(m_added);
        slot.read.reset();
        slot.error = nullptr;
        return slot;
    }

    // The slot just filled: to be read by a worker, or done.
    void handOut(bool toRead)
    {
        {
            const std::lock_guard lock(m_mutex);
            slotAt(m_added).done = !toRead;
            if (toRead)
                m_pending.push_back(m_added);
            ++m_added;
        }
        if (toRead)
            m_wake.notify_one();
    }

    void reportOldest()
    {
        Slot& slot = slotAt(m_reported);
        {
            std::unique_lock lock(m_mutex);
            m_done.wait(lock, [&slot] { return slot.done; });
        }
        if (slot.error)
            std::rethrow_exception(slot.error);
        if (slot.isNote)
            m_note(slot.path, slot.problem);
        else if (slot.read)
            m_report.sound(slot.path, slot.bytes, *slot.read);
        else
            m_report.broken(slot.path, slot.problem);
        // The passport's texts are not kept; the file's buffer is, unless a large file grew it.
        slot.read.reset();
        if (slot.bytes.capacity() > kKeptBufferBytes)
            slot.bytes = QByteArray();
        // Only now may the next large file be read: this one's buffer is gone.
        {
            const std::lock_guard lock(m_mutex);
            ++m_reported;
        }
        m_turn.notify_all();
    }

    void work()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stopping || !m_pending.empty(); });
            if (m_stopping)
                return;
            const std::size_t index = m_pending.front();
            m_pending.pop_front();
            Slot& slot = slotAt(index);
            lock.unlock();
            const bool large = isLargeFile(slot.path);
            lock.lock();
            if (large) {
                m_turn.wait(lock, [this, index] { return m_stopping || m_reported == index; });
                if (m_stopping)
                    return;
            }
            lock.unlock();
            readInto(slot);
            lock.lock();
            slot.done = true;
            m_done.notify_all();
        }
    }

    const PassportFileReport& m_report;
    const WalkNote& m_note;
    std::vector<Slot> m_slots;
    std::vector<std::thread> m_workers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::condition_variable m_turn;
    // The slots waiting for a worker, oldest first.
    std::deque<std::size_t> m_pending;
    // Counts of slots since the start: handed out and reported.
    std::size_t m_added = 0;
    std::size_t m_reported = 0;
    bool m_stopping = false;
};

} // namespace

bool hasPassportSuffix(const QByteArray& name)
{
    return name.size() >= kSuffix.size() && name.right(kSuffix.size()).toLower() == kSuffix;
}

int readingThreads()
{
    const QByteArray named = qgetenv("LUMARINDA_READING_THREADS");
    bool ok = false;
    const int asked = named.toInt(&ok);
    if (ok && asked >= 1 && asked <= kMaxReadingThreads)
        return asked;
    return std::clamp(QThread::idealThreadCount(), 1, kMaxReadingThreads);
}

void readPassportFiles(const PathList& roots, const PassportFileReport& report, Output& err)
{
    readPassportFiles(roots, report, err, readingThreads());
}

void readPassportFiles(const PathList& roots, const PassportFileReport& report, Output& err, int threads)
{
    const WalkNote note = [&err](const QByteArray& path, const QString& text) {
        err << reportLine(path, text);
        err.flush();
    };
    OrderedReading reading(report, note, std::clamp(threads, 1, kMaxReadingThreads));
    const std::function<void(const FoundPath&)> found = [&reading](const FoundPath& path) { reading.file(path); };
    const WalkNote walkNote = [&reading](const QByteArray& path, const QString& text) { reading.note(path, text); };
    Walk walk(found, walkNote);
    for (const QByteArray& root : roots)
        walk.root(root);
    reading.finish();
}
