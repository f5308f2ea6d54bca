// UaServer: listening socket, epoll event loop, connections and timers.
#include "toolkit/opcua/ua_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/log.h"
#include "toolkit/opcua/ua_connection.h"
#include "toolkit/opcua/ua_server_security.h"
#include "toolkit/opcua/ua_service_handler.h"

namespace {
// A client that does not read its responses may hold at most this much unsent data.
constexpr std::size_t kMaxUnsentBytes = 64 * 1024 * 1024;
// With every connection slot taken, a connection this old that has no activated session yet
// gives its slot to a new one: a legitimate client activates within milliseconds.
constexpr std::int64_t kEvictableAfterMs = 2000;

std::string PeerText(const sockaddr_in& address) {
  char host[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &address.sin_addr, host, sizeof host);
  return std::string(host) + ":" + std::to_string(ntohs(address.sin_port));
}
}  // namespace

class UaServer::Loop : public UaConnectionDirectory {
 public:
  Loop(COPCCallback& callback, const UaServerOptions& options,
       std::shared_ptr<const UaServerSecurity> security, int listenFd, std::string url,
       std::uint16_t port)
      : m_options(options),
        m_security(std::move(security)),
        m_handler(callback, options, *this, m_security.get()),
        m_listenFd(listenFd) {
    m_handler.SetEndpointUrl(std::move(url), port);
    m_limits.maxMessageSize = options.maxMessageSize;
    m_limits.maxChunkCount = options.maxChunkCount;
    m_limits.incompleteTimeoutMs = options.incompleteMessageTimeoutMs;
    m_epollFd = epoll_create1(EPOLL_CLOEXEC);
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    Watch(m_listenFd, EPOLLIN, 0);
    Watch(m_wakeFd, EPOLLIN, 1);
  }

  ~Loop() override {
    for (auto& [id, c] : m_connections) close(c.fd);
    close(m_listenFd);
    close(m_wakeFd);
    close(m_epollFd);
  }

  UaConnection* FindConnection(std::uint64_t id) override {
    auto it = m_connections.find(id);
    return it == m_connections.end() ? nullptr : it->second.connection.get();
  }

  void RequestStop() {
    m_stop = true;
    Wake();
  }

  void Wake() {
    std::uint64_t one = 1;
    [[maybe_unused]] auto n = write(m_wakeFd, &one, sizeof one);
  }

  void Run() {
    epoll_event events[64];
    while (!m_stop) {
      int timeout = TimeoutMs(m_options.Now());
      int n = epoll_wait(m_epollFd, events, 64, timeout);
      if (n < 0 && errno != EINTR) break;
      // Timers first, so that a request sees the state its arrival time implies (a
      // subscription that expired meanwhile is gone).
      std::int64_t now = m_options.Now();
      m_handler.OnTimer(now);
      CheckConnections(now);
      for (int k = 0; k < n; ++k) {
        std::uint64_t key = events[k].data.u64;
        if (key == 0) {
          Accept();
        } else if (key == 1) {
          std::uint64_t count;
          [[maybe_unused]] auto got = read(m_wakeFd, &count, sizeof count);
        } else {
          Serve(key, events[k].events);
        }
      }
      FlushAll();
    }
    m_handler.CloseAllSessions();
    FlushAll();
  }

 private:
  struct Entry {
    int fd = -1;
    std::unique_ptr<UaConnection> connection;
    bool wantWrite = false;
    bool activated = false;  // a session was activated on it once
  };

  void Watch(int fd, std::uint32_t events, std::uint64_t key) {
    epoll_event ev{};
    ev.events = events;
    ev.data.u64 = key;
    epoll_ctl(m_epollFd, EPOLL_CTL_ADD, fd, &ev);
  }

  int TimeoutMs(std::int64_t now) {
    std::int64_t next = m_handler.NextDueMs();
    for (auto& [id, c] : m_connections) next = std::min(next, c.connection->NextDeadline());
    if (next == INT64_MAX) return 1000;
    return static_cast<int>(std::clamp<std::int64_t>(next - now, 0, 1000));
  }

