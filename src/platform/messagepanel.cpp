#include "platform/messagepanel.h"

#include "platform/appdirs.h"

#include <QAbstractEventDispatcher>
#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <exception>
#include <random>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

// A request and its answer travel as one frame each: magic, type, payload length, payload.
constexpr quint32 kMagic = 0x31505654; // "TVP1"
enum RequestType : quint32 { ReqPing = 1, ReqText = 2, ReqQuery = 3, ReqRaise = 4 };
constexpr quint32 kReplyBit = 0x80;
constexpr quint32 kMaxPayload = 64u << 20;
constexpr int kHeaderSize = 12;
constexpr int kConnectWaitMs = 30000; // a receiver whose backlog stays full this long is given up

QByteArray Frame(quint32 type, const QByteArray &payload)
{
    QByteArray frame(kHeaderSize, '\0');
    qToLittleEndian<quint32>(kMagic, frame.data());
    qToLittleEndian<quint32>(type, frame.data() + 4);
    qToLittleEndian<quint32>(quint32(payload.size()), frame.data() + 8);
    frame += payload;
    return frame;
}

// 1: a whole frame is at the start of buffer; 0: more bytes are needed; -1: not a frame.
int ParseFrame(const QByteArray &buffer, quint32 *type, QByteArray *payload)
{
    if (buffer.size() < kHeaderSize)
        return 0;
    if (qFromLittleEndian<quint32>(buffer.constData()) != kMagic)
        return -1;
    const quint32 length = qFromLittleEndian<quint32>(buffer.constData() + 8);
    if (length > kMaxPayload)
        return -1;
    if (buffer.size() < kHeaderSize + qsizetype(length))
        return 0;
    if (buffer.size() > kHeaderSize + qsizetype(length))
        return -1; // one request per connection
    *type = qFromLittleEndian<quint32>(buffer.constData() + 4);
    *payload = buffer.mid(kHeaderSize, length);
    return 1;
}

QByteArray TextBytes(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

QString BytesText(const QByteArray &bytes)
{
    QString text(bytes.size() / 2, Qt::Uninitialized);
    if (!text.isEmpty())
        std::memcpy(text.data(), bytes.constData(), size_t(text.size()) * 2);
    return text;
}

bool ValidClassName(const QString &name)
{
    if (name.isEmpty() || name.size() > 64)
        return false;
    return std::all_of(name.begin(), name.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
    });
}

bool FillAddress(const QString &path, sockaddr_un *address)
{
    const QByteArray encoded = QFile::encodeName(path);
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (size_t(encoded.size()) >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, encoded.constData(), size_t(encoded.size()));
    return true;
}

enum class ConnectResult { Connected, Busy, Dead, Failed };

// A non-blocking connect to the panel socket at path; *fd is set when connected.
ConnectResult ConnectPanel(const QString &path, int *fd)
{
    sockaddr_un address;
    if (!FillAddress(path, &address))
        return ConnectResult::Failed;
    const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (s < 0)
        return ConnectResult::Failed;
    if (::connect(s, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        *fd = s;
        return ConnectResult::Connected;
    }
    const int error = errno;
    ::close(s);
    if (error == EAGAIN || error == EWOULDBLOCK || error == EINPROGRESS)
        return ConnectResult::Busy; // the receiver lives but its backlog is full
    if (error == ECONNREFUSED || error == ENOTSOCK)
        return ConnectResult::Dead;
    if (error == ENOENT)
        return ConnectResult::Dead;
    return ConnectResult::Failed;
}

void RemoveFile(const QString &path) { ::unlink(QFile::encodeName(path).constData()); }

// True when something listens on the socket at path (without sending anything).
bool SocketAlive(const QString &path)
{
    int fd = -1;
    const ConnectResult r = ConnectPanel(path, &fd);
    if (r == ConnectResult::Connected)
        ::close(fd);
    return r == ConnectResult::Connected || r == ConnectResult::Busy;
}

bool ParseEntryName(const char *name, PanelHandle *handle, QString *className)
{
    const char *dot = std::strchr(name, '.');
    if (!dot || dot == name || dot - name > 10)
        return false;
    qint64 value = 0;
    for (const char *p = name; p < dot; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        value = value * 10 + (*p - '0');
    }
    if (value <= 0 || value > INT_MAX)
        return false;
    const QString cls = QString::fromLatin1(dot + 1);
    if (!ValidClassName(cls))
        return false;
    *handle = PanelHandle(value);
    *className = cls;
    return true;
}

} // namespace

