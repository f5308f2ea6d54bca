// GatewaySearchRunner: the search for KNXnet/IP tunnelling servers, off the window's thread.
#pragma once

#include <netinet/in.h>

#include <QObject>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "knx/knxnetip/gateway_search.h"

// GatewaySearch::Run blocks until its time-out, so it runs on a thread of its own; its result
// comes back on the window's thread as Finished. A cancelled search (Cancel, a new Start, the
// runner's end) returns at once, and its result is dropped. Main thread only.
class GatewaySearchRunner : public QObject {
  Q_OBJECT

 public:
  explicit GatewaySearchRunner(QObject* parent = nullptr);
  ~GatewaySearchRunner() override;

  void Start(const sockaddr_in& to, std::chrono::milliseconds timeout);
  void Cancel();
  bool Running() const { return m_running; }

  // The last finished search: the servers that answered, or the reason it failed.
  const std::vector<knxnetip::FoundGateway>& Found() const { return m_found; }
  const std::string& Error() const { return m_error; }

 signals:
  // A search ran to its time-out (or failed: Error() is then set).
  void Finished();

 private:
  void Stop();

  std::unique_ptr<knxnetip::GatewaySearch> m_search;
  std::thread m_thread;
  unsigned m_generation = 0;  // tells a late result of a cancelled search from the current one
  bool m_running = false;
  std::vector<knxnetip::FoundGateway> m_found;
  std::string m_error;
};