  void Accept() {
    while (true) {
      sockaddr_in address{};
      socklen_t length = sizeof address;
      int fd = accept4(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length,
                       SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) return;
      std::string peer = PeerText(address);
      std::int64_t now = m_options.Now();
      if (m_connections.size() >= m_options.maxConnections && !EvictIdleConnection(now)) {
        m_refusalLog.Log(LogLevel::Warning, "OPC UA: connection from " + peer + " refused: all " +
                                                std::to_string(m_options.maxConnections) +
                                                " connections in use");
        UaConnection refused(0, 0, m_limits, now);
        refused.Refuse(ua_status::BadTcpServerTooBusy, "Too many connections");
        [[maybe_unused]] auto n =
            send(fd, refused.OutgoingData(), refused.OutgoingSize(), MSG_NOSIGNAL);
        close(fd);
        continue;
      }
      int one = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      std::uint64_t id = m_nextId++;
      Entry& e = m_connections[id];
      e.fd = fd;
      e.connection =
          std::make_unique<UaConnection>(id, m_nextChannelId++, m_limits, now, m_security.get());
      e.connection->SetPeer(peer);
      Log(LogLevel::Info, "OPC UA: connection from " + peer + " opened");
      Watch(fd, EPOLLIN | EPOLLRDHUP, id);
    }
  }

  // Closes the oldest connection that has had time to activate a session and has not.
  bool EvictIdleConnection(std::int64_t now) {
    auto oldest = m_connections.end();
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
      Entry& e = it->second;
      if (IsActivated(it->first, e) || now - e.connection->ConnectedMs() < kEvictableAfterMs) {
        continue;
      }
      if (oldest == m_connections.end() ||
          e.connection->ConnectedMs() < oldest->second.connection->ConnectedMs()) {
        oldest = it;
      }
    }
    if (oldest == m_connections.end()) return false;
    oldest->second.connection->Refuse(ua_status::BadTcpServerTooBusy,
                                      "Connection slot given to a new client");
    Drop(oldest->first, "no session activated while all connection slots were taken");
    return true;
  }

  bool IsActivated(std::uint64_t id, Entry& e) {
    if (!e.activated) e.activated = m_handler.HasActivatedSession(id);
    return e.activated;
  }
  void Serve(std::uint64_t id, std::uint32_t events) {
    auto it = m_connections.find(id);
    if (it == m_connections.end()) return;
    Entry& e = it->second;
    bool keep = true;
    if (events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)) {
      std::uint8_t buffer[65536];
      while (keep) {
        ssize_t got = recv(e.fd, buffer, sizeof buffer, 0);
        if (got > 0) {
          keep = e.connection->ReceiveInPlace(buffer, static_cast<std::size_t>(got),
                                              m_options.Now(), m_handler);
          // Less than the buffer holds: nothing more was there. The watch is level-triggered,
          // so what comes meanwhile wakes the loop again, and a request costs no extra call.
          if (static_cast<std::size_t>(got) < sizeof buffer) break;
          continue;
        }
        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) keep = false;
        break;
      }
    }
    if (keep) keep = Flush(e);
    if (!keep) return Drop(id, e.connection->Failed() ? "refused" : "closed by the peer");
    CheckBufferBudget();
  }

  // Sends what the connection has queued; false when the peer is gone or reads too little.
  bool Flush(Entry& e) {
    UaConnection& c = *e.connection;
    while (c.OutgoingSize() > 0) {
      ssize_t sent = send(e.fd, c.OutgoingData(), c.OutgoingSize(), MSG_NOSIGNAL);
      if (sent > 0) {
        c.ConsumeOutgoing(static_cast<std::size_t>(sent));
        continue;
      }
      if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
      if (sent < 0 && errno == EINTR) continue;
      return false;
    }
    bool pending = c.OutgoingSize() > 0;
    if (pending && c.OutgoingSize() > kMaxUnsentBytes) return false;
    if (pending != e.wantWrite) {
      epoll_event ev{};
      ev.events = EPOLLIN | EPOLLRDHUP | (pending ? EPOLLOUT : 0u);
      ev.data.u64 = e.connection->Id();
      epoll_ctl(m_epollFd, EPOLL_CTL_MOD, e.fd, &ev);
      e.wantWrite = pending;
    }
    return true;
  }

  void FlushAll() {
    std::vector<std::uint64_t> dead;
    for (auto& [id, e] : m_connections) {
      if (e.connection->OutgoingSize() > 0 && !Flush(e)) dead.push_back(id);
    }
    for (std::uint64_t id : dead) Drop(id, "does not read its responses");
  }

  void CheckConnections(std::int64_t now) {
    std::vector<std::pair<std::uint64_t, const char*>> dead;
    for (auto& [id, e] : m_connections) {
      UaConnection& c = *e.connection;
      if (!c.CheckTimeouts(now)) {
        dead.emplace_back(id, "timed out");
        continue;
      }
      if (now - c.ConnectedMs() >= m_options.unactivatedConnectionTimeoutMs &&
          !IsActivated(id, e)) {
        c.Refuse(ua_status::BadTimeout, "No session activated in time");
        dead.emplace_back(id, "no session activated in time");
        continue;
      }
    }
    for (auto& [id, reason] : dead) Drop(id, reason);
    CheckBufferBudget();
  }

  // Over the server's byte budget, the connection holding the most gives its bytes back.
  void CheckBufferBudget() {
    std::size_t buffered = 0;
    std::uint64_t largest = 0;
    std::size_t largestBytes = 0;
    for (auto& [id, e] : m_connections) {
      std::size_t bytes = e.connection->BufferedBytes();
      buffered += bytes;
      if (bytes > largestBytes) {
        largest = id;
        largestBytes = bytes;
      }
    }
    if (buffered <= m_options.maxBufferedBytes || largest == 0) return;
    m_refusalLog.Log(LogLevel::Warning, "OPC UA: buffered bytes over the server's budget of " +
                                            std::to_string(m_options.maxBufferedBytes));
    m_connections[largest].connection->Refuse(ua_status::BadTcpNotEnoughResources,
                                              "Server buffer budget exceeded");
    Drop(largest, "over the server's buffer budget");
  }

  // Closes a connection after a last attempt to send what it has queued (an Error message).
  void Drop(std::uint64_t id, const char* reason) {
    auto it = m_connections.find(id);
    if (it == m_connections.end()) return;
    Entry& e = it->second;
    UaConnection& c = *e.connection;
    if (c.Failed()) {
      // Malformed or hostile input: a peer can cause these at will, so they are rate-limited.
      m_refusalLog.Log(LogLevel::Warning, "OPC UA: connection from " + c.Peer() +
                                              " closed: " + reason + " (" + c.FailReason() + ")");
    } else {
      Log(LogLevel::Info, "OPC UA: connection from " + c.Peer() + " closed: " + reason);
    }
    if (c.OutgoingSize() > 0) {
      [[maybe_unused]] auto n = send(e.fd, c.OutgoingData(), c.OutgoingSize(), MSG_NOSIGNAL);
    }
    epoll_ctl(m_epollFd, EPOLL_CTL_DEL, e.fd, nullptr);
    close(e.fd);
    m_connections.erase(it);
    m_handler.OnConnectionClosed(id);
  }

  const UaServerOptions& m_options;
  std::shared_ptr<const UaServerSecurity> m_security;
  UaServiceHandler m_handler;
  UaConnectionLimits m_limits;
  int m_listenFd;
  int m_epollFd = -1;
  int m_wakeFd = -1;
  std::atomic<bool> m_stop{false};
  std::map<std::uint64_t, Entry> m_connections;
  std::uint64_t m_nextId = 2;  // 0 and 1 are the listening socket and the wake-up event
  std::uint32_t m_nextChannelId = 1;
  LogRateLimit m_refusalLog{20, std::chrono::seconds(10)};
};