// ---- The private folder ----

bool CheckPrivateFolder(const QString &path, uid_t owner, QString *error)
{
    struct stat st;
    const QByteArray encoded = QFile::encodeName(path);
    auto refuse = [&](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    if (::lstat(encoded.constData(), &st) != 0)
        return refuse(QStringLiteral("通信用フォルダ \"%1\" を調べられません: %2")
                          .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    if (S_ISLNK(st.st_mode))
        return refuse(QStringLiteral("通信用フォルダ \"%1\" はシンボリックリンクです。安全のため使用しません。").arg(path));
    if (!S_ISDIR(st.st_mode))
        return refuse(QStringLiteral("通信用フォルダ \"%1\" はフォルダではありません。").arg(path));
    if (st.st_uid != owner)
        return refuse(QStringLiteral("通信用フォルダ \"%1\" は別のユーザー (uid %2) のものです。安全のため使用しません。")
                          .arg(path)
                          .arg(st.st_uid));
    if (st.st_mode & 077)
        return refuse(
            QStringLiteral("通信用フォルダ \"%1\" は他のユーザーにも開かれています (アクセス権 %2)。安全のため使用しません。")
                .arg(path)
                .arg(st.st_mode & 0777, 4, 8, QLatin1Char('0')));
    return true;
}

QString PanelFolder(QString *error)
{
    QString folder;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    struct stat st;
    if (runtime.startsWith(QLatin1Char('/')) && ::stat(QFile::encodeName(runtime).constData(), &st) == 0 &&
        S_ISDIR(st.st_mode))
        folder = runtime + QStringLiteral("/tavio");
    else
        folder = QStringLiteral("/tmp/tavio-%1").arg(::geteuid());
    const QByteArray encoded = QFile::encodeName(folder);
    if (::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = QStringLiteral("通信用フォルダ \"%1\" を作成できません: %2")
                         .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return QString();
    }
    if (!CheckPrivateFolder(folder, ::geteuid(), error))
        return QString();
    return folder;
}

QList<PanelEntry> ListPanels(const QString &className)
{
    QList<PanelEntry> result;
    const QString folder = PanelFolder();
    if (folder.isEmpty())
        return result;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return result;
    while (dirent *entry = ::readdir(dir)) {
        PanelEntry panel;
        if (!ParseEntryName(entry->d_name, &panel.handle, &panel.className))
            continue;
        if (!className.isEmpty() && panel.className != className)
            continue;
        panel.path = folder + QLatin1Char('/') + QString::fromLatin1(entry->d_name);
        if (entry->d_type != DT_SOCK) {
            struct stat st;
            if (entry->d_type != DT_UNKNOWN || ::lstat(QFile::encodeName(panel.path).constData(), &st) != 0 ||
                !S_ISSOCK(st.st_mode))
                continue;
        }
        result.append(panel);
    }
    ::closedir(dir);
    std::sort(result.begin(), result.end(),
              [](const PanelEntry &a, const PanelEntry &b) { return a.handle < b.handle; });
    return result;
}

// ---- Panels of this process ----

namespace {

struct Connection {
    int fd = -1;
    QByteArray input;
    QSocketNotifier *notifier = nullptr;
    bool busy = false; // its request is being handled
};

} // namespace

struct PanelEndpoint::Impl {
    QString className;
    QString path;
    QString error;
    PanelHandle handle = 0;
    int listenFd = -1;
    QSocketNotifier *listenNotifier = nullptr;
    std::vector<std::shared_ptr<Connection>> connections;
    std::function<void(const QString &)> onText;
    std::function<PanelState()> onState;
    std::function<void()> onRaise;
};

namespace {

using ImplPtr = std::shared_ptr<PanelEndpoint::Impl>;

std::vector<std::weak_ptr<PanelEndpoint::Impl>> &Registry()
{
    static std::vector<std::weak_ptr<PanelEndpoint::Impl>> registry;
    return registry;
}

std::vector<ImplPtr> LocalPanels()
{
    std::vector<ImplPtr> result;
    auto &registry = Registry();
    for (auto it = registry.begin(); it != registry.end();) {
        if (ImplPtr p = it->lock()) {
            result.push_back(p);
            ++it;
        } else {
            it = registry.erase(it);
        }
    }
    return result;
}

ImplPtr FindLocal(PanelHandle handle)
{
    for (const ImplPtr &p : LocalPanels())
        if (p->handle == handle && p->listenFd >= 0)
            return p;
    return nullptr;
}

bool HaveEventDispatcher() { return QAbstractEventDispatcher::instance() != nullptr; }

void DisposeNotifier(QSocketNotifier *&notifier)
{
    if (!notifier)
        return;
    notifier->setEnabled(false);
    notifier->deleteLater();
    notifier = nullptr;
}

void DropConnection(const ImplPtr &impl, const std::shared_ptr<Connection> &conn)
{
    DisposeNotifier(conn->notifier);
    if (conn->fd >= 0) {
        ::close(conn->fd);
        conn->fd = -1;
    }
    auto &list = impl->connections;
    list.erase(std::remove(list.begin(), list.end(), conn), list.end());
}

QByteArray IdentityBytes(const ImplPtr &impl)
{
    PanelState state;
    if (auto provider = impl->onState)
        state = provider();
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << qint64(::getpid()) << impl->className << ExecutablePathOS() << state.visible << state.minimized
        << state.shownFile << state.windowId;
    return bytes;
}

// Runs one request against a panel of this process; gives the payload of the answer.
QByteArray HandleRequest(const ImplPtr &impl, quint32 type, const QByteArray &payload)
{
    try {
        switch (type) {
        case ReqText:
            if (auto handler = impl->onText)
                handler(BytesText(payload));
            break;
        case ReqQuery:
            return IdentityBytes(impl);
        case ReqRaise:
            if (auto handler = impl->onRaise)
                handler();
            break;
        default:
            break;
        }
    } catch (const std::exception &e) {
        qWarning("tavio: panel handler failed: %s", e.what());
    } catch (...) {
        qWarning("tavio: panel handler failed");
    }
    return QByteArray();
}

// Writes all of data to a connected socket, waiting at most timeoutMs for room.
bool WriteAll(int fd, const QByteArray &data, int timeoutMs)
{
    qsizetype done = 0;
    QElapsedTimer clock;
    clock.start();
    while (done < data.size()) {
        const ssize_t n = ::send(fd, data.constData() + done, size_t(data.size() - done), MSG_NOSIGNAL);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const int left = timeoutMs - int(clock.elapsed());
            if (left <= 0)
                return false;
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, left);
            continue;
        }
        return false;
    }
    return true;
}

void ReadConnection(const ImplPtr &impl, const std::shared_ptr<Connection> &conn);

void AcceptConnections(const ImplPtr &impl)
{
    while (impl->listenFd >= 0) {
        const int fd = ::accept4(impl->listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        ucred cred{};
        socklen_t len = sizeof cred;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || cred.uid != ::geteuid()) {
            ::close(fd);
            continue;
        }
        auto conn = std::make_shared<Connection>();
        conn->fd = fd;
        impl->connections.push_back(conn);
        if (HaveEventDispatcher()) {
            conn->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
            std::weak_ptr<PanelEndpoint::Impl> weakImpl = impl;
            std::weak_ptr<Connection> weakConn = conn;
            QObject::connect(conn->notifier, &QSocketNotifier::activated, [weakImpl, weakConn]() {
                ImplPtr i = weakImpl.lock();
                std::shared_ptr<Connection> c = weakConn.lock();
                if (i && c)
                    ReadConnection(i, c);
            });
        }
        ReadConnection(impl, conn);
    }
}

void ReadConnection(const ImplPtr &impl, const std::shared_ptr<Connection> &conn)
{
    if (conn->busy || conn->fd < 0)
        return;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(conn->fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            conn->input.append(buffer, n);
            if (conn->input.size() > qsizetype(kMaxPayload) + kHeaderSize) {
                DropConnection(impl, conn);
                return;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        DropConnection(impl, conn); // closed before a whole request (a liveness probe) or failed
        return;
    }
    quint32 type = 0;
    QByteArray payload;
    const int parsed = ParseFrame(conn->input, &type, &payload);
    if (parsed == 0)
        return;
    if (parsed < 0) {
        DropConnection(impl, conn);
        return;
    }
    conn->busy = true;
    if (conn->notifier)
        conn->notifier->setEnabled(false);
    conn->input.clear();
    const QByteArray answer = HandleRequest(impl, type, payload);
    if (conn->fd >= 0)
        WriteAll(conn->fd, Frame(type | kReplyBit, answer), 5000);
    DropConnection(impl, conn);
}

// One round of waiting: polls this process's panels (and the extra descriptor, when given)
// for at most timeoutMs and serves what is ready. Returns the extra descriptor's revents.
short PollRound(int extraFd, short extraEvents, int timeoutMs)
{
    struct Item {
        ImplPtr impl;
        std::shared_ptr<Connection> conn; // null: the listening socket
    };
    std::vector<pollfd> fds;
    std::vector<Item> items;
    if (extraFd >= 0)
        fds.push_back(pollfd{extraFd, extraEvents, 0});
    for (const ImplPtr &impl : LocalPanels()) {
        if (impl->listenFd < 0)
            continue;
        fds.push_back(pollfd{impl->listenFd, POLLIN, 0});
        items.push_back(Item{impl, nullptr});
        for (const auto &conn : impl->connections) {
            if (conn->busy || conn->fd < 0)
                continue;
            fds.push_back(pollfd{conn->fd, POLLIN, 0});
            items.push_back(Item{impl, conn});
        }
    }
    const int ready = ::poll(fds.data(), nfds_t(fds.size()), timeoutMs);
    if (ready <= 0)
        return 0;
    const size_t base = extraFd >= 0 ? 1 : 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!fds[base + i].revents)
            continue;
        const Item &item = items[i];
        if (item.impl->listenFd < 0)
            continue; // closed by an earlier handler of this round
        if (item.conn)
            ReadConnection(item.impl, item.conn);
        else
            AcceptConnections(item.impl);
    }
    return extraFd >= 0 ? fds[0].revents : 0;
}

