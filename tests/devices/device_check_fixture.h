// Test fixture of the device check: a document wired to the device supervision with a fake
// clock, a scripted DeviceCheckService, a hand-off, recording views and a scripted dialog.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "devices/device_address_dialog.h"
#include "devices/device_check_clock.h"
#include "devices/device_service_hand_off.h"
#include "devices/device_supervision.h"
#include "devices/device_views.h"
#include "knx/device_check_service.h"
#include "opc/opc_server_callback.h"
#include "platform/auto_reset_event.h"
#include "platform/code_page.h"
#include "platform/event_loop.h"
#include "platform/prompt.h"
#include "platform/settings_store.h"
#include "project/document_seams.h"
#include "project/dorazivaz_doc.h"

// Virtual milliseconds: waits pass at once (after a real millisecond, so that the quit event
// is still seen) and are logged.
class FakeCheckClock : public DeviceCheckClock {
 public:
  std::int64_t NowMs() override { return now; }
  bool Wait(AutoResetEvent& quit, std::uint32_t ms) override {
    now += ms;
    return quit.Wait(ms == 0 ? 0 : 1);
  }
  std::atomic<std::int64_t> now{1'000'000};
};

struct CheckCall {
  std::string address;
  std::int64_t at;  // virtual time of the call
};

// Answers by address: present devices answer with their own address, `otherAnswers` with
// another one, `failing` addresses fail the call, everything else is silent. Calls after the
// first `pass` block until Release() or CancelCheck(), and then stay silent.
class ScriptedCheckService : public DeviceCheckService {
 public:
  explicit ScriptedCheckService(FakeCheckClock* clock = nullptr) : m_clock(clock) {}

  HRESULT AttachDevice(std::shared_ptr<BusDriver>) override { return S_OK; }
  HRESULT CheckDevice(const Variant& address, Variant* result) override {
    const std::string text = Utf16ToAnsi(address.bstrVal());
    std::unique_lock lock(m_mutex);
    calls.push_back({text, m_clock ? m_clock->now.load() : 0});
    m_changed.notify_all();
    if (calls.size() > pass) {
      const int cancels = cancelCount;
      m_changed.wait(lock, [&] { return calls.size() <= pass || cancelCount != cancels; });
      if (cancelCount != cancels) return S_OK;
    }
    if (m_clock) m_clock->now += checkMs;
    if (failing.count(text)) return E_FAIL;
    std::uint32_t answer;
    if (present.count(text))
      answer = static_cast<std::uint32_t>(ParsePhysicalAddress(text));
    else if (otherAnswers.count(text))
      answer = otherAnswers[text];
    else
      return S_OK;
    *result = Variant::Array(VT_UI4, {Variant::UI4(answer)});
    return S_OK;
  }
  HRESULT CancelCheck() override {
    std::lock_guard lock(m_mutex);
    ++cancelCount;
    m_changed.notify_all();
    return S_OK;
  }

  // Waits (really, at most 5 s) until `count` calls were made; the last may be blocked.
  bool WaitForCalls(std::size_t count) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(5), [&] { return calls.size() >= count; });
  }
  // Lets `count` more calls through.
  void Release(std::size_t count = 1) {
    std::lock_guard lock(m_mutex);
    pass += count;
    m_changed.notify_all();
  }
  std::vector<CheckCall> Calls() {
    std::lock_guard lock(m_mutex);
    return calls;
  }
  std::vector<std::string> Addresses() {
    std::vector<std::string> out;
    for (const CheckCall& c : Calls()) out.push_back(c.address);
    return out;
  }
  int Cancels() {
    std::lock_guard lock(m_mutex);
    return cancelCount;
  }
  void SetPresent(const std::string& address) {
    std::lock_guard lock(m_mutex);
    present.insert(address);
  }

  // Set before the thread runs.
  std::set<std::string> present;
  std::set<std::string> failing;
  std::map<std::string, std::uint32_t> otherAnswers;
  std::int64_t checkMs = 0;
  std::size_t pass = 1000;

 private:
  FakeCheckClock* m_clock;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<CheckCall> calls;
  int cancelCount = 0;
};

class FakeHandOff : public DeviceServiceHandOff {
 public:
  std::shared_ptr<DeviceCheckService> TakeDeviceService() override {
    std::lock_guard lock(mutex);
    return std::move(stream);
  }
  void DeviceServiceDropped() override { ++drops; }
  bool RestartRequested() override { return restart; }

  std::mutex mutex;
  std::shared_ptr<DeviceCheckService> stream;
  std::atomic<int> drops{0};
  std::atomic<bool> restart{false};
};

class RecordingDeviceViews : public DeviceViews {
 public:
  void DeviceAdded(DeviceRecord& d) override { added.push_back(&d); }
  void DeviceRemoving(DeviceRecord& d) override { removed.push_back(d.addressText); }
  void DeviceChanged(DeviceRecord& d) override {
    changed.push_back(d.addressText);
    states.push_back(d.state);
  }
  void ShowDevicesFailed(bool any) override { failedMark = any; }
  std::vector<DeviceRecord*> SelectedDevices() override { return selected; }

