// ESF import: builds the project's group table and devices from an ESF export of ETS.
#pragma once

#include <string>
#include <string_view>

class CDORAzivazDoc;
class ProgressReport;

// String table entries of the import.
constexpr unsigned kStrEsfFilter = 172;
constexpr unsigned kStrNoProjectLine = 186;
constexpr unsigned kStrEsfImportTitle = 187;
constexpr unsigned kStrMiddleGroupFirst = 188;
constexpr unsigned kStrSubGroupFirst = 189;

enum class EsfImportResult {
  kImported,
  kNotOpened,         // the file could not be read; nothing shown, project unchanged
  kNoProjectLine,     // message 186; project unchanged
  kClearRefused,      // clients hold items: message 191 (from clearing); project unchanged
  kMiddleGroupFirst,  // message 188; project cleared
  kSubGroupFirst,     // message 189; project cleared
};

// Replaces the document's project by the export in `path` (Windows-1252 text): clears the
// document, then builds one node per main and middle group, one item per group address with
// its linked addresses, and one device record per device; groups left without items are
// removed and the counters recounted. Messages go through the document's prompt. `progress`
// (may be null) is shown from the project line on and sees 0 to 100.
EsfImportResult ImportEsfFile(CDORAzivazDoc& doc, const std::string& path,
                              ProgressReport* progress);
// The same for an export already in memory.
EsfImportResult ImportEsfText(CDORAzivazDoc& doc, std::string_view text, ProgressReport* progress);

// Command 32771: asks to save a modified project, asks for the export, imports it with the
// main window's progress bar.
void OnImportEsf(CDORAzivazDoc& doc);
