// The framework's string table entries that the document's open, save and close steps show.
#pragma once

// Formatted with the project's title or path.
constexpr unsigned kStrAskToSave = 61442;        // "Save changes to %s?"
constexpr unsigned kStrFailedToOpenDoc = 61697;  // "Cannot open the project file %s."
constexpr unsigned kStrFailedToSaveDoc = 61698;  // "Cannot save the project file %s."
