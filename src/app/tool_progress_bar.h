// ToolProgressBar: a text progress bar on a terminal for zelvox-tool's long commands.
#pragma once

#include <ostream>

#include "project/progress_report.h"

// Redraws one line ("[#####.....]  50%") with a carriage return; the end moves to a new line.
class ToolProgressBar final : public ProgressReport {
 public:
  explicit ToolProgressBar(std::ostream& out) : m_out(out) {}
  void BeginProgress() override { SetProgress(0); }
  void SetProgress(int percent) override;
  void EndProgress() override { m_out << '\n' << std::flush; }

 private:
  std::ostream& m_out;
};