void ClosePanel(const ImplPtr &impl)
{
    DisposeNotifier(impl->listenNotifier);
    if (impl->listenFd >= 0) {
        // The file goes first: it never refuses a connection while it is listed.
        RemoveFile(impl->path);
        ::close(impl->listenFd);
        impl->listenFd = -1;
    }
    const auto connections = impl->connections;
    for (const auto &conn : connections)
        if (!conn->busy)
            DropConnection(impl, conn);
}

bool OpenPanel(const ImplPtr &impl)
{
    if (!ValidClassName(impl->className)) {
        impl->error = QStringLiteral("パネルのクラス名 \"%1\" は使えません").arg(impl->className);
        return false;
    }
    const QString folder = PanelFolder(&impl->error);
    if (folder.isEmpty())
        return false;
    // The handle is the process id times 512 plus a counter, so handles of live processes never
    // meet; a stale file of a dead process with the same number is removed first.
    static int counter = 0;
    const qint64 pid = ::getpid();
    std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < 1024; ++attempt) {
        qint64 candidate;
        if (attempt < 511 && pid < (qint64(INT_MAX) >> 9)) {
            counter = counter % 511 + 1;
            candidate = pid * 512 + counter;
        } else {
            candidate = std::uniform_int_distribution<qint64>(1, INT_MAX)(random);
        }
        const PanelHandle handle = PanelHandle(candidate);
        if (FindLocal(handle))
            continue;
        bool taken = false;
        for (const PanelEntry &existing : ListPanels()) {
            if (existing.handle != handle)
                continue;
            if (SocketAlive(existing.path))
                taken = true;
            else
                RemoveFile(existing.path);
        }
        if (taken)
            continue;
        const QString path = folder + QLatin1Char('/') + QString::number(handle) + QLatin1Char('.') + impl->className;
        // The socket is bound and listening under a name that no listing takes for a panel, and
        // only then linked under its panel name: a file that is there but refuses connections
        // would be taken for a dead panel by any other process probing it, and removed.
        const QString opening = folder + QStringLiteral("/.opening-%1-%2").arg(pid).arg(handle);
        sockaddr_un address, openingAddress;
        if (!FillAddress(path, &address) || !FillAddress(opening, &openingAddress)) {
            impl->error = QStringLiteral("通信用フォルダのパスが長すぎます: %1").arg(path);
            return false;
        }
        auto fail = [&](int fd, int error) {
            impl->error = QStringLiteral("パネルを作成できません: %1").arg(QString::fromLocal8Bit(std::strerror(error)));
            ::close(fd);
            ::unlink(openingAddress.sun_path);
            return false;
        };
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            impl->error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        ::unlink(openingAddress.sun_path); // left by a killed process that had this process id
        if (::bind(fd, reinterpret_cast<sockaddr *>(&openingAddress), sizeof openingAddress) != 0)
            return fail(fd, errno);
        ::chmod(openingAddress.sun_path, 0600);
        if (::listen(fd, 128) != 0)
            return fail(fd, errno);
        // link() never replaces a file that is there; rename() only where links are not possible.
        if (::link(openingAddress.sun_path, address.sun_path) != 0) {
            const int error = errno;
            struct stat st;
            if (error == EEXIST || ::lstat(address.sun_path, &st) == 0) {
                ::close(fd);
                ::unlink(openingAddress.sun_path);
                continue; // taken since it was listed
            }
            if (::rename(openingAddress.sun_path, address.sun_path) != 0)
                return fail(fd, error);
        }
        ::unlink(openingAddress.sun_path);
        impl->listenFd = fd;
        impl->handle = handle;
        impl->path = path;
        return true;
    }
    impl->error = QStringLiteral("パネルの番号を割り当てられません");
    return false;
}

