// HeadlessService: start, the client check, the save question at the end.
#include "app/headless_service.h"

#include <chrono>

#include "app/stderr_prompt.h"
#include "app/zelvox_application.h"
#include "platform/code_page.h"
#include "platform/service_notify.h"
#include "project/dorazivaz_doc.h"
#include "toolkit/toolkit.h"

HeadlessService::HeadlessService(CommandLine line, std::string programPath, std::ostream& err)
    : m_line(std::move(line)), m_programPath(std::move(programPath)), m_err(err) {}

int HeadlessService::Run() {
  StderrPrompt prompt(m_err);
  ZelvoxApplication app(m_line, m_programPath, prompt);
  const auto ended = app.InitInstance(m_loop, [this] {
    m_err << "zelvox: another start of Zelvox asked this instance to show itself" << std::endl;
  });
  if (ended) return *ended;
  m_err << "zelvox: serving " << app.Endpoint() << std::endl;

  // Under systemd (Type=notify) the start counts as done only now that the OPC UA port accepts
  // connections; the watchdog is fed from this loop, so a hung main thread is restarted.
  const ServiceNotify notify = ServiceNotify::FromEnvironment();
  notify.Send("READY=1\nSTATUS=serving " + app.Endpoint());
  if (const auto period = notify.WatchdogPeriod(); notify.Enabled() && period.count() > 0) {
    m_loop.AddTimer(period, [&notify] { notify.Send("WATCHDOG=1"); });
  }

  // A client's start lasts as long as clients are connected, as with the main window's timer.
  if (app.StartedByClient()) {
    m_loop.AddTimer(std::chrono::seconds(1), [this] {
      if (ToolkitClientsConnected() == 0) m_loop.Quit(0);
    });
  }
  const int code = m_loop.Run();

  notify.Send("STOPPING=1");
  EndHeadless(app, m_err);
  return code;
}

void EndHeadless(ZelvoxApplication& app, std::ostream& err) {
  CDORAzivazDoc* doc = app.Document();
  if (doc && doc->IsModified() && app.SaveModified() && doc->IsModified()) {
    const std::string name = doc->PathName().empty() ? "the new project" : doc->PathName();
    err << "zelvox: the project was changed but not saved; " << AnsiToUtf8(name)
        << " is left as it was" << std::endl;
  }
  // Tasks the worker threads post from now on are dropped with the loop: they would refer to
  // a document that is going.
  app.ExitInstance();
}
