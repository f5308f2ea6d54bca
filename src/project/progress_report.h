// ProgressReport: how a long operation (the ESF import) shows how far it has come.
#pragma once

// The main window shows a progress bar, the tool a bar on stderr; tests may record the values.
class ProgressReport {
 public:
  virtual void BeginProgress() = 0;
  // 0 to 100.
  virtual void SetProgress(int percent) = 0;
  virtual void EndProgress() = 0;

 protected:
  ~ProgressReport() = default;
};