QString FindPanelPath(PanelHandle handle)
{
    if (handle <= 0)
        return QString();
    for (const PanelEntry &entry : ListPanels())
        if (entry.handle == handle)
            return entry.path;
    return QString();
}

// Sends one request and waits for its answer while serving this process's panels; with a
// time-out (timeoutMs >= 0) it gives up when no answer has come by then.
bool Transact(PanelHandle handle, quint32 type, const QByteArray &payload, QByteArray *answer, int timeoutMs = -1)
{
    if (ImplPtr local = FindLocal(handle)) {
        const QByteArray result = HandleRequest(local, type, payload);
        if (answer)
            *answer = result;
        return true;
    }
    const QString path = FindPanelPath(handle);
    if (path.isEmpty())
        return false;
    int fd = -1;
    QElapsedTimer clock;
    clock.start();
    // The next wait: at most step ms, and no later than the time-out. Negative: time is up.
    auto wait = [&](int step) {
        if (timeoutMs < 0)
            return step;
        const qint64 left = timeoutMs - clock.elapsed();
        return left <= 0 ? -1 : int(std::min<qint64>(step, left));
    };
    for (;;) {
        const ConnectResult r = ConnectPanel(path, &fd);
        if (r == ConnectResult::Connected)
            break;
        if (r == ConnectResult::Dead) {
            RemoveFile(path);
            return false;
        }
        if (r == ConnectResult::Failed || clock.elapsed() > kConnectWaitMs || wait(20) < 0)
            return false;
        PollRound(-1, 0, wait(20));
    }
    const QByteArray frame = Frame(type, payload);
    qsizetype sent = 0;
    QByteArray input;
    bool ok = false;
    while (fd >= 0) {
        if (sent < frame.size()) {
            const ssize_t n = ::send(fd, frame.constData() + sent, size_t(frame.size() - sent), MSG_NOSIGNAL);
            if (n > 0) {
                sent += n;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                break;
            if (wait(250) < 0)
                break;
            PollRound(fd, POLLOUT, wait(250));
            continue;
        }
        char buffer[65536];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            input.append(buffer, n);
            quint32 replyType = 0;
            QByteArray replyPayload;
            const int parsed = ParseFrame(input, &replyType, &replyPayload);
            if (parsed < 0)
                break;
            if (parsed > 0) {
                ok = replyType == (type | kReplyBit);
                if (ok && answer)
                    *answer = replyPayload;
                break;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (wait(250) < 0)
                break; // no answer in time: the receiver is taken as hung
            PollRound(fd, POLLIN, wait(250));
            continue;
        }
        break; // the receiver closed or died before answering
    }
    if (fd >= 0)
        ::close(fd);
    return ok;
}

} // namespace

