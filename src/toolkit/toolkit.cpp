// The seven toolkit functions: initialisation, registration, serving and the client count.
#include "toolkit/toolkit.h"

#include <atomic>
#include <cctype>
#include <mutex>

#include "toolkit/registration_script.h"

namespace {

struct ToolkitState {
  std::mutex mutex;
  bool initialised = false;
  std::string modulePath;
  std::string clsid;
  std::string script;
  COPCCallback* callback = nullptr;
};

ToolkitState& State() {
  static ToolkitState state;
  return state;
}

std::atomic<int> g_clients{0};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
bool IsClassIdText(const std::string& text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (std::size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) {
      return false;
    }
  }
  return true;
}

HRESULT ApplyScript(bool doRegister) {
  ToolkitState& state = State();
  std::lock_guard lock(state.mutex);
  if (!state.initialised || state.script.empty()) return E_FAIL;
  return ApplyRegistrationScript(state.script, doRegister, {{"MODULE", state.modulePath}});
}

}  // namespace

int ToolkitInit(const std::string& modulePath, const ToolkitServerId* clsid) {
  if (modulePath.empty() || clsid == nullptr || !IsClassIdText(clsid->clsid)) return 0;
  ToolkitState& state = State();
  std::lock_guard lock(state.mutex);
  state.modulePath = modulePath;
  state.clsid = clsid->clsid;
  state.initialised = true;
  return 1;
}

HRESULT ToolkitRegister() {
  return ApplyScript(true);
}

HRESULT ToolkitUnregister() {
  return ApplyScript(false);
}

void SetRegistrationScript(std::string script) {
  ToolkitState& state = State();
  std::lock_guard lock(state.mutex);
  state.script = std::move(script);
}

void ToolkitStart(COPCCallback* callback) {
  ToolkitState& state = State();
  std::lock_guard lock(state.mutex);
  state.callback = callback;
}

void ToolkitShutdown() {
  ToolkitStopServing();
  ToolkitState& state = State();
  std::lock_guard lock(state.mutex);
  state.callback = nullptr;
}

int ToolkitClientsConnected() {
  return g_clients.load();
}

void ToolkitClientConnected() {
  ++g_clients;
}

void ToolkitClientDisconnected() {
  // Never below zero: an unmatched report must not hide a client that is still there.
  int count = g_clients.load();
  while (count > 0 && !g_clients.compare_exchange_weak(count, count - 1)) {
  }
}

COPCCallback* ToolkitServedCallback() {
  ToolkitState& state = State();
  std::lock_guard lock(state.mutex);
  return state.callback;
}

std::string ToolkitServerClassId() {
  ToolkitState& state = State();
  std::lock_guard lock(state.mutex);
  return state.clsid;
}
