// GatewaySearchRunner: one search thread at a time, its result posted back to the window.
#include "ui/gateway_search_runner.h"

#include <optional>
#include <utility>

GatewaySearchRunner::GatewaySearchRunner(QObject* parent) : QObject(parent) {}

// Joined here, before QObject's destructor drops the result that the thread may have posted.
GatewaySearchRunner::~GatewaySearchRunner() {
  Stop();
}

void GatewaySearchRunner::Stop() {
  if (m_search) m_search->Cancel();
  if (m_thread.joinable()) m_thread.join();
  m_search.reset();
  m_running = false;
}

void GatewaySearchRunner::Cancel() {
  Stop();
  ++m_generation;
}

void GatewaySearchRunner::Start(const sockaddr_in& to, std::chrono::milliseconds timeout) {
  Cancel();
  m_found.clear();
  m_error.clear();
  m_search = std::make_unique<knxnetip::GatewaySearch>();
  m_running = true;
  const unsigned generation = m_generation;
  m_thread = std::thread([this, search = m_search.get(), to, timeout, generation] {
    std::optional<std::vector<knxnetip::FoundGateway>> found = search->Run(to, timeout);
    if (search->Cancelled()) return;
    QMetaObject::invokeMethod(
        this,
        [this, generation, found = std::move(found), error = search->Error()]() mutable {
          if (generation != m_generation) return;
          if (m_thread.joinable()) m_thread.join();
          m_search.reset();
          m_running = false;
          m_found = found ? std::move(*found) : std::vector<knxnetip::FoundGateway>{};
          m_error = found ? std::string() : error;
          emit Finished();
        },
        Qt::QueuedConnection);
  });
}