PanelEndpoint::PanelEndpoint(const QString &className) : d(std::make_shared<Impl>())
{
    d->className = className;
    if (!OpenPanel(d))
        return;
    Registry().push_back(d);
    if (HaveEventDispatcher()) {
        d->listenNotifier = new QSocketNotifier(d->listenFd, QSocketNotifier::Read);
        std::weak_ptr<Impl> weak = d;
        QObject::connect(d->listenNotifier, &QSocketNotifier::activated, [weak]() {
            if (ImplPtr impl = weak.lock())
                AcceptConnections(impl);
        });
    }
}

PanelEndpoint::~PanelEndpoint()
{
    ClosePanel(d);
    d->onText = nullptr;
    d->onState = nullptr;
    d->onRaise = nullptr;
}

bool PanelEndpoint::IsOpen() const { return d->listenFd >= 0; }
QString PanelEndpoint::ErrorText() const { return d->error; }
PanelHandle PanelEndpoint::Handle() const { return d->listenFd >= 0 ? d->handle : 0; }
QString PanelEndpoint::ClassName() const { return d->className; }
void PanelEndpoint::SetTextHandler(std::function<void(const QString &)> handler) { d->onText = std::move(handler); }
void PanelEndpoint::SetStateProvider(std::function<PanelState()> provider) { d->onState = std::move(provider); }
void PanelEndpoint::SetRaiseHandler(std::function<void()> handler) { d->onRaise = std::move(handler); }