UaServer::UaServer(COPCCallback& callback, UaServerOptions options)
    : m_callback(callback), m_options(std::move(options)) {}

UaServer::~UaServer() {
  Stop();
}

std::string UaServer::EndpointUrl() const {
  std::string host = "127.0.0.1";
  if (m_options.listenAny) {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) == 0 && name[0] != '\0') host = name;
  }
  return "opc.tcp://" + host + ":" + std::to_string(m_port);
}

bool UaServer::Start(std::string* error) {
  if (m_loop) return true;
  std::shared_ptr<const UaServerSecurity> security =
      UaServerSecurity::Create(m_options.security, error);
  if (!security) return false;
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (error) *error = std::string("OPC UA server: cannot create a socket: ") + strerror(errno);
    return false;
  }
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(m_options.port);
  address.sin_addr.s_addr = htonl(m_options.listenAny ? INADDR_ANY : INADDR_LOOPBACK);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(fd, 128) != 0) {
    if (error) {
      *error = "OPC UA server: cannot listen on port " + std::to_string(m_options.port) + ": " +
               strerror(errno);
    }
    close(fd);
    return false;
  }
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  m_port = ntohs(address.sin_port);
  m_loop =
      std::make_unique<Loop>(m_callback, m_options, std::move(security), fd, EndpointUrl(), m_port);
  m_thread = std::thread([this] { m_loop->Run(); });
  return true;
}

void UaServer::Wake() {
  if (m_loop) m_loop->Wake();
}

void UaServer::Stop() {
  if (!m_loop) return;
  m_loop->RequestStop();
  if (m_thread.joinable()) m_thread.join();
  m_loop.reset();
}