  std::vector<DeviceRecord*> added;
  std::vector<std::string> removed;
  std::vector<std::string> changed;
  std::vector<std::int32_t> states;  // the device's state at each change
  bool failedMark = false;
  std::vector<DeviceRecord*> selected;
};

// Types each text in turn and records what validation answered; OK at the first valid one,
// cancel when none is.
class ScriptedAddressDialog : public DeviceAddressDialog {
 public:
  bool Run(std::string& address, const std::function<unsigned(std::string&)>& validate) override {
    shown.push_back(address);
    for (std::string text : texts) {
      const unsigned message = validate(text);
      messages.push_back(message);
      if (message == 0) {
        address = text;
        return true;
      }
    }
    return false;
  }
  std::vector<std::string> texts;
  std::vector<std::string> shown;
  std::vector<unsigned> messages;
};

class AnsweringPrompt : public Prompt {
 public:
  PromptAnswer Ask(unsigned id, std::string_view, PromptKind, PromptButtons) override {
    asked.push_back(id);
    return answer;
  }
  PromptAnswer AskText(std::string_view, PromptKind, PromptButtons) override { return answer; }
  std::vector<unsigned> asked;
  PromptAnswer answer = PromptAnswer::Yes;
};

class DeviceCheckTest : public ::testing::Test {
 protected:
  DeviceCheckTest() {
    char pattern[] = "/tmp/zelvox-devcheck-XXXXXX";
    dir = mkdtemp(pattern);
    settings = std::make_unique<SettingsStore>(dir + "/settings");
  }
  ~DeviceCheckTest() override {
    doc.reset();
    loop.RunPending();
    std::filesystem::remove_all(dir);
  }

  // A document with the device supervision; the thread starts only with `thread`.
  CDORAzivazDoc& MakeDoc(bool thread, std::int32_t pingTime = 0,
                         DeviceServiceHandOff* handOffOverride = nullptr,
                         DeviceCheckClock* clockOverride = nullptr) {
    if (pingTime != 0) settings->SetInt(kParameterKey, "PingTime", pingTime);
    DeviceCheckWiring wiring{*settings, handOffOverride ? handOffOverride : &handOff,
                             clockOverride ? clockOverride : &clock};
    supervision = std::make_shared<DeviceSupervision>(wiring);
    supervision->SetViews(&views);
    supervision->SetDialog(&dialog);
    DocumentSeams seams;
    InstallDeviceCheck(seams, supervision);
    if (!thread) seams.deviceCheckThread = nullptr;
    CDORAzivazDoc::Services services{callback, prompt, loop, *settings};
    doc = std::make_unique<CDORAzivazDoc>(services, std::move(seams));
    supervision->RegisterCommands(*doc);
    return *doc;
  }

  // Appends devices as the import does.
  std::vector<DeviceRecord*> AddDevices(std::initializer_list<const char*> addresses) {
    std::vector<DeviceRecord*> added;
    std::lock_guard lock(doc->DeviceListLock());
    for (const char* a : addresses) {
      added.push_back(
          &doc->Devices().Add(std::make_unique<DeviceRecord>(a, doc.get(), &doc->DevicesNode())));
      ++doc->Counters().devices;
    }
    return added;
  }

  std::vector<std::string> FailedList() { return doc->FailedDevices().Items(); }
  std::vector<std::string> CheckQueue() { return doc->CheckQueue().Items(); }
  // The "Failed Devices" value as texts.
  std::vector<std::string> FailedItemValue() {
    std::lock_guard tagLock(doc->TagLock());
    std::vector<std::string> out;
    const Variant& v = doc->FailedDevicesItem()->m_value;
    EXPECT_EQ(v.vt(), VT_ARRAY | VT_BSTR);
    if (v.parray() == nullptr) return out;
    EXPECT_EQ(v.parray()->lowerBound, 0);
    for (const Variant& e : v.parray()->elements) out.push_back(Utf16ToAnsi(e.bstrVal()));
    return out;
  }
  std::int32_t State(DeviceRecord* d) {
    std::lock_guard lock(doc->DeviceListLock());
    return d->state;
  }
  // Hands the running thread a service and waits until it has taken it.
  bool Deliver(std::shared_ptr<DeviceCheckService> service) {
    {
      std::lock_guard lock(handOff.mutex);
      handOff.stream = std::move(service);
    }
    return Eventually([&] {
      std::lock_guard lock(handOff.mutex);
      return handOff.stream == nullptr;
    });
  }
  // Polls (really, at most 5 s) until `condition` holds.
  static bool Eventually(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
  std::int32_t Retries(DeviceRecord* d) {
    std::lock_guard lock(doc->DeviceListLock());
    return d->retryCount;
  }

  std::string dir;
  std::unique_ptr<SettingsStore> settings;
  OpcServerCallback callback;
  AnsweringPrompt prompt;
  EventLoop loop;
  FakeCheckClock clock;
  FakeHandOff handOff;
  RecordingDeviceViews views;
  ScriptedAddressDialog dialog;
  std::shared_ptr<DeviceSupervision> supervision;
  std::unique_ptr<CDORAzivazDoc> doc;
};