// ---- Operations on any panel ----

bool IsPanel(PanelHandle handle)
{
    if (handle <= 0)
        return false;
    if (FindLocal(handle))
        return true;
    const QString path = FindPanelPath(handle);
    if (path.isEmpty())
        return false;
    if (SocketAlive(path))
        return true;
    RemoveFile(path);
    return false;
}

bool DeliverPanelText(PanelHandle handle, const QString &text)
{
    return Transact(handle, ReqText, TextBytes(text), nullptr);
}

std::optional<PanelIdentity> QueryPanel(PanelHandle handle, int timeoutMs)
{
    QByteArray answer;
    if (!Transact(handle, ReqQuery, QByteArray(), &answer, timeoutMs))
        return std::nullopt;
    PanelIdentity identity;
    identity.handle = handle;
    QDataStream in(answer);
    in.setVersion(QDataStream::Qt_6_0);
    in >> identity.processId >> identity.className >> identity.executablePath >> identity.state.visible >>
        identity.state.minimized >> identity.state.shownFile;
    if (in.status() != QDataStream::Ok)
        return std::nullopt;
    if (!in.atEnd())  // a panel of an older build ends before the window id
        in >> identity.state.windowId;
    if (in.status() != QDataStream::Ok)
        identity.state.windowId = 0;
    return identity;
}

bool RequestPanelRaise(PanelHandle handle) { return Transact(handle, ReqRaise, QByteArray(), nullptr); }

void ServePanels(int timeoutMs, const std::function<bool()> &done)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (done && done())
            return;
        const int left = timeoutMs - int(clock.elapsed());
        if (left <= 0)
            return;
        PollRound(-1, 0, std::min(left, 50));
    }
}

} // namespace platform
